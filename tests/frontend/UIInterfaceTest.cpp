#include "FrontendDrawTest.h"

#include "core/Hash.h"
#include "frontend/BasicText.h"
#include "frontend/UIInterface.h"
#include "frontend/UIWidget.h"
#include "support/LogCapture.h"
#include "support/ManualClock.h"
#include "tools/formats/ScreenWriter.h"
#include "tools/formats/TgaWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr uint64_t kMillisecond = 1000;

std::vector<std::string> g_called;
void Record(const char* name)
{
    g_called.push_back(name);
}

ScreenElementSpec Box(const std::string& name, int x, int y, int width, int height,
                      std::vector<std::string> textures = {"NONE"})
{
    ScreenElementSpec e;
    e.name = name;
    e.layoutWidth = e.layoutHeight = 64;
    e.x = x;
    e.y = y;
    e.width = width;
    e.height = height;
    e.textures = textures;
    return e;
}

UIItemSpec Button(const std::string& name, const std::string& element, const std::string& target = "NONE",
                  const std::string& function = "NONE")
{
    UIItemSpec item;
    item.name = name;
    item.element = element;
    item.first = target;
    item.second = function;
    return item;
}

// A label that takes no focus, as menus put above their buttons.
UIItemSpec TitleLabel()
{
    UIItemSpec label;
    label.type = "LABEL";
    label.name = "title";
    label.focusable = "FALSE";
    label.element = "masterbox";
    return label;
}

UIScreenSpec Screen(const std::string& name, std::vector<UIItemSpec> items, const std::string& back = "NONE")
{
    UIScreenSpec screen;
    screen.name = name;
    screen.back = back;
    screen.elementFile = name + ".txt";
    screen.font.file = "Boxes.fnt";
    screen.items = items;
    return screen;
}

class UIInterfaceTest : public FrontendDrawTest
{
protected:
    void SetUp() override
    {
        FrontendDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        g_called.clear();
        FontWriterFont font = FontSolidBoxes("Boxes", 8, 33, 126, 3, 6, 4);
        WriteFont("fonts/Boxes", font);
        std::vector<uint8_t> white(16 * 4, 255);
        const std::vector<uint8_t> tga = TgaWrite(white.data(), 4, 4, TgaWriteOptions());
        ASSERT_TRUE(m_dir.WriteFile("data/frontend/white.tga", tga.data(), tga.size()));
    }
    void TearDown() override
    {
        ui.Shutdown();
        FrontendDrawTest::TearDown();
    }

    void Load(const std::vector<UIScreenSpec>& screens, const std::vector<ScreenElementSpec>& elements)
    {
        for (const UIScreenSpec& screen : screens)
            WriteData("frontend/" + screen.elementFile, ScreenElementText(elements));
        WriteData("frontend/shared.txt", ScreenElementText({}));
        WriteData("frontend/screens.scn", UIScreenFileText("shared.txt", screens));
        ui.SetFontDirectory("fonts");
        ui.SetViewport(64, 64, 0, 0);
        ASSERT_TRUE(ui.LoadScreens("frontend", "screens.scn")) << m_reports.Text();
        ui.SetButtonFunctionHandler(Record);
        ui.SetSelectFunctionHandler(Record);
        ui.SetHoverSelect(true);
    }
    UIItem& Item(const char* name) { return *ui.FindItemByName(HashString(name)); }
    void Step(uint64_t microseconds)
    {
        clock.Advance(microseconds);
        ui.Update(0.0f);
    }

    ManualClock clock;
    UIInterface ui;
};

const std::vector<ScreenElementSpec> kElements = {
    Box("playbox", 4, 4, 40, 12),          Box("optionsbox", 4, 20, 40, 12), Box("masterbox", 4, 36, 20, 12),
    Box("leftbox", 30, 36, 10, 12),        Box("listbox", 0, 0, 64, 64),     Box("headerbox", 0, 0, 64, 8),
    Box("rowbox", 0, 0, 64, 9),
};

TEST_F(UIInterfaceTest, TheSelectedButtonIsYellowAndTheRestWhite)
{
    Load({Screen("menu", {Button("play", "playbox"), Button("options", "optionsbox")})}, kElements);
    Item("play").widget->Text().text = "AB";
    Item("options").widget->Text().text = "AB";
    Clear();
    ui.RenderItems();
    Capture();
    const Rgba selected = Pixel(21, 8);
    const Rgba other = Pixel(21, 24);
    EXPECT_EQ(selected.r, 255);
    EXPECT_EQ(selected.g, 255);
    EXPECT_EQ(selected.b, 0);
    EXPECT_EQ(other.b, 255);
    EXPECT_EQ(Pixel(19, 8).r, 0) << "the text is centred in its box";
    ui.Enable(false);
    Clear();
    ui.RenderItems();
    Capture();
    EXPECT_EQ(LitIn(0, 0, 64, 64), 0);
}

TEST_F(UIInterfaceTest, AScreenChangeFadesOnTheSteppedClock)
{
    Load({Screen("menu", {Button("play", "playbox", "options")}),
          Screen("options", {Button("options", "optionsbox")})},
         kElements);
    ui.ClickInput(false);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "menu");
    Step(300 * kMillisecond);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "menu");
    EXPECT_NEAR(ui.ShownFade(), 0.85f, 1e-4f);
    Step(200 * kMillisecond);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "options");
    ui.ChangeScreenByName(HashString("menu"), false);
    Step(16 * kMillisecond);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "options") << "the switch waits for half the fade";
    Step(400 * kMillisecond);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "menu");
    Step(400 * kMillisecond);
    ui.ChangeScreenByName(HashString("options"), true);
    Step(16 * kMillisecond);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "options") << "an instant change switches at the next step";
    ui.ChangeScreenByName(HashString("nowhere"), true);
    Step(16 * kMillisecond);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "options");
}

// A menu whose title label comes first opens on its first button, so Return
// presses it at once.
TEST_F(UIInterfaceTest, TheFirstScreenStartsOnItsFirstUsableItem)
{
    const UIItemSpec label = TitleLabel();
    Load({Screen("menu", {label, Button("play", "playbox", "NONE", "OnPlay")})}, kElements);
    EXPECT_EQ(ui.CurrentScreen()->selected, 1);
    ui.ClickInput(false);
    EXPECT_EQ(g_called, std::vector<std::string>{"OnPlay"});
}

// Screens naming the same font file draw with one font, made once, which
// lives until the screens are shut down.
TEST_F(UIInterfaceTest, ScreensShareTheFontTheyName)
{
    Load({Screen("menu", {Button("play", "playbox")}), Screen("options", {Button("back", "optionsbox")})},
         kElements);
    const std::shared_ptr<BasicText> font = Item("play").FontInForce().font;
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(Item("back").FontInForce().font, font);
    EXPECT_GT(font.use_count(), 2);
    ui.Shutdown();
    EXPECT_EQ(font.use_count(), 1) << "the shut-down interface still holds the font";
}

TEST_F(UIInterfaceTest, ClicksTabsAndBackCallTheirFunctions)
{
    const UIItemSpec label = TitleLabel();
    UIItemSpec back = Button("back", "optionsbox", "NONE", "OnBack");
    back.functionSelected = "OnBackSelected";
    Load({Screen("menu", {Button("play", "playbox", "NONE", "OnPlay"), label, back}, "back")}, kElements);
    ui.ClickInput(false);
    ui.TabForward();
    ui.TabForward();
    ui.InputBack();
    // Back selects its item first, and that calls the selection function again.
    EXPECT_EQ(g_called, (std::vector<std::string>{"OnPlay", "OnBackSelected", "OnBackSelected", "OnBack"}));
    ui.SetCursorPosition(10, 10);
    ui.ClickInput(true);
    EXPECT_EQ(g_called.back(), "OnPlay");
}

TEST_F(UIInterfaceTest, HoveringAMastersChildSelectsTheMaster)
{
    UIItemSpec master;
    master.type = "MASTER";
    master.name = "master";
    master.element = "masterbox";
    master.first = "left";
    master.third = "masterbox";
    UIItemSpec left = Button("left", "leftbox", "NONE", "OnLeft");
    left.focusable = "FALSE";
    Load({Screen("menu", {Button("play", "playbox"), master, left})}, kElements);
    ui.SetCursorPosition(35, 40);
    ui.Update(0.0f);
    EXPECT_EQ(ui.CurrentScreen()->selected, 1);
    ui.InputLeft();
    EXPECT_EQ(g_called, (std::vector<std::string>{"OnLeft"}));
}

TEST_F(UIInterfaceTest, ListsDrawTheRowsTheyHold)
{
    UIItemSpec list;
    list.type = "LIST";
    list.name = "scores";
    list.element = "listbox";
    list.first = "headerbox";
    list.second = "rowbox";
    Load({Screen("menu", {list})}, kElements);
    UIList& rows = static_cast<UIList&>(*Item("scores").widget);
    EXPECT_EQ(rows.RowsPerPage(), 6);
    rows.AddRow("AA");
    rows.AddRow("BB");
    rows.rowCount = 5; // more than it holds
    Clear();
    ui.RenderItems();
    Capture();
    EXPECT_TRUE(Lit(1, 10)) << "row 0";
    EXPECT_TRUE(Lit(1, 19)) << "row 1";
    EXPECT_EQ(LitIn(0, 26, 64, 64), 0);
    ui.SetCursorPosition(10, 20);
    ui.ClickInput(true);
    EXPECT_EQ(rows.selectedRow, 1);
}

TEST_F(UIInterfaceTest, TheScreenFileIsReadLeniently)
{
    LogCapture log;
    UIItemSpec lower = Button("lower", "playbox");
    lower.type = "button";
    lower.visible = "yes";
    UIItemSpec pic = Button("pic", "playbox");
    pic.type = "PIC";
    Load({Screen("menu", {lower, pic})}, kElements);
    EXPECT_EQ(Item("lower").type, kUIButton);
    EXPECT_EQ(Item("lower").visible, 1);
    EXPECT_EQ(Item("lower").backgroundStretch, 0);
    EXPECT_EQ(Item("lower").fadeWithScreenFade, 1);
    EXPECT_EQ(Item("pic").type, kUILabel);
    EXPECT_TRUE(log.Contains("PIC"));
}

TEST_F(UIInterfaceTest, ACutFileKeepsItsWholeScreens)
{
    const std::string text = UIScreenFileText(
        "shared.txt", {Screen("menu", {Button("play", "playbox")}), Screen("options", {Button("b", "playbox")})});
    for (size_t length = 0; length < text.size(); length += 7)
    {
        LogCapture log;
        UIInterface cut;
        cut.SetFontDirectory("fonts");
        WriteData("frontend/cut.scn", text.substr(0, length));
        cut.LoadScreens("frontend", "cut.scn");
        EXPECT_LE(cut.ScreenCount(), 2);
        cut.ClickInput(false);
        cut.TabForward();
        cut.InputBack();
        cut.Update(0.0f);
        cut.RenderItems();
        cut.Shutdown();
    }
    LogCapture log;
    EXPECT_FALSE(ui.LoadScreens("frontend", "none.scn"));
    EXPECT_TRUE(log.Contains("Open screen Item data frontend/none.scn failed.\n"));
    EXPECT_EQ(ui.ScreenCount(), 0);
    ui.ClickInput(true);
    EXPECT_STREQ(ui.GetCurrentScreenName(), "");
}

TEST_F(UIInterfaceTest, TheViewportFitsTheNearestAspect)
{
    ui.AddAspectRatio(4.0f / 3.0f);
    ui.AddAspectRatio(16.0f / 9.0f);
    ui.SetViewport(1280, 1024, 0, 0);
    const ScreenProperties& fitted = ui.ScreenElements().screen;
    EXPECT_EQ(fitted.width, 1280.0f);
    EXPECT_EQ(fitted.height, 960.0f);
    EXPECT_EQ(fitted.y, 32.0f);
    ui.SetViewport(0, 0, 0, 0);
    EXPECT_EQ(ui.ScreenElements().screen.height, 960.0f) << "an empty viewport keeps the last fit";
}
struct ScreenBoundCase
{
    std::vector<int> itemsPerScreen;
    int keptScreens;
    size_t keptItems; // of the first screen
    std::vector<std::string> reports;
};

std::vector<UIScreenSpec> Screens(const std::vector<int>& itemsPerScreen)
{
    std::vector<UIScreenSpec> screens;
    for (size_t s = 0; s < itemsPerScreen.size(); ++s)
    {
        std::vector<UIItemSpec> items;
        for (int i = 0; i < itemsPerScreen[s]; ++i)
            items.push_back(Button("s" + std::to_string(s) + "i" + std::to_string(i), "playbox"));
        screens.push_back(Screen("s" + std::to_string(s), items));
    }
    return screens;
}

// A screen file of very many screens or items keeps the first ones, reads
// on past what it leaves out, and reports once.
TEST_F(UIInterfaceTest, ScreensAndItemsPastTheirBoundsAreLeftOutWithOneReport)
{
    WriteData("frontend/shared.txt", ScreenElementText({}));
    WriteData("frontend/s0.txt", ScreenElementText({Box("playbox", 0, 0, 8, 8)}));
    const ScreenBoundCase cases[] = {
        {{kUIMaxItemsPerScreen + 44, 2}, 2, size_t(kUIMaxItemsPerScreen),
         {"Screen file: screens of more than 256 items; 44 items are left out.\n"}},
        {std::vector<int>(kUIMaxScreens + 3, 1), kUIMaxScreens, 1,
         {"Screen file: more than 256 screens; the last 3 are left out.\n"}},
        {{kUIMaxItemsPerScreen}, 1, size_t(kUIMaxItemsPerScreen), {}},
    };
    for (const ScreenBoundCase& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.itemsPerScreen.size()) + " screens");
        const std::string text = UIScreenFileText("shared.txt", Screens(c.itemsPerScreen));
        LogCapture log;
        UIInterface screens;
        screens.SetFontDirectory("fonts");
        EXPECT_TRUE(screens.ReadScreens("frontend", text.data(), int(text.size())));
        EXPECT_EQ(log.Lines(), c.reports);
        EXPECT_EQ(screens.ScreenCount(), c.keptScreens);
        ASSERT_NE(screens.CurrentScreen(), nullptr);
        EXPECT_EQ(screens.CurrentScreen()->items.size(), c.keptItems);
        const int last = int(c.keptItems) - 1;
        EXPECT_NE(screens.FindItemByName(HashString(("s0i" + std::to_string(last)).c_str())), nullptr);
        EXPECT_EQ(screens.FindItemByName(HashString(("s0i" + std::to_string(last + 1)).c_str())), nullptr);
        if (c.itemsPerScreen.size() == 2)
        {
            EXPECT_NE(screens.FindItemByName(HashString("s1i1")), nullptr) << "the screen after is read whole";
        }
        screens.Shutdown();
    }
}
} // namespace

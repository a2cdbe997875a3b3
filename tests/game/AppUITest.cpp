// The UI's part of the fixed step, fed by the input layer as the step reads
// it: a click the player made between two steps counts once, however quick.

#include "game/AppUI.h"

#include "core/FileTable.h"
#include "frontend/UIInterface.h"
#include "platform/Input.h"
#include "platform/ScanCodes.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "tools/formats/ScreenWriter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> g_called;
void Record(const char* name)
{
    g_called.push_back(name);
}

ScreenElementSpec Box(const std::string& name, int y)
{
    ScreenElementSpec box;
    box.name = name;
    box.layoutWidth = box.layoutHeight = 64;
    box.x = 4;
    box.y = y;
    box.width = 40;
    box.height = 12;
    box.textures = {"NONE"};
    return box;
}

UIItemSpec Button(const std::string& name, const std::string& function)
{
    UIItemSpec item;
    item.name = name;
    item.element = name + "box";
    item.second = function;
    return item;
}

// One key's presses (true) and releases (false) in each input update, and
// how often its function has run after each step.
struct QuickInputCase
{
    const char* label;
    bool mouse; // else the back key
    std::vector<std::vector<bool>> updates;
    std::vector<int> calls;
};

const QuickInputCase kQuickInputCases[] = {
    {"a click within one update", true, {{true, false}, {}}, {1, 1}},
    {"a click held over updates", true, {{true}, {}, {false}, {}}, {1, 1, 1, 1}},
    {"a click in each of two updates", true, {{true, false}, {true, false}}, {1, 2}},
    {"two clicks within one update", true, {{true, false, true, false}}, {1}},
    {"a release alone", true, {{false}}, {0}},
    {"back tapped within one update", false, {{true, false}, {}}, {1, 1}},
    {"back held over updates", false, {{true}, {}, {false}}, {1, 1, 1}},
};

class AppUIStepTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_called.clear();
        UIScreenSpec menu;
        menu.name = "menu";
        menu.back = "back";
        menu.elementFile = "menu.txt";
        menu.font.file = "none.fnt";
        menu.items = {Button("play", "OnPlay"), Button("back", "OnBack")};
        ASSERT_TRUE(dir.WriteFile("data/frontend/menu.txt",
                                  ScreenElementText({Box("playbox", 4), Box("backbox", 20)})));
        ASSERT_TRUE(dir.WriteFile("data/frontend/shared.txt", ScreenElementText({})));
        ASSERT_TRUE(dir.WriteFile("data/frontend/screens.scn", UIScreenFileText("shared.txt", {menu})));
        FileTableMountDataTree(dir.Root().c_str());
        UIInterface& ui = GetUIInterface();
        ui.SetViewport(64, 64, 0, 0);
        ASSERT_TRUE(ui.LoadScreens("frontend", "screens.scn")) << m_reports.Text();
        ui.Enable(true);
        ui.SetButtonFunctionHandler(Record);
        ui.SetSelectFunctionHandler(Record);
        ui.SetHoverSelect(true);
        ui.SetCursorPosition(10, 10); // over "play"
        InputInit();
    }

    void TearDown() override
    {
        InputShutdown();
        GetUIInterface().Shutdown();
        FileTableRebuild("no such folder");
    }

    // As the window system delivers them between two input updates.
    static void Deliver(bool mouse, bool press)
    {
        SDL_Event event = {};
        if (mouse)
        {
            event.type = press ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.button = SDL_BUTTON_LEFT;
            event.button.state = press ? SDL_PRESSED : SDL_RELEASED;
            event.button.x = 10;
            event.button.y = 10;
        }
        else
        {
            event.type = press ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.state = press ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
            event.key.keysym.sym = SDLK_ESCAPE;
        }
        InputHandleEvent(event);
    }

    static int CallsOf(const char* function)
    {
        return int(std::count(g_called.begin(), g_called.end(), function));
    }

    TempDir dir;
    LogCapture m_reports;
};

TEST_F(AppUIStepTest, AClickOrBackMadeBetweenTwoStepsCountsOnce)
{
    for (const QuickInputCase& c : kQuickInputCases)
    {
        g_called.clear();
        const char* function = c.mouse ? "OnPlay" : "OnBack";
        for (size_t update = 0; update < c.updates.size(); ++update)
        {
            for (bool press : c.updates[update])
                Deliver(c.mouse, press);
            InputUpdate();
            AppUIStep();
            EXPECT_EQ(CallsOf(function), c.calls[update]) << c.label << ", step " << update;
        }
        // Let go of everything before the next case.
        Deliver(c.mouse, false);
        InputUpdate();
    }
}
} // namespace

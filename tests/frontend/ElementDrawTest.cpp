// Front-end elements drawn under the GL fixture, and the button manager's
// pixel-accurate hover over real textures.
#include "FrontendDrawTest.h"

#include "frontend/Button.h"
#include "frontend/ButtonManager.h"
#include "frontend/CurveBar.h"
#include "frontend/LoadingScreen.h"
#include "frontend/Menu.h"
#include "opengl/Texture.h"
#include "platform/Input.h"
#include "tools/formats/TgaWriter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
struct Bgra
{
    uint8_t b, g, r, a;
};

constexpr Bgra kRed{0, 0, 255, 255};
constexpr Bgra kGreen{0, 255, 0, 255};
constexpr Bgra kBlue{255, 0, 0, 255};
constexpr Bgra kWhite{255, 255, 255, 255};
constexpr Bgra kClear{0, 0, 0, 0};

class ElementDrawTest : public FrontendDrawTest
{
protected:
    // The button manager reads the cursor and the click key from input.
    void SetUp() override
    {
        FrontendDrawTest::SetUp();
        InputInit();
    }
    void TearDown() override
    {
        InputShutdown();
        ButtonManager::DropAlphaPlanes();
        FrontendDrawTest::TearDown();
    }

    // A texture whose columns left of `split` are `left`, the rest `right`.
    void WriteTexture(const std::string& name, int width, int height, Bgra left, Bgra right, int split = 0)
    {
        std::vector<uint8_t> pixels;
        pixels.reserve(size_t(width) * size_t(height) * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const Bgra p = x < split ? left : right;
                pixels.insert(pixels.end(), {p.b, p.g, p.r, p.a});
            }
        const std::vector<uint8_t> file = TgaWrite(pixels.data(), uint16_t(width), uint16_t(height), {});
        ASSERT_TRUE(m_dir.WriteFile("data/" + name, file.data(), file.size()));
        Mount();
    }

    bool IsColour(int x, int y, int r, int g, int b) const
    {
        const Rgba p = Pixel(x, y);
        return std::abs(p.r - r) < 40 && std::abs(p.g - g) < 40 && std::abs(p.b - b) < 40;
    }

    // A button over the whole surface whose up image has transparent
    // columns left of the middle; its over image is green.
    std::unique_ptr<Button> HalfButton()
    {
        WriteTexture("ui/half.tga", 16, 16, kClear, kRed, 8);
        WriteTexture("ui/over.tga", 16, 16, kGreen, kGreen);
        auto button = std::make_unique<Button>();
        EXPECT_TRUE(button->UpImage.AddTexture("ui/half.tga"));
        EXPECT_TRUE(button->OverImage.AddTexture("ui/over.tga"));
        button->width = kGLTestWidth;
        button->height = kGLTestHeight;
        button->SetName("Play");
        return button;
    }
};

TEST_F(ElementDrawTest, SpriteDrawsItsColourAndTurns)
{
    WriteTexture("ui/white.tga", 8, 8, kWhite, kWhite);
    Sprite sprite;
    ASSERT_TRUE(sprite.SetTexture("ui/white.tga")) << m_reports.Text();
    sprite.x = 8;
    sprite.y = 24;
    sprite.width = 48;
    sprite.height = 16;
    sprite.Color = rgba8888(255, 0, 0, 255);
    Clear();
    sprite.Render();
    Capture();
    EXPECT_TRUE(IsColour(32, 32, 255, 0, 0));
    EXPECT_TRUE(IsColour(12, 32, 255, 0, 0));
    EXPECT_FALSE(Lit(32, 12));
    sprite.Rotation = 90.0f;
    Clear();
    sprite.Render();
    Capture();
    EXPECT_TRUE(IsColour(32, 12, 255, 0, 0)) << "turned about its centre";
    EXPECT_FALSE(Lit(12, 32));
}

TEST_F(ElementDrawTest, NewSpriteDrawsNothingUntilItHasATextureAndASize)
{
    WriteTexture("ui/white.tga", 8, 8, kWhite, kWhite);
    Sprite sprite;
    EXPECT_FLOAT_EQ(sprite.GetDimensions().x, -1.0f);
    EXPECT_FLOAT_EQ(sprite.GetDimensions().y, -1.0f);
    Clear();
    sprite.Render();
    ASSERT_TRUE(sprite.SetTexture("ui/white.tga"));
    sprite.Render();
    Capture();
    EXPECT_EQ(LitIn(0, 0, kGLTestWidth, kGLTestHeight), 0);
}

TEST_F(ElementDrawTest, MissingTextureIsReported)
{
    Sprite sprite;
    EXPECT_FALSE(sprite.SetTexture("ui/none.tga"));
    EXPECT_NE(m_reports.Text().find("Texture not found: ui/none.tga \n"), std::string::npos)
        << m_reports.Text();
    AnimSprite animated;
    EXPECT_FALSE(animated.AddTexture("ui/none.tga"));
    EXPECT_TRUE(animated.frames.empty());
}

TEST_F(ElementDrawTest, AnimSpriteShowsEachFrameForAQuarterSecond)
{
    const Bgra colours[4] = {kRed, kGreen, kBlue, kWhite};
    AnimSprite sprite;
    for (int i = 0; i < 4; ++i)
    {
        const std::string name = "ui/frame" + std::to_string(i) + ".tga";
        WriteTexture(name, 4, 4, colours[i], colours[i]);
        ASSERT_TRUE(sprite.AddTexture(name.c_str()));
    }
    sprite.x = 0;
    sprite.y = 0;
    sprite.width = kGLTestWidth;
    sprite.height = kGLTestHeight;
    const struct
    {
        float dt;
        int frame;
        int r, g, b;
    } table[] = {{0.0f, 0, 255, 0, 0},      {0.25f, 1, 0, 255, 0}, {0.25f, 2, 0, 0, 255},
                 {0.25f, 3, 255, 255, 255}, {0.25f, 0, 255, 0, 0}, {0.125f, 0, 255, 0, 0}};
    for (const auto& row : table)
    {
        sprite.Update(row.dt);
        EXPECT_EQ(sprite.CurrentFrame, row.frame);
        Clear();
        sprite.Render();
        Capture();
        EXPECT_TRUE(IsColour(32, 32, row.r, row.g, row.b)) << "frame " << row.frame;
    }
}

TEST_F(ElementDrawTest, AnimSpriteFramesStayInRange)
{
    AnimSprite sprite;
    for (int i = 0; i < 4; ++i)
    {
        const std::string name = "ui/f" + std::to_string(i) + ".tga";
        WriteTexture(name, 4, 4, kWhite, kWhite);
        ASSERT_TRUE(sprite.AddTexture(name.c_str()));
    }
    sprite.looping = 0;
    for (int i = 0; i < 3; ++i)
        sprite.Update(0.25f);
    EXPECT_EQ(sprite.CurrentFrame, 3);
    EXPECT_TRUE(sprite.finished);
    sprite.Play();
    EXPECT_EQ(sprite.CurrentFrame, 0);
    sprite.Update(0.25f);
    EXPECT_EQ(sprite.CurrentFrame, 1) << "a replay restarts the time";
    sprite.looping = 1;
    sprite.AnimationSpeed = -4.0f;
    for (int i = 0; i < 7; ++i)
    {
        sprite.Update(0.3f);
        EXPECT_GE(sprite.CurrentFrame, 0);
        EXPECT_LT(sprite.CurrentFrame, 4);
    }
    sprite.CurrentFrame = 1000003;
    EXPECT_EQ(sprite.CurrentTexture(), sprite.frames[3]) << "a written frame is taken within the list";
    sprite.CurrentFrame = -1;
    EXPECT_EQ(sprite.CurrentTexture(), sprite.frames[3]);
}

TEST_F(ElementDrawTest, ButtonShowsItsOverImageUnderTheCursor)
{
    auto button = HalfButton();
    ButtonManager& manager = GetButtonManager();
    manager.Update(48.0f, 32.0f, false);
    EXPECT_EQ(button->State, kButtonOver);
    Clear();
    button->Render();
    Capture();
    EXPECT_TRUE(IsColour(48, 32, 0, 255, 0)) << "the over image";
    manager.Update(16.0f, 32.0f, false);
    EXPECT_EQ(button->State, kButtonUp) << "an owner-less button goes back to up on leaving";
    Clear();
    button->Render();
    Capture();
    EXPECT_TRUE(IsColour(48, 32, 255, 0, 0));
    EXPECT_FALSE(Lit(16, 32));
}

TEST_F(ElementDrawTest, ClickOverATransparentPixelDoesNotClick)
{
    auto button = HalfButton();
    ButtonManager& manager = GetButtonManager();
    FixedString128 name;
    manager.Update(4.0f, 32.0f, true);
    EXPECT_FALSE(manager.TakeClicked(name));
    EXPECT_EQ(button->State, kButtonUp);
    manager.Update(60.0f, 32.0f, true);
    EXPECT_EQ(button->State, kButtonDown);
    ASSERT_TRUE(manager.TakeClicked(name));
    EXPECT_STREQ(name.c_str(), "Play");
    EXPECT_FALSE(manager.TakeClicked(name)) << "one click, one name";
}

// The cursor and the first mouse button as the window system reports them,
// before the frame reads them.
void PushMouse(int x, int y, bool press)
{
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = x;
    motion.motion.y = y;
    InputHandleEvent(motion);
    SDL_Event button = {};
    button.type = press ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    button.button.button = SDL_BUTTON_LEFT;
    button.button.state = press ? SDL_PRESSED : SDL_RELEASED;
    button.button.x = x;
    button.button.y = y;
    InputHandleEvent(button);
}

// One frame with one change of the first mouse button.
void InjectMouse(int x, int y, bool press)
{
    PushMouse(x, y, press);
    InputUpdate();
}

TEST_F(ElementDrawTest, ManagerReadsTheCursorAndTheClickFromInput)
{
    auto button = HalfButton();
    InjectMouse(50, 20, false);
    GetButtonManager().Update();
    EXPECT_EQ(button->State, kButtonOver);
    InjectMouse(50, 20, true);
    GetButtonManager().Update();
    EXPECT_EQ(button->State, kButtonDown);
    GetButtonManager().Update();
    FixedString128 name;
    EXPECT_TRUE(GetButtonManager().TakeClicked(name));
    EXPECT_FALSE(GetButtonManager().TakeClicked(name)) << "a held button clicks once";
    InjectMouse(50, 20, false);
}

// The first mouse button's changes in each frame, the manager updated once a
// frame: whether that frame clicks the button.
struct ClickFrame
{
    std::vector<bool> changes; // true a press, false a release
    bool clicks;
};

struct ClickCase
{
    const char* label;
    std::vector<ClickFrame> frames;
};

const ClickCase kClickCases[] = {
    {"press and release between two updates", {{{true, false}, true}, {{}, false}}},
    {"press, held, released", {{{true}, true}, {{}, false}, {{false}, false}}},
    {"two quick clicks in two frames", {{{true, false}, true}, {{true, false}, true}}},
    {"release, press and release in one frame", {{{true}, true}, {{false, true, false}, true}}},
    {"a release alone", {{{false}, false}}},
};

TEST_F(ElementDrawTest, QuickClickWithinOneFrameStillClicksOnce)
{
    auto button = HalfButton();
    for (const ClickCase& c : kClickCases)
    {
        FixedString128 name;
        GetButtonManager().TakeClicked(name);
        for (size_t frame = 0; frame < c.frames.size(); ++frame)
        {
            for (bool press : c.frames[frame].changes)
                PushMouse(50, 20, press);
            InputUpdate();
            button->State = kButtonUp;
            GetButtonManager().Update();
            EXPECT_EQ(GetButtonManager().TakeClicked(name), c.frames[frame].clicks)
                << c.label << ", frame " << frame;
            EXPECT_FALSE(GetButtonManager().TakeClicked(name)) << c.label << ": one click, one name";
        }
        InjectMouse(50, 20, false);
    }
}

TEST_F(ElementDrawTest, OnlyAFullyOpaqueButtonIsHovered)
{
    auto button = HalfButton();
    const struct
    {
        float alpha;
        bool hovered;
    } table[] = {{255.0f, true}, {254.9f, false}, {0.0f, false}};
    for (const auto& row : table)
    {
        button->State = kButtonUp;
        button->underCursor = 0;
        button->ExternalAlpha = row.alpha;
        GetButtonManager().Update(48.0f, 32.0f, false);
        EXPECT_EQ(button->State == kButtonOver, row.hovered) << row.alpha;
    }
    button->ExternalAlpha = 255.0f;
    button->width = 0;
    button->State = kButtonUp;
    GetButtonManager().Update(0.0f, 32.0f, false);
    EXPECT_EQ(button->State, kButtonUp) << "no test without a positive size";
}

// Counts what the manager tells it.
class CountingOwner : public ButtonOwner
{
public:
    void ButtonHovered(Button&) override { ++hovered; }
    void ButtonLeft(Button&) override { ++left; }
    void ButtonGone(Button&) override { ++gone; }
    int hovered = 0;
    int left = 0;
    int gone = 0;
};

TEST_F(ElementDrawTest, OwnerIsToldOfHoverAndOnceOfLeaving)
{
    auto button = HalfButton();
    CountingOwner owner;
    button->owner = &owner;
    ButtonManager& manager = GetButtonManager();
    manager.Update(48.0f, 32.0f, false);
    manager.Update(50.0f, 32.0f, false);
    EXPECT_EQ(owner.hovered, 2);
    EXPECT_EQ(manager.Hovered(), button.get());
    EXPECT_EQ(button->State, kButtonUp) << "the owner decides the state";
    for (int i = 0; i < 3; ++i)
        manager.Update(4.0f, 32.0f, false);
    EXPECT_EQ(owner.left, 1);
    EXPECT_EQ(manager.Hovered(), nullptr);
    button.reset();
    EXPECT_EQ(owner.gone, 1);
}

TEST_F(ElementDrawTest, ConnectedButtonsOwnerIsToldForIt)
{
    auto button = HalfButton();
    Button connected;
    CountingOwner owner;
    connected.owner = &owner;
    button->SetConnectedButton(&connected);
    GetButtonManager().Update(48.0f, 32.0f, false);
    EXPECT_EQ(button->State, kButtonOver);
    EXPECT_EQ(owner.hovered, 1);
    EXPECT_EQ(GetButtonManager().Hovered(), &connected);
    connected.owner = nullptr;
}

TEST_F(ElementDrawTest, MenuFollowsTheCursorOverItsButtons)
{
    WriteTexture("ui/solid.tga", 8, 8, kRed, kRed);
    Menu menu;
    Button left;
    Button right;
    for (Button* button : {&left, &right})
    {
        ASSERT_TRUE(button->UpImage.AddTexture("ui/solid.tga"));
        button->UpImage.width = 32;
        button->UpImage.height = 32;
        menu.AddButton(button);
    }
    menu.AutoAlignButtons(0);
    left.SetAllSpriteVariables();
    right.SetAllSpriteVariables();
    ASSERT_EQ(right.x, 32);
    GetButtonManager().Update(40.0f, 10.0f, false);
    EXPECT_EQ(menu.CurrentButton, &right);
    EXPECT_EQ(right.State, kButtonOver);
    EXPECT_EQ(left.State, kButtonUp);
    GetButtonManager().Update(40.0f, 50.0f, false);
    EXPECT_EQ(menu.CurrentButton, nullptr);
    EXPECT_EQ(right.State, kButtonUp);
}

TEST_F(ElementDrawTest, LargeImageIsHovered)
{
    WriteTexture("ui/large.tga", 1024, 512, kRed, kRed);
    Button button;
    ASSERT_TRUE(button.UpImage.AddTexture("ui/large.tga"));
    button.width = 32;
    button.height = 32;
    GetButtonManager().Update(10.0f, 10.0f, false);
    EXPECT_EQ(button.State, kButtonOver);
}

TEST_F(ElementDrawTest, ReloadedTextureIsReadAgain)
{
    WriteTexture("ui/solid.tga", 8, 8, kRed, kRed);
    Button button;
    ASSERT_TRUE(button.UpImage.AddTexture("ui/solid.tga"));
    button.width = 32;
    button.height = 32;
    GetButtonManager().Update(10.0f, 10.0f, false);
    ASSERT_EQ(button.State, kButtonOver);
    WriteTexture("ui/solid.tga", 8, 8, kClear, kClear);
    ASSERT_TRUE(Texture::Reload(button.UpImage.CurrentTexture(), "ui/solid.tga"));
    GetButtonManager().Update(10.0f, 10.0f, false);
    EXPECT_EQ(button.State, kButtonUp);
}

TEST_F(ElementDrawTest, CopiesHoldTheirOwnTextures)
{
    WriteTexture("ui/white.tga", 8, 8, kWhite, kWhite);
    auto original = std::make_unique<Sprite>();
    ASSERT_TRUE(original->SetTexture("ui/white.tga"));
    original->width = kGLTestWidth;
    original->height = kGLTestHeight;
    Sprite copy(*original);
    AnimSprite frames;
    ASSERT_TRUE(frames.AddTexture("ui/white.tga"));
    auto copiedFrames = std::make_unique<AnimSprite>(frames);
    original.reset();
    frames.ReleaseFrames();
    Clear();
    copy.Render();
    Capture();
    EXPECT_TRUE(IsColour(32, 32, 255, 255, 255)) << "the copy's texture is still alive";
    ASSERT_EQ(copiedFrames->frames.size(), 1u);
    EXPECT_EQ(copiedFrames->CurrentTexture(), copy.texture);
}

TEST_F(ElementDrawTest, CopiedButtonJoinsTheManagerAndTheDeadAreForgotten)
{
    auto button = HalfButton();
    auto copy = std::make_unique<Button>(*button);
    const auto& live = GetButtonManager().Live();
    EXPECT_NE(std::find(live.begin(), live.end(), copy.get()), live.end());
    EXPECT_EQ(copy->buttonName, "Play");
    GetButtonManager().Update(48.0f, 32.0f, true);
    GetButtonManager().UpdateLastOver();
    EXPECT_EQ(GetButtonManager().Hovered(), copy.get());
    copy.reset();
    EXPECT_EQ(GetButtonManager().Hovered(), nullptr);
    FixedString128 name;
    EXPECT_TRUE(GetButtonManager().TakeClicked(name)) << "the click went to the first button";
    button.reset();
    EXPECT_EQ(GetButtonManager().Clicked(), nullptr);
}

TEST_F(ElementDrawTest, ButtonNameIsDrawnWithItsFontAlsoByACopy)
{
    WriteFont("fonts/Boxes", FontSolidBoxes("Boxes", 8, 33, 126, 3, 6, 4));
    auto button = std::make_unique<Button>();
    button->SetFontName("fonts/Boxes.fnt");
    ASSERT_NE(button->Text.font, nullptr) << m_reports.Text();
    button->SetName("AB");
    button->x = 10;
    button->y = 10;
    button->width = 40;
    button->height = 20;
    Button copy(*button);
    button.reset();
    ASSERT_NE(copy.Text.font, nullptr) << "the copy holds the font on its own";
    EXPECT_STREQ(copy.Text.name.c_str(), "fonts/Boxes.fnt");
    Clear();
    copy.Render();
    Capture();
    EXPECT_TRUE(Lit(11, 12)) << "A";
    EXPECT_TRUE(Lit(15, 12)) << "B";
    EXPECT_FALSE(Lit(13, 12)) << "between the letters";
    EXPECT_FALSE(Lit(11, 40));
}

TEST_F(ElementDrawTest, CurveBarDrawsOneQuadPerStep)
{
    CurveBar bar;
    const rgba8888 red(255, 0, 0, 255);
    const rgba8888 black(0, 0, 0, 255);
    EXPECT_EQ(bar.Render(1.0f, 0.25f, red, red, false), 0) << "edges need two points";
    bar.AddPointPair(Vec3(0.0f, 20.0f, 0.0f), Vec3(0.0f, 44.0f, 0.0f));
    bar.AddPointPair(Vec3(64.0f, 20.0f, 0.0f), Vec3(64.0f, 44.0f, 0.0f));
    const struct
    {
        float fill, step;
        int quads;
    } table[] = {{0.5f, 0.25f, 2}, {1.0f, 0.3f, 4},  {0.0f, 0.25f, 0},
                 {1.0f, 0.0f, 0},  {1.0f, -1.0f, 0}, {1.0f, 1e-6f, CurveBar::kMaxQuads}};
    for (const auto& row : table)
        EXPECT_EQ(bar.Render(row.fill, row.step, red, black, false), row.quads)
            << row.fill << " " << row.step;
    Clear();
    bar.Render(0.5f, 0.25f, red, red, true);
    Capture();
    EXPECT_TRUE(IsColour(16, 32, 255, 0, 0));
    EXPECT_FALSE(Lit(48, 32)) << "filled only to half";
    const rgba8888 mid = CurveBarColour(red, black, 0.5f);
    EXPECT_EQ(mid.r, 127);
    EXPECT_EQ(mid.a, 255);
}

TEST_F(ElementDrawTest, LoadingScreenDrawsItsSprites)
{
    WriteTexture("ui/white.tga", 8, 8, kWhite, kWhite);
    Sprite background;
    ASSERT_TRUE(background.SetTexture("ui/white.tga"));
    background.width = kGLTestWidth;
    background.height = 32;
    background.Color = rgba8888(0, 0, 255, 255);
    LoadingScreen screen;
    LoadingScreenSetup setup;
    setup.background = &background;
    screen.Init(setup);
    background.ReleaseTexture();
    Clear();
    screen.Render();
    Capture();
    EXPECT_TRUE(IsColour(32, 16, 0, 0, 255)) << "the screen's own copy draws";
    EXPECT_FALSE(Lit(32, 48));
    screen.Clear();
}

TEST_F(ElementDrawTest, LoadingScreenAnimatesAnAnimatedSpinner)
{
    WriteTexture("ui/spin0.tga", 4, 4, kRed, kRed);
    WriteTexture("ui/spin1.tga", 4, 4, kGreen, kGreen);
    auto spinner = std::make_unique<AnimSprite>();
    ASSERT_TRUE(spinner->AddTexture("ui/spin0.tga"));
    ASSERT_TRUE(spinner->AddTexture("ui/spin1.tga"));
    spinner->width = kGLTestWidth;
    spinner->height = kGLTestHeight;
    LoadingScreen screen;
    LoadingScreenSetup setup;
    setup.spinner = spinner.get();
    screen.Init(setup);
    spinner.reset();
    screen.Start();
    // Four frames a second; the probe sits at the centre the spinner turns about.
    const struct
    {
        float dt;
        int r, g, b;
    } table[] = {{0.0f, 255, 0, 0}, {0.25f, 0, 255, 0}, {0.125f, 0, 255, 0}, {0.125f, 255, 0, 0}};
    for (const auto& row : table)
    {
        screen.Update(row.dt);
        Clear();
        screen.Render();
        Capture();
        EXPECT_TRUE(IsColour(32, 32, row.r, row.g, row.b)) << "after " << screen.Elapsed() << " s";
    }
    screen.Clear();
}
} // namespace

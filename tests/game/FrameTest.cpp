// The application spine driven as the shell drives it, over a small data tree
// whose game script records every call the engine makes into it.

#include "game/App.h"

#include "core/FileTable.h"
#include "core/GameTimer.h"
#include "cross/Render.h"
#include "frontend/LoadingScreen.h"
#include "frontend/UIInterface.h"
#include "game/AppNatives.h"
#include "game/Collision.h"
#include "opengl/GLInfoLog.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "game/TolvanFixedUpdate.h"
#include "platform/CommandLine.h"
#include "platform/Input.h"
#include "platform/ScanCodes.h"
#include "platform/Shell.h"
#include "script/ScriptHost.h"
#include "support/DisplayTestSupport.h"
#include "support/LogCapture.h"
#include "support/ManualClock.h"
#include "support/TempDir.h"

#include <GL/glew.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{
// Each call appends its name (and the frame's dt in milliseconds for
// ViewUpdate) to `calls`;
// GameStep pauses the game when `pauseInStep` is set.
const char* const kRecordingScript = R"(
calls <- "";
pauseInStep <- false;
function Note(name) { ::calls += name + ","; }
function InitOptionData(file) { Note("InitOptionData " + file); }
function LoadOptionData() { Note("LoadOptionData"); }
function SetScreenSize(width, height) { Note("SetScreenSize"); }
function GameCreate() { Note("GameCreate"); }
function QUARNFINALHACKMESSAGES() { Note("QUARNFINALHACKMESSAGES"); }
function GameStep(dt) { Note("GameStep"); if (pauseInStep) { pauseInStep = false; TestPause(); } }
function PausedStep(dt) { Note("PausedStep"); }
function ViewUpdate(dt) { Note("ViewUpdate " + (dt * 1000 + 0.5).tointeger()); }
)";

constexpr uint64_t kStepMicroseconds = 33330;

std::string CurrentFolder()
{
    char folder[4096];
    return getcwd(folder, sizeof folder) ? folder : ".";
}

SQInteger TestPause(HSQUIRRELVM)
{
    g_fixedUpdate.SetPaused(true);
    return 0;
}

class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!DisplayAvailable())
            GTEST_SKIP() << "no display";
        ASSERT_TRUE(dir.WriteFile("data/enums.nut", "// nothing\n"));
        ASSERT_TRUE(dir.WriteFile("data/game.nut", kRecordingScript));
        ASSERT_TRUE(dir.MakeFolder("bin"));
        ASSERT_EQ(chdir(dir.PathOf("bin").c_str()), 0);
        setenv("PENDREL_PLATFORM", "off", 1);
    }

    void TearDown() override
    {
        if (m_started)
            AppShutdown();
        g_fixedUpdate.SetPaused(false);
        unsetenv("PENDREL_PLATFORM");
        chdir(m_previousFolder.c_str());
        if (HasFailure())
            m_reports.Print();
    }

    void Start(const char* options)
    {
        CommandLineSet(options);
        GameTimeChannelsReset();
        AppInit();
        m_started = true;
        HSQUIRRELVM vm = ScriptGetVM();
        sq_pushroottable(vm);
        sq_pushstring(vm, "TestPause", -1);
        sq_newclosure(vm, TestPause, 0);
        sq_newslot(vm, -3, SQFalse);
        sq_pop(vm, 1);
    }

    // The calls recorded since the last look, and a fresh record.
    std::string TakeCalls()
    {
        const std::string calls = Global("calls");
        ScriptRun("calls <- \"\";");
        return calls;
    }

    std::string Global(const char* name)
    {
        HSQUIRRELVM vm = ScriptGetVM();
        const SQInteger top = sq_gettop(vm);
        sq_pushroottable(vm);
        sq_pushstring(vm, name, -1);
        const SQChar* text = "";
        std::string value;
        if (SQ_SUCCEEDED(sq_get(vm, -2)) && SQ_SUCCEEDED(sq_getstring(vm, -1, &text)))
            value = text;
        sq_settop(vm, top);
        return value;
    }

    void ScriptRun(const char* code)
    {
        HSQUIRRELVM vm = ScriptGetVM();
        const SQInteger top = sq_gettop(vm);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(vm, code, SQInteger(strlen(code)), "test", SQTrue)));
        sq_pushroottable(vm);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(vm, 1, SQFalse, SQTrue)));
        sq_settop(vm, top);
    }

    void FrameAfter(uint64_t microseconds)
    {
        clock.Advance(microseconds);
        MessagePump();
        AppFrame();
    }

    static std::string Repeat(const std::string& text, int count)
    {
        std::string result;
        for (int i = 0; i < count; ++i)
            result += text;
        return result;
    }

    LogCapture m_reports;
    ManualClock clock;
    TempDir dir;
    std::string m_previousFolder = CurrentFolder();
    bool m_started = false;
};

class FrameWithOptionsTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ASSERT_TRUE(dir.WriteFile("OptionData.txt", "windowed\n"));
    }
};
} // namespace

TEST_F(FrameWithOptionsTest, StartUpAndAFrameCallTheScriptInOrder)
{
    Start("-nosound");
    EXPECT_EQ(TakeCalls(), "InitOptionData OptionData.txt,LoadOptionData,SetScreenSize,GameCreate,");
    FrameAfter(kStepMicroseconds + 100);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,GameStep,ViewUpdate 33,");
    FrameAfter(kStepMicroseconds / 2);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,ViewUpdate 17,");
}

TEST_F(FrameTest, WithoutAnOptionFileTheDisplayIsAskedForFullScreenBeforeTheScripts)
{
    Start("-nosound");
    EXPECT_EQ(TakeCalls(), "InitOptionData OptionData.txt,SetScreenSize,GameCreate,");
    EXPECT_NE(std::string(CommandLineGet()).find(" -fullscreen"), std::string::npos) << CommandLineGet();
}

// A first run's script writes the option file it was told of, as a game
// does: the display started before the scripts is the one the frames draw
// with, not replaced by a second start once the file exists.
TEST_F(FrameTest, AFirstRunWhoseScriptWritesTheOptionFileStartsTheDisplayOnce)
{
    ASSERT_TRUE(dir.WriteFile("data/game.nut", std::string(kRecordingScript) + R"(
function InitOptionData(file) {
    Note("InitOptionData " + file);
    local text = composer();
    text.Init(64);
    text.AddToken("windowed", 0, "1", 0);
    SaveLoadFunctions().WriteToFile(text, file, false);
}
)"));
    ASSERT_TRUE(CreateMainWindow(true));
    // Each start of the renderer writes the driver's capabilities there. The
    // shell opens it before anything is mounted, in the working folder.
    GetFileTable().SetRoot("");
    GLInfoLogOpen();
    Start("-nosound");
    EXPECT_EQ(TakeCalls(), "InitOptionData OptionData.txt,LoadOptionData,SetScreenSize,GameCreate,");
    EXPECT_EQ(dir.ReadFile("OptionData.txt"), "windowed\t1\n");
    for (int frame = 0; frame < 3; ++frame)
        FrameAfter(kStepMicroseconds + 100);
    GLInfoLogClose();
    const std::string capabilities = dir.ReadFile("bin/tolvanGFX.log");
    const std::string start = "Using Vertex array objects";
    ASSERT_NE(capabilities.find(start), std::string::npos) << capabilities;
    EXPECT_EQ(capabilities.find(start), capabilities.rfind(start)) << "the renderer started twice";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const std::string log = dir.ReadFile("tolvan.log");
    EXPECT_EQ(log.find("- OpenGL:"), std::string::npos) << log;
}

TEST_F(FrameWithOptionsTest, APauseFromGameStepStopsThatStepsWorldPhase)
{
    Start("-nosound");
    TakeCalls();
    ScriptRun("pauseInStep <- true;");
    FrameAfter(kStepMicroseconds + 100);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,GameStep,ViewUpdate 33,");
    EXPECT_EQ(GameTimeChannelNow(0), 0.0f) << "the world phase ran after the pause";
    FrameAfter(kStepMicroseconds + 100);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,PausedStep,ViewUpdate 33,");
    EXPECT_EQ(GameTimeChannelNow(0), 0.0f);
    g_fixedUpdate.SetPaused(false);
    FrameAfter(kStepMicroseconds);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,GameStep,ViewUpdate 33,");
    EXPECT_GT(GameTimeChannelNow(0), 0.0f);
}

TEST_F(FrameWithOptionsTest, AStallIsClampedToATenthAndFiveSteps)
{
    Start("-nosound");
    TakeCalls();
    FrameAfter(2000000);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES," + Repeat("GameStep,", 5) + "ViewUpdate 100,");
    // The backlog beyond five steps is dropped, not run later.
    FrameAfter(1000);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,ViewUpdate 1,");
}

TEST_F(FrameWithOptionsTest, DorrinhalRunsItsCountOfStepsWheneverOneIsDue)
{
    Start("-nosound -dorrinhal 3");
    TakeCalls();
    FrameAfter(kStepMicroseconds);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES," + Repeat("GameStep,", 3) + "ViewUpdate 33,");
    FrameAfter(kStepMicroseconds / 2);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,ViewUpdate 17,");
    // The half step waiting is not carried: the next due frame runs three again.
    FrameAfter(kStepMicroseconds * 2);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES," + Repeat("GameStep,", 3) + "ViewUpdate 67,");
}

TEST_F(FrameWithOptionsTest, F3WritesTheStepsProfileBetweenRules)
{
    Start("-nosound");
    SDL_Event press = {};
    press.type = SDL_KEYDOWN;
    press.key.state = SDL_PRESSED;
    press.key.keysym.scancode = SDL_SCANCODE_F3;
    ASSERT_EQ(SDL_PushEvent(&press), 1) << SDL_GetError();
    FrameAfter(kStepMicroseconds + 100);
    const std::string log = dir.ReadFile("tolvan.log");
    const size_t open = log.find(std::string(80, '-') + "\n");
    const size_t close = log.find(std::string(80, '^') + "\n");
    ASSERT_NE(open, std::string::npos) << log;
    ASSERT_NE(close, std::string::npos) << log;
    EXPECT_LT(open, close);
    EXPECT_NE(log.find("GameStep", open), std::string::npos) << log.substr(open);
}

// Each change replaces the display options the last one added, and the GL
// context moves to the new window with everything made in it.
TEST_F(FrameWithOptionsTest, ScreenSizeChangesKeepTheContextAndTheCommandLine)
{
    // The shell makes the first window before the application starts.
    ASSERT_TRUE(CreateMainWindow(false));
    Start("-nosound");
    Texture* white = TextureBuiltin(kTextureDefaultWhite);
    ASSERT_NE(white, nullptr);
    const GLuint name = white->m_glName;
    const int changes = 10;
    for (int i = 0; i < changes; ++i)
        AppChangeScreenSize(320 + 16 * i, 200, false);
    const int width = 320 + 16 * (changes - 1);
    const std::string line = CommandLineGet();
    EXPECT_EQ(line.find(" -rsize"), line.rfind(" -rsize")) << line;
    EXPECT_NE(line.find(" -rsize " + std::to_string(width) + " 200 -windowed"), std::string::npos) << line;
    unsigned renderWidth = 0, renderHeight = 0;
    RenderGetSize(renderWidth, renderHeight);
    EXPECT_EQ(renderWidth, unsigned(width));
    EXPECT_EQ(renderHeight, 200u);
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(GetMainWindow(), &windowWidth, &windowHeight);
    EXPECT_EQ(windowWidth, width);
    EXPECT_EQ(SDL_GL_GetCurrentWindow(), GetMainWindow());
    EXPECT_TRUE(glIsTexture(name)) << "the texture went with the old window";
    FrameAfter(kStepMicroseconds + 100);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(dir.ReadFile("tolvan.log").find("could not"), std::string::npos) << dir.ReadFile("tolvan.log");

    AppChangeScreenSize(0, 200, false);
    EXPECT_NE(dir.ReadFile("tolvan.log").find("ChangeScreenSize"), std::string::npos);
    RenderGetSize(renderWidth, renderHeight);
    EXPECT_EQ(renderWidth, unsigned(width));
}

// The UI screens are fitted to the window it has now, not the first one, so
// their items sit and take clicks where they are drawn.
TEST_F(FrameWithOptionsTest, TheUIViewportFollowsScreenSizeChanges)
{
    ASSERT_TRUE(CreateMainWindow(false));
    Start("-nosound");
    AppChangeScreenSize(400, 300, false);
    const float* viewport = GetUIInterface().GetViewport();
    EXPECT_EQ(viewport[0], 400.0f);
    EXPECT_EQ(viewport[1], 300.0f);
    // A refused size leaves the fit alone.
    AppChangeScreenSize(-5, 300, false);
    EXPECT_EQ(viewport[0], 400.0f);
    EXPECT_EQ(viewport[1], 300.0f);
}

// Collisions are paired in the world phase, after GameStep; the shutdown lets
// go of the tables and the instances they hold while the VM still stands.
TEST_F(FrameWithOptionsTest, TheStepPairsCollisionsAfterGameStepAndShutdownFreesThem)
{
    Start("-nosound");
    TakeCalls();
    ScriptRun(R"(
class Gem extends Prop { constructor(p) { base.constructor(p); } }
function Touch(a, b, dt) { Note("Touch"); }
Collision.InitAsGrid(4, -10, -10, 10, 10, 5);
Collision.RegisterSphereObject(InstanceCreate(Gem, Vec3(0, 0, 0)), "a", 0);
Collision.RegisterSphereObject(InstanceCreate(Gem, Vec3(1, 0, 0)), "b", 0);
Collision.RegisterCallback("a", "b", "Touch", false, 2.0);
)");
    FrameAfter(kStepMicroseconds + 100);
    EXPECT_EQ(TakeCalls(), "QUARNFINALHACKMESSAGES,GameStep,Touch,ViewUpdate 33,");
    AppShutdown();
    m_started = false;
    EXPECT_FALSE(CollisionIsInitialised());
    EXPECT_EQ(CollisionCallbackCount(), 0);
}

TEST_F(FrameWithOptionsTest, WhileTheLoadingScreenIsUpFramesStepAndDrawIt)
{
    Start("-nosound");
    ScriptRun("local white = rgba8888(255, 255, 255, 255);"
              "StartLoadingScreen(Sprite(), \"Loading\", \"\", white, Sprite(), \"\", \"\", white, Sprite(),"
              " Sprite(), Sprite());");
    ASSERT_TRUE(GetLoadingScreen().IsActive());
    TakeCalls();
    for (int i = 0; i < 6; ++i)
        FrameAfter(100000);
    EXPECT_NEAR(GetLoadingScreen().Elapsed(), 0.6f, 0.001f) << "each frame steps the loading screen";
    EXPECT_STREQ(GetLoadingScreen().Dots(), ".") << "one dot after more than half a second";
    EXPECT_EQ(TakeCalls(), Repeat("QUARNFINALHACKMESSAGES,GameStep,GameStep,GameStep,ViewUpdate 100,", 6));
    ScriptRun("FinishLoadingScreen();");
    EXPECT_FALSE(GetLoadingScreen().IsActive());
    FrameAfter(100000);
    EXPECT_NEAR(GetLoadingScreen().Elapsed(), 0.6f, 0.001f) << "a finished screen is not stepped";
}

#include "platform/Shell.h"

#include "PlatformTestSupport.h"
#include "core/AtomicFile.h"
#include "platform/CommandLine.h"
#include "platform/Input.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// A stand-in application; a frame budget keeps a broken quit from hanging.
constexpr int kFrameBudget = 50;

class SecondProcess;
int StartSecondProcess(SecondProcess& process);

struct TestApplication
{
    int inits = 0;
    int frames = 0;
    int shutdowns = 0;
    int quitAtFrame = 1;
    bool raiseTermAtFirstFrame = false;
    bool pushAltF4AtFirstFrame = false;
    // When not negative, the quit asks for this exit code.
    int quitExitCode = -1;
    bool screenSaverHeldOff = false;
    int secondProcessResult = -1;
    SecondProcess* secondProcess = nullptr;
    // When set, init writes a file larger than the file size limit there.
    std::string cutWritePath;
    bool cutWriteSucceeded = true;
};

TestApplication g_app;

// A write past the file size limit, with the limit put back afterwards.
bool WritePastTheFileSizeLimit(const std::string& path)
{
    rlimit previous = {};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::vector<uint8_t> save(64 * 1024, 0x5a);
    const bool written = WriteFileAtomically(path.c_str(), save.data(), save.size());
    setrlimit(RLIMIT_FSIZE, &previous);
    return written;
}

int TestInit()
{
    ++g_app.inits;
    InputInit();
    if (!g_app.cutWritePath.empty())
        g_app.cutWriteSucceeded = WritePastTheFileSizeLimit(g_app.cutWritePath);
    return 1;
}

void RaiseTermWhileTheLogsOpen()
{
    raise(SIGTERM);
}

void TestFrame()
{
    ++g_app.frames;
    InputUpdate();
    if (g_app.frames == 1)
    {
        g_app.screenSaverHeldOff = !SDL_IsScreenSaverEnabled();
        if (g_app.raiseTermAtFirstFrame)
            raise(SIGTERM);
        if (g_app.pushAltF4AtFirstFrame)
        {
            PushKey(SDL_SCANCODE_RALT, true);
            PushKey(SDL_SCANCODE_F4, true);
        }
        if (g_app.secondProcess)
            g_app.secondProcessResult = StartSecondProcess(*g_app.secondProcess);
    }
    if (g_app.frames == g_app.quitAtFrame && g_app.quitExitCode >= 0)
        RequestQuitWithExitCode(g_app.quitExitCode);
    else if (g_app.frames == g_app.quitAtFrame || g_app.frames >= kFrameBudget)
        RequestQuit();
}

void TestShutdown()
{
    ++g_app.shutdowns;
    InputShutdown();
}

// The program started a second time, in a process forked before the first
// touches the window system: it waits until told to start, runs the shell
// with the stand-in application and ends with the shell's exit code.
class SecondProcess
{
public:
    SecondProcess()
    {
        if (pipe(m_pipe) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0)
            RunChild();
        close(m_pipe[0]);
    }

    ~SecondProcess() { Start(); }

    // Lets the second process run and waits for its exit code; -1 when it did not end normally.
    int Start()
    {
        if (m_pid <= 0)
            return -1;
        const bool told = write(m_pipe[1], "g", 1) == 1;
        close(m_pipe[1]);
        int status = 0;
        const bool ended = waitpid(m_pid, &status, 0) == m_pid;
        m_pid = -1;
        return told && ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    [[noreturn]] void RunChild()
    {
        close(m_pipe[1]);
        char go = 0;
        if (read(m_pipe[0], &go, 1) != 1)
            _exit(99);
        g_app = TestApplication();
        char name[] = "pendrel";
        char* argv[] = {name, nullptr};
        _exit(ShellMain(1, argv, ShellApplication{TestInit, TestFrame, TestShutdown}));
    }

    int m_pipe[2] = {-1, -1};
    pid_t m_pid = -1;
};

int StartSecondProcess(SecondProcess& process)
{
    return process.Start();
}

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override { g_app = TestApplication(); }

    int Run(const char* arguments = nullptr)
    {
        char name[] = "pendrel";
        char* argv[3] = {name, const_cast<char*>(arguments), nullptr};
        return ShellMain(arguments ? 2 : 1, argv, ShellApplication{TestInit, TestFrame, TestShutdown});
    }

    TempDir m_folder;
    ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_folder.Path().c_str()};
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_folder.Path().c_str()};
    ScopedEnv m_instance{"PENDREL_INSTANCE", "ShellTest"};
};

TEST_F(ShellTest, RunsInitFramesAndShutdownAndEndsWithOne)
{
    g_app.quitAtFrame = 3;
    EXPECT_EQ(Run("-windowed -rsize 800 600"), kShellExitDone);
    EXPECT_EQ(g_app.inits, 1);
    EXPECT_EQ(g_app.frames, 3);
    EXPECT_EQ(g_app.shutdowns, 1);
    EXPECT_TRUE(g_app.screenSaverHeldOff);
    EXPECT_STREQ(CommandLineGet(), "-windowed -rsize 800 600");
    EXPECT_EQ(GetMainWindow(), nullptr);
    // Nothing of the user's lasts beyond the run: the folder holds the lock file alone.
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path()))
        EXPECT_EQ(entry.path().filename(), "ShellTest.lock");
}

TEST_F(ShellTest, AQuitWithAnExitCodeEndsWithItOnceAndTheNextRunWithOne)
{
    g_app.quitAtFrame = 2;
    g_app.quitExitCode = 0;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_app.frames, 2);
    EXPECT_EQ(g_app.shutdowns, 1);

    g_app = TestApplication();
    EXPECT_EQ(Run(), kShellExitDone);
}

TEST_F(ShellTest, SecondInstanceIsRefusedWhileTheFirstRuns)
{
    SecondProcess second;
    g_app.secondProcess = &second;
    EXPECT_EQ(Run(), kShellExitDone);
    EXPECT_EQ(g_app.secondProcessResult, kShellExitOtherInstance);
    EXPECT_EQ(g_app.frames, 1);
}

TEST_F(ShellTest, AnotherInstanceNameRunsBesideAHeldOne)
{
    SingleInstance first;
    ASSERT_TRUE(first.Acquire("ShellTest"));
    EXPECT_EQ(Run(), kShellExitOtherInstance);
    EXPECT_EQ(g_app.inits, 0);

    ScopedEnv other("PENDREL_INSTANCE", "ShellTestBeside");
    EXPECT_EQ(Run(), kShellExitDone);
    EXPECT_EQ(g_app.inits, 1);
}

TEST_F(ShellTest, NoWindowEndsWithTwo)
{
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "no-such-driver", SDL_HINT_OVERRIDE);
    LogCapture reports;
    EXPECT_EQ(Run(), kShellExitNoWindow);
    EXPECT_EQ(g_app.inits, 0);
    EXPECT_NE(reports.Text().find("could not start the window system"), std::string::npos);
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
}

TEST_F(ShellTest, TermSignalQuitsLikeAClose)
{
    g_app.quitAtFrame = 0;
    g_app.raiseTermAtFirstFrame = true;
    EXPECT_EQ(Run(), kShellExitDone);
    EXPECT_EQ(g_app.frames, 1);
    EXPECT_EQ(g_app.shutdowns, 1);
}

// A quit signal that comes before the loop (while the logs open) is served
// by the first pump: no frame runs, and shutdown still does.
TEST_F(ShellTest, TermSignalDuringStartUpQuitsBeforeTheFirstFrame)
{
    char name[] = "pendrel";
    char* argv[] = {name, nullptr};
    ShellApplication application{TestInit, TestFrame, TestShutdown};
    application.openLogs = RaiseTermWhileTheLogsOpen;
    EXPECT_EQ(ShellMain(1, argv, application), kShellExitDone);
    EXPECT_EQ(g_app.inits, 1);
    EXPECT_EQ(g_app.frames, 0);
    EXPECT_EQ(g_app.shutdowns, 1);
}

// A save cut by the file size limit fails as any failed write does, and the
// engine lives on: the limit's signal does not end it.
TEST_F(ShellTest, AWritePastTheFileSizeLimitFailsAndTheRunGoesOn)
{
    g_app.quitAtFrame = 2;
    g_app.cutWritePath = m_folder.PathOf("save.dat");
    EXPECT_EQ(Run(), kShellExitDone);
    EXPECT_FALSE(g_app.cutWriteSucceeded);
    EXPECT_FALSE(std::filesystem::exists(g_app.cutWritePath));
    EXPECT_EQ(g_app.frames, 2);
}

TEST_F(ShellTest, AltF4FromTheKeyTableQuits)
{
    g_app.quitAtFrame = 0;
    g_app.pushAltF4AtFirstFrame = true;
    EXPECT_EQ(Run(), kShellExitDone);
    EXPECT_EQ(g_app.frames, 2);
}

// The window tests drive the shell's pieces without its loop.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { ShellResetQuit(); }

    void TearDown() override
    {
        DestroyMainWindow();
        SDL_Quit();
        ShellResetQuit();
    }

    static void ExpectPosition(int x, int y)
    {
        int actualX = -1;
        int actualY = -1;
        SDL_GetWindowPosition(GetMainWindow(), &actualX, &actualY);
        EXPECT_EQ(actualX, x);
        EXPECT_EQ(actualY, y);
    }

    TempDir m_folder;
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_folder.Path().c_str()};
};

TEST_F(MainWindowTest, WindowIsHiddenAndReadyForOpenGL)
{
    for (const bool popup : {true, false})
    {
        ASSERT_TRUE(CreateMainWindow(popup)) << SDL_GetError();
        const Uint32 flags = SDL_GetWindowFlags(GetMainWindow());
        EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
        EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN);
        EXPECT_EQ((flags & SDL_WINDOW_BORDERLESS) != 0, popup);
        SetWindowTitle("Tolvan");
        EXPECT_STREQ(SDL_GetWindowTitle(GetMainWindow()), "Tolvan");
        DestroyMainWindow();
        EXPECT_EQ(GetMainWindow(), nullptr);
    }
}

TEST_F(MainWindowTest, MovedPositionIsWrittenAndRestored)
{
    ASSERT_TRUE(CreateMainWindow(false)) << SDL_GetError();
    ExpectPosition(0, 0);
    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_MOVED, 100, 50);
    MessagePump();
    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_MOVED, 123, 77);
    MessagePump();
    const std::string path = SettingsStore::PathOfKey(kShellSettingsKey).c_str();
    EXPECT_FALSE(std::filesystem::exists(path)) << "written only when the move has ended";
    MessagePump();

    SettingsStore settings;
    ASSERT_TRUE(settings.Open(kShellSettingsKey));
    uint32_t x = 0;
    uint32_t y = 0;
    ASSERT_TRUE(settings.ReadDword(kWindowPosXName, x));
    ASSERT_TRUE(settings.ReadDword(kWindowPosYName, y));
    EXPECT_EQ(x, 123u);
    EXPECT_EQ(y, 77u);

    DestroyMainWindow();
    ASSERT_TRUE(CreateMainWindow(false));
    ExpectPosition(123, 77);
    ASSERT_TRUE(CreateMainWindow(true));
    ExpectPosition(0, 0);
}

TEST_F(MainWindowTest, MoveStillGoingWhenTheWindowClosesIsKept)
{
    ASSERT_TRUE(CreateMainWindow(false)) << SDL_GetError();
    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_MOVED, -20, 40);
    MessagePump();
    DestroyMainWindow();
    ASSERT_TRUE(CreateMainWindow(false));
    ExpectPosition(-20, 40);
}

TEST_F(MainWindowTest, PopupMovesAreNotKept)
{
    ASSERT_TRUE(CreateMainWindow(true)) << SDL_GetError();
    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_MOVED, 300, 200);
    MessagePump();
    MessagePump();
    SettingsStore settings;
    EXPECT_FALSE(settings.Open(kShellSettingsKey));
}

TEST_F(MainWindowTest, PositionThatIsNotADwordLeavesTheWindowAtTheOrigin)
{
    m_folder.WriteFile("Yrn/Pendrel.settings", "windowposx=sz:123\nwindowposy=dword:0000004d\n");
    ASSERT_TRUE(CreateMainWindow(false)) << SDL_GetError();
    ExpectPosition(0, 0);
}

TEST_F(MainWindowTest, CloseWhileQuittingIsDisallowedDoesNotEndTheLoop)
{
    ASSERT_TRUE(CreateMainWindow(false)) << SDL_GetError();
    QuitDisallow();
    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(MessagePump());
    QuitAllow();
    EXPECT_FALSE(MessagePump()) << "a close that was refused is not remembered";

    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_CLOSE);
    EXPECT_TRUE(MessagePump());
}

TEST_F(MainWindowTest, RequestedQuitWaitsUntilQuittingIsAllowed)
{
    ASSERT_TRUE(CreateMainWindow(false)) << SDL_GetError();
    QuitDisallow();
    RequestQuit();
    EXPECT_FALSE(MessagePump());
    EXPECT_FALSE(QuitAllowed());
    QuitAllow();
    EXPECT_TRUE(MessagePump());
}

TEST(ShellConstants, PlatformNameAndSavePrefix)
{
    EXPECT_STREQ(PlatformNameString(), "win");
    EXPECT_STREQ(GetSavePathPrefix(), "");
    EXPECT_FALSE(AlwaysFalse());
    EXPECT_TRUE(AlwaysTrue());
}
} // namespace

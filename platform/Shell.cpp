#include "platform/Shell.h"

#include "core/FileTable.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "platform/CommandLine.h"
#include "platform/InotifyWatch.h"
#include "platform/Input.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "platform/WindowSystemLoss.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <string>

namespace
{
constexpr int kWindowWidth = 512;
constexpr int kWindowHeight = 384;

SDL_Window* g_window = nullptr;
bool g_focused = false;
bool g_popup = false;
// The title outlives the window: the display makes the window again for its
// pixel format, and screen-size changes make a new one.
std::string g_title = "Pendrel";
bool g_quit = false;
bool g_quitAllowed = true;
int g_exitCode = kShellExitDone;
// Why the last CreateMainWindow failed, for the line a refused start prints.
std::string g_noWindowReason;
volatile std::sig_atomic_t g_signalledQuit = 0;

struct MovedPosition
{
    bool waiting;
    bool movedInThisPump;
    int x;
    int y;
};
MovedPosition g_movedPosition = {false, false, 0, 0};

struct sigaction g_previousTerm;
struct sigaction g_previousInt;
struct sigaction g_previousFileSize;

void OnQuitSignal(int)
{
    g_signalledQuit = 1;
}

// SIGTERM and SIGINT ask to quit as a window close would. Installed first,
// before the logs open and before SDL starts (so SDL leaves them to us): a
// quit asked for during start-up is served once the loop runs. A write past
// the file size limit would end the process by SIGXFSZ; ignored, the write
// fails with EFBIG, and a save cut that way fails and is reported.
void InstallProcessSignals()
{
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, &g_previousTerm);
    sigaction(SIGINT, &action, &g_previousInt);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &g_previousFileSize);
}

void RestoreProcessSignals()
{
    sigaction(SIGTERM, &g_previousTerm, nullptr);
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGXFSZ, &g_previousFileSize, nullptr);
}

void KeepCommandLine(int argc, char** argv)
{
    FixedString<kCommandLineSize> line;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            line.AppendChar(' ');
        line.Append(argv[i]);
    }
    EmptyFunction("Pendrel App command line: %s\n", line.c_str());
    CommandLineSet(line);
    CommandLineReset();
}

// Both values must read as DWORDs, else the window keeps (0, 0).
void ReadWindowPosition(int& x, int& y)
{
    SettingsStore settings;
    uint32_t storedX = 0;
    uint32_t storedY = 0;
    if (settings.Open(kShellSettingsKey) && settings.ReadDword(kWindowPosXName, storedX) &&
        settings.ReadDword(kWindowPosYName, storedY))
    {
        // Positions left of or above the first screen are negative numbers.
        x = static_cast<int32_t>(storedX);
        y = static_cast<int32_t>(storedY);
    }
}

// The normal place of a framed window is kept; a full-screen, maximised or
// popup window's place is not where the player put it.
bool IsWindowInItsNormalPlace()
{
    const Uint32 notNormal =
        SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED;
    return g_window && !g_popup && !(SDL_GetWindowFlags(g_window) & notNormal);
}

void SaveWindowPosition(int x, int y)
{
    SettingsStore settings;
    settings.Open(kShellSettingsKey);
    uint32_t storedX = 0;
    uint32_t storedY = 0;
    if (settings.ReadDword(kWindowPosXName, storedX) && settings.ReadDword(kWindowPosYName, storedY) &&
        static_cast<int32_t>(storedX) == x && static_cast<int32_t>(storedY) == y)
        return;
    if (settings.SetDword(kWindowPosXName, static_cast<uint32_t>(x)) &&
        settings.SetDword(kWindowPosYName, static_cast<uint32_t>(y)))
        settings.Save();
}

// A drag moves the window many times; the place is written once the window
// has stood still for a whole pump, as at the end of a move.
void OnWindowMoved(int x, int y)
{
    if (!IsWindowInItsNormalPlace())
        return;
    g_movedPosition = {true, true, x, y};
}

void SaveEndedMove()
{
    if (!g_movedPosition.waiting)
        return;
    if (g_movedPosition.movedInThisPump)
    {
        g_movedPosition.movedInThisPump = false;
        return;
    }
    g_movedPosition.waiting = false;
    SaveWindowPosition(g_movedPosition.x, g_movedPosition.y);
}

bool IsMainWindowEvent(const SDL_WindowEvent& event)
{
    return g_window && event.windowID == SDL_GetWindowID(g_window);
}

void OnWindowEvent(const SDL_WindowEvent& event)
{
    if (!IsMainWindowEvent(event))
        return;
    switch (event.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        if (g_quitAllowed)
            g_quit = true;
        break;
    case SDL_WINDOWEVENT_MOVED:
        OnWindowMoved(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        g_focused = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        g_focused = false;
        break;
    default:
        break;
    }
}

void DispatchEvent(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_QUIT:
        if (g_quitAllowed)
            g_quit = true;
        break;
    case SDL_WINDOWEVENT:
        OnWindowEvent(event.window);
        break;
    default:
        InputHandleEvent(event);
        break;
    }
}

// Standard error is read when there is no window to show a report in.
void ReportRefusedStart(const char* reason)
{
    fprintf(stderr, "Pendrel cannot start: %s\n", reason);
    fflush(stderr);
    LogError("Pendrel cannot start: %s\n", reason);
}

bool IsAltF4Pressed()
{
    return InputIsKeyNewlyDown(KEY_F4) && (InputIsKeyDown(KEY_LALT) || InputIsKeyDown(KEY_RALT));
}

// The window system goes with the last window; the screen saver, held off
// only while we run, is the system's again.
void StopWindowSystem()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_EnableScreenSaver();
    DestroyMainWindow();
    // SDL holds a second connection to a lost server, one no break was seen
    // on yet: closing it would meet the break, and Xlib would end the
    // process there. The process ends next, which closes it as well.
    if (!WindowSystemLost())
        SDL_Quit();
}
} // namespace

int ShellMain(int argc, char** argv, const ShellApplication& application)
{
    ShellResetQuit();
    InstallProcessSignals();
    SingleInstance instance;
    if (!instance.Acquire(SingleInstance::InstanceName()))
    {
        RestoreProcessSignals();
        return kShellExitOtherInstance;
    }
    if (application.openLogs)
        application.openLogs();
    KeepCommandLine(argc, argv);
    InstallDirectoryWatch();
    if (!CreateMainWindow(true))
    {
        ReportRefusedStart(g_noWindowReason.c_str());
        StopWindowSystem();
        RestoreProcessSignals();
        if (application.closeLogs)
            application.closeLogs();
        return kShellExitNoWindow;
    }
    // Held off for this process only; the user's settings stay as they were.
    SDL_DisableScreenSaver();
    application.init();
    while (!MessagePump())
    {
        application.frame();
        if (IsAltF4Pressed())
            RequestQuit();
    }
    application.shutdown();
    StopWindowSystem();
    RestoreProcessSignals();
    if (application.closeLogs)
        application.closeLogs();
    return g_exitCode;
}

void ShellRefuseStart(const char* reason)
{
    ReportRefusedStart(reason);
    RequestQuitWithExitCode(kShellExitNoWindow);
}

const char* ShellWindowSystemName()
{
    const char* name = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    return name ? name : "none";
}

// A busy X server now and then turns a new connection away; it is asked a few
// more times, a tenth of a second apart, before the start counts as failed.
// Without a display named there is no server to ask again.
static bool StartVideoWithRetries()
{
    const int kAttempts = getenv("DISPLAY") ? 8 : 1;
    for (int attempt = 1;; ++attempt)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return true;
        if (attempt == kAttempts)
            return false;
        SDL_Delay(100);
    }
}

bool CreateMainWindow(bool popup)
{
    // The GL entry points load through GLX, so only an X window can be drawn
    // in: without a reachable X server the start fails here, not on a window
    // system whose context then cannot load them (SDL's offscreen one, chosen
    // when DISPLAY is unset). A driver named in SDL_VIDEODRIVER still wins.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (!SDL_WasInit(SDL_INIT_VIDEO) && !StartVideoWithRetries())
    {
        g_noWindowReason = std::string("the window system could not start: ") + SDL_GetError() +
                           (getenv("DISPLAY") ? "" : " (DISPLAY is not set)");
        LogError("Pendrel Shell could not start the window system: %s\n", SDL_GetError());
        return false;
    }
    DestroyMainWindow();
    int x = 0;
    int y = 0;
    if (!popup)
        ReadWindowPosition(x, y);
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (popup ? SDL_WINDOW_BORDERLESS : 0);
    g_window = SDL_CreateWindow(g_title.c_str(), x, y, kWindowWidth, kWindowHeight, flags);
    // A new window is in front once the window system says so.
    g_focused = false;
    g_popup = popup;
    if (!g_window)
    {
        g_noWindowReason = std::string("the main window could not be created: ") + SDL_GetError();
        LogError("Pendrel Shell could not create the main window: %s\n", SDL_GetError());
    }
    WindowSystemLossWatch(g_window);
    return g_window != nullptr;
}

void DestroyMainWindow()
{
    if (g_movedPosition.waiting)
        SaveWindowPosition(g_movedPosition.x, g_movedPosition.y);
    g_movedPosition = {false, false, 0, 0};
    if (g_window)
        SDL_DestroyWindow(g_window);
    g_window = nullptr;
}

SDL_Window* GetMainWindow()
{
    return g_window;
}

bool ShellIsForeground()
{
    return !g_window || g_focused;
}

void SetWindowTitle(const char* text)
{
    g_title = text;
    if (g_window)
        SDL_SetWindowTitle(g_window, text);
}

void RequestQuit()
{
    g_quit = true;
}

void RequestQuitWithExitCode(int code)
{
    g_exitCode = code;
    g_quit = true;
}

void ShellResetQuit()
{
    g_exitCode = kShellExitDone;
    g_quit = false;
    g_quitAllowed = true;
    g_signalledQuit = 0;
}

void QuitDisallow()
{
    g_quitAllowed = false;
}
void QuitAllow()
{
    g_quitAllowed = true;
}
bool QuitAllowed()
{
    return g_quitAllowed;
}

bool MessagePump()
{
    FileWatchPoll();
    SDL_Event event;
    while (SDL_PollEvent(&event))
        DispatchEvent(event);
    SaveEndedMove();
    if (g_signalledQuit)
        g_quit = true;
    // Nothing can be shown any more, so no display change holds the run.
    if (WindowSystemLost())
    {
        g_exitCode = kShellExitWindowSystemLost;
        return true;
    }
    return g_quit && g_quitAllowed;
}

const char* PlatformNameString()
{
    return kPlatformName;
}
const char* GetSavePathPrefix()
{
    return "";
}
bool AlwaysFalse()
{
    return false;
}
bool AlwaysTrue()
{
    return true;
}

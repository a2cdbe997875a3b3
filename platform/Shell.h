#pragma once
// The application shell: the one running instance, the main window, the
// message pump, quitting, and the program's entry that runs the
// application's init, frames and shutdown.

struct SDL_Window;

// What the shell drives; the game installs its spine here.
struct ShellApplication
{
    int (*init)();
    void (*frame)();
    void (*shutdown)();
    // Run once this process is the one instance, before anything else, and
    // after everything else: the program's own log files are opened and
    // closed here, so a refused second start leaves the running one's alone.
    void (*openLogs)() = nullptr;
    void (*closeLogs)() = nullptr;
};

// Exit codes of ShellMain.
constexpr int kShellExitOtherInstance = 0;
constexpr int kShellExitDone = 1;
constexpr int kShellExitNoWindow = 2;
constexpr int kShellExitWindowSystemLost = 3;

// The settings key that keeps the window position, and its two values.
constexpr char kShellSettingsKey[] = "SOFTWARE\\Yrn\\Pendrel";
constexpr char kWindowPosXName[] = "windowposx";
constexpr char kWindowPosYName[] = "windowposy";

// The program's entry: refuses to run beside another instance, keeps the
// command line, creates the window and runs the application until the pump
// says stop, quitting also on Alt+F4. Returns the process exit code; without
// a window it says why on standard error and returns kShellExitNoWindow.
int ShellMain(int argc, char** argv, const ShellApplication& application);

// Ends a start that has nothing to show on: the reason goes on standard
// error as one line and to the reporter (the log, once it is open), and the
// loop ends before its first frame with kShellExitNoWindow.
void ShellRefuseStart(const char* reason);
// The window system the main window lives on, or "none" before it starts.
const char* ShellWindowSystemName();

// Creates the main window, hidden and ready for OpenGL (the display shows
// it): borderless at (0, 0) for a popup, else framed at the position the
// settings keep.
bool CreateMainWindow(bool popup);
void DestroyMainWindow();
SDL_Window* GetMainWindow();
// Whether the game is in front: its window holds the input focus, or there
// is no window at all. Devices are read only while it is.
bool ShellIsForeground();
void SetWindowTitle(const char* text);

// The loop ends when quitting is asked for and allowed. A window close asks
// only while quitting is allowed, so the display can replace the window.
void RequestQuit();
// Quits as RequestQuit does, and ShellMain returns the code given in place
// of kShellExitDone.
void RequestQuitWithExitCode(int code);
// Forgets a quit asked for; a new run of the loop starts from here.
void ShellResetQuit();
void QuitDisallow();
void QuitAllow();
bool QuitAllowed();

// One pump of the window system's events: polls the file watch, hands input
// events to the input layer; true when the program is to stop, as it is
// (with kShellExitWindowSystemLost) once the window system went away.
bool MessagePump();

const char* PlatformNameString();
// The folder part of saved-file names, joined as "%s/%s".
const char* GetSavePathPrefix();
bool AlwaysFalse();
bool AlwaysTrue();

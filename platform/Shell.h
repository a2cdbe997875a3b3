#pragma once
// The application shell: the main window, the message pump, quitting, and the
// program's entry that runs the application's init, frames and shutdown.

struct SDL_Window;

// What the shell drives; the game installs its spine here.
struct ShellApplication
{
    int (*init)();
    void (*frame)();
    void (*shutdown)();
};

// The program's entry: keeps the command line, creates the window, runs the
// application until the pump says stop. Returns the process exit code.
int ShellMain(int argc, char** argv, const ShellApplication& application);

bool CreateMainWindow(bool popup);
void DestroyMainWindow();
SDL_Window* GetMainWindow();
void SetWindowTitle(const char* text);

void RequestQuit();
void QuitDisallow();
void QuitAllow();
bool QuitAllowed();

// One pump of the window system's events; true when the program is to stop.
bool MessagePump();

const char* PlatformNameString();
const char* GetSavePathPrefix();

#include "platform/Shell.h"

#include "core/FileTable.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "platform/CommandLine.h"

#include <SDL.h>
#include <csignal>

namespace
{
SDL_Window* g_window = nullptr;
bool g_quit = false;
bool g_quitAllowed = true;
volatile std::sig_atomic_t g_signalledQuit = 0;

void OnQuitSignal(int) { g_signalledQuit = 1; }

void InstallQuitSignals()
{
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
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
} // namespace

int ShellMain(int argc, char** argv, const ShellApplication& application)
{
    InstallQuitSignals();
    KeepCommandLine(argc, argv);
    if (!CreateMainWindow(true))
        return 2;
    application.init();
    while (!MessagePump())
        application.frame();
    application.shutdown();
    SDL_Quit();
    return 1;
}

bool CreateMainWindow(bool popup)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        LogError("Pendrel Shell could not start the window system: %s\n", SDL_GetError());
        return false;
    }
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (popup ? SDL_WINDOW_BORDERLESS : 0);
    g_window = SDL_CreateWindow("Pendrel", 0, 0, 512, 384, flags);
    if (!g_window)
        LogError("Pendrel Shell could not create the main window: %s\n", SDL_GetError());
    return g_window != nullptr;
}

void DestroyMainWindow()
{
    if (g_window)
        SDL_DestroyWindow(g_window);
    g_window = nullptr;
}

SDL_Window* GetMainWindow() { return g_window; }

void SetWindowTitle(const char* text)
{
    if (g_window)
        SDL_SetWindowTitle(g_window, text);
}

void RequestQuit() { g_quit = true; }
void QuitDisallow() { g_quitAllowed = false; }
void QuitAllow() { g_quitAllowed = true; }
bool QuitAllowed() { return g_quitAllowed; }

bool MessagePump()
{
    FileWatchPoll();
    SDL_Event event;
    while (SDL_PollEvent(&event))
    {
        if (event.type == SDL_QUIT)
            g_quit = true;
    }
    if (g_signalledQuit)
        g_quit = true;
    return g_quit && g_quitAllowed;
}

const char* PlatformNameString() { return "win"; }
const char* GetSavePathPrefix() { return ""; }

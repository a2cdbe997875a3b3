#include "platform/WindowSystemLoss.h"

#include "core/LogError.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <X11/Xlib.h>

namespace
{
struct LossWatch
{
    Display* display = nullptr;
    bool lost = false;
};
LossWatch g_watch;

// Xlib calls this for every broken connection, then the connection's exit
// handler. Returning is allowed from both; the call that met the break then
// fails, and so does every later call on that connection.
int OnConnectionBroken(Display* display)
{
    if (display != g_watch.display || g_watch.lost)
        return 0;
    g_watch.lost = true;
    LogError("Pendrel Shell lost the connection to the X server %s; the game ends.\n", XDisplayString(display));
    return 0;
}

void KeepRunningAfterBreak(Display*, void*) {}
} // namespace

void WindowSystemLossWatch(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    Display* display = info.info.x11.display;
    if (!display || display == g_watch.display)
        return;
    g_watch = LossWatch{display, false};
    XSetIOErrorHandler(OnConnectionBroken);
    XSetIOErrorExitHandler(display, KeepRunningAfterBreak, nullptr);
}

bool WindowSystemLost()
{
    return g_watch.lost;
}

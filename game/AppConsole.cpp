#include "game/AppConsole.h"

#include "cross/Render.h"
#include "frontend/Console.h"
#include "game/DebugKeys.h"
#include "script/AppConsoleListener.h"

#include <memory>

namespace
{
void PrintToConsole(Console* console, const char* text)
{
    if (console)
        console->Print(text);
}

std::unique_ptr<Console> g_console;
AppConsoleListener g_listener(PrintToConsole);
} // namespace

void AppConsoleCreate()
{
    g_console = std::make_unique<Console>();
    g_console->SetListener(&g_listener);
}

void AppConsoleDestroy()
{
    g_console.reset();
}

Console* AppGetConsole()
{
    return g_console.get();
}

void AppConsoleProcessInputIfVisible()
{
    if (g_console && IsConsoleVisible())
        g_console->ProcessInput();
}

void AppConsoleDrawIfVisible()
{
    if (!g_console || !IsConsoleVisible())
        return;
    unsigned width = 0;
    unsigned height = 0;
    RenderGetSize(width, height);
    g_console->Render(0, 0, int(width), int(height / 2));
}

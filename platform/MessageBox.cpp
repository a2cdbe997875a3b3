#include "platform/MessageBox.h"

#include "core/LogError.h"
#include "platform/Shell.h"

#include <SDL.h>

#include <cstdlib>

namespace
{
// What the player sees in the title bar when the caller names none.
constexpr char kDefaultCaption[] = "Error";

bool IsSet(const char* variable)
{
    const char* value = getenv(variable);
    return value && *value;
}

bool PresentWithWindowSystem(const char* text, bool modal)
{
    if (!MessageBoxHasDisplay())
    {
        LogError("%s\n", text);
        return true;
    }
    SDL_Window* owner = modal ? GetMainWindow() : nullptr;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, kDefaultCaption, text, owner) != 0)
        LogError("%s\n", text); // the box could not be shown: the text is not lost
    return true;
}

MessageBoxPresenter g_presenter = PresentWithWindowSystem;
} // namespace

void MessageBoxSetPresenter(MessageBoxPresenter presenter)
{
    g_presenter = presenter ? presenter : PresentWithWindowSystem;
}

bool MessageBoxShowWarning(const char* text, bool modal)
{
    return g_presenter(text ? text : "", modal);
}

bool MessageBoxHasDisplay()
{
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

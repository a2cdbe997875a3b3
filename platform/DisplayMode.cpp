#include "platform/DisplayMode.h"

#include "core/LogError.h"
#include "platform/Shell.h"

#include <SDL.h>

namespace
{
int NormalisedBits(int bits)
{
    return bits == 24 ? 32 : bits;
}

DisplayMode FromSDL(const SDL_DisplayMode& sdlMode)
{
    DisplayMode mode;
    mode.width = sdlMode.w;
    mode.height = sdlMode.h;
    mode.bitsPerPixel = NormalisedBits(static_cast<int>(SDL_BITSPERPIXEL(sdlMode.format)));
    mode.frequency = sdlMode.refresh_rate;
    return mode;
}

bool SystemEnumerate(DisplayMode& mode, int index)
{
    SDL_DisplayMode sdlMode;
    if (index < 0 || SDL_GetDisplayMode(0, index, &sdlMode) != 0)
        return false;
    mode = FromSDL(sdlMode);
    return true;
}

bool FindSDLMode(const DisplayMode& wanted, SDL_DisplayMode& found)
{
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i)
    {
        if (SDL_GetDisplayMode(0, i, &found) != 0)
            continue;
        const DisplayMode mode = FromSDL(found);
        if (DisplayModeMatches(mode, wanted.width, wanted.height, wanted.bitsPerPixel) &&
            (wanted.frequency == 0 || mode.frequency == wanted.frequency))
            return true;
    }
    return false;
}

DisplayChangeResult SystemApply(const DisplayMode* mode)
{
    SDL_Window* window = GetMainWindow();
    if (!window)
        return DisplayChangeResult::kFailed;
    if (!mode)
        return SDL_SetWindowFullscreen(window, 0) == 0 ? DisplayChangeResult::kSuccessful
                                                       : DisplayChangeResult::kFailed;
    SDL_DisplayMode sdlMode;
    if (!FindSDLMode(*mode, sdlMode))
        return DisplayChangeResult::kBadMode;
    if (SDL_SetWindowDisplayMode(window, &sdlMode) != 0 ||
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0)
    {
        EmptyFunction("Pendrel Display mode change refused: %s\n", SDL_GetError());
        return DisplayChangeResult::kFailed;
    }
    return DisplayChangeResult::kSuccessful;
}

const DisplayModeSource kSystemSource = {SystemEnumerate, SystemApply};
const DisplayModeSource* g_source = &kSystemSource;

void ReportFailedChange(DisplayChangeResult result, int width, int height, int bits)
{
    const long w = width, h = height, b = bits;
    switch (result)
    {
    case DisplayChangeResult::kBadMode:
        LogError("Pendrel Display: The video mode %ldx%ldx%ld-bit color is not supported\n", w, h, b);
        break;
    case DisplayChangeResult::kFailed:
        LogError("Pendrel Display: Hardware failed to change to %ldx%ldx%ld-bit color\n", w, h, b);
        break;
    default:
        LogError("Pendrel Display: Failed to change to %ldx%ldx%ld-bit color - unknown reason\n", w, h, b);
        break;
    }
}
} // namespace

void DisplayModeSetSource(const DisplayModeSource* source)
{
    g_source = source ? source : &kSystemSource;
}

bool EnumDisplayMode(DisplayMode& mode, int index)
{
    return g_source->enumerate(mode, index);
}

bool DisplayModeBitsAlike(int a, int b)
{
    return NormalisedBits(a) == NormalisedBits(b);
}

bool DisplayModeMatches(const DisplayMode& mode, int width, int height, int bits)
{
    return mode.width == width && mode.height == height && DisplayModeBitsAlike(mode.bitsPerPixel, bits);
}

bool ChangeScreenMode(int width, int height, int bits)
{
    DisplayMode exact;
    DisplayMode sameSize;
    bool exactFound = false;
    bool sizeFound = false;
    DisplayMode mode;
    for (int i = 0; !exactFound && EnumDisplayMode(mode, i); ++i)
    {
        if (DisplayModeMatches(mode, width, height, bits))
        {
            exact = mode;
            exactFound = true;
        }
        else if (!sizeFound && mode.width == width && mode.height == height)
        {
            sameSize = mode;
            sizeFound = true;
        }
    }

    DisplayChangeResult result = DisplayChangeResult::kBadMode;
    if (exactFound)
    {
        result = g_source->apply(&exact);
        if (result == DisplayChangeResult::kSuccessful)
            return true;
    }
    if (sizeFound)
    {
        EmptyFunction("Nope, didnt work\n");
        result = g_source->apply(&sameSize);
        if (result == DisplayChangeResult::kSuccessful)
            return true;
    }
    RestoreDisplayMode();
    ReportFailedChange(result, width, height, bits);
    return false;
}

void RestoreDisplayMode()
{
    g_source->apply(nullptr);
}

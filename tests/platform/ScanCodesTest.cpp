#include "platform/ScanCodes.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace
{
struct KnownKey
{
    SDL_Scancode sdl;
    int code;
};

// The named codes scripts use, and a spread of the other keys.
const KnownKey kKnownKeys[] = {
    {SDL_SCANCODE_ESCAPE, KEY_ESCAPE},
    {SDL_SCANCODE_GRAVE, KEY_GRAVE},
    {SDL_SCANCODE_SPACE, KEY_SPACE},
    {SDL_SCANCODE_TAB, KEY_TAB},
    {SDL_SCANCODE_BACKSPACE, KEY_BACKSPACE},
    {SDL_SCANCODE_RETURN, KEY_RETURN},
    {SDL_SCANCODE_PRINTSCREEN, KEY_PRINTSCREEN},
    {SDL_SCANCODE_SCROLLLOCK, KEY_SCROLLLOCK},
    {SDL_SCANCODE_PAUSE, KEY_PAUSE},
    {SDL_SCANCODE_F1, KEY_F1},
    {SDL_SCANCODE_F2, KEY_F2},
    {SDL_SCANCODE_F3, KEY_F3},
    {SDL_SCANCODE_F4, KEY_F4},
    {SDL_SCANCODE_F5, KEY_F5},
    {SDL_SCANCODE_F9, KEY_F9},
    {SDL_SCANCODE_F10, KEY_F10},
    {SDL_SCANCODE_F11, KEY_F11},
    {SDL_SCANCODE_F12, KEY_F12},
    {SDL_SCANCODE_UP, KEY_UP},
    {SDL_SCANCODE_DOWN, KEY_DOWN},
    {SDL_SCANCODE_LEFT, KEY_LEFT},
    {SDL_SCANCODE_RIGHT, KEY_RIGHT},
    {SDL_SCANCODE_INSERT, KEY_INSERT},
    {SDL_SCANCODE_DELETE, KEY_DELETE},
    {SDL_SCANCODE_HOME, KEY_HOME},
    {SDL_SCANCODE_END, KEY_END},
    {SDL_SCANCODE_PAGEUP, KEY_PAGEUP},
    {SDL_SCANCODE_PAGEDOWN, KEY_PAGEDOWN},
    {SDL_SCANCODE_KP_0, KEY_NUMINSERT},
    {SDL_SCANCODE_LCTRL, KEY_LCONTROL},
    {SDL_SCANCODE_RCTRL, KEY_RCONTROL},
    {SDL_SCANCODE_LALT, KEY_LALT},
    {SDL_SCANCODE_RALT, KEY_RALT},
    {SDL_SCANCODE_LSHIFT, KEY_LSHIFT},
    {SDL_SCANCODE_RSHIFT, KEY_RSHIFT},
    {SDL_SCANCODE_CAPSLOCK, KEY_CAPSLOCK},
    {SDL_SCANCODE_1, 2},
    {SDL_SCANCODE_0, 11},
    {SDL_SCANCODE_Q, 16},
    {SDL_SCANCODE_A, 30},
    {SDL_SCANCODE_Z, 44},
    {SDL_SCANCODE_M, 50},
    {SDL_SCANCODE_SLASH, 53},
    {SDL_SCANCODE_KP_MULTIPLY, 55},
    {SDL_SCANCODE_NUMLOCKCLEAR, 69},
    {SDL_SCANCODE_KP_7, 71},
    {SDL_SCANCODE_KP_PERIOD, 83},
    {SDL_SCANCODE_NONUSBACKSLASH, 86},
    {SDL_SCANCODE_KP_ENTER, 156},
    {SDL_SCANCODE_KP_DIVIDE, 181},
    {SDL_SCANCODE_LGUI, 219},
    {SDL_SCANCODE_APPLICATION, 221},
};

TEST(ScanCodes, KnownKeysHaveTheirCodes)
{
    for (const KnownKey& key : kKnownKeys)
    {
        SCOPED_TRACE(SDL_GetScancodeName(key.sdl));
        EXPECT_EQ(ScanCodeFromSDL(key.sdl), key.code);
        EXPECT_EQ(SDLScancodeFromScanCode(key.code), key.sdl);
    }
}

TEST(ScanCodes, EveryCodeIsAKeyboardCodeAndMapsBack)
{
    for (int sdl = 0; sdl < SDL_NUM_SCANCODES; ++sdl)
    {
        const int code = ScanCodeFromSDL(sdl);
        if (code == 0)
            continue;
        SCOPED_TRACE(sdl);
        EXPECT_LT(code, kKeyboardCodeLimit);
        EXPECT_EQ(ScanCodeFromSDL(SDLScancodeFromScanCode(code)), code);
    }
}

TEST(ScanCodes, KeysWithoutACodeAndNumbersOutsideTheTablesGiveNothing)
{
    EXPECT_EQ(ScanCodeFromSDL(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(ScanCodeFromSDL(SDL_SCANCODE_F24), 0);
    EXPECT_EQ(ScanCodeFromSDL(-1), 0);
    EXPECT_EQ(ScanCodeFromSDL(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(SDLScancodeFromScanCode(0), 0);
    EXPECT_EQ(SDLScancodeFromScanCode(MOUSE_BUTTON1), 0);
    EXPECT_EQ(SDLScancodeFromScanCode(-5), 0);
    EXPECT_EQ(SDLScancodeFromScanCode(256), 0);
}
} // namespace

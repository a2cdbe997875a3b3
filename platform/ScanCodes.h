#pragma once
// Key codes are the scan codes of the PC keyboard (0 to 239, extended keys
// with their top bit set); the mouse buttons and wheel take the codes above.
// Scripts and the engine name keys by these numbers, whatever the window
// system reports.

#include <cstdint>

constexpr int kKeyCodeCount = 256;
// Codes from here on belong to the mouse.
constexpr int kKeyboardCodeLimit = 240;

constexpr int KEY_ESCAPE = 1;
constexpr int KEY_BACKSPACE = 14;
constexpr int KEY_TAB = 15;
constexpr int KEY_RETURN = 28;
constexpr int KEY_LCONTROL = 29;
constexpr int KEY_GRAVE = 41;
constexpr int KEY_LSHIFT = 42;
constexpr int KEY_RSHIFT = 54;
constexpr int KEY_LALT = 56;
constexpr int KEY_SPACE = 57;
constexpr int KEY_CAPSLOCK = 58;
constexpr int KEY_F1 = 59;
constexpr int KEY_F2 = 60;
constexpr int KEY_F3 = 61;
constexpr int KEY_F4 = 62;
constexpr int KEY_F5 = 63;
constexpr int KEY_F6 = 64;
constexpr int KEY_F7 = 65;
constexpr int KEY_F8 = 66;
constexpr int KEY_F9 = 67;
constexpr int KEY_F10 = 68;
constexpr int KEY_SCROLLLOCK = 70;
constexpr int KEY_NUMINSERT = 82;
constexpr int KEY_F11 = 87;
constexpr int KEY_F12 = 88;
constexpr int KEY_RCONTROL = 157;
constexpr int KEY_PRINTSCREEN = 183;
constexpr int KEY_RALT = 184;
constexpr int KEY_PAUSE = 197;
constexpr int KEY_HOME = 199;
constexpr int KEY_UP = 200;
constexpr int KEY_PAGEUP = 201;
constexpr int KEY_LEFT = 203;
constexpr int KEY_RIGHT = 205;
constexpr int KEY_END = 207;
constexpr int KEY_DOWN = 208;
constexpr int KEY_PAGEDOWN = 209;
constexpr int KEY_INSERT = 210;
constexpr int KEY_DELETE = 211;

constexpr int MOUSE_BUTTON1 = 240;
constexpr int MOUSE_BUTTON2 = 241;
constexpr int MOUSE_BUTTON3 = 242;
// Named for scripts; no device sets them.
constexpr int MOUSE_BUTTON4 = 243;
constexpr int MOUSE_BUTTON5 = 244;
constexpr int MOUSE_WHEELUP = 245;
constexpr int MOUSE_WHEELDOWN = 246;

// The key code of an SDL scancode; 0 for a key without one or a number
// outside SDL's range.
uint8_t ScanCodeFromSDL(int sdlScancode);

// The SDL scancode of a key code (the first in SDL's order when several keys
// share it); 0 when no key has that code.
int SDLScancodeFromScanCode(int code);

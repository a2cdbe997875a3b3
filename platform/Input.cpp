#include "platform/Input.h"

#include "platform/Display.h"
#include "platform/Shell.h"

#include <SDL.h>
#include <cmath>
#include <cstring>

namespace
{
// Events of the window system wait here between two frames.
constexpr int kPendingSize = 256;
constexpr int kMaxWheelUnits = 1 << 24;
constexpr int kNoTextTarget = -1;

struct PendingKey
{
    uint8_t code;
    bool pressed;
    uint8_t character;
    uint8_t virtualCharacter;
};

struct PendingButton
{
    uint8_t code;
    bool pressed;
};

// Everything the input layer keeps between frames, in one place.
struct InputState
{
    bool initialised = false;
    uint8_t keys[kKeyCodeCount] = {};
    // Whether a press of the key came in for this frame, even one released
    // again before the frame began (its state then reads newly up).
    uint8_t pressedThisFrame[kKeyCodeCount] = {};
    // What each key typed at its last press, so that its release carries it too.
    uint8_t typedCharacter[kKeyCodeCount] = {};

    KeyEvent events[kKeyEventQueueSize] = {};
    int eventCount = 0;
    int eventRead = 0;

    PendingKey pendingKeys[kPendingSize] = {};
    int pendingKeyCount = 0;
    // The pending press that the next text-input event belongs to.
    int textTarget = kNoTextTarget;
    PendingButton pendingButtons[kPendingSize] = {};
    int pendingButtonCount = 0;
    int pendingCursorX = 0;
    int pendingCursorY = 0;
    // Wheel movement in 1/120 notches.
    int pendingWheel = 0;

    int cursorX = 0;
    int cursorY = 0;
    int previousCursorX = 0;
    int previousCursorY = 0;
    int lastUsed = kInputDeviceKeyboardMouse;
};

InputState g_input;

bool IsValidCode(int code)
{
    return code >= 0 && code < kKeyCodeCount;
}

bool IsKeyHeld(int code)
{
    return (g_input.keys[code] & 1) != 0;
}

uint32_t ModifierFlags()
{
    uint32_t flags = 0;
    if (IsKeyHeld(KEY_LSHIFT) || IsKeyHeld(KEY_RSHIFT))
        flags |= kKeyEventShift;
    if (IsKeyHeld(KEY_LCONTROL) || IsKeyHeld(KEY_RCONTROL))
        flags |= kKeyEventControl;
    if (IsKeyHeld(KEY_LALT) || IsKeyHeld(KEY_RALT))
        flags |= kKeyEventAlt;
    return flags;
}

uint32_t HeldMouseButtonFlags()
{
    uint32_t flags = 0;
    if (IsKeyHeld(MOUSE_BUTTON1))
        flags |= kKeyEventLeftButtonHeld;
    if (IsKeyHeld(MOUSE_BUTTON2))
        flags |= kKeyEventRightButtonHeld;
    if (IsKeyHeld(MOUSE_BUTTON3))
        flags |= kKeyEventMiddleButtonHeld;
    return flags;
}

void QueueEvent(int x, int y, uint32_t flags, uint8_t character, uint8_t virtualCharacter, uint8_t code)
{
    if (g_input.eventCount == kKeyEventQueueSize)
        return;
    KeyEvent& event = g_input.events[g_input.eventCount++];
    event.x = static_cast<int16_t>(x);
    event.y = static_cast<int16_t>(y);
    event.flags = flags;
    event.character = character;
    event.virtualCharacter = virtualCharacter;
    event.keyCode = code;
}

// The character a key's virtual key stands for: capitals for letters,
// digits, unshifted punctuation and the control keys that have one.
uint8_t VirtualCharacter(SDL_Keycode sym)
{
    if (sym >= 'a' && sym <= 'z')
        return static_cast<uint8_t>(sym - 'a' + 'A');
    if (sym == SDLK_BACKSPACE || sym == SDLK_TAB || sym == SDLK_RETURN || sym == SDLK_ESCAPE)
        return static_cast<uint8_t>(sym);
    if (sym >= ' ' && sym < 127)
        return static_cast<uint8_t>(sym);
    return 0;
}

// Keys that type a control character; printable characters come with the
// text-input event that follows the press.
uint8_t ControlCharacter(const SDL_Keysym& key)
{
    switch (key.sym)
    {
    case SDLK_BACKSPACE:
    case SDLK_TAB:
    case SDLK_RETURN:
    case SDLK_ESCAPE:
        return static_cast<uint8_t>(key.sym);
    case SDLK_KP_ENTER:
        return '\r';
    default:
        break;
    }
    if ((key.mod & KMOD_CTRL) && key.sym >= 'a' && key.sym <= 'z')
        return static_cast<uint8_t>(key.sym - 'a' + 1);
    return 0;
}

// The first character of UTF-8 text when it has a single-byte code (Latin-1).
uint8_t FirstLatin1Character(const char* text)
{
    const uint8_t first = static_cast<uint8_t>(text[0]);
    if (first < 0x80)
        return first;
    const uint8_t second = static_cast<uint8_t>(text[1]);
    if ((first == 0xC2 || first == 0xC3) && (second & 0xC0) == 0x80)
        return static_cast<uint8_t>(((first & 0x1F) << 6) | (second & 0x3F));
    return 0;
}

void OnKey(const SDL_KeyboardEvent& key)
{
    // The key table tells held keys by their down bit; repeats are not new presses.
    if (key.repeat)
        return;
    const uint8_t code = ScanCodeFromSDL(key.keysym.scancode);
    if (code == 0 || g_input.pendingKeyCount == kPendingSize)
        return;
    const bool pressed = key.type == SDL_KEYDOWN;
    g_input.textTarget = pressed ? g_input.pendingKeyCount : kNoTextTarget;
    g_input.pendingKeys[g_input.pendingKeyCount++] = {code, pressed, ControlCharacter(key.keysym),
                                                      VirtualCharacter(key.keysym.sym)};
}

void OnTextInput(const SDL_TextInputEvent& text)
{
    if (g_input.textTarget != kNoTextTarget && g_input.pendingKeys[g_input.textTarget].character == 0)
        g_input.pendingKeys[g_input.textTarget].character = FirstLatin1Character(text.text);
    g_input.textTarget = kNoTextTarget;
}

int MouseButtonCode(uint8_t button)
{
    switch (button)
    {
    case SDL_BUTTON_LEFT:
        return MOUSE_BUTTON1;
    case SDL_BUTTON_RIGHT:
        return MOUSE_BUTTON2;
    case SDL_BUTTON_MIDDLE:
        return MOUSE_BUTTON3;
    default:
        return 0;
    }
}

void OnMouseButton(const SDL_MouseButtonEvent& button)
{
    g_input.pendingCursorX = button.x;
    g_input.pendingCursorY = button.y;
    const int code = MouseButtonCode(button.button);
    if (code == 0 || g_input.pendingButtonCount == kPendingSize)
        return;
    g_input.pendingButtons[g_input.pendingButtonCount++] = {static_cast<uint8_t>(code),
                                                            button.type == SDL_MOUSEBUTTONDOWN};
}

void OnMouseWheel(const SDL_MouseWheelEvent& wheel)
{
    float notches = wheel.preciseY != 0.0f ? wheel.preciseY : static_cast<float>(wheel.y);
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    long total = g_input.pendingWheel + std::lround(notches * kWheelDelta);
    if (total > kMaxWheelUnits)
        total = kMaxWheelUnits;
    if (total < -kMaxWheelUnits)
        total = -kMaxWheelUnits;
    g_input.pendingWheel = static_cast<int>(total);
}

void ReadKeyboard()
{
    for (int i = 0; i < g_input.pendingKeyCount; ++i)
    {
        const PendingKey& key = g_input.pendingKeys[i];
        g_input.keys[key.code] = key.pressed ? 3 : 2;
        g_input.pressedThisFrame[key.code] |= key.pressed ? 1 : 0;
        if (key.pressed)
            g_input.typedCharacter[key.code] = key.character;
        const uint8_t character = key.pressed ? key.character : g_input.typedCharacter[key.code];
        const uint32_t flags = (key.pressed ? kKeyEventPress : kKeyEventRelease) | ModifierFlags();
        QueueEvent(0, 0, flags, character, key.virtualCharacter, key.code);
        g_input.lastUsed = kInputDeviceKeyboardMouse;
    }
    g_input.pendingKeyCount = 0;
    g_input.textTarget = kNoTextTarget;
}

void ReadMouseButtons()
{
    for (int i = 0; i < g_input.pendingButtonCount; ++i)
    {
        const PendingButton& button = g_input.pendingButtons[i];
        g_input.keys[button.code] = button.pressed ? 3 : 2;
        g_input.pressedThisFrame[button.code] |= button.pressed ? 1 : 0;
        const uint32_t flags = (button.pressed ? kKeyEventPress : kKeyEventRelease) | ModifierFlags();
        QueueEvent(g_input.pendingCursorX, g_input.pendingCursorY, flags, 0, 0, button.code);
        g_input.lastUsed = kInputDeviceKeyboardMouse;
    }
    g_input.pendingButtonCount = 0;
}

void ReadCursor()
{
    g_input.cursorX = g_input.pendingCursorX;
    g_input.cursorY = g_input.pendingCursorY;
    if (g_input.cursorX == g_input.previousCursorX && g_input.cursorY == g_input.previousCursorY)
        return;
    QueueEvent(g_input.cursorX, g_input.cursorY, kKeyEventMouseMove | HeldMouseButtonFlags(), 0, 0, 0);
    g_input.lastUsed = kInputDeviceKeyboardMouse;
}

// Whole notches only: what is left of a notch at the end of the frame is dropped.
void ReadWheel()
{
    g_input.keys[MOUSE_WHEELUP] = 0;
    g_input.keys[MOUSE_WHEELDOWN] = 0;
    const int amount = g_input.pendingWheel / kWheelDelta;
    g_input.pendingWheel = 0;
    if (amount == 0)
        return;
    const int code = amount > 0 ? MOUSE_WHEELUP : MOUSE_WHEELDOWN;
    const uint32_t flags = amount > 0 ? kKeyEventWheelUp : kKeyEventWheelDown;
    const int notches = amount > 0 ? amount : -amount;
    QueueEvent(notches > INT16_MAX ? INT16_MAX : notches, 0, flags, 0, 0, static_cast<uint8_t>(code));
    g_input.keys[code] = 3;
    g_input.lastUsed = kInputDeviceKeyboardMouse;
}

void ClearPending()
{
    g_input.pendingKeyCount = 0;
    g_input.pendingButtonCount = 0;
    g_input.pendingWheel = 0;
    g_input.textTarget = kNoTextTarget;
}

// The key that types the character in the current layout; 0, which no key
// sets, when none does.
int CodeOfCharacter(char c)
{
    SDL_Keycode key = static_cast<unsigned char>(c);
    if (key >= 'A' && key <= 'Z')
        key = key - 'A' + 'a';
    const int code = ScanCodeFromSDL(SDL_GetScancodeFromKey(key));
    if (code != 0 || c == 0)
        return code;
    // A shifted character ('!', '?') has no key of its own in the layout: it
    // belongs to the key that typed it.
    for (int typing = 0; typing < kKeyCodeCount; ++typing)
        if (g_input.typedCharacter[typing] == static_cast<uint8_t>(c))
            return typing;
    return 0;
}

// The cursor stays within the window while the game is in front, and is
// let go when it is not, as the mouse device is acquired and lost.
void ConfineCursorToForeground()
{
    SDL_Window* window = GetMainWindow();
    if (!window)
        return;
    const bool confine = ShellIsForeground();
    if (confine != (SDL_GetWindowMouseRect(window) != nullptr))
        DisplayConfineCursor(confine);
}
} // namespace

void InputInit()
{
    if (g_input.initialised)
        InputShutdown();
    memset(g_input.keys, 0, sizeof(g_input.keys));
    memset(g_input.pressedThisFrame, 0, sizeof(g_input.pressedThisFrame));
    memset(g_input.typedCharacter, 0, sizeof(g_input.typedCharacter));
    g_input.eventCount = 0;
    g_input.eventRead = 0;
    ClearPending();
    ControllersInit();
    g_input.initialised = true;
}

void InputShutdown()
{
    ControllersShutdown();
    ClearPending();
    g_input.initialised = false;
}

void InputHandleEvent(const SDL_Event& event)
{
    if (!g_input.initialised)
        return;
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        OnKey(event.key);
        break;
    case SDL_TEXTINPUT:
        OnTextInput(event.text);
        break;
    case SDL_MOUSEMOTION:
        g_input.pendingCursorX = event.motion.x;
        g_input.pendingCursorY = event.motion.y;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        OnMouseButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        OnMouseWheel(event.wheel);
        break;
    case SDL_JOYDEVICEADDED:
        OnControllerPlugIn();
        break;
    case SDL_JOYDEVICEREMOVED:
        InputOnDeviceRemoved(event.jdevice.which);
        break;
    default:
        break;
    }
}

void InputUpdate()
{
    g_input.previousCursorX = g_input.cursorX;
    g_input.previousCursorY = g_input.cursorY;
    g_input.eventCount = 0;
    g_input.eventRead = 0;
    ControllersUpdate();
    for (uint8_t& state : g_input.keys)
        state &= 1;
    memset(g_input.pressedThisFrame, 0, sizeof(g_input.pressedThisFrame));
    ReadKeyboard();
    ReadMouseButtons();
    ConfineCursorToForeground();
    ReadCursor();
    ReadWheel();
}

uint8_t InputGetKeyState(int code)
{
    return IsValidCode(code) ? g_input.keys[code] : 0;
}
bool InputIsKeyDown(int code)
{
    return (InputGetKeyState(code) & 1) != 0;
}
bool InputIsKeyNewlyDown(int code)
{
    return InputGetKeyState(code) == 3;
}
bool InputIsKeyNewlyUp(int code)
{
    return InputGetKeyState(code) == 2;
}
bool InputWasKeyPressed(int code)
{
    return IsValidCode(code) && g_input.pressedThisFrame[code] != 0;
}

bool InputIsCharDown(char c)
{
    return (InputGetKeyState(CodeOfCharacter(c)) & 1) != 0;
}

bool InputIsCharNewlyDown(char c)
{
    return InputGetKeyState(CodeOfCharacter(c)) == 3;
}

bool InputIsCharNewlyUp(char c)
{
    return InputGetKeyState(CodeOfCharacter(c)) == 2;
}

void InputGetMousePosition(int& x, int& y)
{
    x = g_input.cursorX;
    y = g_input.cursorY;
}

void InputGetMouseMovement(int& dx, int& dy)
{
    dx = g_input.cursorX - g_input.previousCursorX;
    dy = g_input.cursorY - g_input.previousCursorY;
}

bool InputPopKeyEvent(KeyEvent& event)
{
    if (g_input.eventRead >= g_input.eventCount)
        return false;
    event = g_input.events[g_input.eventRead++];
    return true;
}

void InputSwallowKeyEvent(const KeyEvent& event)
{
    if (event.flags & (kKeyEventPress | kKeyEventRelease))
    {
        g_input.keys[event.keyCode] &= 1;
        g_input.pressedThisFrame[event.keyCode] = 0;
    }
}

int InputGetLastUsed()
{
    return g_input.lastUsed;
}
void InputSetLastUsed(int kind)
{
    g_input.lastUsed = kind;
}

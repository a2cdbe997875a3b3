#pragma once
// Keyboard, mouse and controllers, read once a frame. The key table holds a
// state byte per key code (see ScanCodes.h): bit 0 down, bit 1 changed this
// frame, so 3 is newly down, 1 held, 2 newly up and 0 up. The frame's key
// and mouse events wait in a queue for the console and the UI.

#include "platform/Controllers.h"
#include "platform/ScanCodes.h"

#include <cstdint>

union SDL_Event;

enum KeyEventFlags : uint32_t
{
    kKeyEventPress = 1,
    kKeyEventRelease = 2,
    kKeyEventMouseMove = 4,
    kKeyEventWheelUp = 8,
    kKeyEventWheelDown = 16,
    // On presses and releases: the modifier keys held.
    kKeyEventShift = 32,
    kKeyEventControl = 64,
    kKeyEventAlt = 128,
    // On a mouse move the same bits tell the mouse buttons held.
    kKeyEventLeftButtonHeld = 32,
    kKeyEventRightButtonHeld = 64,
    kKeyEventMiddleButtonHeld = 128,
};

// One keyboard or mouse event of the current frame.
struct KeyEvent
{
    int16_t x;                // cursor x of a move; the notches of a wheel turn
    int16_t y;                // cursor y of a move
    uint32_t flags;           // KeyEventFlags
    uint8_t character;        // what the key types in the current layout, 0 for none
    uint8_t virtualCharacter; // the key's unshifted character ('A' for the A key)
    uint8_t keyCode;
};

constexpr int kKeyEventQueueSize = 256;
// One notch of the mouse wheel.
constexpr int kWheelDelta = 120;

// The kind of device that was used last.
constexpr int kInputDeviceKeyboardMouse = 0;
constexpr int kInputDeviceController = 1;

// Clears the key table and the events and takes the attached controllers.
void InputInit();
void InputShutdown();

// The shell's message pump hands every window-system event here; what the
// input layer needs waits until the next InputUpdate.
void InputHandleEvent(const SDL_Event& event);
// Once a frame, before anything reads input.
void InputUpdate();

// Codes outside the table are never down.
bool InputIsKeyDown(int code);
bool InputIsKeyNewlyDown(int code);
bool InputIsKeyNewlyUp(int code);
// A press came in for this frame, even if the key was let go again within
// it: a quick click reads newly up, never newly down.
bool InputWasKeyPressed(int code);
uint8_t InputGetKeyState(int code);
// The same by the character a key types in the current layout.
bool InputIsCharDown(char c);
bool InputIsCharNewlyDown(char c);
bool InputIsCharNewlyUp(char c);

void InputGetMousePosition(int& x, int& y);
// The cursor's movement since the previous frame.
void InputGetMouseMovement(int& dx, int& dy);

// Takes the next event of the frame; false when none is left.
bool InputPopKeyEvent(KeyEvent& event);
// For a press or release: keeps only the key's down bit, so the game does not
// also see as new what the console consumed.
void InputSwallowKeyEvent(const KeyEvent& event);

int InputGetLastUsed();
void InputSetLastUsed(int kind);

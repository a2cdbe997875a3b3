#pragma once
// Up to four game controllers, read once a frame. Each slot keeps a state
// byte per button in the key table's coding (bit 0 down, bit 1 changed this
// frame) and a button map from the script's button numbers to those bytes,
// chosen from the device's USB vendor and product when the slot is set up.

#include <cstdint>

constexpr int kControllerSlotCount = 4;
constexpr int kControllerStateBytes = 64;
constexpr int kControllerButtonMapSize = 33;
constexpr int kControllerAxisCount = 6;
constexpr int kControllerMotionAxisCount = 3;

// Script button numbers (indices into a slot's button map).
constexpr int JOY_ButtonA = 0;
constexpr int JOY_ButtonB = 1;
constexpr int JOY_L1 = 3;
constexpr int JOY_L2 = 4;
constexpr int JOY_R1 = 5;
constexpr int JOY_R2 = 6;
constexpr int JOY_ButtonX = 7;
constexpr int JOY_ButtonY = 8;
constexpr int BUMP_LEFT = 11;
constexpr int BUMP_RIGHT = 12;
constexpr int JOY_CIRCLE = 13;
constexpr int JOY_CROSS = 14;
constexpr int TRIG_LEFT = 15;
constexpr int TRIG_RIGHT = 16;
constexpr int JOY_SELECT = 21;
constexpr int JOY_SQUARE = 22;
constexpr int JOY_START = 23;
constexpr int JOY_TRIANGLE = 24;
constexpr int THUMB_LEFT = 25;
constexpr int THUMB_RIGHT = 26;
constexpr int DPAD_UP = 29;
constexpr int DPAD_DOWN = 30;
constexpr int DPAD_LEFT = 31;
constexpr int DPAD_RIGHT = 32;

// Stick components: the first stick's three, then the second's.
constexpr int JOY_X = 0;
constexpr int JOY_Y = 1;
constexpr int JOY_Z = 2;
constexpr int JOY_ALT_X = 3;
constexpr int JOY_ALT_Y = 4;
constexpr int JOY_ALT_Z = 5;

// Button modes: layout by product (unknown products are ignored), the
// default layout for every device, or no controllers read at all.
constexpr int INITIALIZE_BUTTON_MODE_DEFAULT = 0;
constexpr int INITIALIZE_BUTTON_MODE_EMULATION = 1;
constexpr int INITIALIZE_BUTTON_MODE_NONE = 2;
constexpr int INITIALIZE_BUTTON_MODE_MAX = 3;

enum class ControllerLayout
{
    Unknown,
    Default,
    Layout1,
    Layout3,
};

// The layout of a known product, else Unknown.
ControllerLayout ControllerLayoutOfProduct(uint16_t vendor, uint16_t product);

// Resets the slots, starts the joystick system and takes the attached devices.
void ControllersInit();
void ControllersShutdown();
// Polls every device and reads the polled slots.
void ControllersUpdate();

// A device arrived: takes new devices into free slots and sets every slot up
// afresh. A device already in a slot keeps its slot.
void OnControllerPlugIn();
// A device went away: frees the slot that held it, with its state.
void InputOnDeviceRemoved(int32_t deviceInstanceId);

// Button numbers and pads outside the tables are never down.
bool InputIsButtonDown(int pad, int button);
bool InputIsButtonNewlyDown(int pad, int button);
bool InputIsButtonNewlyUp(int pad, int button);
// Stick component 0 to 5, about -1 to 1; 0 outside the tables.
float InputGetJoyAxis(int pad, int axis);
// The motion axes, which no device drives: always 0.
float InputGetMotionAxis(int pad, int axis);
// The slot's device answered this frame's poll.
bool InputIsControllerAvailable(int pad);

void InputSetButtonMode(int mode);
int InputGetButtonMode();

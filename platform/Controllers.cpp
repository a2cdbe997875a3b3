#include "platform/Controllers.h"

#include "core/LogError.h"
#include "platform/Input.h"

#include "platform/Shell.h"

#include <SDL.h>
#include <cmath>
#include <cstring>

namespace
{
struct ControllerSlot
{
    uint8_t buttons[kControllerStateBytes];
    uint32_t buttonMap[kControllerButtonMapSize];
    float sticks[kControllerAxisCount];
    float signs[kControllerAxisCount];
    uint32_t axisIndex[kControllerAxisCount];
    float motion[kControllerMotionAxisCount];
    uint8_t present;
    SDL_Joystick* device;
    uint8_t polled;
};

constexpr int kDeviceButtonCount = 32;
constexpr int kDpadFirstByte = 29;
// No device writes this byte, so a number mapped to it is never down.
constexpr uint32_t kNeverDownByte = kControllerStateBytes - 1;
constexpr float kActiveStickValue = 0.15f;
constexpr int kCentredAngle = -1;

struct KnownProduct
{
    uint16_t vendor;
    uint16_t product;
    ControllerLayout layout;
};

constexpr KnownProduct kKnownProducts[] = {
    {0x6666, 0x0667, ControllerLayout::Layout1}, {0x045E, 0x028E, ControllerLayout::Default},
    {0x054C, 0x0268, ControllerLayout::Layout3}, {0x046D, 0xC21D, ControllerLayout::Default},
    {0x045E, 0x02A1, ControllerLayout::Default},
};

// One row per group of button numbers that read the same state byte; the
// bytes per layout in the order default, layout 1, layout 3. Numbers that
// no row names keep byte 0 whatever the layout.
struct LayoutRow
{
    int numbers[2];
    uint32_t bytes[3];
};

constexpr int kNoNumber = -1;

constexpr LayoutRow kLayoutRows[] = {
    {{JOY_ButtonA, JOY_CROSS}, {0, 2, 2}},
    {{JOY_ButtonB, JOY_CIRCLE}, {1, 1, 1}},
    {{JOY_ButtonX, JOY_SQUARE}, {2, 3, 3}},
    {{JOY_ButtonY, JOY_TRIANGLE}, {3, 0, 0}},
    {{JOY_L1, BUMP_LEFT}, {4, 6, 6}},
    {{JOY_R1, BUMP_RIGHT}, {5, 7, 7}},
    {{JOY_L2, TRIG_LEFT}, {kNeverDownByte, 4, 4}},
    {{JOY_R2, TRIG_RIGHT}, {kNeverDownByte, 5, 5}},
    {{JOY_SELECT, 10}, {6, 8, 9}},
    {{JOY_START, kNoNumber}, {7, 11, 8}},
    {{THUMB_LEFT, kNoNumber}, {8, 9, 10}},
    {{THUMB_RIGHT, kNoNumber}, {9, 10, 11}},
    {{DPAD_UP, kNoNumber}, {29, 12, 29}},
    {{DPAD_DOWN, kNoNumber}, {30, 14, 30}},
    {{DPAD_LEFT, kNoNumber}, {31, 15, 31}},
    {{DPAD_RIGHT, kNoNumber}, {32, 13, 32}},
};

// Raw axes are X, Y, Z, Rx, Ry, Rz; each stick reads its second component
// negated (pushing up reads positive) and its third not at all.
constexpr float kStickSigns[kControllerAxisCount] = {1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f};
constexpr uint32_t kDefaultAxes[kControllerAxisCount] = {0, 1, 2, 3, 4, 5};
constexpr uint32_t kSwappedAxes[kControllerAxisCount] = {0, 1, 3, 2, 5, 4};

ControllerSlot g_slots[kControllerSlotCount];
int g_buttonMode = INITIALIZE_BUTTON_MODE_DEFAULT;
bool g_joysticksUp = false;

const ControllerSlot* SlotAt(int pad)
{
    if (pad < 0 || pad >= kControllerSlotCount)
        return nullptr;
    return &g_slots[pad];
}

uint8_t ButtonByte(int pad, int button)
{
    const ControllerSlot* slot = SlotAt(pad);
    if (!slot || button < 0 || button >= kControllerButtonMapSize)
        return 0;
    const uint32_t index = slot->buttonMap[button];
    return index < kControllerStateBytes ? slot->buttons[index] : 0;
}

void ResetSlotState(ControllerSlot& slot)
{
    memset(slot.buttons, 0, sizeof(slot.buttons));
    memset(slot.sticks, 0, sizeof(slot.sticks));
    memset(slot.motion, 0, sizeof(slot.motion));
    slot.polled = 0;
}

void ReleaseDevice(ControllerSlot& slot)
{
    if (slot.device)
        SDL_JoystickClose(slot.device);
    slot.device = nullptr;
    slot.present = 0;
}

int LayoutColumn(ControllerLayout layout)
{
    switch (layout)
    {
    case ControllerLayout::Layout1:
        return 1;
    case ControllerLayout::Layout3:
        return 2;
    default:
        return 0;
    }
}

void ApplyLayout(ControllerSlot& slot, ControllerLayout layout)
{
    const int column = LayoutColumn(layout);
    for (const LayoutRow& row : kLayoutRows)
        for (const int number : row.numbers)
            if (number != kNoNumber)
                slot.buttonMap[number] = row.bytes[column];
    const uint32_t* axes = column == 0 ? kDefaultAxes : kSwappedAxes;
    for (int i = 0; i < kControllerAxisCount; ++i)
    {
        slot.axisIndex[i] = axes[i];
        slot.signs[i] = kStickSigns[i];
    }
}

ControllerLayout DeviceLayout(SDL_Joystick* device)
{
    return ControllerLayoutOfProduct(SDL_JoystickGetVendor(device), SDL_JoystickGetProduct(device));
}

// Chooses the slot's layout and whether it is read, for the button mode.
void ChooseLayout(ControllerSlot& slot)
{
    ControllerLayout layout = ControllerLayout::Default;
    bool polled = slot.device != nullptr;
    if (g_buttonMode == INITIALIZE_BUTTON_MODE_NONE)
        polled = false;
    else if (g_buttonMode == INITIALIZE_BUTTON_MODE_DEFAULT && slot.device)
        layout = DeviceLayout(slot.device);
    if (layout == ControllerLayout::Unknown)
    {
        layout = ControllerLayout::Default;
        polled = false;
    }
    ApplyLayout(slot, layout);
    slot.polled = polled ? 1 : 0;
}

void SetUpSlot(ControllerSlot& slot)
{
    ResetSlotState(slot);
    ChooseLayout(slot);
    if (!slot.polled)
        ReleaseDevice(slot);
}

void SetUpAllSlots()
{
    for (ControllerSlot& slot : g_slots)
        SetUpSlot(slot);
}

bool IsDeviceHeld(SDL_JoystickID id)
{
    for (const ControllerSlot& slot : g_slots)
        if (slot.device && SDL_JoystickInstanceID(slot.device) == id)
            return true;
    return false;
}

ControllerSlot* FreeSlot()
{
    for (ControllerSlot& slot : g_slots)
        if (!slot.device)
            return &slot;
    return nullptr;
}

// Takes every attached device that no slot holds into a free slot.
bool EnumerateDevices()
{
    if (!g_joysticksUp)
        return false;
    const int count = SDL_NumJoysticks();
    if (count < 0)
        return false;
    for (int i = 0; i < count; ++i)
    {
        ControllerSlot* slot = FreeSlot();
        if (!slot)
            break;
        if (IsDeviceHeld(SDL_JoystickGetDeviceInstanceID(i)))
            continue;
        slot->device = SDL_JoystickOpen(i);
        if (slot->device)
            EmptyFunction("Pendrel Input created joystick device\n");
        else
            EmptyFunction("Pendrel Input failed to create joystick device\n");
    }
    return true;
}

// The raw axis in the range 0 to 65535; an axis the device lacks rests at the centre.
float RawAxis(SDL_Joystick* device, int axis)
{
    const int raw = axis < SDL_JoystickNumAxes(device) ? SDL_JoystickGetAxis(device, axis) + 32768 : 32768;
    return static_cast<float>(raw) * (1.0f / 32767.0f) - 1.0f;
}

// The first hat as an angle in hundredths of a degree clockwise from up.
int HatAngle(SDL_Joystick* device)
{
    if (SDL_JoystickNumHats(device) < 1)
        return kCentredAngle;
    switch (SDL_JoystickGetHat(device, 0))
    {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return kCentredAngle;
    }
}

// Sets a state byte from the new down state and the old one; true when the
// button went down this frame.
bool SetStateByte(uint8_t& byte, bool down, bool wasDown)
{
    byte = static_cast<uint8_t>((down ? 1 : 0) | (down != wasDown ? 2 : 0));
    return byte == 3;
}

void ReadSticks(ControllerSlot& slot)
{
    float raw[kControllerAxisCount];
    for (int i = 0; i < kControllerAxisCount; ++i)
        raw[i] = RawAxis(slot.device, i);
    for (int i = 0; i < kControllerAxisCount; ++i)
    {
        slot.sticks[i] = raw[slot.axisIndex[i]] * slot.signs[i];
        if (std::fabs(slot.sticks[i]) > kActiveStickValue)
            InputSetLastUsed(kInputDeviceController);
    }
}

void ReadButtons(ControllerSlot& slot)
{
    bool wasDown[kControllerStateBytes];
    for (int i = 0; i < kControllerStateBytes; ++i)
    {
        slot.buttons[i] &= 1;
        wasDown[i] = slot.buttons[i] != 0;
    }
    bool pressed = false;
    for (int i = 0; i < kDeviceButtonCount; ++i)
        pressed |= SetStateByte(slot.buttons[i], SDL_JoystickGetButton(slot.device, i) != 0, wasDown[i]);

    // Neighbouring ranges overlap, so a diagonal presses two directions.
    const int angle = HatAngle(slot.device);
    const bool centred = angle < 0;
    const bool directions[4] = {
        !centred && (angle > 29250 || angle < 6750), // up
        !centred && angle > 11250 && angle < 24750,  // down
        !centred && angle > 20250 && angle < 33750,  // left
        !centred && angle > 2250 && angle < 15750,   // right
    };
    // The hat's bytes follow its own last state, not the buttons that share them.
    for (int i = 0; i < 4; ++i)
        pressed |= SetStateByte(slot.buttons[kDpadFirstByte + i], directions[i], wasDown[kDpadFirstByte + i]);
    if (pressed || !centred)
        InputSetLastUsed(kInputDeviceController);
}
} // namespace

ControllerLayout ControllerLayoutOfProduct(uint16_t vendor, uint16_t product)
{
    for (const KnownProduct& known : kKnownProducts)
        if (known.vendor == vendor && known.product == product)
            return known.layout;
    return ControllerLayout::Unknown;
}

void ControllersInit()
{
    for (ControllerSlot& slot : g_slots)
    {
        ReleaseDevice(slot);
        memset(&slot, 0, sizeof(slot));
    }
    // Controllers are read while the window is in the background too, as a
    // game left paused behind another window still sees its pads.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    g_joysticksUp = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!g_joysticksUp)
        LogError("Pendrel Input failed to start the joystick system: %s\n", SDL_GetError());
    EnumerateDevices();
    SetUpAllSlots();
}

void ControllersShutdown()
{
    for (ControllerSlot& slot : g_slots)
        ReleaseDevice(slot);
    if (g_joysticksUp)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    g_joysticksUp = false;
}

void ControllersUpdate()
{
    if (!g_joysticksUp)
        return;
    SDL_JoystickUpdate();
    // Pads belong to the game in front: in the background they are not read.
    const bool foreground = ShellIsForeground();
    for (ControllerSlot& slot : g_slots)
    {
        if (!slot.device)
            continue;
        slot.present = foreground && SDL_JoystickGetAttached(slot.device) ? 1 : 0;
        if (slot.present && slot.polled)
        {
            ReadSticks(slot);
            ReadButtons(slot);
        }
    }
}

void OnControllerPlugIn()
{
    EmptyFunction("Device Plugged In\n");
    if (!EnumerateDevices())
        LogError("OnControllerPlugIn: EnumDevicesFailed\n");
    SetUpAllSlots();
}

void InputOnDeviceRemoved(int32_t deviceInstanceId)
{
    EmptyFunction("Device Unplugged\n");
    for (ControllerSlot& slot : g_slots)
    {
        if (slot.device && SDL_JoystickInstanceID(slot.device) == deviceInstanceId)
        {
            // Buttons held at the moment of removal must not stay down.
            ReleaseDevice(slot);
            ResetSlotState(slot);
        }
    }
}

bool InputIsButtonDown(int pad, int button)
{
    return (ButtonByte(pad, button) & 1) != 0;
}
bool InputIsButtonNewlyDown(int pad, int button)
{
    return ButtonByte(pad, button) == 3;
}
bool InputIsButtonNewlyUp(int pad, int button)
{
    return ButtonByte(pad, button) == 2;
}

float InputGetJoyAxis(int pad, int axis)
{
    const ControllerSlot* slot = SlotAt(pad);
    if (!slot || axis < 0 || axis >= kControllerAxisCount)
        return 0.0f;
    return slot->sticks[axis];
}

float InputGetMotionAxis(int pad, int axis)
{
    const ControllerSlot* slot = SlotAt(pad);
    if (!slot || axis < 0 || axis >= kControllerMotionAxisCount)
        return 0.0f;
    return slot->motion[axis];
}

bool InputIsControllerAvailable(int pad)
{
    const ControllerSlot* slot = SlotAt(pad);
    return slot && slot->present;
}

void InputSetButtonMode(int mode)
{
    if (mode == g_buttonMode)
        return;
    if (mode < INITIALIZE_BUTTON_MODE_DEFAULT || mode >= INITIALIZE_BUTTON_MODE_MAX)
    {
        EmptyFunction("Pendrel Input ignores button mode %d\n", mode);
        return;
    }
    if (g_buttonMode == INITIALIZE_BUTTON_MODE_NONE)
        for (ControllerSlot& slot : g_slots)
            ResetSlotState(slot);
    g_buttonMode = mode;
    for (ControllerSlot& slot : g_slots)
        if (slot.device)
            ChooseLayout(slot);
}

int InputGetButtonMode()
{
    return g_buttonMode;
}

#include "platform/InputMap.h"

#include "core/LogError.h"
#include "platform/Input.h"

#include <cmath>

namespace
{
bool ConditionHolds(int condition, bool down, bool newlyDown, bool newlyUp)
{
    switch (condition)
    {
    case INPUT_COMMAND_CONDITION_IS_DOWN:
        return down;
    case INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN:
        return newlyDown;
    case INPUT_COMMAND_CONDITION_IS_NEWLY_UP:
        return newlyUp;
    default:
        return false;
    }
}

// A character outside 0..255 is no key.
bool CharacterConditionHolds(int character, int condition)
{
    if (character < 0 || character > 255)
        return false;
    const char c = static_cast<char>(character);
    return ConditionHolds(condition, InputIsCharDown(c), InputIsCharNewlyDown(c), InputIsCharNewlyUp(c));
}

Vec3 StickAxis(int pad, int stick)
{
    Vec3 axis(0.0f, 0.0f, 0.0f);
    if (stick != ANALOG_STICK_LEFT && stick != ANALOG_STICK_RIGHT)
        return axis;
    const int first = stick == ANALOG_STICK_LEFT ? JOY_X : JOY_ALT_X;
    axis.x = InputGetJoyAxis(pad, first);
    axis.y = InputGetJoyAxis(pad, first + 1);
    axis.z = InputGetJoyAxis(pad, first + 2);
    return axis;
}

Vec3 MotionAxis(int pad)
{
    Vec3 axis(0.0f, 0.0f, 0.0f);
    axis.x = InputGetMotionAxis(pad, 0);
    axis.y = InputGetMotionAxis(pad, 1);
    axis.z = InputGetMotionAxis(pad, 2);
    return axis;
}

Vec3 DpadDirection(int pad)
{
    Vec3 axis(0.0f, 0.0f, 0.0f);
    if (InputIsButtonDown(pad, DPAD_DOWN))
        axis.y -= 1.0f;
    if (InputIsButtonDown(pad, DPAD_UP))
        axis.y += 1.0f;
    if (InputIsButtonDown(pad, DPAD_LEFT))
        axis.x -= 1.0f;
    if (InputIsButtonDown(pad, DPAD_RIGHT))
        axis.x += 1.0f;
    const float length = std::sqrt(axis.x * axis.x + axis.y * axis.y);
    if (length > 0.0f)
    {
        axis.x /= length;
        axis.y /= length;
    }
    return axis;
}
} // namespace

int InputMap::AddInputCommand(const InputCommand& command)
{
    InputCommand added = command;
    added.id = static_cast<int32_t>(m_commands.size());
    m_commands.push_back(added);
    return added.id;
}

const InputCommand* InputMap::Find(int id) const
{
    if (id < 0 || id >= static_cast<int>(m_commands.size()))
    {
        EmptyFunction("Pendrel Input has no input command %d\n", id);
        return nullptr;
    }
    return &m_commands[id];
}

bool InputMap::GetIsInputCommandConditionExecuted(int id) const
{
    const InputCommand* command = Find(id);
    if (!command)
        return false;
    const int data = command->data;
    const int pad = command->userIndex;
    switch (command->type)
    {
    case INPUT_COMMAND_TYPE_KEY:
        return ConditionHolds(command->condition, InputIsKeyDown(data), InputIsKeyNewlyDown(data),
                              InputIsKeyNewlyUp(data));
    case INPUT_COMMAND_TYPE_KEY_ASCII:
        return CharacterConditionHolds(data, command->condition);
    case INPUT_COMMAND_TYPE_BUTTON:
        return ConditionHolds(command->condition, InputIsButtonDown(pad, data),
                              InputIsButtonNewlyDown(pad, data), InputIsButtonNewlyUp(pad, data));
    default:
        return false;
    }
}

Vec3 InputMap::GetAxis(int id) const
{
    const InputCommand* command = Find(id);
    if (!command)
        return Vec3(0.0f, 0.0f, 0.0f);
    switch (command->type)
    {
    case INPUT_COMMAND_TYPE_CURSOR:
    {
        int x = 0;
        int y = 0;
        InputGetMousePosition(x, y);
        return Vec3(static_cast<float>(x), static_cast<float>(y), 0.0f);
    }
    case INPUT_COMMAND_TYPE_CURSOR_DELTA:
    {
        int dx = 0;
        int dy = 0;
        InputGetMouseMovement(dx, dy);
        return Vec3(static_cast<float>(dx), static_cast<float>(dy), 0.0f);
    }
    case INPUT_COMMAND_TYPE_ANALOG_STICK:
        return StickAxis(command->userIndex, command->data);
    case INPUT_COMMAND_TYPE_MOTION_CONTROLLER:
        return MotionAxis(command->userIndex);
    case INPUT_COMMAND_TYPE_DPAD:
        return DpadDirection(command->userIndex);
    default:
        return Vec3(0.0f, 0.0f, 0.0f);
    }
}

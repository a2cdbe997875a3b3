#pragma once
// The scripts' input map: commands that name a key, a character, a controller
// button or an axis, each asked each frame whether its condition holds or
// what its axis reads. A command's id is its index in the map.

#include "core/Vec3.h"

#include <cstdint>
#include <vector>

enum InputCommandType : int32_t
{
    INPUT_COMMAND_TYPE_KEY = 0,
    INPUT_COMMAND_TYPE_KEY_ASCII = 1,
    INPUT_COMMAND_TYPE_CURSOR = 2,
    INPUT_COMMAND_TYPE_CURSOR_DELTA = 3,
    INPUT_COMMAND_TYPE_BUTTON = 4,
    INPUT_COMMAND_TYPE_ANALOG_STICK = 5,
    INPUT_COMMAND_TYPE_MOTION_CONTROLLER = 6,
    INPUT_COMMAND_TYPE_DPAD = 7,
    INPUT_COMMAND_TYPE_NONE = 8,
};

enum InputCommandCondition : int32_t
{
    INPUT_COMMAND_CONDITION_NONE = 0,
    INPUT_COMMAND_CONDITION_IS_DOWN = 1,
    INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN = 2,
    INPUT_COMMAND_CONDITION_IS_NEWLY_UP = 3,
};

constexpr int32_t ANALOG_STICK_LEFT = 0;
constexpr int32_t ANALOG_STICK_RIGHT = 1;
constexpr int32_t ANALOG_STICK_DPAD = 2;

struct InputCommand
{
    int32_t id = 0;
    int32_t userIndex = 0; // the controller slot of pad commands
    int32_t type = INPUT_COMMAND_TYPE_NONE;
    int32_t data = 0; // key code, character, button number or stick
    int32_t condition = INPUT_COMMAND_CONDITION_NONE;
};

class InputMap
{
public:
    // Appends a copy of the command and returns its id.
    int AddInputCommand(const InputCommand& command);
    // Unknown ids, types and conditions are false.
    bool GetIsInputCommandConditionExecuted(int id) const;
    // (0, 0, 0) for unknown ids and for commands without an axis.
    Vec3 GetAxis(int id) const;
    int GetCount() const { return static_cast<int>(m_commands.size()); }
    void Clear() { m_commands.clear(); }

private:
    const InputCommand* Find(int id) const;

    std::vector<InputCommand> m_commands;
};

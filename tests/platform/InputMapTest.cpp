#include "platform/InputMap.h"

#include "PlatformTestSupport.h"
#include "platform/Input.h"

#include <gtest/gtest.h>

namespace
{
InputCommand Command(int type, int data, int condition, int user = 0)
{
    InputCommand command;
    command.userIndex = user;
    command.type = type;
    command.data = data;
    command.condition = condition;
    return command;
}

class InputMapTest : public VideoInputTest
{
protected:
    InputMap m_map;
};

TEST_F(InputMapTest, IdsAreTheIndicesInAddingOrder)
{
    EXPECT_EQ(m_map.AddInputCommand(Command(INPUT_COMMAND_TYPE_CURSOR_DELTA, 0, 0)), 0);
    EXPECT_EQ(m_map.AddInputCommand(Command(INPUT_COMMAND_TYPE_CURSOR, 0, 0)), 1);
    InputCommand withId = Command(INPUT_COMMAND_TYPE_KEY, KEY_TAB, INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN);
    withId.id = 99;
    EXPECT_EQ(m_map.AddInputCommand(withId), 2);
    EXPECT_EQ(m_map.GetCount(), 3);
}

struct ConditionCase
{
    int type;
    int data;
    int condition;
    bool frames[4]; // pressed, held, released, up
};

// Key Q (scan code 16, character 'q') goes down in frame 0 and up in frame 2.
const ConditionCase kConditionCases[] = {
    {INPUT_COMMAND_TYPE_KEY, 16, INPUT_COMMAND_CONDITION_IS_DOWN, {true, true, false, false}},
    {INPUT_COMMAND_TYPE_KEY, 16, INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN, {true, false, false, false}},
    {INPUT_COMMAND_TYPE_KEY, 16, INPUT_COMMAND_CONDITION_IS_NEWLY_UP, {false, false, true, false}},
    {INPUT_COMMAND_TYPE_KEY_ASCII, 'q', INPUT_COMMAND_CONDITION_IS_DOWN, {true, true, false, false}},
    {INPUT_COMMAND_TYPE_KEY_ASCII, 'q', INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN, {true, false, false, false}},
    {INPUT_COMMAND_TYPE_KEY_ASCII, 'q', INPUT_COMMAND_CONDITION_IS_NEWLY_UP, {false, false, true, false}},
    // Conditions and types that test nothing are never met.
    {INPUT_COMMAND_TYPE_KEY, 16, INPUT_COMMAND_CONDITION_NONE, {false, false, false, false}},
    {INPUT_COMMAND_TYPE_KEY, 16, 4, {false, false, false, false}},
    {INPUT_COMMAND_TYPE_CURSOR, 16, INPUT_COMMAND_CONDITION_IS_DOWN, {false, false, false, false}},
    {INPUT_COMMAND_TYPE_NONE, 16, INPUT_COMMAND_CONDITION_IS_DOWN, {false, false, false, false}},
    {99, 16, INPUT_COMMAND_CONDITION_IS_DOWN, {false, false, false, false}},
    // Data outside the key table is no key.
    {INPUT_COMMAND_TYPE_KEY, 16 + 256, INPUT_COMMAND_CONDITION_IS_DOWN, {false, false, false, false}},
    {INPUT_COMMAND_TYPE_KEY_ASCII, 'q' + 256, INPUT_COMMAND_CONDITION_IS_DOWN, {false, false, false, false}},
    // A pad button with no pad attached.
    {INPUT_COMMAND_TYPE_BUTTON, JOY_ButtonA, INPUT_COMMAND_CONDITION_IS_DOWN, {false, false, false, false}},
};

TEST_F(InputMapTest, ConditionsOfKeyAndCharacterCommandsAcrossFrames)
{
    for (const ConditionCase& c : kConditionCases)
        m_map.AddInputCommand(Command(c.type, c.data, c.condition));
    for (int frame = 0; frame < 4; ++frame)
    {
        if (frame == 0 || frame == 2)
            PushKey(SDL_SCANCODE_Q, frame == 0);
        PumpInputFrame();
        for (int id = 0; id < m_map.GetCount(); ++id)
        {
            SCOPED_TRACE(testing::Message() << "frame " << frame << " command " << id);
            EXPECT_EQ(m_map.GetIsInputCommandConditionExecuted(id), kConditionCases[id].frames[frame]);
        }
    }
}

TEST_F(InputMapTest, UnknownIdsAreFalseAndHaveNoAxis)
{
    m_map.AddInputCommand(Command(INPUT_COMMAND_TYPE_CURSOR, 0, 0));
    for (int id : {-1, 1, 1000})
    {
        EXPECT_FALSE(m_map.GetIsInputCommandConditionExecuted(id));
        const Vec3 axis = m_map.GetAxis(id);
        EXPECT_EQ(axis.x, 0.0f);
        EXPECT_EQ(axis.y, 0.0f);
    }
}

TEST_F(InputMapTest, CursorAndCursorDeltaAxes)
{
    const int delta = m_map.AddInputCommand(Command(INPUT_COMMAND_TYPE_CURSOR_DELTA, 0, 0));
    const int cursor = m_map.AddInputCommand(Command(INPUT_COMMAND_TYPE_CURSOR, 0, 0));
    const int key = m_map.AddInputCommand(Command(INPUT_COMMAND_TYPE_KEY, KEY_TAB, 0));
    PushMouseMotion(40, 30);
    PumpInputFrame();
    PushMouseMotion(45, 20);
    PumpInputFrame();
    const Vec3 position = m_map.GetAxis(cursor);
    EXPECT_EQ(position.x, 45.0f);
    EXPECT_EQ(position.y, 20.0f);
    EXPECT_EQ(position.z, 0.0f);
    const Vec3 movement = m_map.GetAxis(delta);
    EXPECT_EQ(movement.x, 5.0f);
    EXPECT_EQ(movement.y, -10.0f);
    EXPECT_EQ(m_map.GetAxis(key).x, 0.0f);
}
} // namespace

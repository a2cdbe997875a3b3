#include "platform/Input.h"

#include "PlatformTestSupport.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
class InputTest : public VideoInputTest
{
protected:
    static std::vector<KeyEvent> PopAll()
    {
        std::vector<KeyEvent> events;
        KeyEvent event;
        while (InputPopKeyEvent(event))
            events.push_back(event);
        return events;
    }
};

TEST_F(InputTest, KeyStateBitsAcrossFrames)
{
    const uint8_t expected[] = {3, 1, 1, 2, 0};
    PushKey(SDL_SCANCODE_A, true);
    for (int frame = 0; frame < 5; ++frame)
    {
        if (frame == 3)
            PushKey(SDL_SCANCODE_A, false);
        PumpInputFrame();
        SCOPED_TRACE(frame);
        EXPECT_EQ(InputGetKeyState(30), expected[frame]);
        EXPECT_EQ(InputIsKeyDown(30), (expected[frame] & 1) != 0);
        EXPECT_EQ(InputIsKeyNewlyDown(30), expected[frame] == 3);
        EXPECT_EQ(InputIsKeyNewlyUp(30), expected[frame] == 2);
    }
}

TEST_F(InputTest, PressAndReleaseInOneFrameEndNewlyUpWithTwoEvents)
{
    PushKey(SDL_SCANCODE_SPACE, true);
    PushKey(SDL_SCANCODE_SPACE, false);
    PumpInputFrame();
    EXPECT_EQ(InputGetKeyState(KEY_SPACE), 2);
    const std::vector<KeyEvent> events = PopAll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].flags, static_cast<uint32_t>(kKeyEventPress));
    EXPECT_EQ(events[1].flags, static_cast<uint32_t>(kKeyEventRelease));
    EXPECT_EQ(events[0].keyCode, KEY_SPACE);
}

// The changes of one key in each frame and whether that frame saw a press.
struct PressCase
{
    const char* label;
    std::vector<std::vector<bool>> frames; // true a press, false a release
    std::vector<bool> pressed;
};

const PressCase kPressCases[] = {
    {"press and release in one frame", {{true, false}, {}}, {true, false}},
    {"held over frames", {{true}, {}, {false}}, {true, false, false}},
    {"released then pressed again", {{true}, {false, true}}, {true, true}},
    {"a release alone", {{false}}, {false}},
};

TEST_F(InputTest, PressWithinAFrameIsSeenEvenWhenReleased)
{
    constexpr int kKeyA = 30;
    for (const PressCase& c : kPressCases)
    {
        for (size_t frame = 0; frame < c.frames.size(); ++frame)
        {
            for (bool press : c.frames[frame])
            {
                PushKey(SDL_SCANCODE_A, press);
                PushMouseButton(SDL_BUTTON_LEFT, press);
            }
            PumpInputFrame();
            EXPECT_EQ(InputWasKeyPressed(kKeyA), c.pressed[frame]) << c.label << ", frame " << frame;
            EXPECT_EQ(InputWasKeyPressed(MOUSE_BUTTON1), c.pressed[frame]) << c.label << ", frame " << frame;
        }
        PushKey(SDL_SCANCODE_A, false);
        PushMouseButton(SDL_BUTTON_LEFT, false);
        PumpInputFrame();
    }
    EXPECT_FALSE(InputWasKeyPressed(-1));
    EXPECT_FALSE(InputWasKeyPressed(kKeyCodeCount));
}

TEST_F(InputTest, SwallowedQuickPressIsNotSeen)
{
    PushKey(SDL_SCANCODE_TAB, true);
    PushKey(SDL_SCANCODE_TAB, false);
    PumpInputFrame();
    KeyEvent event;
    ASSERT_TRUE(InputPopKeyEvent(event));
    InputSwallowKeyEvent(event);
    EXPECT_FALSE(InputWasKeyPressed(KEY_TAB));
}

TEST_F(InputTest, KeyRepeatIsNoNewPress)
{
    PushKey(SDL_SCANCODE_B, true);
    PushKey(SDL_SCANCODE_B, true, true);
    PumpInputFrame();
    EXPECT_EQ(PopAll().size(), 1u);
    PushKey(SDL_SCANCODE_B, true, true);
    PushKey(SDL_SCANCODE_B, true, true);
    PumpInputFrame();
    EXPECT_EQ(InputGetKeyState(0x30), 1);
    EXPECT_TRUE(PopAll().empty());
}

TEST_F(InputTest, EventsCarryCharactersAndModifiers)
{
    PushKey(SDL_SCANCODE_LSHIFT, true);
    PushKey(SDL_SCANCODE_A, true, false, KMOD_LSHIFT);
    PushText("A");
    PushKey(SDL_SCANCODE_A, false, false, KMOD_LSHIFT);
    PushKey(SDL_SCANCODE_LSHIFT, false);
    PushKey(SDL_SCANCODE_RETURN, true);
    PushKey(SDL_SCANCODE_RALT, true);
    PushKey(SDL_SCANCODE_RCTRL, true);
    PushKey(SDL_SCANCODE_1, true, false, KMOD_RCTRL | KMOD_RALT);
    PushText("\xC3\xA9"); // e acute, one Latin-1 byte
    PumpInputFrame();
    const std::vector<KeyEvent> events = PopAll();
    ASSERT_EQ(events.size(), 8u);

    const KeyEvent& a = events[1];
    EXPECT_EQ(a.flags, static_cast<uint32_t>(kKeyEventPress | kKeyEventShift));
    EXPECT_EQ(a.character, 'A');
    EXPECT_EQ(a.virtualCharacter, 'A');
    EXPECT_EQ(a.keyCode, 30);
    EXPECT_EQ(events[2].flags, static_cast<uint32_t>(kKeyEventRelease | kKeyEventShift));
    EXPECT_EQ(events[2].character, 'A') << "a release carries what its press typed";

    const KeyEvent& enter = events[4];
    EXPECT_EQ(enter.character, '\r');
    EXPECT_EQ(enter.virtualCharacter, '\r');
    EXPECT_EQ(enter.keyCode, KEY_RETURN);

    const KeyEvent& one = events[7];
    EXPECT_EQ(one.flags, static_cast<uint32_t>(kKeyEventPress | kKeyEventControl | kKeyEventAlt));
    EXPECT_EQ(one.virtualCharacter, '1');
    EXPECT_EQ(one.character, 0xE9);
}

TEST_F(InputTest, KeysAreFoundByTheCharacterTheyType)
{
    PushKey(SDL_SCANCODE_Q, true);
    PumpInputFrame();
    EXPECT_TRUE(InputIsCharNewlyDown('q'));
    EXPECT_TRUE(InputIsCharNewlyDown('Q'));
    EXPECT_TRUE(InputIsCharDown('q'));
    EXPECT_FALSE(InputIsCharDown('w'));
    PushKey(SDL_SCANCODE_Q, false);
    PumpInputFrame();
    EXPECT_TRUE(InputIsCharNewlyUp('q'));
    EXPECT_FALSE(InputIsCharDown('\xFF'));
}

TEST_F(InputTest, ShiftedCharactersAreFoundByTheKeyThatTypedThem)
{
    const struct
    {
        SDL_Scancode key;
        const char* typed;
        char character;
    } cases[] = {{SDL_SCANCODE_1, "!", '!'}, {SDL_SCANCODE_SLASH, "?", '?'}, {SDL_SCANCODE_8, "*", '*'}};
    for (const auto& c : cases)
    {
        PushKey(SDL_SCANCODE_LSHIFT, true);
        PushKey(c.key, true, false, KMOD_LSHIFT);
        PushText(c.typed);
        PumpInputFrame();
        EXPECT_TRUE(InputIsCharNewlyDown(c.character)) << c.typed;
        EXPECT_TRUE(InputIsCharDown(c.character)) << c.typed;
        PushKey(c.key, false, false, KMOD_LSHIFT);
        PushKey(SDL_SCANCODE_LSHIFT, false);
        PumpInputFrame();
        EXPECT_TRUE(InputIsCharNewlyUp(c.character)) << c.typed;
    }
    EXPECT_FALSE(InputIsCharDown('#'));
}

TEST_F(InputTest, CodesOutsideTheTableAreNeverDown)
{
    for (int code : {-1, -256, 256, 1000, 1 << 30})
    {
        SCOPED_TRACE(code);
        EXPECT_FALSE(InputIsKeyDown(code));
        EXPECT_FALSE(InputIsKeyNewlyDown(code));
        EXPECT_FALSE(InputIsKeyNewlyUp(code));
        EXPECT_EQ(InputGetKeyState(code), 0);
    }
}

TEST_F(InputTest, SwallowedPressStaysDownButIsNotNew)
{
    PushKey(SDL_SCANCODE_TAB, true);
    PumpInputFrame();
    KeyEvent event;
    ASSERT_TRUE(InputPopKeyEvent(event));
    InputSwallowKeyEvent(event);
    EXPECT_EQ(InputGetKeyState(KEY_TAB), 1);
    EXPECT_FALSE(InputPopKeyEvent(event));
}

TEST_F(InputTest, MouseButtonsMovesAndPosition)
{
    PushMouseMotion(100, 50);
    PumpInputFrame();
    int x = 0;
    int y = 0;
    InputGetMousePosition(x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    std::vector<KeyEvent> events = PopAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].flags, static_cast<uint32_t>(kKeyEventMouseMove));
    EXPECT_EQ(events[0].x, 100);
    EXPECT_EQ(events[0].y, 50);

    PushMouseButton(SDL_BUTTON_LEFT, true);
    PushMouseMotion(110, 45);
    PumpInputFrame();
    EXPECT_EQ(InputGetKeyState(MOUSE_BUTTON1), 3);
    InputGetMouseMovement(x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, -5);
    events = PopAll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].flags, static_cast<uint32_t>(kKeyEventPress));
    EXPECT_EQ(events[0].keyCode, MOUSE_BUTTON1);
    EXPECT_EQ(events[1].flags, static_cast<uint32_t>(kKeyEventMouseMove | kKeyEventLeftButtonHeld));

    PushMouseButton(SDL_BUTTON_LEFT, false);
    PushMouseButton(SDL_BUTTON_RIGHT, true);
    PushMouseButton(SDL_BUTTON_MIDDLE, true);
    PumpInputFrame();
    EXPECT_EQ(InputGetKeyState(MOUSE_BUTTON1), 2);
    EXPECT_EQ(InputGetKeyState(MOUSE_BUTTON2), 3);
    EXPECT_EQ(InputGetKeyState(MOUSE_BUTTON3), 3);
    InputGetMouseMovement(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(PopAll().size(), 3u) << "button changes only; the cursor stood still";
}

struct WheelCase
{
    int notches;
    float precise;
    bool flipped;
    int upState;
    int downState;
    uint32_t flags;
    int amount;
};

const WheelCase kWheelCases[] = {
    {1, 0.0f, false, 3, 0, kKeyEventWheelUp, 1},
    {-2, 0.0f, false, 0, 3, kKeyEventWheelDown, 2},
    {1, 0.0f, true, 0, 3, kKeyEventWheelDown, 1},
    // Less than a notch gives nothing.
    {0, 0.5f, false, 0, 0, 0, 0},
    {1, 1.75f, false, 3, 0, kKeyEventWheelUp, 1},
};

TEST_F(InputTest, WheelNotchesSetTheWheelCodesForOneFrame)
{
    for (const WheelCase& wheel : kWheelCases)
    {
        SCOPED_TRACE(wheel.notches + wheel.precise);
        PushWheel(wheel.notches, wheel.precise, wheel.flipped);
        PumpInputFrame();
        EXPECT_EQ(InputGetKeyState(MOUSE_WHEELUP), wheel.upState);
        EXPECT_EQ(InputGetKeyState(MOUSE_WHEELDOWN), wheel.downState);
        const std::vector<KeyEvent> events = PopAll();
        if (wheel.flags == 0)
        {
            EXPECT_TRUE(events.empty());
            continue;
        }
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].flags, wheel.flags);
        EXPECT_EQ(events[0].x, wheel.amount);
        PumpInputFrame();
        EXPECT_EQ(InputGetKeyState(MOUSE_WHEELUP), 0);
        EXPECT_EQ(InputGetKeyState(MOUSE_WHEELDOWN), 0);
    }
}

TEST_F(InputTest, KeyboardAndMouseBecomeTheLastUsedDevice)
{
    InputSetLastUsed(kInputDeviceController);
    PushKey(SDL_SCANCODE_A, true);
    PumpInputFrame();
    EXPECT_EQ(InputGetLastUsed(), kInputDeviceKeyboardMouse);
    InputSetLastUsed(kInputDeviceController);
    PumpInputFrame();
    EXPECT_EQ(InputGetLastUsed(), kInputDeviceController) << "a quiet frame changes nothing";
    PushMouseMotion(3, 4);
    PumpInputFrame();
    EXPECT_EQ(InputGetLastUsed(), kInputDeviceKeyboardMouse);
}

TEST_F(InputTest, EventsLiveForOneFrameAndTheQueueIsBounded)
{
    for (int i = 0; i < kKeyEventQueueSize; ++i)
    {
        PushKey(SDL_SCANCODE_D, (i % 2) == 0);
        if (i % 64 == 63)
            MessagePump(); // keep SDL's own queue from filling
    }
    PushMouseMotion(9, 9);
    PumpInputFrame();
    EXPECT_EQ(PopAll().size(), static_cast<size_t>(kKeyEventQueueSize));
    PumpInputFrame();
    EXPECT_TRUE(PopAll().empty());
}
} // namespace

#include "platform/Controllers.h"

#include "PlatformTestSupport.h"
#include "platform/Input.h"
#include "platform/InputMap.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

namespace
{
constexpr uint16_t kLayout1Vendor = 0x6666;
constexpr uint16_t kLayout1Product = 0x0667;
constexpr uint16_t kDefaultVendor = 0x045E;
constexpr uint16_t kDefaultProduct = 0x028E;
constexpr uint16_t kLayout3Vendor = 0x054C;
constexpr uint16_t kLayout3Product = 0x0268;
constexpr uint16_t kUnknownVendor = 0x1234;
constexpr uint16_t kUnknownProduct = 0x5678;

TEST(ControllerLayouts, KnownProductsAndTheRest)
{
    struct Case
    {
        uint16_t vendor;
        uint16_t product;
        ControllerLayout layout;
    };
    const Case cases[] = {
        {0x6666, 0x0667, ControllerLayout::Layout1}, {0x045E, 0x028E, ControllerLayout::Default},
        {0x054C, 0x0268, ControllerLayout::Layout3}, {0x046D, 0xC21D, ControllerLayout::Default},
        {0x045E, 0x02A1, ControllerLayout::Default}, {0x0667, 0x6666, ControllerLayout::Unknown},
        {0x045E, 0x0268, ControllerLayout::Unknown}, {0, 0, ControllerLayout::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ControllerLayoutOfProduct(c.vendor, c.product), c.layout) << c.vendor << ":" << c.product;
}

// Pads are virtual joysticks; the joystick system is started before the
// input layer so that pads attached by a test outlive its restarts.
class ControllersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        InputSetButtonMode(INITIALIZE_BUTTON_MODE_DEFAULT);
    }

    void TearDown() override
    {
        InputShutdown();
        InputSetButtonMode(INITIALIZE_BUTTON_MODE_DEFAULT);
        SDL_Quit();
    }

    // The input layer starts with the pads attached so far and reads a frame.
    static void StartInput()
    {
        InputInit();
        PumpInputFrame();
    }
};

TEST_F(ControllersTest, Layout1ReadsItsOwnButtons)
{
    VirtualPad pad(kLayout1Vendor, kLayout1Product);
    ASSERT_TRUE(pad.IsAttached()) << SDL_GetError();
    StartInput();
    ASSERT_TRUE(InputIsControllerAvailable(0));
    EXPECT_FALSE(InputIsControllerAvailable(1));

    pad.SetButton(11, true);
    pad.SetButton(12, true);
    PumpInputFrame();
    EXPECT_TRUE(InputIsButtonNewlyDown(0, JOY_START));
    EXPECT_TRUE(InputIsButtonNewlyDown(0, DPAD_UP));
    EXPECT_FALSE(InputIsButtonDown(0, JOY_ButtonA));
    EXPECT_EQ(InputGetLastUsed(), kInputDeviceController);

    PumpInputFrame();
    EXPECT_TRUE(InputIsButtonDown(0, JOY_START));
    EXPECT_FALSE(InputIsButtonNewlyDown(0, JOY_START));

    pad.SetButton(11, false);
    PumpInputFrame();
    EXPECT_TRUE(InputIsButtonNewlyUp(0, JOY_START));
    EXPECT_TRUE(InputIsButtonDown(0, DPAD_UP));
}

struct LayoutButton
{
    int number;
    int defaultButton;
    int layout1Button;
    int layout3Button;
};

// Face, shoulder, trigger and menu buttons of the three layouts (-1: none).
const LayoutButton kLayoutButtons[] = {
    {JOY_ButtonA, 0, 2, 2}, {JOY_CROSS, 0, 2, 2},     {JOY_ButtonB, 1, 1, 1}, {JOY_ButtonX, 2, 3, 3},
    {JOY_ButtonY, 3, 0, 0}, {JOY_L1, 4, 6, 6},        {JOY_R1, 5, 7, 7},      {TRIG_LEFT, -1, 4, 4},
    {JOY_R2, -1, 5, 5},     {JOY_SELECT, 6, 8, 9},    {10, 6, 8, 9},          {JOY_START, 7, 11, 8},
    {THUMB_LEFT, 8, 9, 10}, {THUMB_RIGHT, 9, 10, 11},
};

TEST_F(ControllersTest, EachLayoutMapsButtonNumbersToItsDeviceButtons)
{
    VirtualPad defaultPad(kDefaultVendor, kDefaultProduct);
    VirtualPad layout1Pad(kLayout1Vendor, kLayout1Product);
    VirtualPad layout3Pad(kLayout3Vendor, kLayout3Product);
    ASSERT_TRUE(defaultPad.IsAttached() && layout1Pad.IsAttached() && layout3Pad.IsAttached());
    StartInput();
    VirtualPad* pads[] = {&defaultPad, &layout1Pad, &layout3Pad};
    for (const LayoutButton& button : kLayoutButtons)
    {
        const int deviceButtons[] = {button.defaultButton, button.layout1Button, button.layout3Button};
        for (int pad = 0; pad < 3; ++pad)
        {
            SCOPED_TRACE(testing::Message() << "number " << button.number << " pad " << pad);
            for (int device = 0; device < 32; ++device)
            {
                pads[pad]->SetButton(device, device == deviceButtons[pad]);
            }
            PumpInputFrame();
            EXPECT_EQ(InputIsButtonDown(pad, button.number), deviceButtons[pad] >= 0);
            // The other buttons of the pad are up, so no other number may read down
            // unless it shares the state byte.
            for (int device = 0; device < 32; ++device)
                pads[pad]->SetButton(device, device != deviceButtons[pad]);
            PumpInputFrame();
            EXPECT_FALSE(InputIsButtonDown(pad, button.number));
        }
    }
}

TEST_F(ControllersTest, HatGivesTheDpadWithDiagonals)
{
    VirtualPad pad(kDefaultVendor, kDefaultProduct);
    StartInput();
    InputMap map;
    InputCommand dpad;
    dpad.type = INPUT_COMMAND_TYPE_DPAD;
    const int id = map.AddInputCommand(dpad);

    pad.SetHat(SDL_HAT_RIGHTDOWN);
    PumpInputFrame();
    EXPECT_TRUE(InputIsButtonNewlyDown(0, DPAD_DOWN));
    EXPECT_TRUE(InputIsButtonNewlyDown(0, DPAD_RIGHT));
    EXPECT_FALSE(InputIsButtonDown(0, DPAD_UP));
    EXPECT_FALSE(InputIsButtonDown(0, DPAD_LEFT));
    const Vec3 direction = map.GetAxis(id);
    EXPECT_NEAR(direction.x, 0.7071f, 1e-4f);
    EXPECT_NEAR(direction.y, -0.7071f, 1e-4f);
    EXPECT_EQ(direction.z, 0.0f);

    pad.SetHat(SDL_HAT_UP);
    PumpInputFrame();
    EXPECT_TRUE(InputIsButtonNewlyUp(0, DPAD_DOWN));
    EXPECT_TRUE(InputIsButtonNewlyDown(0, DPAD_UP));
    EXPECT_EQ(map.GetAxis(id).y, 1.0f);

    pad.SetHat(SDL_HAT_CENTERED);
    PumpInputFrame();
    EXPECT_EQ(map.GetAxis(id).x, 0.0f);
    EXPECT_EQ(map.GetAxis(id).y, 0.0f);
}

TEST_F(ControllersTest, SticksReadTheLayoutsAxesWithUpPositive)
{
    VirtualPad defaultPad(kDefaultVendor, kDefaultProduct);
    VirtualPad layout3Pad(kLayout3Vendor, kLayout3Product);
    StartInput();
    for (VirtualPad* pad : {&defaultPad, &layout3Pad})
    {
        pad->SetAxis(0, 32767);  // X right
        pad->SetAxis(1, -32768); // Y up
        pad->SetAxis(2, 16384);  // Z
        pad->SetAxis(3, -16384); // Rx
        pad->SetAxis(4, 32767);  // Ry
        pad->SetAxis(5, 0);      // Rz
    }
    PumpInputFrame();
    EXPECT_NEAR(InputGetJoyAxis(0, JOY_X), 1.0f, 1e-3f);
    EXPECT_NEAR(InputGetJoyAxis(0, JOY_Y), 1.0f, 1e-3f);
    EXPECT_EQ(InputGetJoyAxis(0, JOY_Z), 0.0f);
    EXPECT_NEAR(InputGetJoyAxis(0, JOY_ALT_X), -0.5f, 1e-3f); // Rx
    EXPECT_NEAR(InputGetJoyAxis(0, JOY_ALT_Y), -1.0f, 1e-3f); // Ry negated
    EXPECT_NEAR(InputGetJoyAxis(1, JOY_ALT_X), 0.5f, 1e-3f);  // Z
    EXPECT_NEAR(InputGetJoyAxis(1, JOY_ALT_Y), 0.0f, 1e-3f);  // Rz
    EXPECT_EQ(InputGetLastUsed(), kInputDeviceController);

    InputMap map;
    InputCommand stick;
    stick.type = INPUT_COMMAND_TYPE_ANALOG_STICK;
    stick.userIndex = 0;
    stick.data = ANALOG_STICK_RIGHT;
    const Vec3 right = map.GetAxis(map.AddInputCommand(stick));
    EXPECT_NEAR(right.x, -0.5f, 1e-3f);
    EXPECT_NEAR(right.y, -1.0f, 1e-3f);
    stick.data = ANALOG_STICK_DPAD;
    const Vec3 none = map.GetAxis(map.AddInputCommand(stick));
    EXPECT_EQ(none.x, 0.0f);
    InputCommand motion;
    motion.type = INPUT_COMMAND_TYPE_MOTION_CONTROLLER;
    const Vec3 still = map.GetAxis(map.AddInputCommand(motion));
    EXPECT_EQ(still.x, 0.0f);
    EXPECT_EQ(still.y, 0.0f);
    EXPECT_EQ(still.z, 0.0f);
}

TEST_F(ControllersTest, NumbersAndPadsOutsideTheTablesAreNeverDown)
{
    VirtualPad pad(kDefaultVendor, kDefaultProduct);
    StartInput();
    for (int device = 0; device < 32; ++device)
        pad.SetButton(device, true);
    pad.SetHat(SDL_HAT_LEFTUP);
    PumpInputFrame();
    ASSERT_TRUE(InputIsButtonDown(0, JOY_ButtonA));
    // The default layout gives the triggers no button.
    EXPECT_FALSE(InputIsButtonDown(0, JOY_L2));
    EXPECT_FALSE(InputIsButtonDown(0, TRIG_RIGHT));
    for (int button : {33, 40, 63, 64, 1000, -1})
    {
        SCOPED_TRACE(button);
        EXPECT_FALSE(InputIsButtonDown(0, button));
        EXPECT_FALSE(InputIsButtonNewlyDown(0, button));
    }
    for (int padIndex : {-1, 4, 100})
    {
        EXPECT_FALSE(InputIsButtonDown(padIndex, JOY_ButtonA));
        EXPECT_FALSE(InputIsControllerAvailable(padIndex));
        EXPECT_EQ(InputGetJoyAxis(padIndex, JOY_X), 0.0f);
    }
    EXPECT_EQ(InputGetJoyAxis(0, 6), 0.0f);
    EXPECT_EQ(InputGetJoyAxis(0, -1), 0.0f);
}

TEST_F(ControllersTest, UnknownProductIsIgnoredInDefaultModeAndReadInEmulation)
{
    VirtualPad pad(kUnknownVendor, kUnknownProduct);
    StartInput();
    pad.SetButton(0, true);
    PumpInputFrame();
    EXPECT_FALSE(InputIsControllerAvailable(0));
    EXPECT_FALSE(InputIsButtonDown(0, JOY_ButtonA));

    InputShutdown();
    InputSetButtonMode(INITIALIZE_BUTTON_MODE_EMULATION);
    StartInput();
    EXPECT_TRUE(InputIsControllerAvailable(0));
    EXPECT_TRUE(InputIsButtonDown(0, JOY_ButtonA));
}

TEST_F(ControllersTest, ModeNoneStopsReadingAndKeepsTheBytesUntilLeft)
{
    VirtualPad pad(kDefaultVendor, kDefaultProduct);
    StartInput();
    pad.SetButton(0, true);
    PumpInputFrame();
    ASSERT_TRUE(InputIsButtonDown(0, JOY_ButtonA));

    InputSetButtonMode(INITIALIZE_BUTTON_MODE_NONE);
    pad.SetButton(0, false);
    pad.SetButton(1, true);
    PumpInputFrame();
    EXPECT_TRUE(InputIsButtonDown(0, JOY_ButtonA));
    EXPECT_FALSE(InputIsButtonDown(0, JOY_ButtonB));

    InputSetButtonMode(INITIALIZE_BUTTON_MODE_DEFAULT);
    EXPECT_FALSE(InputIsButtonDown(0, JOY_ButtonA)) << "leaving mode none resets the slots";
    PumpInputFrame();
    EXPECT_TRUE(InputIsButtonNewlyDown(0, JOY_ButtonB));

    InputSetButtonMode(INITIALIZE_BUTTON_MODE_MAX);
    EXPECT_EQ(InputGetButtonMode(), INITIALIZE_BUTTON_MODE_DEFAULT);
}

TEST_F(ControllersTest, HeldDeviceKeepsItsOneSlotAcrossPlugIns)
{
    VirtualPad first(kDefaultVendor, kDefaultProduct);
    StartInput();
    OnControllerPlugIn();
    OnControllerPlugIn();
    PumpInputFrame();
    EXPECT_TRUE(InputIsControllerAvailable(0));
    EXPECT_FALSE(InputIsControllerAvailable(1));

    VirtualPad second(kLayout1Vendor, kLayout1Product);
    PumpInputFrame(); // the arrival reaches the input layer through the pump
    EXPECT_TRUE(InputIsControllerAvailable(1));
    EXPECT_FALSE(InputIsControllerAvailable(2));
}

TEST_F(ControllersTest, RemovedDeviceFreesItsSlotAndItsButtons)
{
    VirtualPad first(kDefaultVendor, kDefaultProduct);
    VirtualPad second(kLayout3Vendor, kLayout3Product);
    StartInput();
    first.SetButton(0, true);
    second.SetButton(2, true);
    PumpInputFrame();
    ASSERT_TRUE(InputIsButtonDown(0, JOY_ButtonA));
    ASSERT_TRUE(InputIsButtonDown(1, JOY_ButtonA));

    first.Detach();
    PumpInputFrame();
    EXPECT_FALSE(InputIsControllerAvailable(0));
    EXPECT_FALSE(InputIsButtonDown(0, JOY_ButtonA));
    EXPECT_TRUE(InputIsButtonDown(1, JOY_ButtonA)) << "the other pad keeps its slot";

    VirtualPad third(kLayout1Vendor, kLayout1Product);
    PumpInputFrame();
    EXPECT_TRUE(InputIsControllerAvailable(0)) << "a new pad takes the freed slot";
}
} // namespace

namespace
{
// The pads of a game whose window is not in front.
class BackgroundControllersTest : public ControllersTest
{
protected:
    void SetUp() override
    {
        ControllersTest::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_TRUE(CreateMainWindow(true));
    }
    void TearDown() override
    {
        DestroyMainWindow();
        ControllersTest::TearDown();
    }
};
} // namespace

TEST_F(BackgroundControllersTest, PadsAreReadOnlyWhileTheWindowIsInFront)
{
    VirtualPad pad(kDefaultVendor, kDefaultProduct);
    ASSERT_TRUE(pad.IsAttached()) << SDL_GetError();
    StartInput();
    pad.SetButton(7, true);
    PumpInputFrame();
    EXPECT_FALSE(InputIsControllerAvailable(0));
    EXPECT_FALSE(InputIsButtonDown(0, JOY_START));

    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_FOCUS_GAINED);
    PumpInputFrame();
    EXPECT_TRUE(InputIsControllerAvailable(0));
    EXPECT_TRUE(InputIsButtonNewlyDown(0, JOY_START));

    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_FOCUS_LOST);
    pad.SetButton(7, false);
    PumpInputFrame();
    EXPECT_FALSE(InputIsControllerAvailable(0));
    EXPECT_TRUE(InputIsButtonDown(0, JOY_START)); // not read: it keeps what it had
}

TEST_F(BackgroundControllersTest, TheCursorIsConfinedToTheWindowWhileItIsInFront)
{
    StartInput();
    EXPECT_EQ(SDL_GetWindowMouseRect(GetMainWindow()), nullptr);
    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_FOCUS_GAINED);
    PumpInputFrame();
    const SDL_Rect* confined = SDL_GetWindowMouseRect(GetMainWindow());
    ASSERT_NE(confined, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(GetMainWindow(), &width, &height);
    EXPECT_EQ(confined->x, 0);
    EXPECT_EQ(confined->y, 0);
    EXPECT_EQ(confined->w, width);
    EXPECT_EQ(confined->h, height);
    PushWindowEvent(GetMainWindow(), SDL_WINDOWEVENT_FOCUS_LOST);
    PumpInputFrame();
    EXPECT_EQ(SDL_GetWindowMouseRect(GetMainWindow()), nullptr);
}

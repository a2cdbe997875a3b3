#pragma once
// Fixtures of the platform tests: environment variables set for one test,
// and window-system events pushed as if a person had typed, clicked or
// plugged in a pad.

#include "core/FixedString.h"

#include <SDL.h>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

// Sets (or with null unsets) a variable and puts the old value back after.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld;
};

void PushKey(SDL_Scancode scancode, bool down, bool repeat = false, Uint16 modifiers = 0);
void PushText(const char* text);
void PushMouseMotion(int x, int y);
void PushMouseButton(Uint8 button, bool down);
void PushWheel(int notches, float preciseNotches = 0.0f, bool flipped = false);
void PushWindowEvent(SDL_Window* window, Uint8 event, int data1 = 0, int data2 = 0);

// The input layer over the video system, which keyboard layouts and text
// input belong to; no events are left from before the test.
class VideoInputTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};

// One frame of the game's input: the pump delivers the pushed events, then
// the input layer reads them.
void PumpInputFrame();

// A virtual game pad with 6 axes, 32 buttons and a hat, carrying a USB
// vendor and product; opened so the test can move its controls.
class VirtualPad
{
public:
    VirtualPad(uint16_t vendor, uint16_t product);
    ~VirtualPad();
    bool IsAttached() const { return m_joystick != nullptr; }
    void SetButton(int button, bool down);
    void SetAxis(int axis, int16_t value);
    void SetHat(Uint8 hat);
    void Detach();

private:
    int m_deviceIndex = -1;
    SDL_Joystick* m_joystick = nullptr;
};

#include "PlatformTestSupport.h"

#include "platform/Input.h"
#include "platform/Shell.h"

#include <cstdio>
#include <cstdlib>

namespace
{
void PushEvent(SDL_Event& event)
{
    if (SDL_PushEvent(&event) != 1)
        fprintf(stderr, "SDL_PushEvent failed: %s\n", SDL_GetError());
}
} // namespace

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name)
{
    const char* old = getenv(name);
    m_hadOld = old != nullptr;
    if (old)
        m_old = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_hadOld)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

void PushKey(SDL_Scancode scancode, bool down, bool repeat, Uint16 modifiers)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    event.key.keysym.mod = modifiers;
    PushEvent(event);
}

void PushText(const char* text)
{
    SDL_Event event = {};
    event.type = SDL_TEXTINPUT;
    snprintf(event.text.text, sizeof(event.text.text), "%s", text);
    PushEvent(event);
}

void PushMouseMotion(int x, int y)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    PushEvent(event);
}

void PushMouseButton(Uint8 button, bool down)
{
    int x = 0;
    int y = 0;
    InputGetMousePosition(x, y);
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    PushEvent(event);
}

void PushWheel(int notches, float preciseNotches, bool flipped)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = notches;
    event.wheel.preciseY = preciseNotches;
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    PushEvent(event);
}

void PushWindowEvent(SDL_Window* window, Uint8 windowEvent, int data1, int data2)
{
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = window ? SDL_GetWindowID(window) : 0;
    event.window.event = windowEvent;
    event.window.data1 = data1;
    event.window.data2 = data2;
    PushEvent(event);
}

void VideoInputTest::SetUp()
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    InputInit();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void VideoInputTest::TearDown()
{
    InputShutdown();
    SDL_Quit();
}

void PumpInputFrame()
{
    MessagePump();
    InputUpdate();
}

VirtualPad::VirtualPad(uint16_t vendor, uint16_t product)
{
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 6;
    desc.nbuttons = 32;
    desc.nhats = 1;
    desc.vendor_id = vendor;
    desc.product_id = product;
    desc.name = "Pendrel test pad";
    m_deviceIndex = SDL_JoystickAttachVirtualEx(&desc);
    if (m_deviceIndex < 0)
        return;
    m_joystick = SDL_JoystickOpen(m_deviceIndex);
}

VirtualPad::~VirtualPad()
{
    Detach();
}

void VirtualPad::SetButton(int button, bool down)
{
    SDL_JoystickSetVirtualButton(m_joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualPad::SetAxis(int axis, int16_t value)
{
    SDL_JoystickSetVirtualAxis(m_joystick, axis, value);
}

void VirtualPad::SetHat(Uint8 hat)
{
    SDL_JoystickSetVirtualHat(m_joystick, 0, hat);
}

void VirtualPad::Detach()
{
    if (!m_joystick)
        return;
    // The device index moves as pads come and go; find ours by its instance id.
    const SDL_JoystickID id = SDL_JoystickInstanceID(m_joystick);
    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id)
            SDL_JoystickDetachVirtual(i);
}

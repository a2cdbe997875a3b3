#pragma once
// The display: turns the main window into an OpenGL surface (window or full
// screen, pixel format, context, swap interval), presents frames and lets it
// all go again.

#include <cstdint>

// Codes of the zero-terminated attribute list given to DisplayCreate.
enum DisplayAttributeCode : uint32_t
{
    kDisplayAttributeEnd = 0,
    kDisplayAttributeFullScreen = 0x100,
    kDisplayAttributeWindowed = 0x101,
    kDisplayAttributeSwapInterval = 0x110, // + n, n from 0 to 15
    kDisplayAttributeMultisample = 0x200,  // followed by the number of samples
    kDisplayAttributeThreadGL = 0x501,
};

constexpr int kDisplayMaxSwapInterval = 15;
constexpr uint32_t kDisplayMaxSamples = 32;

struct DisplayAttributes
{
    bool fullScreen = false;
    int samples = 0;
    int swapInterval = 0;
};

// Every code of the list counts; a later code of a kind overrides an earlier.
// A zero where a sample count belongs ends the list.
DisplayAttributes DisplayReadAttributes(const uint32_t* list);

struct DisplayPixelFormat
{
    int red = 8, green = 8, blue = 8, alpha = 8;
    int depth = 24;
    int stencil = 8;
    int samples = 0;
};

// A 16-bit desktop gets 16 colour bits and no alpha.
DisplayPixelFormat DisplayChoosePixelFormat(int desktopBits, int samples);

// Needs the main window's system to be up (the shell's CreateMainWindow).
// Recreates the main window with the chosen pixel format. Returns false after
// a report when no surface or context could be made.
bool DisplayCreate(int width, int height, const uint32_t* attributes);
void DisplayDestroy();
// The window goes while the context stays: release it before the main
// window is destroyed, then adopt the new main window (made with the same
// pixel format) at the size, so textures, programs and buffers stay valid.
// False after a report when there is no context or window to join.
void DisplayReleaseWindow();
bool DisplayAdoptWindow(int width, int height, bool fullScreen);
void DisplayPresent();

bool DisplayIsFullScreen();
int DisplayGetWidth();
int DisplayGetHeight();
float DisplayGetAspect();
// The swap interval in effect: 0 when the driver offers no swap control.
int DisplayGetSwapInterval();

// The stored full-screen size, else the primary screen's, read once.
void DisplayGetScreenSize(int& width, int& height);
void DisplaySetScreenSize(int width, int height);

void DisplayConfineCursor(bool on);

// Immediate drawing for debug views.
void GlBeginTriangles();
void GlBeginLines();
void GlVertex(float x, float y, float z);
void GlEnd();
// Sets both the generic vertex attribute 1 and the fixed-function colour.
void GlColor4(float r, float g, float b, float a);

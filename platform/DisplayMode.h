#pragma once
// The adapter's display modes and the full-screen mode change over them.
// Depths of 24 and 32 bits per pixel are the same mode to us: drivers report
// the padded 32-bit layout either way.

#include <cstdint>

struct DisplayMode
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int frequency = 0;
};

enum class DisplayChangeResult
{
    kSuccessful,
    kBadMode,
    kFailed,
    kUnknown,
};

// Where modes come from and how one is put on the screen. The default source
// is the window system; tests install their own. `apply` with a null mode
// returns to the desktop's mode.
struct DisplayModeSource
{
    bool (*enumerate)(DisplayMode& mode, int index);
    DisplayChangeResult (*apply)(const DisplayMode* mode);
};

// Installs a source; null restores the window system's.
void DisplayModeSetSource(const DisplayModeSource* source);

// False past the last mode.
bool EnumDisplayMode(DisplayMode& mode, int index);

bool DisplayModeBitsAlike(int a, int b);
bool DisplayModeMatches(const DisplayMode& mode, int width, int height, int bits);

// Puts the screen into a full-screen mode of that size and depth: the first
// listed mode that matches exactly, else the first of that size at any depth;
// when neither takes, the desktop's mode comes back and the change fails.
bool ChangeScreenMode(int width, int height, int bits);
void RestoreDisplayMode();

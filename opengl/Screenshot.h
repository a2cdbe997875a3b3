#pragma once
// The screenshot of the developer key: the finished frame's back buffer
// written as "screenshot <date stamp>.tga" or ".jpg". The key only asks;
// the frame takes the picture after drawing and before presenting, so the
// file holds the frame that was on its way to the screen.

#include "core/FixedString.h"

// Reads the back buffer at the display's size and writes it now. False
// after a report when it could not be written. `name`, when given, receives
// the file's name.
bool TakeScreenshot(bool asTga, FixedString128* name = nullptr);

// The key's request, kept until the frame takes it.
void ScreenshotRequest(bool asTga);
bool ScreenshotPending();
// Takes the requested screenshot, if any, and clears the request.
void ScreenshotTakeIfRequested();

#pragma once
// Tests of the whole frame: the render system started on a small window
// with the demo's shader programs, files written below a temporary root, and
// frames read back through the screenshot the frame takes before presenting.

#include "opengl/Image.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class ShippedShaders;

constexpr int kRenderTestWidth = 256;
constexpr int kRenderTestHeight = 144;

class RenderSystemTest : public testing::Test
{
protected:
    RenderSystemTest();
    ~RenderSystemTest() override;
    void SetUp() override;
    void TearDown() override;

    // Starts the render system with the options given (the size among
    // them); false when the display could not be made.
    bool StartRenderer(const char* commandLine, bool vertexArrays = true);
    // Starts at the test size, with or without the deferred frame and
    // vertex array objects.
    bool StartRendererAt(bool deferred, bool vertexArrays);
    // Shuts the render system down and lets the window go, to start again.
    void StopRenderer();

    // Draws one frame and returns it as the screenshot saw it (BGR, top row
    // first); null when no screenshot was written.
    std::unique_ptr<Image> RenderFrame(float frameTime = 0.0f);
    // The names of the screenshot files below the root, sorted.
    std::vector<std::string> ScreenshotFiles() const;

    TempDir m_temp;
    std::unique_ptr<ShippedShaders> m_shaders;
    bool m_started = false;
};

// Channels of the pixel at (x, y), y counted from the top.
struct Pixel
{
    int r, g, b;
};
Pixel PixelAt(const Image& image, int x, int y);

#include "opengl/Screenshot.h"

#include "core/DateStamp.h"
#include "core/LogError.h"
#include "opengl/Image.h"
#include "opengl/ImageLoader.h"
#include "opengl/PrimBatch.h"
#include "platform/Display.h"

#include <GL/glew.h>

namespace
{
struct ScreenshotRequestState
{
    bool pending = false;
    bool asTga = false;
};

ScreenshotRequestState g_request;

// TGA keeps GL's bottom-up rows (its header says so); JPEG rows go top first.
bool ReadBackBuffer(Image& image, bool asTga, int width, int height)
{
    if (!image.Allocate(asTga ? kImageFormatBGR : kImageFormatRGB, uint32_t(width), uint32_t(height)))
        return false;
    // Quads still in the batch belong to the frame being read.
    PrimFlush();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, asTga ? GL_BGR : GL_RGB, GL_UNSIGNED_BYTE, image.pixels);
    if (!asTga)
        image.FlipVertical();
    return true;
}
} // namespace

bool TakeScreenshot(bool asTga, FixedString128* name)
{
    const int width = DisplayGetWidth();
    const int height = DisplayGetHeight();
    Image image;
    if (width <= 0 || height <= 0 || !ReadBackBuffer(image, asTga, width, height))
    {
        LogError("Pendrel Render no screenshot of a %d x %d display.\n", width, height);
        return false;
    }
    FixedString128 path;
    path.Format("screenshot %s.%s", FormatDateStamp(), asTga ? "tga" : "jpg");
    if (name)
        *name = path;
    return ImageSave(image, path.c_str());
}

void ScreenshotRequest(bool asTga)
{
    g_request.pending = true;
    g_request.asTga = asTga;
}

bool ScreenshotPending()
{
    return g_request.pending;
}

void ScreenshotTakeIfRequested()
{
    if (!g_request.pending)
        return;
    g_request.pending = false;
    TakeScreenshot(g_request.asTga);
}

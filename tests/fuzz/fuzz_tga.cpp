// TGA files, whole in memory.
#include "FuzzTarget.h"

#include "opengl/Image.h"
#include "opengl/TgaCodec.h"

#include <memory>

FUZZ_TARGET(tga)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    std::unique_ptr<Image> image(TGA_ImageLoadHandler(data, size, "fuzz.tga"));
    return 0;
}

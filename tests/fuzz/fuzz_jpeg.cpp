// JPEG files through the reader's own source manager.
#include "FuzzTarget.h"

#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"
#include "opengl/JpegCodec.h"

#include <memory>

FUZZ_TARGET(jpeg)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    MemoryByteSource source(data, size);
    std::unique_ptr<Image> image(JPG_ImageLoadHandler(source, "fuzz.jpg"));
    return 0;
}

// DDS files, whole in memory.
#include "FuzzTarget.h"

#include "opengl/DdsReader.h"
#include "opengl/Image.h"

#include <memory>

FUZZ_TARGET(dds)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    std::unique_ptr<Image> image(DDS_ImageLoadHandler(data, size, "fuzz.dds"));
    return 0;
}

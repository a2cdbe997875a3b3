#include "FuzzTarget.h"

#include "core/LogError.h"
#include "frontend/ScreenElementData.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
struct ScratchFolder
{
    // In memory when the machine has a memory file system: the storefront's
    // files are written durably, and a flush to a disk per input cost targets
    // most of their speed.
    ScratchFolder()
    {
        char inMemory[] = "/dev/shm/pendrel-fuzz-XXXXXX";
        char onDisk[] = "/tmp/pendrel-fuzz-XXXXXX";
        if (mkdtemp(inMemory))
            path = inMemory;
        else if (mkdtemp(onDisk))
            path = onDisk;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            fs::remove_all(path, ignored);
    }
    std::string path;
};
} // namespace

void FuzzSilenceReports()
{
    SetLogErrorHandler([](const char*) {});
}

void FuzzUseNoScreenTextures()
{
    static const ScreenTextureSource kNoTextures = {[](const char*) -> Texture* { return nullptr; },
                                                    [](Texture** holder) { *holder = nullptr; }};
    ScreenElementDataSetTextureSource(&kNoTextures);
}

const std::string& FuzzFreshFolder()
{
    static ScratchFolder scratch;
    std::error_code ignored;
    for (const fs::directory_entry& item : fs::directory_iterator(scratch.path, ignored))
        fs::remove_all(item.path(), ignored);
    return scratch.path;
}

bool FuzzWriteFile(const std::string& folder, const std::string& relative, const void* bytes, size_t size)
{
    const fs::path path = fs::path(folder) / relative;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = size == 0 || fwrite(bytes, 1, size, file) == size;
    return fclose(file) == 0 && written;
}

FuzzSplit FuzzSplitAtZero(const uint8_t* data, size_t size)
{
    // The replay driver hands an empty input over as a null pointer.
    if (size == 0)
        return FuzzSplit();
    const char* text = reinterpret_cast<const char*>(data);
    const void* zero = memchr(data, 0, size);
    const size_t first = zero ? size_t(static_cast<const uint8_t*>(zero) - data) : size;
    FuzzSplit split;
    split.first.assign(text, first);
    if (first < size)
        split.rest.assign(text + first + 1, size - first - 1);
    return split;
}

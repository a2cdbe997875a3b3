#include "tools/formats/FileBytes.h"

#include <cstdio>
#include <filesystem>

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
    {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && written;
}

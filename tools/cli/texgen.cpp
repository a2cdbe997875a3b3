// texgen <output .tga or .dds> <width> <height> <pattern> [dxt1|dxt3|dxt5]
// Writes a texture for the demo tree. Patterns: "check" (an 8 x 8 board of
// two greys), "gradient" (red across, green down), "ring" (a soft white disc
// on clear, for particles), a painted pattern of the texture painter
// ("grass", "rock", "roof", "scales", "portrait"...), or a colour as
// RRGGBBAA hex. TGA files are
// 32-bit run-length, top row first; DDS files default to DXT5 with mips.

#include "tools/formats/DdsWriter.h"
#include "tools/formats/TexturePainter.h"
#include "tools/formats/TgaWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
bool Pattern(const char* name, uint32_t width, uint32_t height, std::vector<uint8_t>& rgba)
{
    if (TexturePaint(name, width, height, rgba))
        return true;
    rgba.assign(size_t(width) * height * 4, 255);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
            if (strcmp(name, "check") == 0)
                p[0] = p[1] = p[2] = ((x * 8 / width + y * 8 / height) & 1) ? 200 : 90;
            else if (strcmp(name, "gradient") == 0)
            {
                p[0] = uint8_t(x * 255 / (width > 1 ? width - 1 : 1));
                p[1] = uint8_t(y * 255 / (height > 1 ? height - 1 : 1));
                p[2] = 64;
            }
            else if (strcmp(name, "ring") == 0)
            {
                const float dx = (x + 0.5f) / width * 2 - 1, dy = (y + 0.5f) / height * 2 - 1;
                const float edge = 1.0f - std::sqrt(dx * dx + dy * dy);
                p[3] = uint8_t(edge <= 0 ? 0 : edge >= 1 ? 255 : edge * 255);
            }
            else if (strlen(name) == 8)
            {
                const unsigned long colour = strtoul(name, nullptr, 16);
                for (int k = 0; k < 4; ++k)
                    p[k] = uint8_t(colour >> (24 - 8 * k));
            }
            else
                return false;
        }
    return true;
}

bool EndsWith(const std::string& text, const char* suffix)
{
    const size_t length = strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

std::vector<uint8_t> Encode(const std::string& output, const char* dxt, std::vector<uint8_t>& rgba,
                            uint32_t width, uint32_t height)
{
    if (EndsWith(output, ".dds"))
    {
        const DxtFormat format = strcmp(dxt, "dxt1") == 0   ? DxtFormat::DXT1
                                 : strcmp(dxt, "dxt3") == 0 ? DxtFormat::DXT3
                                                            : DxtFormat::DXT5;
        return DdsWrite(format, rgba.data(), width, height);
    }
    for (size_t i = 0; i < rgba.size(); i += 4) // TGA pixels are BGRA
        std::swap(rgba[i], rgba[i + 2]);
    return TgaWrite(rgba.data(), uint16_t(width), uint16_t(height), {10, 32, true, 0, 0, 0});
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 6)
    {
        fprintf(stderr, "usage: %s <output .tga|.dds> <width> <height> <pattern> [dxt1|dxt3|dxt5]\n",
                argv[0]);
        return 2;
    }
    const std::string output = argv[1];
    const long width = strtol(argv[2], nullptr, 10), height = strtol(argv[3], nullptr, 10);
    if (width < 1 || height < 1 || width > 4096 || height > 4096)
    {
        fprintf(stderr, "texgen: sides must be 1 to 4096\n");
        return 2;
    }
    if (!EndsWith(output, ".tga") && !EndsWith(output, ".dds"))
    {
        fprintf(stderr, "texgen: %s is neither .tga nor .dds\n", argv[1]);
        return 2;
    }
    std::vector<uint8_t> rgba;
    if (!Pattern(argv[4], uint32_t(width), uint32_t(height), rgba))
    {
        fprintf(stderr, "texgen: unknown pattern %s\n", argv[4]);
        return 2;
    }
    const std::vector<uint8_t> bytes =
        Encode(output, argc == 6 ? argv[5] : "dxt5", rgba, uint32_t(width), uint32_t(height));
    FILE* file = fopen(argv[1], "wb");
    const bool written = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = file && fclose(file) == 0;
    if (!written || !closed)
    {
        fprintf(stderr, "texgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

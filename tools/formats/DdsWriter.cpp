#include "tools/formats/DdsWriter.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr uint32_t kHeaderBytes = 128;
constexpr uint32_t kFlagsCapsHeightWidthPixelFormat = 0x1 | 0x2 | 0x4 | 0x1000;
constexpr uint32_t kFlagMipCount = 0x20000;
constexpr uint32_t kFlagLinearSize = 0x80000;
constexpr uint32_t kPixelFlagFourCC = 0x4;
constexpr uint32_t kCapsTexture = 0x1000;
constexpr uint32_t kCapsMipmapComplex = 0x400008;

uint32_t ChainLength(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    for (; width > 1 || height > 1; ++levels)
    {
        width = std::max(width / 2, 1u);
        height = std::max(height / 2, 1u);
    }
    return levels;
}

const char* FourCCText(DxtFormat format)
{
    switch (format)
    {
    case DxtFormat::DXT1:
        return "DXT1";
    case DxtFormat::DXT3:
        return "DXT3";
    default:
        return "DXT5";
    }
}
} // namespace

void DdsPutU32(std::vector<uint8_t>& bytes, uint32_t offset, uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        bytes[offset + b] = uint8_t(value >> (8 * b));
}

std::vector<uint8_t> RgbaHalve(const uint8_t* rgba, uint32_t width, uint32_t height)
{
    const uint32_t halfWidth = std::max(width / 2, 1u), halfHeight = std::max(height / 2, 1u);
    std::vector<uint8_t> out(size_t(halfWidth) * halfHeight * 4);
    for (uint32_t y = 0; y < halfHeight; ++y)
        for (uint32_t x = 0; x < halfWidth; ++x)
            for (uint32_t k = 0; k < 4; ++k)
            {
                const uint32_t x0 = std::min(2 * x, width - 1), x1 = std::min(2 * x + 1, width - 1);
                const uint32_t y0 = std::min(2 * y, height - 1), y1 = std::min(2 * y + 1, height - 1);
                const uint32_t sum =
                    rgba[(size_t(y0) * width + x0) * 4 + k] + rgba[(size_t(y0) * width + x1) * 4 + k] +
                    rgba[(size_t(y1) * width + x0) * 4 + k] + rgba[(size_t(y1) * width + x1) * 4 + k];
                out[(size_t(y) * halfWidth + x) * 4 + k] = uint8_t((sum + 2) / 4);
            }
    return out;
}

std::vector<uint8_t> DdsWrite(DxtFormat format, const uint8_t* rgba, uint32_t width, uint32_t height,
                              uint32_t mipCount)
{
    if (mipCount == 0)
        mipCount = ChainLength(width, height);
    std::vector<uint8_t> out(kHeaderBytes, 0);
    memcpy(out.data(), "DDS ", 4);
    DdsPutU32(out, 4, 124);
    DdsPutU32(out, 8,
              kFlagsCapsHeightWidthPixelFormat | kFlagLinearSize | (mipCount > 1 ? kFlagMipCount : 0));
    DdsPutU32(out, kDdsFieldHeight, height);
    DdsPutU32(out, kDdsFieldWidth, width);
    DdsPutU32(out, kDdsFieldMipCount, mipCount);
    DdsPutU32(out, 76, 32);
    DdsPutU32(out, kDdsFieldPixelFlags, kPixelFlagFourCC);
    memcpy(out.data() + kDdsFieldFourCC, FourCCText(format), 4);
    DdsPutU32(out, 108, kCapsTexture | (mipCount > 1 ? kCapsMipmapComplex : 0));

    std::vector<uint8_t> level(rgba, rgba + size_t(width) * height * 4);
    for (uint32_t i = 0; i < mipCount; ++i)
    {
        const std::vector<uint8_t> blocks = DxtEncodeImage(format, level.data(), width, height);
        if (i == 0)
            DdsPutU32(out, kDdsFieldLinearSize, uint32_t(blocks.size()));
        out.insert(out.end(), blocks.begin(), blocks.end());
        level = RgbaHalve(level.data(), width, height);
        width = std::max(width / 2, 1u);
        height = std::max(height / 2, 1u);
    }
    return out;
}

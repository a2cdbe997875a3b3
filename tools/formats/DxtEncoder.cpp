#include "tools/formats/DxtEncoder.h"

#include <algorithm>

namespace
{
uint16_t Pack565(const uint8_t* c)
{
    return uint16_t(((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3));
}

void Unpack565(uint16_t v, uint8_t* c)
{
    const int r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    c[0] = uint8_t((r << 3) | (r >> 2));
    c[1] = uint8_t((g << 2) | (g >> 4));
    c[2] = uint8_t((b << 3) | (b >> 2));
    c[3] = 255;
}

void ColourPalette(uint16_t c0, uint16_t c1, bool fourColours, uint8_t palette[4][4])
{
    Unpack565(c0, palette[0]);
    Unpack565(c1, palette[1]);
    for (int k = 0; k < 3; ++k)
    {
        if (fourColours)
        {
            palette[2][k] = uint8_t((2 * palette[0][k] + palette[1][k]) / 3);
            palette[3][k] = uint8_t((palette[0][k] + 2 * palette[1][k]) / 3);
        }
        else
        {
            palette[2][k] = uint8_t((palette[0][k] + palette[1][k]) / 2);
            palette[3][k] = 0;
        }
    }
    palette[2][3] = 255;
    palette[3][3] = fourColours ? 255 : 0;
}

int Distance(const uint8_t* a, const uint8_t* b)
{
    int sum = 0;
    for (int k = 0; k < 3; ++k)
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    return sum;
}

// Eight bytes: two 5:6:5 endpoints, then 2-bit indices, always in
// four-colour mode (c0 > c1), or all index 0 for a one-colour block. The
// endpoints are the two pixels farthest apart, so blocks of two colours
// keep both exactly.
void EncodeColours(const uint8_t* rgba, uint8_t* out)
{
    int farthest = -1;
    const uint8_t* high = rgba;
    const uint8_t* low = rgba;
    for (int i = 0; i < 16; ++i)
        for (int j = i + 1; j < 16; ++j)
            if (Distance(rgba + i * 4, rgba + j * 4) > farthest)
            {
                farthest = Distance(rgba + i * 4, rgba + j * 4);
                high = rgba + i * 4;
                low = rgba + j * 4;
            }
    uint16_t c0 = Pack565(high), c1 = Pack565(low);
    if (c0 < c1)
        std::swap(c0, c1);
    uint32_t indices = 0;
    if (c0 != c1)
    {
        uint8_t palette[4][4];
        ColourPalette(c0, c1, true, palette);
        for (int i = 0; i < 16; ++i)
        {
            int best = 0;
            for (int p = 1; p < 4; ++p)
                if (Distance(rgba + i * 4, palette[p]) < Distance(rgba + i * 4, palette[best]))
                    best = p;
            indices |= uint32_t(best) << (2 * i);
        }
    }
    out[0] = uint8_t(c0);
    out[1] = uint8_t(c0 >> 8);
    out[2] = uint8_t(c1);
    out[3] = uint8_t(c1 >> 8);
    for (int b = 0; b < 4; ++b)
        out[4 + b] = uint8_t(indices >> (8 * b));
}

void EncodeExplicitAlpha(const uint8_t* rgba, uint8_t* out)
{
    for (int i = 0; i < 16; i += 2)
        out[i / 2] = uint8_t((rgba[i * 4 + 3] >> 4) | (rgba[(i + 1) * 4 + 3] & 0xF0));
}

void AlphaPalette(uint8_t a0, uint8_t a1, uint8_t palette[8])
{
    palette[0] = a0;
    palette[1] = a1;
    for (int p = 1; p < 7; ++p)
        palette[p + 1] = uint8_t(((7 - p) * a0 + p * a1) / 7);
}

// Eight-level interpolated alpha (a0 > a1), or all index 0 for one value.
void EncodeInterpolatedAlpha(const uint8_t* rgba, uint8_t* out)
{
    uint8_t a0 = 0, a1 = 255;
    for (int i = 0; i < 16; ++i)
    {
        a0 = std::max(a0, rgba[i * 4 + 3]);
        a1 = std::min(a1, rgba[i * 4 + 3]);
    }
    uint64_t indices = 0;
    if (a0 != a1)
    {
        uint8_t palette[8];
        AlphaPalette(a0, a1, palette);
        for (int i = 0; i < 16; ++i)
        {
            int best = 0;
            for (int p = 1; p < 8; ++p)
                if (std::abs(palette[p] - rgba[i * 4 + 3]) < std::abs(palette[best] - rgba[i * 4 + 3]))
                    best = p;
            indices |= uint64_t(best) << (3 * i);
        }
    }
    out[0] = a0;
    out[1] = a1;
    for (int b = 0; b < 6; ++b)
        out[2 + b] = uint8_t(indices >> (8 * b));
}

void DecodeColours(const uint8_t* in, uint8_t* rgba, bool allowTransparent)
{
    const uint16_t c0 = uint16_t(in[0] | (in[1] << 8)), c1 = uint16_t(in[2] | (in[3] << 8));
    uint8_t palette[4][4];
    ColourPalette(c0, c1, c0 > c1 || !allowTransparent, palette);
    const uint32_t indices =
        uint32_t(in[4]) | (uint32_t(in[5]) << 8) | (uint32_t(in[6]) << 16) | (uint32_t(in[7]) << 24);
    for (int i = 0; i < 16; ++i)
        std::copy(palette[(indices >> (2 * i)) & 3], palette[(indices >> (2 * i)) & 3] + 4, rgba + i * 4);
}
} // namespace

uint32_t DxtBlockBytes(DxtFormat format)
{
    return format == DxtFormat::DXT1 ? 8 : 16;
}

void DxtEncodeBlock(DxtFormat format, const uint8_t* rgba, uint8_t* block)
{
    switch (format)
    {
    case DxtFormat::DXT1:
        EncodeColours(rgba, block);
        break;
    case DxtFormat::DXT3:
        EncodeExplicitAlpha(rgba, block);
        EncodeColours(rgba, block + 8);
        break;
    case DxtFormat::DXT5:
        EncodeInterpolatedAlpha(rgba, block);
        EncodeColours(rgba, block + 8);
        break;
    }
}

std::vector<uint8_t> DxtEncodeImage(DxtFormat format, const uint8_t* rgba, uint32_t width, uint32_t height)
{
    const uint32_t blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
    std::vector<uint8_t> out(size_t(blocksWide) * blocksHigh * DxtBlockBytes(format));
    uint8_t pixels[64];
    uint8_t* block = out.data();
    for (uint32_t by = 0; by < blocksHigh; ++by)
        for (uint32_t bx = 0; bx < blocksWide; ++bx, block += DxtBlockBytes(format))
        {
            for (uint32_t i = 0; i < 16; ++i)
            {
                const uint32_t x = std::min(bx * 4 + i % 4, width - 1),
                               y = std::min(by * 4 + i / 4, height - 1);
                std::copy(rgba + (size_t(y) * width + x) * 4, rgba + (size_t(y) * width + x) * 4 + 4,
                          pixels + i * 4);
            }
            DxtEncodeBlock(format, pixels, block);
        }
    return out;
}

void DxtDecodeBlock(DxtFormat format, const uint8_t* block, uint8_t* rgba)
{
    if (format == DxtFormat::DXT1)
    {
        DecodeColours(block, rgba, true);
        return;
    }
    DecodeColours(block + 8, rgba, false);
    if (format == DxtFormat::DXT3)
    {
        for (int i = 0; i < 16; ++i)
            rgba[i * 4 + 3] = uint8_t(((block[i / 2] >> (4 * (i & 1))) & 15) * 17);
        return;
    }
    uint8_t palette[8];
    AlphaPalette(block[0], block[1], palette);
    if (block[0] <= block[1])
    {
        for (int p = 1; p < 5; ++p)
            palette[p + 1] = uint8_t(((5 - p) * block[0] + p * block[1]) / 5);
        palette[6] = 0;
        palette[7] = 255;
    }
    uint64_t indices = 0;
    for (int b = 0; b < 6; ++b)
        indices |= uint64_t(block[2 + b]) << (8 * b);
    for (int i = 0; i < 16; ++i)
        rgba[i * 4 + 3] = palette[(indices >> (3 * i)) & 7];
}

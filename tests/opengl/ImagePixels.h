#pragma once
// Small generated pictures for the image tests: every pixel differs from
// its neighbours, so a flipped, shifted or truncated image shows.

#include <cstddef>
#include <cstdint>
#include <vector>

inline std::vector<uint8_t> GradientPixels(uint32_t width, uint32_t height, uint32_t channels)
{
    std::vector<uint8_t> pixels(size_t(width) * height * channels);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t k = 0; k < channels; ++k)
                pixels[(size_t(y) * width + x) * channels + k] = uint8_t(x * 7 + y * 31 + k * 50);
    return pixels;
}

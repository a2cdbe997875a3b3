#pragma once
// Writes TGA files of every variant the engine reads (and some it refuses),
// for fixtures and the demo's textures.

#include <cstdint>
#include <vector>

struct TgaWriteOptions
{
    uint8_t imageType = 2; // 2 plain, 10 run-length; others for refusal tests
    uint8_t bitsPerPixel = 32;
    bool topLeftOrigin = true; // descriptor bit 5; otherwise rows go bottom-up
    uint16_t yOrigin = 0;
    uint8_t idLength = 0;         // an id field of this many bytes is written
    uint16_t colourMapLength = 0; // entries of a colour map of 24 bits, written before the pixels
};

// `pixels` holds B, G, R (and A at 32 bits) per pixel, top row first.
std::vector<uint8_t> TgaWrite(const uint8_t* pixels, uint16_t width, uint16_t height,
                              const TgaWriteOptions& options);

#pragma once
// Writes DDS files of DXT1, DXT3 or DXT5 blocks with a mip chain made by
// halving the image with a 2 x 2 box filter.

#include "tools/formats/DxtEncoder.h"

#include <cstdint>
#include <vector>

// Byte offsets of header fields that tests damage on purpose.
constexpr uint32_t kDdsFieldHeight = 12;
constexpr uint32_t kDdsFieldWidth = 16;
constexpr uint32_t kDdsFieldLinearSize = 20;
constexpr uint32_t kDdsFieldMipCount = 28;
constexpr uint32_t kDdsFieldPixelFlags = 80;
constexpr uint32_t kDdsFieldFourCC = 84;

// `rgba` is the top level, top row first. A mip count of 0 writes the whole
// chain down to 1 x 1.
std::vector<uint8_t> DdsWrite(DxtFormat format, const uint8_t* rgba, uint32_t width, uint32_t height,
                              uint32_t mipCount = 0);

// The next smaller level of an RGBA image (each side halved, at least 1).
std::vector<uint8_t> RgbaHalve(const uint8_t* rgba, uint32_t width, uint32_t height);

void DdsPutU32(std::vector<uint8_t>& bytes, uint32_t offset, uint32_t value);

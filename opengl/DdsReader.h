#pragma once
// Reads a DDS file of DXT1, DXT3 or DXT5 blocks with its mip chain.

#include <cstddef>
#include <cstdint>

class Image;

constexpr uint32_t kDdsHeaderSize = 128;

// A new image of the whole file held in `bytes`, or null after a report.
// A mip chain that the file cuts short ends at the last whole level, so the
// chain's length is the level limit of the texture made from it.
Image* DDS_ImageLoadHandler(const uint8_t* bytes, size_t size, const char* name);

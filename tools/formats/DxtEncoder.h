#pragma once
// A simple block encoder for DXT1, DXT3 and DXT5: endpoints from the
// block's per-channel extremes, indices by the nearest palette entry. Good
// enough for fixtures and demo textures; blocks of one colour that 5:6:5
// represents exactly come back exactly.

#include <cstdint>
#include <vector>

enum class DxtFormat
{
    DXT1,
    DXT3,
    DXT5,
};

uint32_t DxtBlockBytes(DxtFormat format);

// `rgba` holds 16 pixels of four bytes, row by row.
void DxtEncodeBlock(DxtFormat format, const uint8_t* rgba, uint8_t* block);

// The blocks of a whole image (RGBA, top row first); partial edge blocks
// repeat the last row and column.
std::vector<uint8_t> DxtEncodeImage(DxtFormat format, const uint8_t* rgba, uint32_t width, uint32_t height);

// The 16 RGBA pixels of one block, for checks of the encoder itself.
void DxtDecodeBlock(DxtFormat format, const uint8_t* block, uint8_t* rgba);

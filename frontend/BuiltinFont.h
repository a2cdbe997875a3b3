#pragma once
// A bitmap font compiled into the program. A glyph's bitmap has `height` rows
// of ceil(width / 8) bytes, the most significant bit leftmost, a set bit drawn.

#include <cstdint>

struct BuiltinGlyph
{
    uint32_t width;
    uint32_t height;
    int32_t xoffset;
    int32_t yoffset; // the glyph's bottom below the baseline: positive for descenders
    uint32_t advance;
    const uint8_t* bits;
};

struct BuiltinFont
{
    const char* name;
    uint32_t count;
    uint32_t firstCharacter;
    uint32_t lineHeight;
    const BuiltinGlyph* const* glyphs; // one per character, null where the font has none
};

// The console's default font: a proportional 12-pixel sans-serif of the
// ISO 8859-1 range, 224 characters from 32 with glyphs for 191 of them.
const BuiltinFont& ConsoleBuiltinFont();

#pragma once
// Writes bitmap fonts in the text layout the engine reads (info, common,
// page, chars and char lines) with their page as a 32-bit TGA: white, the
// glyph coverage in alpha.

#include <cstdint>
#include <string>
#include <vector>

struct FontWriterGlyph
{
    int id = 0;
    int width = 0;
    int height = 0;
    int xoffset = 0;
    int yoffset = 0; // from the line's top to the glyph's top
    int xadvance = 0;
    std::vector<uint8_t> coverage; // width x height, top row first; empty draws a solid box
};

struct FontWriterFont
{
    std::string face;
    int size = 0;
    int lineHeight = 0;
    int base = 0;
    int pageSide = 0;
    std::vector<FontWriterGlyph> glyphs;
};

struct FontWriterOutput
{
    std::string text;
    std::vector<uint8_t> page;
};

// Packs the glyphs row by row, one texel apart; false when they overrun the page.
bool FontWrite(const FontWriterFont& font, const std::string& pageFile, FontWriterOutput& out);
// Writes <folder>/<name>.fnt and its page <folder>/<name>_0.tga.
bool FontWriteFiles(const FontWriterFont& font, const std::string& folder, const std::string& name);

// Solid boxes for the characters first..last: every glyph width x height at
// the line's top, advancing by `advance`.
FontWriterFont FontSolidBoxes(const std::string& face, int lineHeight, int first, int last, int width, int height,
                              int advance);

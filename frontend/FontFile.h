#pragma once
// The text layout of a bitmap font file: an info line, a common line, one
// page line, a chars line and one char line per glyph, each a tag followed by
// key=value pairs. Values are taken by key, so a writer that adds or drops a
// key elsewhere does not shift the others.

#include "core/FixedString.h"
#include "core/StreamBytes.h"

#include <cstdint>
#include <vector>

// 65536 glyph lines of a hundred characters take under half of this.
constexpr FileSizeBound kFontFileBound = {"font", 16ull << 20};

struct FontFileGlyph
{
    int32_t id = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t xoffset = 0;
    int32_t yoffset = 0;
    int32_t xadvance = 0;
    int32_t page = 0;
};

struct FontFileData
{
    FixedString256 face;
    int32_t size = 0;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t lineHeight = 0;
    int32_t base = 0;
    int32_t scaleW = 0;
    int32_t scaleH = 0;
    int32_t pages = 0;
    FixedString256 pageFile;
    std::vector<FontFileGlyph> glyphs;
};

// False, with the reason in `why`, when a key is missing or a value is out of
// range: a count unlike the char lines, an empty page, a glyph off the page,
// more than one page.
bool FontFileParse(const char* text, size_t length, FontFileData& out, FixedString256& why);

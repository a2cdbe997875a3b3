#pragma once
// The walk over a string that BasicText measures and draws with: characters
// decoded by text mode, lines broken at words, glyph quads placed and clipped.

#include "frontend/BasicText.h"

#include <cstdint>

// The console's output: one byte a character, bytes 240 to 255 pick a colour.
constexpr uint32_t kBasicTextConsoleOutput = 2;

struct TextBox
{
    int x;
    int y;
    int width;
    int height;
};

struct TextLine
{
    const char* begin = nullptr;
    const char* end = nullptr;
    int width = 0;
    bool newline = false;
};

struct TextLineCount
{
    int lines = 0;
    int widest = 0;
};

class BasicTextLayout
{
public:
    BasicTextLayout(const BasicText& font, uint32_t mode) : m_font(font), m_mode(mode) {}

    int StringLength(const char* text) const;
    TextLineCount CountLines(const char* text, float scale, int width) const;
    // Takes the next line at or after `p` and moves `p` past it; false at the end.
    bool NextLine(const char*& p, float scale, int width, TextLine& line) const;
    // Without `flush` the glyphs stay in the batch for the caller.
    void Draw(const char* text, uint32_t colour, const TextBox& box, int cursor, int alignX, int alignY,
              float scale, int limit, bool& reportArmed, bool flush) const;
    void DrawBottomUp(const char* text, uint32_t colour, const TextBox& box, int skipLines) const;

private:
    enum CharKind
    {
        kCharEnd,
        kCharCode,
        kCharColour,
    };
    struct TextChar
    {
        CharKind kind;
        int code;
        const char* next;
    };

    TextChar Read(const char* p) const;
    TextChar ReadUtf8(const char* p) const;
    // The glyph that takes a character's place: its own, else the default
    // character's; null when neither exists.
    const BasicTextGlyph* PlacedGlyph(int code) const;
    int Advance(int code, float scale) const;
    void BindForDrawing(uint32_t colour) const;
    // What a string's walk counts across its lines: the cursor stands before
    // the glyph of its index, and only the first `limit` glyphs draw.
    struct GlyphWalk
    {
        int cursor = -1;
        int limit = -1;
        int index = 0;
        int drawn = 0;
    };
    // Draws a line's glyphs from the pen; returns where the pen ends.
    int DrawLineGlyphs(const TextLine& line, int penX, int penY, float scale, const TextBox& box, GlyphWalk& walk,
                       bool& reportArmed) const;
    void DrawCursor(int penX, int penY, float scale, const TextBox& box, bool& reportArmed) const;
    void EmitGlyph(const BasicTextGlyph& glyph, int penX, int penY, float scale, const TextBox& box,
                   bool& reportArmed) const;

    const BasicText& m_font;
    uint32_t m_mode;
};

#pragma once
// A bitmap font with its page texture that measures strings and draws them
// into a box: word wrap, alignment, shrink-to-fit, a cursor, a limit on the
// glyphs shown and colour escapes. Fonts read from files are shared through
// the file table (BasicTextGet / BasicTextRelease).

#include "core/FixedString.h"
#include "frontend/FontFile.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class Texture;
struct BuiltinFont;

// The file's glyph with its texture coordinates on the page.
struct BasicTextGlyph : FontFileGlyph
{
    float uLeft = 0.0f;
    float uRight = 0.0f;
    float vBottom = 0.0f;
    float vTop = 0.0f;
};

enum BasicTextMode : uint32_t
{
    kBasicTextUtf8 = 0,
    kBasicTextLatin1 = 1, // one byte a character; 0xFF and the byte after it set the colour
};

enum BasicTextAlign : int
{
    kAlignLeftTop = 0,
    kAlignRightBottom = 1,
    kAlignCentre = 2,
};

constexpr int kBasicTextPaletteSize = 16;
// rgba8888 packed with red in the low byte.
uint32_t BasicTextPaletteColour(int index);

class BasicText
{
public:
    explicit BasicText(const char* path);
    explicit BasicText(const BuiltinFont& record);
    ~BasicText();
    BasicText(const BasicText&) = delete;
    BasicText& operator=(const BasicText&) = delete;

    bool HasGlyphs() const { return !m_glyphs.empty(); }
    void SetTextMode(BasicTextMode mode) { m_textMode = mode; }
    int LineHeight() const { return m_lineHeight; }
    int LargestYOffset() const { return m_largestYOffset; }
    const char* FaceName() const { return m_face.c_str(); }
    const BasicTextGlyph* FindGlyph(int id) const;
    const Texture* PageTexture() const { return m_pages.empty() ? nullptr : m_pages[0]; }

    int GetStringLength(const char* text) const;
    int GetStringHeight(const char* text, int width) const;
    // Alignment codes are BasicTextAlign; cursor -1 for none, limit -1 for all.
    void DrawString(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight, int cursor,
                    int alignX, int alignY, float scale, int limit) const;
    // As DrawString, leaving the glyphs in the batch so that strings of one
    // font share draws; the batch must hold nothing of another texture, and
    // the caller flushes.
    void DrawStringBatched(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight,
                           int alignX, int alignY) const;
    // The console's output: lines from the last one upwards, after skipping
    // `skipLines` from the end; bytes 240 to 255 pick a palette colour.
    void DrawBottomUp(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight,
                      int skipLines) const;

private:
    friend class BasicTextLayout;
    bool LoadFile(const char* path);
    void TakeFile(const FontFileData& data);
    void BuildFromRecord(const BuiltinFont& record);
    const BasicTextGlyph* DrawnGlyph(int code) const;
    void Draw(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight, int cursor, int alignX,
              int alignY, float scale, int limit, bool flush) const;

    uint32_t m_textMode = kBasicTextUtf8;
    std::vector<Texture*> m_pages;
    bool m_ownsPages = false;
    std::unordered_map<int, BasicTextGlyph> m_glyphs;
    FixedString256 m_face;
    int32_t m_size = 0;
    int32_t m_bold = 0;
    int32_t m_italic = 0;
    int32_t m_lineHeight = 0;
    int32_t m_base = 0;
    int32_t m_scaleW = 0;
    int32_t m_scaleH = 0;
    int32_t m_pageCount = 0;
    int32_t m_charCount = 0;
    int32_t m_largestYOffset = 0;
    uint8_t m_hangsDown = 1;
    int m_defaultCharacter = '?';
};

// The cached font of the file with one more reference (a new one when none is
// cached); a font that does not open still comes back, drawing nothing.
BasicText* BasicTextGet(const char* path);
// Drops a reference; the font is deleted with its last one.
void BasicTextRelease(BasicText* font, const char* path);

// Set at program start; each of the two boundary reports is made at most once.
void BasicTextResetBoundaryReports();

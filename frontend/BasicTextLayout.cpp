#include "frontend/BasicTextLayout.h"

#include "core/LogError.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/TextureBuiltins.h"

#include <GL/glew.h>

#include <algorithm>

namespace
{
constexpr int kBottomUpLineRing = 512;

int Truncate(float value)
{
    return static_cast<int>(value);
}

struct RingLine
{
    TextLine line;
    uint32_t colour;
};
} // namespace

BasicTextLayout::TextChar BasicTextLayout::ReadUtf8(const char* p) const
{
    const uint8_t lead = static_cast<uint8_t>(p[0]);
    if (lead < 0x80)
        return {kCharCode, lead, p + 1};
    if (lead >= 0xF8)
        return {kCharEnd, 0, p};
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    int code = length == 4 ? (lead & 0x07) : length == 3 ? (lead & 0x0F) : length == 2 ? (lead & 0x1F) : lead;
    for (int i = 1; i < length; ++i)
    {
        if (p[i] == 0)
            return {kCharEnd, 0, p + i};
        code = (code << 6) | (static_cast<uint8_t>(p[i]) & 0x3F);
    }
    return {kCharCode, code, p + length};
}

BasicTextLayout::TextChar BasicTextLayout::Read(const char* p) const
{
    const uint8_t byte = static_cast<uint8_t>(p[0]);
    if (byte == 0)
        return {kCharEnd, 0, p};
    switch (m_mode)
    {
    case kBasicTextUtf8:
        return ReadUtf8(p);
    case kBasicTextLatin1:
        if (byte != 0xFF)
            return {kCharCode, byte, p + 1};
        if (p[1] == 0)
            return {kCharEnd, 0, p + 1};
        return {kCharColour, static_cast<uint8_t>(p[1]) & 15, p + 2};
    default:
        if (byte >= 240)
            return {kCharColour, byte - 240, p + 1};
        return {kCharCode, byte, p + 1};
    }
}

// A glyph of no height but with an advance is a blank: it takes its place
// and draws nothing. Only one without either counts as lacking.
const BasicTextGlyph* BasicTextLayout::PlacedGlyph(int code) const
{
    const BasicTextGlyph* glyph = m_font.FindGlyph(code);
    if (glyph && (glyph->height != 0 || glyph->xadvance != 0))
        return glyph;
    glyph = m_font.FindGlyph('?');
    if (glyph && (glyph->height != 0 || glyph->xadvance != 0))
        return glyph;
    return nullptr;
}

int BasicTextLayout::Advance(int code, float scale) const
{
    const BasicTextGlyph* glyph = PlacedGlyph(code);
    return glyph ? Truncate(float(glyph->xadvance) * scale) : 0;
}

int BasicTextLayout::StringLength(const char* text) const
{
    int length = 0;
    for (TextChar c = Read(text); c.kind != kCharEnd; c = Read(c.next))
    {
        if (c.kind != kCharCode)
            continue;
        if (const BasicTextGlyph* glyph = m_font.FindGlyph(c.code))
            length += glyph->xadvance;
    }
    return length;
}

bool BasicTextLayout::NextLine(const char*& p, float scale, int width, TextLine& line) const
{
    if (Read(p).kind == kCharEnd)
        return false;
    line = TextLine();
    line.begin = p;
    int blanksWidth = 0;
    bool hasWord = false;
    const char* q = p;
    for (;;)
    {
        const TextChar c = Read(q);
        if (c.kind == kCharEnd || (c.kind == kCharCode && c.code == '\n'))
        {
            line.end = q;
            line.newline = c.kind == kCharCode;
            p = c.next;
            return true;
        }
        if (c.kind == kCharColour || c.code == '\r')
        {
            q = c.next;
            continue;
        }
        if (c.code == ' ')
        {
            blanksWidth += Advance(' ', scale);
            q = c.next;
            continue;
        }
        int wordWidth = 0;
        const char* wordEnd = q;
        for (TextChar d = Read(wordEnd); d.kind != kCharEnd; d = Read(wordEnd))
        {
            if (d.kind == kCharCode && (d.code == ' ' || d.code == '\n'))
                break;
            if (d.kind == kCharCode && d.code != '\r')
                wordWidth += Advance(d.code, scale);
            wordEnd = d.next;
        }
        // A word wider than the box on its own still gets a line of its own.
        if (hasWord && line.width + blanksWidth + wordWidth > width)
        {
            line.end = q;
            p = q;
            return true;
        }
        line.width += blanksWidth + wordWidth;
        blanksWidth = 0;
        hasWord = true;
        q = wordEnd;
    }
}

TextLineCount BasicTextLayout::CountLines(const char* text, float scale, int width) const
{
    TextLineCount count;
    TextLine line;
    for (const char* p = text; NextLine(p, scale, width, line);)
    {
        ++count.lines;
        count.widest = std::max(count.widest, line.width);
    }
    return count;
}

void BasicTextLayout::BindForDrawing(uint32_t colour) const
{
    GLBindTexture(0, m_font.PageTexture());
    GLBindTexture(1, TextureBuiltin(kTextureDefaultWhite));
    GLBlendAlpha();
    PrimSetType(GL_QUADS);
    PrimSetColorPacked(colour);
}

void BasicTextLayout::EmitGlyph(const BasicTextGlyph& glyph, int penX, int penY, float scale, const TextBox& box,
                                bool& reportArmed) const
{
    if (glyph.width <= 0 || glyph.height <= 0)
        return;
    const float width = float(glyph.width) * scale;
    const float height = float(glyph.height) * scale;
    float left, top;
    if (m_font.m_hangsDown)
    {
        left = float(penX) + float(glyph.xoffset) * scale;
        top = float(penY) + float(glyph.yoffset) * scale;
    }
    else
    {
        left = float(penX) - float(glyph.xoffset) * scale;
        top = float(penY) + float(glyph.yoffset) * scale - height;
    }
    const int l = Truncate(left);
    const int r = Truncate(left + width);
    const int t = Truncate(top);
    const int b = Truncate(top + height);
    const int boxBottom = box.y + box.height;
    if (b <= box.y || t >= boxBottom)
    {
        if (reportArmed)
        {
            LogError("Error:Character is trying to be rendered outside of boundries\n");
            reportArmed = false;
        }
        return;
    }
    float vTop = glyph.vTop;
    float vBottom = glyph.vBottom;
    int drawTop = t;
    int drawBottom = b;
    const float vPerPixel = (glyph.vBottom - glyph.vTop) / float(b - t);
    if (t < box.y)
    {
        vTop += vPerPixel * float(box.y - t);
        drawTop = box.y;
    }
    if (b > boxBottom)
    {
        vBottom -= vPerPixel * float(b - boxBottom);
        drawBottom = boxBottom;
    }
    PrimSetTexCoord(0, glyph.uRight, vTop);
    PrimVertex3i(r, drawTop, 0);
    PrimSetTexCoord(0, glyph.uLeft, vTop);
    PrimVertex3i(l, drawTop, 0);
    PrimSetTexCoord(0, glyph.uLeft, vBottom);
    PrimVertex3i(l, drawBottom, 0);
    PrimSetTexCoord(0, glyph.uRight, vBottom);
    PrimVertex3i(r, drawBottom, 0);
}

void BasicTextLayout::Draw(const char* text, uint32_t colour, const TextBox& box, int cursor, int alignX,
                           int alignY, float scale, int limit, bool& reportArmed, bool flush) const
{
    const int lineHeight = m_font.LineHeight();
    float fit = scale;
    TextLineCount count = CountLines(text, fit, box.width);
    int height = count.lines * Truncate(float(lineHeight) * fit);
    while (fit > 0.0f && (height > box.height || count.widest > box.width))
    {
        fit -= 0.01f;
        count = CountLines(text, fit, box.width);
        height = count.lines * Truncate(float(lineHeight) * fit);
    }
    if (fit <= 0.0f)
        return;

    int y = box.y;
    const int freeSpace = box.height - height;
    if ((alignY == kAlignRightBottom || alignY == kAlignCentre) && freeSpace < 0)
        reportArmed = false;
    if (alignY == kAlignRightBottom)
        y += freeSpace - freeSpace % lineHeight;
    else if (alignY == kAlignCentre)
        y += Truncate(float(freeSpace) * 0.5f);

    const int lineStep = Truncate(float(lineHeight) * fit) + 1;
    int penY = m_font.m_hangsDown ? y : y + Truncate(float(lineHeight) * fit);
    BindForDrawing(colour);
    GlyphWalk walk;
    walk.cursor = cursor;
    walk.limit = limit;
    int nextX = box.x;
    int nextY = penY;
    TextLine line;
    for (const char* p = text; NextLine(p, fit, box.width, line);)
    {
        const int offset = alignX == kAlignRightBottom ? box.width - line.width
                           : alignX == kAlignCentre    ? (box.width - line.width) / 2
                                                       : 0;
        const int penX = DrawLineGlyphs(line, box.x + offset, penY, fit, box, walk, reportArmed);
        nextX = penX;
        nextY = penY;
        if (line.newline)
        {
            if (walk.index == cursor)
                DrawCursor(penX, penY, fit, box, reportArmed);
            ++walk.index;
            nextX = box.x;
            nextY = penY + lineStep;
        }
        penY += lineStep;
    }
    if (walk.index == cursor)
        DrawCursor(nextX, nextY, fit, box, reportArmed);
    if (flush)
        PrimFlush();
}

void BasicTextLayout::DrawCursor(int penX, int penY, float scale, const TextBox& box, bool& reportArmed) const
{
    if (const BasicTextGlyph* glyph = PlacedGlyph('|'))
        EmitGlyph(*glyph, penX == box.x ? penX : penX - 1, penY, scale, box, reportArmed);
}

int BasicTextLayout::DrawLineGlyphs(const TextLine& line, int penX, int penY, float scale, const TextBox& box,
                                    GlyphWalk& walk, bool& reportArmed) const
{
    for (const char* q = line.begin; q < line.end;)
    {
        const TextChar c = Read(q);
        if (c.kind == kCharEnd)
            break;
        q = c.next;
        if (c.kind == kCharColour)
        {
            PrimSetColorPacked(BasicTextPaletteColour(c.code));
            continue;
        }
        const BasicTextGlyph* glyph = c.code == '\r' ? nullptr : PlacedGlyph(c.code);
        if (!glyph)
            continue;
        if (walk.index == walk.cursor)
            DrawCursor(penX, penY, scale, box, reportArmed);
        if (walk.limit < 0 || walk.drawn < walk.limit)
            EmitGlyph(*glyph, penX, penY, scale, box, reportArmed);
        ++walk.drawn;
        ++walk.index;
        penX += Truncate(float(glyph->xadvance) * scale);
    }
    return penX;
}

void BasicTextLayout::DrawBottomUp(const char* text, uint32_t colour, const TextBox& box, int skipLines) const
{
    static RingLine ring[kBottomUpLineRing];
    const int lineHeight = m_font.LineHeight();
    const int lineStep = lineHeight + 1;
    int total = 0;
    uint32_t current = colour;
    TextLine line;
    for (const char* p = text; NextLine(p, 1.0f, box.width, line); ++total)
    {
        ring[total % kBottomUpLineRing] = {line, current};
        for (const char* q = line.begin; q < line.end;)
        {
            const TextChar c = Read(q);
            if (c.kind == kCharEnd)
                break;
            if (c.kind == kCharColour)
                current = BasicTextPaletteColour(c.code);
            q = c.next;
        }
    }
    const int oldest = std::max(0, total - kBottomUpLineRing);
    int penY = m_font.m_hangsDown ? box.y + box.height - lineHeight
                                  : box.y + box.height - m_font.LargestYOffset();
    BindForDrawing(colour);
    for (int i = total - 1 - std::max(0, skipLines); i >= oldest; --i)
    {
        const int lineTop = m_font.m_hangsDown ? penY : penY - lineHeight;
        if (lineTop < box.y)
            break;
        const RingLine& entry = ring[i % kBottomUpLineRing];
        PrimSetColorPacked(entry.colour);
        GlyphWalk walk;
        bool noReports = false;
        DrawLineGlyphs(entry.line, box.x, penY, 1.0f, box, walk, noReports);
        penY -= lineStep;
    }
    PrimFlush();
}

#include "frontend/BasicText.h"

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "frontend/BasicTextLayout.h"
#include "frontend/BuiltinFont.h"
#include "frontend/FontFile.h"
#include "opengl/GLState.h"
#include "opengl/Image.h"
#include "opengl/PrimBatch.h"
#include "opengl/ResourceCache.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

namespace
{
constexpr uint8_t kPalette[kBasicTextPaletteSize][3] = {
    {0, 0, 0},       {0, 0, 102},     {0, 102, 0},     {0, 102, 102},   {102, 0, 0},     {102, 0, 102},
    {102, 102, 0},   {102, 102, 102}, {204, 204, 204}, {128, 176, 255}, {176, 255, 176}, {76, 255, 255},
    {255, 76, 76},   {255, 76, 255},  {255, 229, 176}, {255, 255, 255},
};

bool g_boundaryReportArmed = true;

int BuiltinTextureSide(const BuiltinFont& record)
{
    uint64_t widths = 0;
    for (uint32_t i = 0; i < record.count; ++i)
        if (record.glyphs[i])
            widths += record.glyphs[i]->width;
    const uint64_t area = (uint64_t(record.lineHeight) + 1) * widths;
    if (area < 4096)
        return 64;
    if (area < 16384)
        return 128;
    return 256;
}

struct PackedPlace
{
    int x;
    int y;
};

// Places the glyphs row by row in character order; false when they overrun the side.
bool PackGlyphs(const BuiltinFont& record, int side, std::vector<PackedPlace>& places)
{
    places.assign(record.count, PackedPlace{0, 0});
    int x = 0;
    int y = 0;
    const int rowStep = int(record.lineHeight) + 1;
    for (uint32_t i = 0; i < record.count; ++i)
    {
        const BuiltinGlyph* glyph = record.glyphs[i];
        if (!glyph)
            continue;
        const int width = int(glyph->width);
        if (x + width > side)
        {
            x = 0;
            y += rowStep;
        }
        if (width > side || y + int(glyph->height) > side)
            return false;
        places[i] = {x, y};
        x += width + 1;
    }
    return true;
}

// Coverage goes to alpha over white, so the colour of the string shows and
// the space around each glyph stays clear. Rows go in bottom-up, matching the
// v order of built-in glyphs, so the glyphs stand upright.
void BlitGlyph(const BuiltinGlyph& glyph, const PackedPlace& place, int side, uint8_t* rgba)
{
    const uint32_t rowBytes = (glyph.width + 7) / 8;
    for (uint32_t row = 0; row < glyph.height; ++row)
    {
        const int textureRow = place.y + int(glyph.height - 1 - row);
        for (uint32_t column = 0; column < glyph.width; ++column)
        {
            const uint8_t byte = glyph.bits[row * rowBytes + column / 8];
            if (byte & (0x80 >> (column % 8)))
                rgba[(size_t(textureRow) * side + place.x + column) * 4 + 3] = 255;
        }
    }
}

Texture* MakeBuiltinTexture(const BuiltinFont& record, int side, const std::vector<PackedPlace>& places)
{
    Image image;
    if (!image.Allocate(kImageFormatRGBA, uint32_t(side), uint32_t(side)))
        return nullptr;
    for (uint32_t i = 0; i < image.size; i += 4)
        memset(image.pixels + i, 255, 3);
    for (uint32_t i = 0; i < record.count; ++i)
        if (record.glyphs[i])
            BlitGlyph(*record.glyphs[i], places[i], side, image.pixels);
    Texture* texture = TextureFromImage(image);
    GLBindTextureForget(texture);
    TextureSetNearestFilter(texture);
    TextureSetClampToEdge(texture);
    return texture;
}

const char* FolderEnd(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}
} // namespace

uint32_t BasicTextPaletteColour(int index)
{
    const uint8_t* c = kPalette[index & (kBasicTextPaletteSize - 1)];
    return uint32_t(c[0]) | (uint32_t(c[1]) << 8) | (uint32_t(c[2]) << 16) | 0xFF000000u;
}

void BasicTextResetBoundaryReports()
{
    g_boundaryReportArmed = true;
}

BasicText::BasicText(const char* path)
{
    if (!LoadFile(path))
        m_glyphs.clear();
}

BasicText::BasicText(const BuiltinFont& record)
{
    BuildFromRecord(record);
}

BasicText::~BasicText()
{
    for (Texture*& page : m_pages)
    {
        if (m_ownsPages)
        {
            GLBindTextureForget(page);
            delete page;
        }
        else
        {
            TextureRelease(&page);
        }
    }
}

bool BasicText::LoadFile(const char* path)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open basic text font %s failed.\n", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kFontFileBound, bytes))
        return false;
    FontFileData data;
    FixedString256 why;
    if (!FontFileParse(reinterpret_cast<const char*>(bytes.data()), bytes.size(), data, why))
    {
        LogError("Could not parse font file %s.\n", path);
        LogError("  %s\n", why.c_str());
        return false;
    }
    TakeFile(data);
    FixedString256 pagePath;
    pagePath.Format("%.*s%s", int(FolderEnd(path) - path), path, data.pageFile.c_str());
    m_pages.push_back(TextureLoad(pagePath, true));
    return m_pages[0] != nullptr;
}

void BasicText::TakeFile(const FontFileData& data)
{
    m_textMode = kBasicTextUtf8;
    m_hangsDown = 1;
    m_face = data.face;
    m_size = data.size;
    m_bold = data.bold;
    m_italic = data.italic;
    m_lineHeight = data.lineHeight;
    m_base = data.base;
    m_scaleW = data.scaleW;
    m_scaleH = data.scaleH;
    m_pageCount = data.pages;
    m_charCount = int32_t(data.glyphs.size());
    for (const FontFileGlyph& in : data.glyphs)
    {
        BasicTextGlyph& glyph = m_glyphs[in.id];
        static_cast<FontFileGlyph&>(glyph) = in;
        glyph.uLeft = float(in.x) / float(m_scaleW);
        glyph.uRight = float(in.x + in.width) / float(m_scaleW);
        glyph.vBottom = float(in.y + in.height) / float(m_scaleH);
        glyph.vTop = float(in.y) / float(m_scaleH);
        m_largestYOffset = std::max(m_largestYOffset, in.yoffset);
    }
}

void BasicText::BuildFromRecord(const BuiltinFont& record)
{
    // Typed text is Latin-1, one byte a character.
    m_textMode = kBasicTextLatin1;
    m_hangsDown = 0;
    m_face = record.name;
    m_lineHeight = int32_t(record.lineHeight);
    m_charCount = int32_t(record.count);
    m_pageCount = 1;
    int side = BuiltinTextureSide(record);
    std::vector<PackedPlace> places;
    while (!PackGlyphs(record, side, places))
    {
        if (side >= 1024)
        {
            LogError("Built-in font %s does not fit a texture.\n", record.name);
            return;
        }
        side *= 2;
    }
    m_scaleW = m_scaleH = side;
    for (uint32_t i = 0; i < record.count; ++i)
    {
        BasicTextGlyph& glyph = m_glyphs[int(record.firstCharacter + i)];
        glyph.id = int32_t(record.firstCharacter + i);
        const BuiltinGlyph* in = record.glyphs[i];
        if (!in)
            continue;
        glyph.x = places[i].x;
        glyph.y = places[i].y;
        glyph.width = int32_t(in->width);
        glyph.height = int32_t(in->height);
        glyph.xoffset = in->xoffset;
        glyph.yoffset = in->yoffset;
        glyph.xadvance = int32_t(in->advance);
        glyph.uLeft = float(glyph.x) / float(side);
        glyph.uRight = float(glyph.x + glyph.width) / float(side);
        glyph.vBottom = float(glyph.y) / float(side);
        glyph.vTop = float(glyph.y + glyph.height) / float(side);
        m_largestYOffset = std::max(m_largestYOffset, in->yoffset);
    }
    m_pages.push_back(MakeBuiltinTexture(record, side, places));
    m_ownsPages = true;
}

const BasicTextGlyph* BasicText::FindGlyph(int id) const
{
    const auto found = m_glyphs.find(id);
    return found == m_glyphs.end() ? nullptr : &found->second;
}

const BasicTextGlyph* BasicText::DrawnGlyph(int code) const
{
    const BasicTextGlyph* glyph = FindGlyph(code);
    if (glyph && glyph->height != 0)
        return glyph;
    glyph = FindGlyph(m_defaultCharacter);
    return glyph && glyph->height != 0 ? glyph : nullptr;
}

int BasicText::GetStringLength(const char* text) const
{
    BasicTextLayout layout(*this, m_textMode);
    return layout.StringLength(text);
}

int BasicText::GetStringHeight(const char* text, int width) const
{
    BasicTextLayout layout(*this, m_textMode);
    return m_lineHeight * layout.CountLines(text, 1.0f, width).lines;
}

void BasicText::DrawString(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight,
                           int cursor, int alignX, int alignY, float scale, int limit) const
{
    Draw(text, colour, x, y, boxWidth, boxHeight, cursor, alignX, alignY, scale, limit, true);
}

void BasicText::DrawStringBatched(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight,
                                  int alignX, int alignY) const
{
    Draw(text, colour, x, y, boxWidth, boxHeight, -1, alignX, alignY, 1.0f, -1, false);
}

void BasicText::Draw(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight, int cursor,
                     int alignX, int alignY, float scale, int limit, bool flush) const
{
    if (!text || boxWidth <= 0 || boxHeight <= 0 || m_glyphs.empty() || m_pages.empty() || !m_pages[0])
        return;
    const bool armedAtStart = g_boundaryReportArmed;
    BasicTextLayout layout(*this, m_textMode);
    layout.Draw(text, colour, {x, y, boxWidth, boxHeight}, cursor, alignX, alignY, scale, limit,
                g_boundaryReportArmed, flush);
    if (armedAtStart && !g_boundaryReportArmed)
        LogError("Error: Text outside of boundries\n");
}

void BasicText::DrawBottomUp(const char* text, uint32_t colour, int x, int y, int boxWidth, int boxHeight,
                             int skipLines) const
{
    if (!text || boxWidth <= 0 || boxHeight <= 0 || m_glyphs.empty() || m_pages.empty() || !m_pages[0])
        return;
    BasicTextLayout layout(*this, kBasicTextConsoleOutput);
    layout.DrawBottomUp(text, colour, {x, y, boxWidth, boxHeight}, skipLines);
}

BasicText* BasicTextGet(const char* path)
{
    if (void* cached = ResourceCacheFind(path, kResourceBasicText))
        return static_cast<BasicText*>(cached);
    BasicText* font = new BasicText(path);
    ResourceCacheStore(path, font, kResourceBasicText);
    return font;
}

void BasicTextRelease(BasicText* font, const char* path)
{
    if (font && ResourceCacheRelease(path, font))
        delete font;
}

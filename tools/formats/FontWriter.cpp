#include "tools/formats/FontWriter.h"

#include "tools/formats/TgaWriter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace
{
struct Place
{
    int x;
    int y;
};

bool Pack(const FontWriterFont& font, std::vector<Place>& places)
{
    int x = 0;
    int y = 0;
    int rowHeight = 0;
    for (const FontWriterGlyph& glyph : font.glyphs)
    {
        if (x + glyph.width > font.pageSide)
        {
            x = 0;
            y += rowHeight + 1;
            rowHeight = 0;
        }
        if (glyph.width > font.pageSide || y + glyph.height > font.pageSide)
            return false;
        places.push_back({x, y});
        x += glyph.width + 1;
        rowHeight = std::max(rowHeight, glyph.height);
    }
    return true;
}

void Blit(const FontWriterGlyph& glyph, const Place& place, int side, std::vector<uint8_t>& bgra)
{
    for (int row = 0; row < glyph.height; ++row)
        for (int column = 0; column < glyph.width; ++column)
        {
            const size_t at = size_t(row) * size_t(glyph.width) + size_t(column);
            const uint8_t alpha = glyph.coverage.empty() ? 255 : glyph.coverage[at];
            bgra[(size_t(place.y + row) * size_t(side) + size_t(place.x + column)) * 4 + 3] = alpha;
        }
}

std::string Lines(const FontWriterFont& font, const std::string& pageFile, const std::vector<Place>& places)
{
    char line[512];
    std::string text;
    snprintf(line, sizeof line,
             "info face=\"%s\" size=%d bold=0 italic=0 charset=\"\" unicode=1 stretchH=100 smooth=1 aa=1 "
             "padding=0,0,0,0 spacing=1,1 outline=0\n",
             font.face.c_str(), font.size);
    text += line;
    snprintf(line, sizeof line,
             "common lineHeight=%d base=%d scaleW=%d scaleH=%d pages=1 packed=0 alphaChnl=1 redChnl=0 "
             "greenChnl=0 blueChnl=0\n",
             font.lineHeight, font.base, font.pageSide, font.pageSide);
    text += line;
    snprintf(line, sizeof line, "page id=0 file=\"%s\"\nchars count=%zu\n", pageFile.c_str(), font.glyphs.size());
    text += line;
    for (size_t i = 0; i < font.glyphs.size(); ++i)
    {
        const FontWriterGlyph& g = font.glyphs[i];
        snprintf(line, sizeof line,
                 "char id=%d x=%d y=%d width=%d height=%d xoffset=%d yoffset=%d xadvance=%d page=0 chnl=15\n",
                 g.id, places[i].x, places[i].y, g.width, g.height, g.xoffset, g.yoffset, g.xadvance);
        text += line;
    }
    return text;
}
} // namespace

bool FontWrite(const FontWriterFont& font, const std::string& pageFile, FontWriterOutput& out)
{
    std::vector<Place> places;
    if (font.pageSide <= 0 || !Pack(font, places))
        return false;
    std::vector<uint8_t> bgra(size_t(font.pageSide) * size_t(font.pageSide) * 4, 255);
    for (size_t i = 3; i < bgra.size(); i += 4)
        bgra[i] = 0;
    for (size_t i = 0; i < font.glyphs.size(); ++i)
        Blit(font.glyphs[i], places[i], font.pageSide, bgra);
    out.text = Lines(font, pageFile, places);
    out.page = TgaWrite(bgra.data(), uint16_t(font.pageSide), uint16_t(font.pageSide), TgaWriteOptions());
    return true;
}

bool FontWriteFiles(const FontWriterFont& font, const std::string& folder, const std::string& name)
{
    FontWriterOutput out;
    if (!FontWrite(font, name + "_0.tga", out))
        return false;
    std::ofstream text(folder + "/" + name + ".fnt", std::ios::binary);
    std::ofstream page(folder + "/" + name + "_0.tga", std::ios::binary);
    text.write(out.text.data(), std::streamsize(out.text.size()));
    page.write(reinterpret_cast<const char*>(out.page.data()), std::streamsize(out.page.size()));
    return bool(text) && bool(page);
}

FontWriterFont FontSolidBoxes(const std::string& face, int lineHeight, int first, int last, int width, int height,
                              int advance)
{
    FontWriterFont font;
    font.face = face;
    font.size = lineHeight;
    font.lineHeight = lineHeight;
    font.base = height;
    font.pageSide = 16;
    for (int id = first; id <= last; ++id)
    {
        FontWriterGlyph glyph;
        glyph.id = id;
        glyph.width = width;
        glyph.height = height;
        glyph.xadvance = advance;
        font.glyphs.push_back(glyph);
    }
    const int count = last - first + 1;
    while (font.pageSide < 4096 && (font.pageSide / (width + 1)) * (font.pageSide / (height + 1)) < count)
        font.pageSide *= 2;
    return font;
}

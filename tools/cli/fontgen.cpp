// fontgen <folder> <name> <scale> <line height>
// Writes <name>.fnt and its page for the demo tree: the console's built-in
// glyphs, each pixel grown to scale x scale, in the file layout of fonts.

#include "frontend/BuiltinFont.h"
#include "tools/formats/FontWriter.h"

#include <cstdio>
#include <cstdlib>

namespace
{
constexpr int kBaseRows = 10;

FontWriterGlyph Scaled(const BuiltinGlyph& in, int id, int scale)
{
    FontWriterGlyph out;
    out.id = id;
    out.width = int(in.width) * scale;
    out.height = int(in.height) * scale;
    out.xoffset = in.xoffset * scale;
    out.yoffset = (kBaseRows - int(in.height) + in.yoffset) * scale;
    out.xadvance = int(in.advance) * scale;
    out.coverage.assign(size_t(out.width) * size_t(out.height), 0);
    const uint32_t rowBytes = (in.width + 7) / 8;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
        {
            const uint32_t row = uint32_t(y / scale), column = uint32_t(x / scale);
            if (in.bits[row * rowBytes + column / 8] & (0x80 >> (column % 8)))
                out.coverage[size_t(y) * size_t(out.width) + size_t(x)] = 255;
        }
    return out;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        fprintf(stderr, "usage: fontgen <folder> <name> <scale> <line height>\n");
        return 2;
    }
    const int scale = atoi(argv[3]);
    const int lineHeight = atoi(argv[4]);
    if (scale < 1 || scale > 8 || lineHeight < 1)
    {
        fprintf(stderr, "fontgen: scale 1 to 8 and a line height above 0\n");
        return 2;
    }
    const BuiltinFont& source = ConsoleBuiltinFont();
    FontWriterFont font;
    font.face = argv[2];
    font.size = lineHeight;
    font.lineHeight = lineHeight;
    font.base = kBaseRows * scale;
    font.pageSide = 128 * scale;
    for (uint32_t i = 0; i < source.count; ++i)
        if (source.glyphs[i])
            font.glyphs.push_back(Scaled(*source.glyphs[i], int(source.firstCharacter + i), scale));
    if (!FontWriteFiles(font, argv[1], argv[2]))
    {
        fprintf(stderr, "fontgen: could not write %s/%s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}

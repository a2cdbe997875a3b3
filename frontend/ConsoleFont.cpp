#include "frontend/BuiltinFont.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// The console's own glyphs, drawn as rows of '#' (set) and '.' (clear),
// top row first, separated by '/'. `below` is how far the glyph's bottom
// hangs under the baseline (negative: it floats above it).
namespace
{
struct GlyphArt
{
    int below;
    const char* rows;
};

constexpr int kFirst = 32;
constexpr int kCount = 224;
constexpr int kLineHeight = 12;
constexpr int kBlankAdvance = 3;

const GlyphArt kAscii[] = {
    {0, ""}, // blank
    {0, "#/#/#/#/#/./#"},
    {-4, "#.#/#.#/#.#"},
    {0, ".#.#./.#.#./#####/.#.#./#####/.#.#./.#.#."},
    {0, "..#../.####/#.#../.###./..#.#/####./..#.."},
    {0, "##..#/##..#/...#./..#../.#.../#..##/#..##"},
    {0, ".##../#..#./#.#../.#.../#.#.#/#..#./.##.#"},
    {-4, "#/#/#"},
    {0, ".#/#./#./#./#./#./.#"},
    {0, "#./.#/.#/.#/.#/.#/#."},
    {-1, "..#../#.#.#/.###./#.#.#/..#.."},
    {-1, "..#../..#../#####/..#../..#.."},
    {1, ".#/.#/#."},
    {-3, "####"},
    {0, "#"},
    {0, "....#/...#./...#./..#../.#.../.#.../#...."},
    {0, ".###./#...#/#..##/#.#.#/##..#/#...#/.###."},
    {0, ".#./##./.#./.#./.#./.#./###"},
    {0, ".###./#...#/....#/...#./..#../.#.../#####"},
    {0, ".###./#...#/....#/..##./....#/#...#/.###."},
    {0, "...#./..##./.#.#./#..#./#####/...#./...#."},
    {0, "#####/#..../####./....#/....#/#...#/.###."},
    {0, "..##./.#.../#..../####./#...#/#...#/.###."},
    {0, "#####/....#/...#./..#../.#.../.#.../.#..."},
    {0, ".###./#...#/#...#/.###./#...#/#...#/.###."},
    {0, ".###./#...#/#...#/.####/....#/...#./.##.."},
    {0, "#/./././#"},
    {1, ".#/../../.#/.#/#."},
    {0, "...#/..#./.#../#.../.#../..#./...#"},
    {-2, "#####/...../#####"},
    {0, "#.../.#../..#./...#/..#./.#../#..."},
    {0, ".###./#...#/....#/...#./..#../...../..#.."},
    {0, ".###./#...#/#.###/#.#.#/#.###/#..../.###."},
    {0, ".###./#...#/#...#/#####/#...#/#...#/#...#"},
    {0, "####./#...#/#...#/####./#...#/#...#/####."},
    {0, ".###./#...#/#..../#..../#..../#...#/.###."},
    {0, "####./#...#/#...#/#...#/#...#/#...#/####."},
    {0, "#####/#..../#..../####./#..../#..../#####"},
    {0, "#####/#..../#..../####./#..../#..../#...."},
    {0, ".###./#...#/#..../#.###/#...#/#...#/.####"},
    {0, "#...#/#...#/#...#/#####/#...#/#...#/#...#"},
    {0, "###/.#./.#./.#./.#./.#./###"},
    {0, "..###/...#./...#./...#./...#./#..#./.##.."},
    {0, "#...#/#..#./#.#../##.../#.#../#..#./#...#"},
    {0, "#..../#..../#..../#..../#..../#..../#####"},
    {0, "#...#/##.##/#.#.#/#.#.#/#...#/#...#/#...#"},
    {0, "#...#/##..#/#.#.#/#..##/#...#/#...#/#...#"},
    {0, ".###./#...#/#...#/#...#/#...#/#...#/.###."},
    {0, "####./#...#/#...#/####./#..../#..../#...."},
    {0, ".###./#...#/#...#/#...#/#.#.#/#..#./.##.#"},
    {0, "####./#...#/#...#/####./#.#../#..#./#...#"},
    {0, ".####/#..../#..../.###./....#/....#/####."},
    {0, "#####/..#../..#../..#../..#../..#../..#.."},
    {0, "#...#/#...#/#...#/#...#/#...#/#...#/.###."},
    {0, "#...#/#...#/#...#/#...#/#...#/.#.#./..#.."},
    {0, "#...#/#...#/#...#/#.#.#/#.#.#/#.#.#/.#.#."},
    {0, "#...#/#...#/.#.#./..#../.#.#./#...#/#...#"},
    {0, "#...#/#...#/.#.#./..#../..#../..#../..#.."},
    {0, "#####/....#/...#./..#../.#.../#..../#####"},
    {0, "##/#./#./#./#./#./##"},
    {0, "#..../.#.../.#.../..#../...#./...#./....#"},
    {0, "##/.#/.#/.#/.#/.#/##"},
    {-4, "..#../.#.#./#...#"},
    {1, "#####"},
    {-5, "#./.#"},
    {0, ".###./....#/.####/#...#/.####"},
    {0, "#..../#..../####./#...#/#...#/#...#/####."},
    {0, ".###./#..../#..../#...#/.###."},
    {0, "....#/....#/.####/#...#/#...#/#...#/.####"},
    {0, ".###./#...#/#####/#..../.###."},
    {0, "..##/.#../####/.#../.#../.#../.#.."},
    {2, ".####/#...#/#...#/#...#/.####/....#/.###."},
    {0, "#..../#..../####./#...#/#...#/#...#/#...#"},
    {0, "#/./#/#/#/#/#"},
    {2, "..#/.../..#/..#/..#/..#/..#/#.#/.#."},
    {0, "#.../#.../#..#/#.#./##../#.#./#..#"},
    {0, "##./.#./.#./.#./.#./.#./###"},
    {0, "##.#./#.#.#/#.#.#/#.#.#/#.#.#"},
    {0, "####./#...#/#...#/#...#/#...#"},
    {0, ".###./#...#/#...#/#...#/.###."},
    {2, "####./#...#/#...#/#...#/####./#..../#...."},
    {2, ".####/#...#/#...#/#...#/.####/....#/....#"},
    {0, "#.##/##../#.../#.../#..."},
    {0, ".####/#..../.###./....#/####."},
    {0, ".#../####/.#../.#../.#../.#.#/..#."},
    {0, "#...#/#...#/#...#/#...#/.####"},
    {0, "#...#/#...#/#...#/.#.#./..#.."},
    {0, "#...#/#.#.#/#.#.#/#.#.#/.#.#."},
    {0, "#...#/.#.#./..#../.#.#./#...#"},
    {2, "#...#/#...#/#...#/#...#/.####/....#/.###."},
    {0, "#####/...#./..#../.#.../#####"},
    {0, "..#/.#./.#./#../.#./.#./..#"},
    {1, "#/#/#/#/#/#/#/#/#"},
    {0, "#../.#./.#./..#/.#./.#./#.."},
    {-3, "##..#/#..##"},
};
static_assert(sizeof(kAscii) / sizeof(kAscii[0]) == 95, "one glyph for each of 32 to 126");

enum Accent
{
    kNone,
    kGrave,
    kAcute,
    kCircumflex,
    kTilde,
    kDiaeresis,
    kRing,
    kFlipped, // the base turned upside down
};

const char* const kAccentRows[] = {"", "#../.#.", "..#/.#.", ".#./#.#", ".##/##.", "#.#", ".#./#.#/.#."};

// The Latin-1 upper half as a base glyph with a mark, or a glyph of its own.
struct Latin1Glyph
{
    char base;
    Accent accent;
    GlyphArt own;
};

const Latin1Glyph kLatin1[] = {
    {' ', kNone, {}},        {'!', kFlipped, {}},     {'c', kNone, {}},
    {0, kNone, {0, "..##./.#..#/.#.../###../.#.../.#..#/#####"}},
    {'o', kNone, {}},        {'Y', kNone, {}},        {'|', kNone, {}},
    {'S', kNone, {}},        {0, kNone, {-6, "#.#"}}, {'C', kNone, {}},
    {'a', kNone, {}},        {'<', kNone, {}},        {0, kNone, {-2, "#####/....#"}},
    {'-', kNone, {}},        {'R', kNone, {}},        {0, kNone, {-6, "####"}},
    {0, kNone, {-4, ".#./#.#/.#."}},                  {'+', kNone, {}},
    {'2', kNone, {}},        {'3', kNone, {}},        {0, kNone, {-5, ".#/#."}},
    {'u', kNone, {}},        {'P', kNone, {}},        {0, kNone, {-3, "#"}},
    {0, kNone, {1, ".#/#."}},                         {'1', kNone, {}},
    {'o', kNone, {}},        {'>', kNone, {}},        {'/', kNone, {}},
    {'/', kNone, {}},        {'/', kNone, {}},        {'?', kFlipped, {}},
    {'A', kGrave, {}},       {'A', kAcute, {}},       {'A', kCircumflex, {}},
    {'A', kTilde, {}},       {'A', kDiaeresis, {}},   {'A', kRing, {}},
    {'E', kNone, {}},        {'C', kNone, {}},        {'E', kGrave, {}},
    {'E', kAcute, {}},       {'E', kCircumflex, {}},  {'E', kDiaeresis, {}},
    {'I', kGrave, {}},       {'I', kAcute, {}},       {'I', kCircumflex, {}},
    {'I', kDiaeresis, {}},   {'D', kNone, {}},        {'N', kTilde, {}},
    {'O', kGrave, {}},       {'O', kAcute, {}},       {'O', kCircumflex, {}},
    {'O', kTilde, {}},       {'O', kDiaeresis, {}},   {'x', kNone, {}},
    {'O', kNone, {}},        {'U', kGrave, {}},       {'U', kAcute, {}},
    {'U', kCircumflex, {}},  {'U', kDiaeresis, {}},   {'Y', kAcute, {}},
    {'P', kNone, {}},        {'B', kNone, {}},        {'a', kGrave, {}},
    {'a', kAcute, {}},       {'a', kCircumflex, {}},  {'a', kTilde, {}},
    {'a', kDiaeresis, {}},   {'a', kRing, {}},        {'e', kNone, {}},
    {'c', kNone, {}},        {'e', kGrave, {}},       {'e', kAcute, {}},
    {'e', kCircumflex, {}},  {'e', kDiaeresis, {}},   {'l', kGrave, {}},
    {'l', kAcute, {}},       {'l', kCircumflex, {}},  {'l', kDiaeresis, {}},
    {'o', kNone, {}},        {'n', kTilde, {}},       {'o', kGrave, {}},
    {'o', kAcute, {}},       {'o', kCircumflex, {}},  {'o', kTilde, {}},
    {'o', kDiaeresis, {}},   {'+', kNone, {}},        {'o', kNone, {}},
    {'u', kGrave, {}},       {'u', kAcute, {}},       {'u', kCircumflex, {}},
    {'u', kDiaeresis, {}},   {'y', kAcute, {}},       {'p', kNone, {}},
    {'y', kDiaeresis, {}},
};
static_assert(sizeof(kLatin1) / sizeof(kLatin1[0]) == 96, "one glyph for each of 160 to 255");

// Accented i takes the mark instead of its dot.
constexpr const char* kDotlessI = "#/#/#/#/#";

std::vector<std::string> SplitRows(const char* rows)
{
    std::vector<std::string> out;
    if (!*rows)
        return out;
    std::string row;
    for (const char* p = rows;; ++p)
    {
        if (*p == '/' || *p == 0)
        {
            out.push_back(row);
            row.clear();
            if (*p == 0)
                break;
        }
        else
        {
            row += *p;
        }
    }
    return out;
}

struct BuiltGlyph
{
    int below = 0;
    std::vector<std::string> rows;
};

BuiltGlyph Compose(const Latin1Glyph& entry)
{
    BuiltGlyph out;
    if (!entry.base)
    {
        out.below = entry.own.below;
        out.rows = SplitRows(entry.own.rows);
        return out;
    }
    const GlyphArt& base = kAscii[entry.base - kFirst];
    out.below = base.below;
    const bool dotless = entry.base == 'l' && entry.accent != kNone;
    out.rows = SplitRows(dotless ? kDotlessI : base.rows);
    if (entry.accent == kFlipped)
    {
        std::vector<std::string> flipped(out.rows.rbegin(), out.rows.rend());
        out.rows = flipped;
        out.below = 2;
        return out;
    }
    if (entry.accent == kNone)
        return out;
    size_t width = 0;
    for (const std::string& row : out.rows)
        width = std::max(width, row.size());
    std::vector<std::string> mark = SplitRows(kAccentRows[entry.accent]);
    const size_t markWidth = mark.empty() ? 0 : mark[0].size();
    const size_t pad = width > markWidth ? (width - markWidth) / 2 : 0;
    std::vector<std::string> rows;
    for (const std::string& row : mark)
        rows.push_back(std::string(pad, '.') + row);
    rows.push_back("");
    rows.insert(rows.end(), out.rows.begin(), out.rows.end());
    out.rows = rows;
    return out;
}

struct ConsoleFontStore
{
    std::vector<BuiltinGlyph> glyphs;
    std::vector<std::vector<uint8_t>> bits;
    std::vector<const BuiltinGlyph*> table;
    BuiltinFont font{};

    void Add(int index, const BuiltGlyph& art)
    {
        size_t width = 0;
        for (const std::string& row : art.rows)
            width = std::max(width, row.size());
        const size_t rowBytes = (width + 7) / 8;
        std::vector<uint8_t>& bitmap = bits[size_t(index)];
        bitmap.assign(rowBytes * art.rows.size(), 0);
        for (size_t r = 0; r < art.rows.size(); ++r)
            for (size_t c = 0; c < art.rows[r].size(); ++c)
                if (art.rows[r][c] == '#')
                    bitmap[r * rowBytes + c / 8] |= uint8_t(0x80 >> (c % 8));
        BuiltinGlyph& glyph = glyphs[size_t(index)];
        glyph.width = uint32_t(width);
        glyph.height = uint32_t(art.rows.size());
        glyph.xoffset = 0;
        glyph.yoffset = art.below;
        glyph.advance = width == 0 ? kBlankAdvance : uint32_t(width + 1);
        glyph.bits = bitmap.empty() ? nullptr : bitmap.data();
        table[size_t(index)] = &glyph;
    }

    ConsoleFontStore() : glyphs(kCount), bits(kCount), table(kCount, nullptr)
    {
        for (int i = 0; i < 95; ++i)
            Add(i, BuiltGlyph{kAscii[i].below, SplitRows(kAscii[i].rows)});
        for (int i = 0; i < 96; ++i)
            Add(160 - kFirst + i, Compose(kLatin1[i]));
        font.name = "-adobe-helvetica-medium-r-normal--12-120-75-75-p-67-iso8859-1";
        font.count = kCount;
        font.firstCharacter = kFirst;
        font.lineHeight = kLineHeight;
        font.glyphs = table.data();
    }
};
} // namespace

const BuiltinFont& ConsoleBuiltinFont()
{
    static const ConsoleFontStore store;
    return store.font;
}

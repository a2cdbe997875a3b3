#include "frontend/FontFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr int kMaxPairs = 24;
constexpr int kMaxGlyphs = 65536;

struct Span
{
    const char* begin = nullptr;
    size_t length = 0;

    bool Is(const char* word) const { return strlen(word) == length && memcmp(begin, word, length) == 0; }
};

// One line split into its tag and key=value pairs; a quoted value may hold blanks.
struct FontLine
{
    Span tag;
    Span keys[kMaxPairs];
    Span values[kMaxPairs];
    int count = 0;

    const Span* Find(const char* key) const
    {
        for (int i = 0; i < count; ++i)
            if (keys[i].Is(key))
                return &values[i];
        return nullptr;
    }
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

void SkipBlanks(const char*& p, const char* end)
{
    while (p < end && IsBlank(*p))
        ++p;
}

Span ReadWord(const char*& p, const char* end, bool stopAtEquals)
{
    Span word{p, 0};
    while (p < end && !IsBlank(*p) && !(stopAtEquals && *p == '='))
        ++p;
    word.length = size_t(p - word.begin);
    return word;
}

Span ReadValue(const char*& p, const char* end)
{
    if (p < end && *p == '"')
    {
        ++p;
        Span value{p, 0};
        while (p < end && *p != '"')
            ++p;
        value.length = size_t(p - value.begin);
        if (p < end)
            ++p;
        return value;
    }
    return ReadWord(p, end, false);
}

void SplitLine(const char* p, const char* end, FontLine& line)
{
    SkipBlanks(p, end);
    line.tag = ReadWord(p, end, true);
    line.count = 0;
    while (line.count < kMaxPairs)
    {
        SkipBlanks(p, end);
        if (p >= end)
            return;
        Span key = ReadWord(p, end, true);
        Span value{p, 0};
        if (p < end && *p == '=')
        {
            ++p;
            value = ReadValue(p, end);
        }
        line.keys[line.count] = key;
        line.values[line.count] = value;
        ++line.count;
    }
}

class FontFileReader
{
public:
    FontFileReader(FontFileData& out, FixedString256& why) : m_out(out), m_why(why) {}

    bool Read(const char* text, size_t length)
    {
        const char* p = text;
        const char* end = text + length;
        while (p < end)
        {
            const char* lineEnd = p;
            while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r' && *lineEnd != 0)
                ++lineEnd;
            FontLine line;
            SplitLine(p, lineEnd, line);
            if (line.tag.length != 0 && !TakeLine(line))
                return false;
            if (lineEnd < end && *lineEnd == 0)
                break;
            p = lineEnd + 1;
        }
        return Finish();
    }

private:
    bool Fail(const char* reason, const char* key = nullptr)
    {
        m_why.Format("%s%s%s", reason, key ? " " : "", key ? key : "");
        return false;
    }

    bool Int(const FontLine& line, const char* key, int32_t& value)
    {
        const Span* span = line.Find(key);
        if (!span)
            return Fail("missing key", key);
        char buffer[24];
        if (span->length == 0 || span->length >= sizeof buffer)
            return Fail("bad value of", key);
        memcpy(buffer, span->begin, span->length);
        buffer[span->length] = 0;
        char* stop = nullptr;
        errno = 0;
        const long parsed = strtol(buffer, &stop, 10);
        if (*stop != 0 || errno != 0 || parsed < INT_MIN / 2 || parsed > INT_MAX / 2)
            return Fail("bad value of", key);
        value = static_cast<int32_t>(parsed);
        return true;
    }

    bool Text(const FontLine& line, const char* key, FixedString256& value)
    {
        const Span* span = line.Find(key);
        if (!span)
            return Fail("missing key", key);
        if (span->length >= 256)
            return Fail("value too long of", key);
        char buffer[256];
        memcpy(buffer, span->begin, span->length);
        buffer[span->length] = 0;
        value = buffer;
        return true;
    }

    bool TakeLine(const FontLine& line)
    {
        if (line.tag.Is("info"))
            return TakeInfo(line);
        if (line.tag.Is("common"))
            return TakeCommon(line);
        if (line.tag.Is("page"))
            return TakePage(line);
        if (line.tag.Is("chars"))
            return TakeChars(line);
        if (line.tag.Is("char"))
            return TakeChar(line);
        return true; // kerning pairs and anything newer are not read
    }

    bool TakeInfo(const FontLine& line)
    {
        m_seenInfo = true;
        return Text(line, "face", m_out.face) && Int(line, "size", m_out.size) && Int(line, "bold", m_out.bold) &&
               Int(line, "italic", m_out.italic);
    }

    bool TakeCommon(const FontLine& line)
    {
        m_seenCommon = true;
        if (!Int(line, "lineHeight", m_out.lineHeight) || !Int(line, "base", m_out.base) ||
            !Int(line, "scaleW", m_out.scaleW) || !Int(line, "scaleH", m_out.scaleH) ||
            !Int(line, "pages", m_out.pages))
            return false;
        if (m_out.scaleW <= 0 || m_out.scaleH <= 0)
            return Fail("page size not above 0");
        if (m_out.lineHeight <= 0)
            return Fail("lineHeight not above 0");
        if (m_out.pages != 1)
            return Fail("pages other than 1");
        return true;
    }

    bool TakePage(const FontLine& line)
    {
        int32_t id = 0;
        if (!Int(line, "id", id))
            return false;
        if (id != 0 || m_seenPage)
            return Fail("a second page");
        m_seenPage = true;
        return Text(line, "file", m_out.pageFile);
    }

    bool TakeChars(const FontLine& line)
    {
        if (!Int(line, "count", m_count))
            return false;
        if (m_count < 0 || m_count > kMaxGlyphs)
            return Fail("char count out of range");
        m_seenChars = true;
        m_out.glyphs.reserve(size_t(m_count));
        return true;
    }

    bool TakeChar(const FontLine& line)
    {
        if (!m_seenCommon || !m_seenChars)
            return Fail("char line before common and chars");
        if (int(m_out.glyphs.size()) >= m_count)
            return Fail("more char lines than the count");
        FontFileGlyph glyph;
        if (!Int(line, "id", glyph.id) || !Int(line, "x", glyph.x) || !Int(line, "y", glyph.y) ||
            !Int(line, "width", glyph.width) || !Int(line, "height", glyph.height) ||
            !Int(line, "xoffset", glyph.xoffset) || !Int(line, "yoffset", glyph.yoffset) ||
            !Int(line, "xadvance", glyph.xadvance) || !Int(line, "page", glyph.page))
            return false;
        if (glyph.page != 0)
            return Fail("glyph on a second page");
        if (glyph.x < 0 || glyph.y < 0 || glyph.width < 0 || glyph.height < 0 ||
            glyph.x + glyph.width > m_out.scaleW || glyph.y + glyph.height > m_out.scaleH)
            return Fail("glyph off the page");
        m_out.glyphs.push_back(glyph);
        return true;
    }

    bool Finish()
    {
        if (!m_seenInfo)
            return Fail("no info line");
        if (!m_seenCommon)
            return Fail("no common line");
        if (!m_seenPage)
            return Fail("no page line");
        if (!m_seenChars)
            return Fail("no chars line");
        if (int(m_out.glyphs.size()) != m_count)
            return Fail("fewer char lines than the count");
        return true;
    }

    FontFileData& m_out;
    FixedString256& m_why;
    int32_t m_count = 0;
    bool m_seenInfo = false;
    bool m_seenCommon = false;
    bool m_seenPage = false;
    bool m_seenChars = false;
};
} // namespace

bool FontFileParse(const char* text, size_t length, FontFileData& out, FixedString256& why)
{
    out = FontFileData();
    why.Clear();
    return FontFileReader(out, why).Read(text, length);
}

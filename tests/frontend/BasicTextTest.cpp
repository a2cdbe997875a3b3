#include "FrontendDrawTest.h"

#include "frontend/BasicText.h"
#include "frontend/BuiltinFont.h"
#include "frontend/FontFile.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Solid 3 x 6 boxes advancing by 4 on a line of 8; a blank of advance 4, a
// one-pixel cursor and an underscore that hangs below the line.
FontWriterFont BoxFont()
{
    FontWriterFont font = FontSolidBoxes("Boxes", 8, 33, 126, 3, 6, 4);
    for (FontWriterGlyph& glyph : font.glyphs)
    {
        if (glyph.id == '|')
            glyph.width = 1;
        if (glyph.id == '_')
            glyph.yoffset = 4;
    }
    FontWriterGlyph blank;
    blank.id = ' ';
    blank.xadvance = 4;
    font.glyphs.push_back(blank);
    return font;
}

class BasicTextDrawTest : public FrontendDrawTest
{
protected:
    void SetUp() override
    {
        FrontendDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        WriteFont("fonts/Boxes", BoxFont());
        m_font = std::make_unique<BasicText>("fonts/Boxes.fnt");
        ASSERT_TRUE(m_font->HasGlyphs()) << m_reports.Text();
        BasicTextResetBoundaryReports();
    }
    void TearDown() override
    {
        m_font.reset();
        FrontendDrawTest::TearDown();
    }

    std::unique_ptr<BasicText> m_font;
};

struct DrawCase
{
    const char* name;
    const char* text;
    int boxWidth, boxHeight;
    int cursor, alignX, alignY, limit;
    std::vector<std::pair<int, int>> lit;
    std::vector<std::pair<int, int>> dark;
};

// Every box starts at (10, 10); a glyph covers 3 x 6 pixels from its pen.
const DrawCase kDrawCases[] = {
    {"left top", "AB", 40, 20, -1, 0, 0, -1, {{10, 10}, {12, 15}, {14, 10}}, {{13, 12}, {10, 16}, {18, 12}}},
    {"right", "AB", 40, 20, -1, 1, 0, -1, {{42, 12}, {48, 12}}, {{10, 12}, {41, 12}}},
    {"centre", "AB", 40, 20, -1, 2, 0, -1, {{26, 12}, {32, 12}}, {{25, 12}, {10, 12}}},
    {"bottom", "AB", 40, 20, -1, 0, 1, -1, {{10, 18}, {10, 23}}, {{10, 17}, {10, 12}}},
    {"vertical centre", "AB", 40, 20, -1, 0, 2, -1, {{10, 16}, {10, 21}}, {{10, 15}, {10, 22}}},
    {"wrap at word", "AB CD", 12, 30, -1, 0, 0, -1, {{10, 19}, {14, 19}}, {{22, 12}, {26, 12}}},
    {"line feed", "A\nB", 40, 30, -1, 0, 0, -1, {{10, 19}}, {{14, 12}}},
    {"cursor inside", "AB", 40, 20, 1, 0, 0, -1, {{13, 12}}, {{17, 12}}},
    {"cursor at end", "AB", 40, 20, 2, 0, 0, -1, {{17, 12}}, {{13, 12}}},
    {"cursor at the box's edge", "AB", 40, 20, 0, 0, 0, -1, {{10, 12}}, {{9, 12}}},
    {"limit keeps places", "AB CD", 40, 20, -1, 2, 0, 2, {{20, 12}, {24, 12}}, {{32, 12}, {36, 12}}},
    {"limit 0 keeps the cursor", "AB", 40, 20, 0, 0, 0, 0, {{10, 12}}, {{11, 12}, {14, 12}}},
    {"clipped below", "_", 40, 8, -1, 0, 0, -1, {{10, 17}}, {{10, 18}, {10, 19}}},
    {"carriage return ignored", "A\rB", 40, 20, -1, 0, 0, -1, {{14, 12}}, {{18, 12}}},
};

TEST_F(BasicTextDrawTest, PlacesGlyphsInTheBox)
{
    for (const DrawCase& c : kDrawCases)
    {
        SCOPED_TRACE(c.name);
        Clear();
        m_font->DrawString(c.text, kWhite, 10, 10, c.boxWidth, c.boxHeight, c.cursor, c.alignX, c.alignY, 1.0f,
                           c.limit);
        Capture();
        for (const auto& p : c.lit)
            EXPECT_TRUE(Lit(p.first, p.second)) << p.first << "," << p.second;
        for (const auto& p : c.dark)
            EXPECT_FALSE(Lit(p.first, p.second)) << p.first << "," << p.second;
    }
}

TEST_F(BasicTextDrawTest, ALongWordShrinksUntilItFits)
{
    Clear();
    m_font->DrawString("ABCDEFGHIJ", kWhite, 10, 10, 20, 20, -1, 0, 0, 1.0f, -1);
    Capture();
    EXPECT_GT(LitIn(10, 10, 30, 30), 0);
    EXPECT_EQ(LitIn(30, 0, 64, 64), 0);
    EXPECT_EQ(LitIn(10, 15, 30, 64), 0) << "shrunk to half height or less";
}

TEST_F(BasicTextDrawTest, EmptyBoxesAndMissingTextDrawNothing)
{
    Clear();
    m_font->DrawString("AB", kWhite, 10, 10, 0, 20, 0, 0, 0, 1.0f, -1);
    m_font->DrawString("AB", kWhite, 10, 10, 20, -3, 0, 0, 0, 1.0f, -1);
    m_font->DrawString(nullptr, kWhite, 10, 10, 20, 20, 0, 0, 0, 1.0f, -1);
    Capture();
    EXPECT_EQ(LitIn(0, 0, 64, 64), 0);
}

TEST_F(BasicTextDrawTest, ColourEscapesPickFromThePalette)
{
    m_font->SetTextMode(kBasicTextLatin1);
    Clear();
    m_font->DrawString("A\xFF\x0C"
                       "B",
                       kWhite, 10, 10, 40, 20, -1, 0, 0, 1.0f, -1);
    Capture();
    EXPECT_EQ(Pixel(11, 12).g, 255);
    EXPECT_EQ(Pixel(15, 12).r, 255);
    EXPECT_EQ(Pixel(15, 12).g, 76);
}

TEST_F(BasicTextDrawTest, TextEndsAtItsTerminator)
{
    struct Case
    {
        BasicTextMode mode;
        const char* text;
    };
    // A cut UTF-8 sequence and an escape cut by the terminator end the text.
    const Case cases[] = {{kBasicTextUtf8, "A\xC3"}, {kBasicTextUtf8, "A\xF8Z"}, {kBasicTextLatin1, "A\xFF"}};
    for (const Case& c : cases)
    {
        m_font->SetTextMode(c.mode);
        EXPECT_EQ(m_font->GetStringLength(c.text), 4) << c.text;
    }
}

TEST_F(BasicTextDrawTest, MeasuresLengthAndWrappedHeight)
{
    EXPECT_EQ(m_font->GetStringLength("AB C"), 16);
    EXPECT_EQ(m_font->GetStringHeight("a\nb", 100), 16);
    EXPECT_EQ(m_font->GetStringHeight("AB CD EF", 12), 24);
    EXPECT_EQ(m_font->GetStringHeight("ABCDEFGH", 4), 8) << "a word wider than the box keeps one line";
}

TEST_F(BasicTextDrawTest, AGlyphOutsideTheBoxIsReportedOnce)
{
    LogCapture log;
    FontWriterFont font = BoxFont();
    for (FontWriterGlyph& glyph : font.glyphs)
        if (glyph.id == 'A')
            glyph.yoffset = 40;
    WriteFont("fonts/Low", font);
    BasicText low("fonts/Low.fnt");
    low.DrawString("AB", kWhite, 10, 10, 40, 20, -1, 0, 0, 1.0f, -1);
    low.DrawString("AB", kWhite, 10, 10, 40, 20, -1, 0, 0, 1.0f, -1);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Error:Character is trying to be rendered outside of boundries\n",
                                                     "Error: Text outside of boundries\n"}));
}

TEST_F(BasicTextDrawTest, BuiltInGlyphsStandUprightWithClearSpaceAround)
{
    BasicText builtin(ConsoleBuiltinFont());
    EXPECT_EQ(builtin.LineHeight(), 12);
    Clear();
    builtin.DrawString("T", kWhite, 10, 10, 40, 20, -1, 0, 0, 1.0f, -1);
    Capture();
    // The pen stands one line below the top; a 7-row T rests on it.
    for (int x = 10; x < 15; ++x)
        EXPECT_TRUE(Lit(x, 15)) << x;
    EXPECT_TRUE(Lit(12, 21));
    EXPECT_FALSE(Lit(10, 21));
    EXPECT_FALSE(Lit(14, 20));
    EXPECT_EQ(LitIn(0, 0, 64, 15), 0);
    EXPECT_EQ(LitIn(15, 0, 64, 64), 0);
    EXPECT_EQ(LitIn(0, 22, 64, 64), 0);
}

TEST_F(BasicTextDrawTest, BuiltInFontHoldsTheLatin1Range)
{
    BasicText builtin(ConsoleBuiltinFont());
    int present = 0;
    for (int code = 32; code < 256; ++code)
    {
        const BasicTextGlyph* glyph = builtin.FindGlyph(code);
        present += glyph && glyph->xadvance > 0 ? 1 : 0;
    }
    EXPECT_EQ(present, 191);
    EXPECT_EQ(builtin.FindGlyph(127)->xadvance, 0);
    EXPECT_EQ(builtin.GetStringLength("\xE9"), builtin.GetStringLength("e"));
}

TEST_F(BasicTextDrawTest, FontsAreSharedThroughTheCache)
{
    BasicText* first = BasicTextGet("fonts/Boxes.fnt");
    BasicText* second = BasicTextGet("fonts/Boxes.fnt");
    EXPECT_EQ(first, second);
    BasicTextRelease(first, "fonts/Boxes.fnt");
    BasicText* third = BasicTextGet("fonts/Boxes.fnt");
    EXPECT_EQ(third, second) << "one reference is left";
    BasicTextRelease(second, "fonts/Boxes.fnt");
    BasicTextRelease(third, "fonts/Boxes.fnt");
}

TEST_F(BasicTextDrawTest, AMissingFontIsReportedAndDrawsNothing)
{
    LogCapture log;
    BasicText missing("fonts/None.fnt");
    EXPECT_TRUE(log.Contains("Open basic text font fonts/None.fnt failed.\n"));
    EXPECT_FALSE(missing.HasGlyphs());
    Clear();
    missing.DrawString("AB", kWhite, 10, 10, 40, 20, 0, 0, 0, 1.0f, -1);
    Capture();
    EXPECT_EQ(LitIn(0, 0, 64, 64), 0);
}
} // namespace

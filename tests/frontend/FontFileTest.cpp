#include "frontend/FontFile.h"
#include "tools/formats/FontWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string ValidFont()
{
    FontWriterOutput out;
    EXPECT_TRUE(FontWrite(FontSolidBoxes("Boxes", 8, 65, 70, 3, 6, 4), "Boxes_0.tga", out));
    return out.text;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(FontFileTest, ReadsValuesByKey)
{
    FontFileData data;
    FixedString256 why;
    // Without the outline key every later key still reads right.
    const std::string text = Replace(ValidFont(), " outline=0", "");
    ASSERT_TRUE(FontFileParse(text.data(), text.size(), data, why)) << why.c_str();
    EXPECT_STREQ(data.face.c_str(), "Boxes");
    EXPECT_EQ(data.lineHeight, 8);
    EXPECT_EQ(data.scaleW, 16);
    EXPECT_STREQ(data.pageFile.c_str(), "Boxes_0.tga");
    ASSERT_EQ(data.glyphs.size(), 6u);
    EXPECT_EQ(data.glyphs[1].id, 66);
    EXPECT_EQ(data.glyphs[1].x, 4);
    EXPECT_EQ(data.glyphs[1].xadvance, 4);
}

TEST(FontFileTest, RefusesDamagedFiles)
{
    struct Case
    {
        const char* from;
        const char* to;
        const char* why;
    };
    const Case cases[] = {
        {" lineHeight=8", "", "missing key lineHeight"},
        {"chars count=6", "chars count=7", "fewer char lines than the count"},
        {"chars count=6", "chars count=5", "more char lines than the count"},
        {"scaleW=16", "scaleW=0", "page size not above 0"},
        {"char id=66 x=4", "char id=66 x=14", "glyph off the page"},
        {"pages=1", "pages=2", "pages other than 1"},
        {"page id=0", "page id=0 file=\"a.tga\"\npage id=1", "a second page"},
        {"xadvance=4", "xadvance=4x", "bad value of xadvance"},
        {"size=8", "size=99999999999", "bad value of size"},
    };
    const std::string valid = ValidFont();
    for (const Case& c : cases)
    {
        const std::string text = Replace(valid, c.from, c.to);
        FontFileData data;
        FixedString256 why;
        EXPECT_FALSE(FontFileParse(text.data(), text.size(), data, why)) << c.why;
        EXPECT_STREQ(why.c_str(), c.why);
    }
}

TEST(FontFileTest, EveryPrefixIsReadOrRefusedWithAReason)
{
    const std::string valid = ValidFont();
    for (size_t length = 0; length < valid.size(); ++length)
    {
        FontFileData data;
        FixedString256 why;
        if (!FontFileParse(valid.data(), length, data, why))
        {
            EXPECT_FALSE(why.IsEmpty()) << length;
        }
    }
}
} // namespace

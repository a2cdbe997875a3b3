#include "squirrel/stdlib/SqStringUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(StdStringUtil, StripRemovesCLocaleWhitespace)
{
    const char text[] = " \t\n ab c \r\v\f";
    const size_t length = sizeof text - 1;
    const auto slice = [&](SqTextRange r) { return std::string(text + r.begin, r.end - r.begin); };
    EXPECT_EQ(slice(SqStripRange(text, length, true, true)), "ab c");
    EXPECT_EQ(slice(SqStripRange(text, length, true, false)), "ab c \r\v\f");
    EXPECT_EQ(slice(SqStripRange(text, length, false, true)), " \t\n ab c");
    EXPECT_EQ(slice(SqStripRange("   ", 3, true, true)), "");
}

TEST(StdStringUtil, SplitDropsEmptyPieces)
{
    const auto split = [](const char* text, const char* separators)
    {
        std::string joined;
        for (const SqTextRange& r :
             SqSplitRanges(text, std::strlen(text), separators, std::strlen(separators)))
            joined += "[" + std::string(text + r.begin, r.end - r.begin) + "]";
        return joined;
    };
    EXPECT_EQ(split("1.2-3;4/5", ".-/;"), "[1][2][3][4][5]");
    EXPECT_EQ(split("..a..b..", "."), "[a][b]");
    EXPECT_EQ(split("", ","), "");
    EXPECT_EQ(split("abc", ","), "[abc]");
}

#include "core/FixedString.h"
#include "core/StringUtil.h"

#include <gtest/gtest.h>
#include <string>

TEST(FixedString, CutsAtCapacity)
{
    FixedString16 sixteen("abcdefghijklmnopqrst");
    EXPECT_STREQ(sixteen, "abcdefghijklmno");

    FixedString<65356> huge;
    const std::string long_text(70000, 'x');
    huge.Set(long_text.c_str());
    EXPECT_EQ(huge.Length(), 65355);
}

TEST(FixedString, AssignNullIsEmpty)
{
    FixedString64 text("keep");
    text.Assign(nullptr);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(FixedString, AppendToFullStringKeepsItTerminated)
{
    FixedString64 full(std::string(63, 'a').c_str());
    full.Append("more").AppendChar('b').AppendFormat("%d", 42);
    EXPECT_EQ(full.Length(), 63);
    EXPECT_EQ(std::string(full), std::string(63, 'a'));
}

TEST(FixedString, AppendCutsWhatDoesNotFit)
{
    FixedString16 text("0123456789");
    text.Append("abcdefgh");
    EXPECT_STREQ(text, "0123456789abcde");
    FixedString16 formatted;
    formatted.Format("%s-%d", "name", 123456789);
    EXPECT_STREQ(formatted, "name-123456789");
    formatted.AppendFormat("%s", "tail");
    EXPECT_STREQ(formatted, "name-123456789t");
}

TEST(FixedString, Insert)
{
    struct Case
    {
        const char* text;
        int position;
        const char* inserted;
        const char* expected;
    };
    const Case cases[] = {
        {"1234567", 3, ",", "123,4567"},  {"1234567", 0, "-", "-1234567"}, {"1234567", 7, "!", "1234567!"},
        {"1234567", 50, "!", "1234567!"}, // beyond the text: clamped to the end
        {"1234567", 127, "!", "1234567"}, // at the capacity: unchanged
        {"1234567", -1, "!", "1234567"},
    };
    for (const Case& c : cases)
    {
        FixedString128 text(c.text);
        text.Insert(c.position, c.inserted);
        EXPECT_STREQ(text, c.expected) << c.text << " at " << c.position;
    }

    FixedString128 full(std::string(127, 'a').c_str());
    full.Insert(2, "bb");
    EXPECT_EQ(full.Length(), 127);
    EXPECT_EQ(std::string(full).substr(0, 5), "aabba");
}

TEST(FixedString, SubstringClampsToText)
{
    FixedString128 text("abcdef");
    EXPECT_STREQ(text.Substring(1, 3), "bcd");
    EXPECT_STREQ(text.Substring(4, 100), "ef");
    EXPECT_STREQ(text.Substring(10, 2), "");
    EXPECT_STREQ(text.Substring(-3, 2), "ab");
}

TEST(FixedString, EndsWithAndFindChar)
{
    FixedString256 name("models/dragon.chmodel");
    EXPECT_TRUE(name.EndsWith(".chmodel"));
    EXPECT_TRUE(name.EndsWith(""));
    EXPECT_FALSE(name.EndsWith("a much longer suffix than the name itself"));
    EXPECT_FALSE(name.EndsWith(".chanim"));
    FixedString128 path("a/b/c");
    EXPECT_EQ(path.FindChar('/'), 1);
    EXPECT_EQ(path.FindChar('x'), -1);
    EXPECT_EQ(StringFindLastChar(path, '/'), 3);
    EXPECT_EQ(StringFindLastChar(path, 'x'), -1);
}

TEST(StringUtil, StringToIntSaturatesAndStops)
{
    struct Case
    {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"  -17xyz", -17},
        {"+8", 8},
        {"", 0},
        {"abc", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-99999999999999999999", INT32_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StringToInt(c.text), c.expected) << c.text;
}

TEST(StringUtil, BoundedCopyAndConcat)
{
    char buffer[8] = "zzzzzzz";
    StringCopyN(buffer, "abcdefghij", 0);
    EXPECT_STREQ(buffer, "zzzzzzz");
    StringCopyN(buffer, "abcdefghij", sizeof buffer);
    EXPECT_STREQ(buffer, "abcdefg");
    char line[8] = "ab";
    StringConcat(line, "cdefghij", sizeof line);
    EXPECT_STREQ(line, "abcdefg");
    StringConcat(line, "more", sizeof line);
    EXPECT_STREQ(line, "abcdefg");
}

TEST(StringUtil, CaseAndCompare)
{
    char text[] = "Mixed Case 123";
    StringToUpper(text);
    EXPECT_STREQ(text, "MIXED CASE 123");
    StringToLowerC(text);
    EXPECT_STREQ(text, "mixed case 123");
    StringReplaceChar(text, ' ', '_');
    EXPECT_STREQ(text, "mixed_case_123");
    EXPECT_TRUE(StringLess("A", "a"));
    EXPECT_TRUE(StringLess("a", "\xE9")); // unsigned byte order
    EXPECT_TRUE(CStringEqualsN("abcdef", "abcxyz", 3));
    EXPECT_FALSE(CStringEqualsN("abcdef", "abcxyz", 4));
    EXPECT_FLOAT_EQ(StringToFloat("2.5e1"), 25.0f);
}

TEST(StringUtil, NullReadsAsTheEmptyString)
{
    EXPECT_TRUE(StringEquals(nullptr, ""));
    EXPECT_TRUE(StringEquals("", nullptr));
    EXPECT_FALSE(StringEquals(nullptr, "a"));
    EXPECT_TRUE(StringDiffers("a", nullptr));
    EXPECT_TRUE(StringLess(nullptr, "a"));
    EXPECT_FALSE(StringLess("a", nullptr));
    EXPECT_TRUE(CStringEquals(nullptr, nullptr));
    EXPECT_TRUE(CStringEqualsN(nullptr, "", 3));
    EXPECT_TRUE(StringContains("abc", nullptr));
    EXPECT_FALSE(StringContains(nullptr, "a"));
    EXPECT_EQ(StringFind(nullptr, "a"), nullptr);
    EXPECT_EQ(StringFindLastChar(nullptr, 'a'), -1);
    EXPECT_EQ(StringLength(nullptr), 0);
    EXPECT_EQ(CStringLength(nullptr), 0);
    EXPECT_EQ(StringToInt(nullptr), 0);
    EXPECT_EQ(StringToFloat(nullptr), 0.0f);
    StringToUpper(nullptr);
    StringToLower(nullptr);
    StringReplaceChar(nullptr, 'a', 'b');

    char buffer[8] = "keep";
    StringCopyN(buffer, nullptr, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    StringCopyN(buffer, "ab", sizeof buffer);
    StringConcat(buffer, nullptr, sizeof buffer);
    EXPECT_STREQ(buffer, "ab");
    StringCopyN(nullptr, "ab", 4);
    StringConcat(nullptr, "ab", 4);
}

#include "core/Regex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> g_errors;

void CollectError(const char* text)
{
    g_errors.push_back(text);
}

class RegexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_errors.clear();
        RegexSetErrorHandler(CollectError);
    }
    void TearDown() override { RegexSetErrorHandler(nullptr); }
};

// The span of a slot after a match, as text; "-" when the slot is unused.
std::string Slot(const regexp* re, int slot)
{
    if (!re->startp[slot] || !re->endp[slot])
        return "-";
    return std::string(re->startp[slot], re->endp[slot]);
}

struct MatchCase
{
    const char* pattern;
    const char* text;
    bool matches;
    const char* whole; // the span of slot 0 when it matches
};

const MatchCase kMatchCases[] = {
    {"abc", "xxabcxx", true, "abc"},
    {"abc", "ab", false, ""},
    {"a.c", "abc", true, "abc"},
    {"a.c", "ac", false, ""},
    {"^abc", "abcd", true, "abc"},
    {"^abc", "xabc", false, ""},
    {"abc$", "xabc", true, "abc"},
    {"abc$", "abcx", false, ""},
    {"^$", "", true, ""},
    {"^$", "a", false, ""},
    {"a*", "bbb", true, ""},
    {"ba*", "baaac", true, "baaa"},
    {"ba+", "bc", false, ""},
    {"ba+c", "baac", true, "baac"},
    {"colou?r", "color", true, "color"},
    {"colou?r", "colour", true, "colour"},
    {"[abc]+", "xxcabz", true, "cab"},
    {"[^abc]+", "abxyc", true, "xy"},
    {"[a-c]+", "zzbcad", true, "bca"},
    {"[]x]+", "a]x]b", true, "]x]"},
    {"[-x]+", "a-x-b", true, "-x-"},
    {"[x-]+", "a-x-b", true, "-x-"},
    {"[.]csv", "menu_csv", false, ""},
    {"[.]csv", "menu.csv", true, ".csv"},
    {"a\\.b", "a.b", true, "a.b"},
    {"a\\.b", "axb", false, ""},
    {"\\*", "2*3", true, "*"},
    {"cat|dog", "hotdog", true, "dog"},
    {"cat|dog", "cow", false, ""},
    {"(ab)*c", "ababc", true, "ababc"},
    {"(ab)+c", "xc", false, ""},
    {"(a|b)*c", "xabbac", true, "abbac"},
    {"x(a|ab)(c|bcd)y", "xabcdy", true, "xabcdy"},
    {".*x", "abxcx", true, "abxcx"},
    {"a.*b", "a1b2b3", true, "a1b2b"},
    {"^(.*/)?file$", "file", true, "file"},
    {"^(.*/)?file$", "a/b/file", true, "a/b/file"},
    {"^(.*/)?file$", "a/b/xfile", false, ""},
    {"(ab)?(ab)?c", "abc", true, "abc"},
    {"", "anything", true, ""},
    {"a|", "b", true, ""},
    {"^strings/english/.*[.]csv", "strings/english/menu.csv", true, "strings/english/menu.csv"},
};

TEST_F(RegexTest, MatchesTableOfPatterns)
{
    for (const MatchCase& c : kMatchCases)
    {
        regexp* re = RegexCompile(c.pattern);
        ASSERT_NE(re, nullptr) << c.pattern;
        EXPECT_EQ(RegexExecute(re, c.text), c.matches) << c.pattern << " on " << c.text;
        if (c.matches)
        {
            EXPECT_EQ(Slot(re, 0), c.whole) << c.pattern << " on " << c.text;
        }
        RegexFree(re);
    }
    EXPECT_TRUE(g_errors.empty());
}

struct GroupCase
{
    const char* pattern;
    const char* text;
    std::vector<std::string> slots; // from slot 0 on; "-" for an unused slot
};

TEST_F(RegexTest, RecordsGroupSpans)
{
    const GroupCase cases[] = {
        // Slots follow the order of the opening parentheses.
        {"((a+)(b*))-(c|d)", "xxaab-d", {"aab-d", "aab", "aa", "b", "d", "-"}},
        // A repeated group keeps its last pass.
        {"(a|b)+", "abab", {"abab", "b"}},
        {"(x)?y", "y", {"y", "-"}},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)",
         "abcdefghi",
         {"abcdefghi", "a", "b", "c", "d", "e", "f", "g", "h", "i"}},
    };
    for (const GroupCase& c : cases)
    {
        regexp* re = RegexCompile(c.pattern);
        ASSERT_NE(re, nullptr) << c.pattern;
        ASSERT_TRUE(RegexExecute(re, c.text)) << c.pattern;
        for (size_t slot = 0; slot < c.slots.size(); ++slot)
            EXPECT_EQ(Slot(re, static_cast<int>(slot)), c.slots[slot]) << c.pattern << " slot " << slot;
        RegexFree(re);
    }
}

TEST_F(RegexTest, SearchFindsTheFolderPatternInsideLongerNames)
{
    char pattern[64];
    snprintf(pattern, sizeof pattern, "%s/.*[.]csv", "strings/english");
    regexp* re = RegexCompile(pattern);
    ASSERT_NE(re, nullptr);
    EXPECT_TRUE(RegexExecute(re, "strings/english/menu.csv"));
    EXPECT_TRUE(RegexExecute(re, "strings/english/old.csv.bak"));
    EXPECT_TRUE(RegexExecute(re, "old/strings/english/a.csv"));
    EXPECT_FALSE(RegexExecute(re, "strings/german/menu.csv"));
    RegexFree(re);
}

struct ErrorCase
{
    const char* pattern;
    const char* error;
};

const ErrorCase kCompileErrors[] = {
    {"(", "unmatched ()"},
    {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "too many ()"},
    {"a(b", "unmatched ()"},
    {"a)", "unmatched ()"},
    {"a**", "nested *?+"},
    {"a+?", "nested *?+"},
    {"(ab)*+", "nested *?+"},
    {"(a*)*", "*+ operand could be empty"},
    {"(^)+", "*+ operand could be empty"},
    {"()*", "*+ operand could be empty"},
    {"[z-a]", "invalid [] range"},
    {"[abc", "unmatched []"},
    {"[]", "unmatched []"},
    {"*a", "?+* follows nothing"},
    {"a|+", "?+* follows nothing"},
    {"(?)", "?+* follows nothing"},
    {"ab\\", "trailing \\"},
};

TEST_F(RegexTest, RefusesBadPatternsWithTheirErrorText)
{
    for (const ErrorCase& c : kCompileErrors)
    {
        g_errors.clear();
        EXPECT_EQ(RegexCompile(c.pattern), nullptr) << c.pattern;
        ASSERT_EQ(g_errors.size(), 1u) << c.pattern;
        EXPECT_EQ(g_errors[0], c.error) << c.pattern;
    }
}

TEST_F(RegexTest, RefusesProgramsOverTheSizeLimit)
{
    // Each "(a)" costs a few nodes; groups beyond nine are not the point here,
    // so use plain literals separated by '|' to grow the program.
    std::string pattern;
    while (pattern.size() < 40000)
        pattern += "ab|";
    pattern += "c";
    EXPECT_EQ(RegexCompile(pattern.c_str()), nullptr);
    ASSERT_FALSE(g_errors.empty());
    EXPECT_EQ(g_errors[0], "regexp too big");
}

TEST_F(RegexTest, ReportsNullArgumentsAndCorruptPrograms)
{
    EXPECT_EQ(RegexCompile(nullptr), nullptr);
    regexp* re = RegexCompile("a(b)c");
    ASSERT_NE(re, nullptr);
    EXPECT_FALSE(RegexExecute(nullptr, "abc"));
    EXPECT_FALSE(RegexExecute(re, nullptr));

    re->program[0] ^= 1;
    EXPECT_FALSE(RegexExecute(re, "abc"));
    re->program[0] ^= 1;

    const unsigned char saved = re->program[1];
    re->program[1] = 99; // no such node
    EXPECT_FALSE(RegexExecute(re, "abc"));
    re->program[1] = saved;
    EXPECT_TRUE(RegexExecute(re, "abc"));
    RegexFree(re);

    const std::vector<std::string> expected = {"NULL argument", "NULL parameter", "NULL parameter",
                                               "corrupted program", "memory corruption"};
    EXPECT_EQ(g_errors, expected);
}

TEST_F(RegexTest, ErrorsAreSilentWithoutAHandler)
{
    RegexSetErrorHandler(nullptr);
    EXPECT_EQ(RegexCompile("a**"), nullptr);
    EXPECT_TRUE(g_errors.empty());
}
} // namespace

// Patterns whose backtracking explodes, or whose repeated group nests once per repetition, give up with
// one report instead of running for seconds or overflowing the stack; their answer is "no match".
TEST_F(RegexTest, RunawayMatchesGiveUpWithOneReport)
{
    struct Case
    {
        const char* pattern;
        std::string text;
    };
    std::string pairs;
    for (int i = 0; i < 30000; ++i)
        pairs += "ab";
    const Case cases[] = {
        {"(a|a)+b", std::string(40, 'a')},
        {"(a+)+b", std::string(40, 'a')},
        {"^.*.*.*.*.*.*x", "x" + std::string(120, 'y')}, // the x is found only once every .* is empty
        {"(ab)*c", pairs + "c"},
    };
    for (const Case& c : cases)
    {
        g_errors.clear();
        regexp* re = RegexCompile(c.pattern);
        ASSERT_NE(re, nullptr) << c.pattern;
        EXPECT_FALSE(RegexExecute(re, c.text.c_str())) << c.pattern;
        EXPECT_EQ(g_errors, std::vector<std::string>{"match too complex"}) << c.pattern;
        RegexFree(re);
    }
}

TEST_F(RegexTest, BoundsLeaveOrdinaryMatchesAlone)
{
    std::string pairs;
    for (int i = 0; i < 500; ++i)
        pairs += "ab";
    pairs += "c";
    const MatchCase cases[] = {
        {"(ab)*c", pairs.c_str(), true, ""},
        {"(a|a)+b", "aaaaaaaaaaaab", true, ""},
        {"^.*.*.*x", "xyyyyyyyyyyyyyyyyyyyy", true, ""},
    };
    for (const MatchCase& c : cases)
    {
        regexp* re = RegexCompile(c.pattern);
        ASSERT_NE(re, nullptr) << c.pattern;
        EXPECT_EQ(RegexExecute(re, c.text), c.matches) << c.pattern;
        RegexFree(re);
    }
    EXPECT_TRUE(g_errors.empty());
}

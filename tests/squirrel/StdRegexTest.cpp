#include "squirrel/stdlib/SqRex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

struct SearchCase
{
    const char* pattern;
    const char* text;
    int begin; // -1: no match
    int end;
};

std::unique_ptr<SqRex> CompileOrFail(const char* pattern)
{
    const char* error = "";
    std::unique_ptr<SqRex> rex = SqRex::Compile(pattern, &error);
    EXPECT_NE(rex, nullptr) << pattern << ": " << error;
    return rex;
}

bool SearchText(SqRex& rex, const char* text, int* begin, int* end)
{
    const char* b = nullptr;
    const char* e = nullptr;
    if (!rex.Search(text, text + std::strlen(text), &b, &e))
        return false;
    *begin = int(b - text);
    *end = int(e - text);
    return true;
}

template <size_t N> void ExpectSearches(const SearchCase (&cases)[N])
{
    for (const SearchCase& c : cases)
    {
        std::unique_ptr<SqRex> rex = CompileOrFail(c.pattern);
        if (!rex)
            continue;
        int begin = -1;
        int end = -1;
        const bool found = SearchText(*rex, c.text, &begin, &end);
        EXPECT_EQ(found, c.begin >= 0) << c.pattern << " in " << c.text;
        if (found && c.begin >= 0)
        {
            EXPECT_EQ(begin, c.begin) << c.pattern << " in " << c.text;
            EXPECT_EQ(end, c.end) << c.pattern << " in " << c.text;
        }
    }
}

} // namespace

TEST(StdRegex, SearchFindsTheLeftmostGreedyMatch)
{
    const SearchCase cases[] = {
        {"[a-zA-Z]+", "123 Test;", 4, 8},
        {"abc", "xxabcxx", 2, 5},
        {"a.c", "a\nc", 0, 3},
        {"^abc", "xabc", -1, 0},
        {"^abc", "abcx", 0, 3},
        {"c$", "abcc", 3, 4},
        {"a*", "bbb", 0, 0},
        {"ba*", "xbaaa", 1, 5},
        {"ba+", "xb", -1, 0},
        {"colou?r", "my color", 3, 8},
        {"a{3}", "aa aaaa", 3, 6},
        {"a{2,}", "a aaaaa", 2, 7},
        {"a{2,3}", "aaaaa", 0, 3},
        {"cat|dog", "hotdog", 3, 6},
        {"x(ab)*y", "xababy", 0, 6},
        {"(a|ab)c", "abc", -1, 0},
        {"(ab|a)c", "abc", 0, 3},
        {"a.*b", "a1b2b3", 0, 3},
        {"<.*>", "<a><b>", 0, 3},
        {"a*ab", "aaab", 1, 4},
        {"[a-z]+ing", "singing", 0, 4},
        {"a{2,3}a", "aaaa", 0, 3},
        {"a.*", "xabc", 1, 4},
        {"\\d+\\.\\d+", "pi=3.14!", 3, 7},
        {"\\w+", "  _id9 ", 2, 6},
        {"\\W", "ab-c", 2, 3},
        {"\\s\\S", "a  b", 2, 4},
        {"\\D+", "12ab34", 2, 4},
        {"\\x+", "zz0fAgg", 2, 5},
        {"\\X", "0fzz", 2, 3},
        {"\\a+", "12abC3", 2, 5},
        {"\\A", "ab1", 2, 3},
        {"\\l+", "ABcdE", 2, 4},
        {"\\u+", "abCDe", 2, 4},
        {"\\p", "ab;c", 2, 3},
        {"\\P+", "!?ab.", 2, 4},
        {"\\c", "ab\tc", 2, 3},
        {"\\C", "\t\nx", 2, 3},
        {"\\bis\\b", "this is", 5, 7},
        {"\\Bis", "is this", 5, 7},
        {"[^0-9]+", "12ab34", 2, 4},
        {"[\\d.]+", "v1.25x", 1, 5},
        {"[-a]+", "x-a-y", 1, 4},
        {"\\t\\n", "a\t\nb", 1, 3},
        {"\\*\\(", "a*(b", 1, 3},
        {"(?:ab)+", "xababx", 1, 5},
        {"x*", "abc", 0, 0},
        {"*a", "x*a", 1, 3},
        {"a*?", "baa?", 1, 4},
        {"a^b", "xa^b", 1, 4},
        {"(|b)", "a|b", 1, 3},
    };
    ExpectSearches(cases);
}

// A search skips the places where no match can begin: patterns whose first byte is optional, alternated,
// behind an anchor or a boundary, or any byte at all must still find the same leftmost match.
TEST(StdRegex, SearchFindsMatchesBehindOptionalAndZeroWidthStarts)
{
    const SearchCase cases[] = {
        {"a*b", "xxxb", 3, 4},
        {"(x|w?)y", "zzy", 2, 3},
        {"(?:ab|cd)e", "abxcde", 3, 6},
        {"x?y?z", "aaz", 2, 3},
        {"\\bfoo", "afoo foo", 5, 8},
        {"^b", "ab", -1, 0},
        {"$", "abc", -1, 0},
        {"b*$", "abb", 1, 3},
        {"[^a]", "aa\xe9", 2, 3},
        {".c", "abc", 1, 3},
        {"(a{0,1})+q", "zzq", 2, 3},
        {"b", "", -1, 0},
    };
    ExpectSearches(cases);
}

// After a failed try from inside a run of the pattern's leading class, the search resumes past the run; a
// place outside the run, a bounded run or a second alternative must still be tried.
TEST(StdRegex, SearchResumesPastAFailedLeadingRunOnly)
{
    const SearchCase cases[] = {
        {"[a-z]+[0-9]+", "beta, gamma7", 6, 12},
        {"[a-z]+[0-9]+", "beta", -1, 0},
        {"a*bc", "baabc", 1, 5},
        {"a+b", "aaac aab", 5, 8},
        {"a+\\b", "aab", -1, 0},
        {"a+c|b", "aab", 2, 3},
        {"a{1,2}b", "aaab", 1, 4},
        {"(a+)c", "aaxac", 3, 5},
        {".+x", "abcx", 0, 4},
        {"[0-9]+\\.", "12 3.", 3, 5},
    };
    ExpectSearches(cases);
}

TEST(StdRegex, MatchNeedsTheWholeText)
{
    const struct
    {
        const char* pattern;
        const char* text;
        bool matches;
    } cases[] = {
        {"abc", "abc", true},     {"abc", "abcd", false},     {"a.*", "abcd", true}, {"\\d+", "123", true},
        {"\\d+", "12a", false},   {"(a|b)*c", "ababc", true}, {"a|ab", "ab", false}, {"ab|a", "ab", true},  {"x?", "", true},
        {"[a-c]{2}", "ca", true}, {"[a-c]{2}", "cad", false},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<SqRex> rex = CompileOrFail(c.pattern);
        if (rex)
        {
            EXPECT_EQ(rex->Match(c.text, c.text + std::strlen(c.text)), c.matches)
                << c.pattern << " ~ " << c.text;
        }
    }
}

TEST(StdRegex, CapturesNumberGroupsFromTheLeftAndSkipNonCapturingOnes)
{
    std::unique_ptr<SqRex> rex = CompileOrFail("(\\d+) ([a-zA-Z]+)(\\p)");
    ASSERT_TRUE(rex);
    EXPECT_EQ(rex->SubExpCount(), 4);
    const char* text = "stuff 123 Test;";
    int begin = 0;
    int end = 0;
    ASSERT_TRUE(SearchText(*rex, text, &begin, &end));
    // The last group was first tried, and failed, as the stop of the letters before it; once the letters'
    // group matched, the last group had its turn to record again.
    const int expected[4][2] = {{6, 15}, {6, 9}, {10, 14}, {14, 15}};
    for (int i = 0; i < 4; ++i)
    {
        SqRex::Capture capture;
        ASSERT_TRUE(rex->GetSubExp(i, &capture));
        EXPECT_EQ(capture.begin - text, expected[i][0]) << i;
        EXPECT_EQ(capture.end - text, expected[i][1]) << i;
    }
    SqRex::Capture unused;
    EXPECT_FALSE(rex->GetSubExp(4, &unused));

    std::unique_ptr<SqRex> plain = CompileOrFail("(?:a)(b)");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->SubExpCount(), 2);
}

TEST(StdRegex, GroupsThatTookNoPartAreEmptyAndRepeatedGroupsKeepTheirFirstMatch)
{
    std::unique_ptr<SqRex> rex = CompileOrFail("(a)|(b)");
    ASSERT_TRUE(rex);
    const char* text = "b";
    int begin = 0;
    int end = 0;
    ASSERT_TRUE(SearchText(*rex, text, &begin, &end));
    SqRex::Capture first;
    SqRex::Capture second;
    ASSERT_TRUE(rex->GetSubExp(1, &first));
    ASSERT_TRUE(rex->GetSubExp(2, &second));
    EXPECT_EQ(first.begin, nullptr);
    EXPECT_EQ(second.begin, text);

    std::unique_ptr<SqRex> repeated = CompileOrFail("(\\w)+");
    ASSERT_TRUE(repeated);
    const char* word = "xyz";
    ASSERT_TRUE(SearchText(*repeated, word, &begin, &end));
    SqRex::Capture kept;
    ASSERT_TRUE(repeated->GetSubExp(1, &kept));
    EXPECT_EQ(kept.begin - word, 0);
    EXPECT_EQ(kept.end - word, 1);
}

// A group's capture is what the last attempt to match it left: a search tries every place, so an attempt at
// a place where no match can begin still clears a capture that an earlier place left behind, while a
// group that matched inside a failed attempt keeps its capture.
TEST(StdRegex, FailedAttemptsLeaveTheirCapturesAsTheyWere)
{
    const struct
    {
        const char* pattern;
        const char* text;
        int begin; // -1: no capture
        int end;
    } cases[] = {
        {"c|(a|b)a{2}\\d", " axc", -1, 0},
        {"c|(a|b)a{2}\\d", " ac", 1, 2},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<SqRex> rex = CompileOrFail(c.pattern);
        ASSERT_TRUE(rex);
        int begin = 0;
        int end = 0;
        ASSERT_TRUE(SearchText(*rex, c.text, &begin, &end)) << c.pattern;
        SqRex::Capture group;
        ASSERT_TRUE(rex->GetSubExp(1, &group));
        if (c.begin < 0)
        {
            EXPECT_EQ(group.begin, nullptr) << c.text;
            continue;
        }
        EXPECT_EQ(group.begin - c.text, c.begin) << c.text;
        EXPECT_EQ(group.end - c.text, c.end) << c.text;
    }
}

TEST(StdRegex, BadPatternsReportAnError)
{
    const char* patterns[] = {"(ab", "ab)", "[abc", "[]",  "[z-a]", "a{",   "a{2,1}", "a{x}",    "a**",  "a?+",
                              "ab\\", "a{99999}", "", "^", "a|", "(x|)y", "()", "[a-]", "(?x)", "a\tb", "[\t]"};
    for (const char* pattern : patterns)
    {
        const char* error = nullptr;
        EXPECT_EQ(SqRex::Compile(pattern, &error), nullptr) << pattern;
        EXPECT_NE(error, nullptr) << pattern;
    }
}

TEST(StdRegex, NestedEmptyClosuresTerminate)
{
    std::unique_ptr<SqRex> rex = CompileOrFail("(a*)*b");
    ASSERT_TRUE(rex);
    const char* text = "aaaaaaac";
    int begin = 0;
    int end = 0;
    EXPECT_FALSE(SearchText(*rex, text, &begin, &end));
}

// A repeat with no upper bound stops after 65536 matches, as the language's library does.
TEST(StdRegex, LongRunsDoNotRecursePerMatchAndStopAtTheRepeatLimit)
{
    std::unique_ptr<SqRex> rex = CompileOrFail("a*$");
    ASSERT_TRUE(rex);
    const std::string withinLimit(65536, 'a');
    EXPECT_TRUE(rex->Match(withinLimit.data(), withinLimit.data() + withinLimit.size()));
    const std::string pastLimit(65537, 'a');
    EXPECT_FALSE(rex->Match(pastLimit.data(), pastLimit.data() + pastLimit.size()));
    EXPECT_FALSE(rex->GaveUp());
}

TEST(StdRegex, RunawayPatternsGiveUpInsteadOfOverflowingOrHanging)
{
    std::string pairs;
    for (int i = 0; i < 100000; ++i)
        pairs += "ab";
    std::unique_ptr<SqRex> deep = CompileOrFail("^(ab)*$");
    ASSERT_TRUE(deep);
    EXPECT_FALSE(deep->Match(pairs.data(), pairs.data() + pairs.size()));
    const std::string shortPairs = "abababab";
    EXPECT_TRUE(deep->Match(shortPairs.data(), shortPairs.data() + shortPairs.size()));

    const std::string as(40, 'a');
    std::unique_ptr<SqRex> exponential = CompileOrFail("(a|aa)*(a|aa)*b");
    ASSERT_TRUE(exponential);
    const char* begin = nullptr;
    const char* end = nullptr;
    EXPECT_FALSE(exponential->Search(as.data(), as.data() + as.size(), &begin, &end));
}

TEST(StdRegex, DeeplyNestedGroupsAreRefusedAndShallowOnesCompile)
{
    const char* error = nullptr;
    const std::string deep = std::string(30000, '(') + "a" + std::string(30000, ')');
    EXPECT_EQ(SqRex::Compile(deep.c_str(), &error), nullptr);
    EXPECT_STREQ(error, "groups nested too deeply");
    const std::string shallow = std::string(100, '(') + "a" + std::string(100, ')');
    std::unique_ptr<SqRex> rex = CompileOrFail(shallow.c_str());
    ASSERT_TRUE(rex);
    EXPECT_TRUE(rex->Match("a", "a" + 1));
}

// A repeated group over a long text cannot be decided within the bounds: the false it returns is marked
// as given up, never passed off as "no match"; a decided answer clears the mark.
TEST(StdRegex, GivingUpIsToldApartFromNoMatch)
{
    const std::string xs(1500, 'x');
    std::unique_ptr<SqRex> rex = CompileOrFail("(x)*");
    ASSERT_TRUE(rex);
    const char* begin = nullptr;
    const char* end = nullptr;
    const bool matched = rex->Match(xs.data(), xs.data() + xs.size());
    EXPECT_TRUE(matched || rex->GaveUp());
    EXPECT_FALSE(matched && rex->GaveUp());
    const bool found = rex->Search(xs.data(), xs.data() + xs.size(), &begin, &end);
    EXPECT_TRUE(found || rex->GaveUp());
    EXPECT_FALSE(rex->Match("y", "y" + 1));
    EXPECT_FALSE(rex->GaveUp());
    EXPECT_TRUE(rex->Match("xx", "xx" + 2));
    EXPECT_FALSE(rex->GaveUp());
}

// A pattern that is one plain sequence (no groups, no alternation) takes a quicker way through the matcher
// and its searches skip places; wrapped in a non-capturing group it takes the general way. Both must give
// the same answers everywhere.
TEST(StdRegex, PlainSequencesMatchAsTheSameSequenceInAGroup)
{
    const char* const patterns[] = {
        "[a-z]+[0-9]+", "a+ab",    "a*b",     "[a-z]+[a-z]y", ".+x",    "a+\\b",     "\\ba+b+", "x*a+$",
        "^a+b",         "a{1,3}b", "a+a+a+c", "[^,]+,",       "a*",     "a+b*c",     ".*",      "\\w+\\s+\\d",
        "a?ab",         "[ab]+b$", "a+\\Bb",  "[a-c]+c?d",    "b{0}a+", "[ab]{3,}b", "a{2,}a",
    };
    const char* const texts[] = {
        "aab",    "abab abx",      "beta, gamma7 alpha12",
        "aaaa",   "aaab aab ab b", "xaxaax",
        "ab,cd,", "abcy abby",     "",
        "zz9",    "abcd aabd ccd", "aa  7 a 7",
        "abaa",   "abab",
    };
    for (const char* pattern : patterns)
    {
        std::unique_ptr<SqRex> plain = CompileOrFail(pattern);
        std::unique_ptr<SqRex> grouped = CompileOrFail(("(?:" + std::string(pattern) + ")").c_str());
        ASSERT_TRUE(plain && grouped);
        for (const char* text : texts)
        {
            const char* const end = text + std::strlen(text);
            EXPECT_EQ(plain->Match(text, end), grouped->Match(text, end)) << pattern << " on " << text;
            for (const char* from = text; from <= end; ++from)
            {
                const char* plainBegin = nullptr;
                const char* plainEnd = nullptr;
                const char* groupedBegin = nullptr;
                const char* groupedEnd = nullptr;
                const bool plainFound = plain->Search(from, end, &plainBegin, &plainEnd);
                ASSERT_EQ(plainFound, grouped->Search(from, end, &groupedBegin, &groupedEnd))
                    << pattern << " in " << from;
                EXPECT_FALSE(plain->GaveUp());
                if (!plainFound)
                    continue;
                EXPECT_EQ(plainBegin - text, groupedBegin - text) << pattern << " in " << from;
                EXPECT_EQ(plainEnd - text, groupedEnd - text) << pattern << " in " << from;
                SqRex::Capture whole;
                ASSERT_TRUE(plain->GetSubExp(0, &whole));
                EXPECT_EQ(whole.begin, plainBegin);
                EXPECT_EQ(whole.end, plainEnd);
            }
        }
    }
}

// After a failed attempt whose leading run stopped early, the next place inside the run can still match;
// a run cut off by the repeat limit could go further from a later place.
TEST(StdRegex, SearchesAfterAFailedLeadingRunTryWhereTheRunMayDiffer)
{
    const SearchCase cases[] = {
        {"[a-z]+[a-z]y", "abcx bcy", 5, 8},
        {"[a-z]+[a-z]y", "abcy", 1, 4},
        {"a*ab", "aaac aab", 5, 8},
        {"[a-z]+\\d", "ab cd3", 3, 6},
    };
    ExpectSearches(cases);

    const std::string pastLimit = std::string(65540, 'a') + "b";
    std::unique_ptr<SqRex> rex = CompileOrFail("a+b");
    ASSERT_TRUE(rex);
    const char* begin = nullptr;
    const char* end = nullptr;
    ASSERT_TRUE(rex->Search(pastLimit.data(), pastLimit.data() + pastLimit.size(), &begin, &end));
    EXPECT_EQ(begin - pastLimit.data(), 4);
    EXPECT_EQ(end - pastLimit.data(), 65541);
}

// Each repeat looks ahead at the next, so a long chain of them nests as deep as it is long: past the
// matcher's depth bound the match gives up instead of overflowing, and within it the answer stands.
TEST(StdRegex, LongChainsOfRepeatsGiveUpOnlyPastTheDepthBound)
{
    const struct
    {
        int repeats;
        bool grouped;
        bool givesUp;
    } cases[] = {{900, false, false},
                 {900, true, false},
                 {2000, false, false},
                 {4000, false, true},
                 {4000, true, true}};
    for (const auto& c : cases)
    {
        std::string pattern;
        for (int i = 0; i < c.repeats; ++i)
            pattern += "a+";
        if (c.grouped)
            pattern = "(?:" + pattern + ")";
        std::unique_ptr<SqRex> rex = CompileOrFail(pattern.c_str());
        ASSERT_TRUE(rex);
        const std::string text(size_t(c.repeats) + 5, 'a');
        const bool matched = rex->Match(text.data(), text.data() + text.size());
        EXPECT_EQ(rex->GaveUp(), c.givesUp) << c.repeats;
        EXPECT_EQ(matched, !c.givesUp) << c.repeats;
    }
}

#include "core/Tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
enum class Separators
{
    Default,
    Comma,
    CommaOnly,
    Line,
};

// One call's result: the stored token (empty with `stored` false) and the end flag.
struct Step
{
    bool stored;
    std::string token;
    bool end;

    bool operator==(const Step& other) const
    {
        return stored == other.stored && token == other.token && end == other.end;
    }
};

Step Token(const char* text, bool end = false)
{
    return {true, text, end};
}
Step Nothing()
{
    return {false, "", true};
}

std::ostream& operator<<(std::ostream& out, const Step& step)
{
    return out << (step.stored ? "\"" + step.token + "\"" : std::string("none")) << (step.end ? " end" : "");
}

// Every call up to and including the one that reports the end.
std::vector<Step> Walk(Tokenizer& tokenizer)
{
    std::vector<Step> steps;
    for (int call = 0; call < 32; ++call)
    {
        char buffer[256] = "";
        bool end = false;
        const bool stored = tokenizer.NextToken(&end, buffer, sizeof buffer);
        steps.push_back({stored, stored ? buffer : "", end});
        if (end)
            break;
    }
    return steps;
}

struct TokenCase
{
    const char* name;
    std::string text;
    Separators separators;
    std::vector<Step> expected;
};

void PrintTo(const TokenCase& c, std::ostream* out)
{
    *out << c.name;
}

class TokenizerCases : public testing::TestWithParam<TokenCase>
{
};

TEST_P(TokenizerCases, GivesTokensAndEnd)
{
    const TokenCase& c = GetParam();
    Tokenizer tokenizer;
    tokenizer.SetText(c.text.data(), static_cast<int>(c.text.size()));
    if (c.separators == Separators::Comma)
        tokenizer.SetSeparators(",");
    if (c.separators == Separators::CommaOnly)
        tokenizer.SetOnlySeparators(",");
    if (c.separators == Separators::Line)
        tokenizer.SetLineSeparators();
    EXPECT_EQ(Walk(tokenizer), c.expected);
}

const TokenCase kTokenCases[] = {
    {"RunOfTabs", "a\t\tb", Separators::Default, {Token("a"), Token("b", true)}},
    {"OnlySeparators", "\t\r\n\t", Separators::Default, {Nothing()}},
    {"EmptyText", "", Separators::Default, {Nothing()}},
    {"LeadingSeparators", "\n\r\na", Separators::Default, {Token("a", true)}},
    {"TrailingLineEndStillEnds", "a\tb\n", Separators::Default, {Token("a"), Token("b", true)}},
    {"CrLfRows",
     "id\ttext\r\nid2\ttext2\r\n",
     Separators::Default,
     {Token("id"), Token("text"), Token("id2"), Token("text2", true)}},
    {"BlankBelongsToToken", "hello world\tx", Separators::Default, {Token("hello world"), Token("x", true)}},
    {"ValueThenComment", "value#comment\nnext", Separators::Default, {Token("value"), Token("next", true)}},
    {"CommentLineSkipped", "#whole line\nx\n", Separators::Default, {Token("x", true)}},
    {"CommentSkipsRestOfLine",
     "a\tb#c\td\ne",
     Separators::Default,
     {Token("a"), Token("b"), Token("e", true)}},
    {"CommentAfterSeparatorSkipsLine", "a\t#c\tb\nd", Separators::Default, {Token("a"), Token("d", true)}},
    {"CommentOnLastLineWithoutLineEnd", "a\nb#c", Separators::Default, {Token("a"), Token("b", true)}},
    {"CommentAloneOnLastLine", "a\n#c", Separators::Default, {Token("a"), Nothing()}},
    {"CommentAtEndOfText", "a\n#", Separators::Default, {Token("a"), Nothing()}},
    {"CommaJoinsDefaults",
     "1,2\n3\t,4",
     Separators::Comma,
     {Token("1"), Token("2"), Token("3"), Token("4", true)}},
    {"CommaRunsMakeNoEmptyTokens", "1,,,2,", Separators::Comma, {Token("1"), Token("2", true)}},
    {"CommaOnlyKeepsLineEnds",
     "1,2\n3\t4,5",
     Separators::CommaOnly,
     {Token("1"), Token("2\n3\t4"), Token("5", true)}},
    {"CommaOnlyCommentRunsToLineEnd",
     "1,2#c,d\n3,4",
     Separators::CommaOnly,
     {Token("1"), Token("2"), Token("3"), Token("4", true)}},
    {"LineSeparatorsKeepTabs",
     "one two\tthree\r\nfour",
     Separators::Line,
     {Token("one two\tthree"), Token("four", true)}},
    {"NulIsNoSeparator", std::string("a\0b\tc", 5), Separators::Default, {Token("a"), Token("c", true)}},
};

INSTANTIATE_TEST_SUITE_P(Tokenizer, TokenizerCases, testing::ValuesIn(kTokenCases),
                         [](const testing::TestParamInfo<TokenCase>& info) { return info.param.name; });

TEST(Tokenizer, LongTokenIsCutToTheBuffer)
{
    const char text[] = "abcdefg\tx";
    Tokenizer tokenizer;
    tokenizer.SetText(text, sizeof text - 1);
    std::vector<char> buffer(4, '?'); // on the heap so an overrun is caught
    bool end = false;
    ASSERT_TRUE(tokenizer.NextToken(&end, buffer.data(), static_cast<int>(buffer.size())));
    EXPECT_STREQ(buffer.data(), "abc");
    ASSERT_TRUE(tokenizer.NextToken(&end, buffer.data(), static_cast<int>(buffer.size())));
    EXPECT_STREQ(buffer.data(), "x");
    EXPECT_TRUE(end);
}

TEST(Tokenizer, OneByteBufferHoldsOnlyTheTerminator)
{
    const char text[] = "abc";
    Tokenizer tokenizer;
    tokenizer.SetText(text, 3);
    char buffer = '?';
    bool end = false;
    EXPECT_TRUE(tokenizer.NextToken(&end, &buffer, 1));
    EXPECT_EQ(buffer, 0);
}

TEST(Tokenizer, CallsAfterTheEndStoreNothing)
{
    const std::vector<char> text = {'a', '\t', 'b'}; // not terminated
    Tokenizer tokenizer;
    tokenizer.SetText(text.data(), static_cast<int>(text.size()));
    char buffer[16];
    bool end = false;
    tokenizer.NextToken(&end, buffer, sizeof buffer);
    tokenizer.NextToken(&end, buffer, sizeof buffer);
    ASSERT_TRUE(end);
    EXPECT_EQ(tokenizer.GetPosition(), -1);
    for (int call = 0; call < 2; ++call)
    {
        strcpy(buffer, "kept");
        end = false;
        EXPECT_FALSE(tokenizer.NextToken(&end, buffer, sizeof buffer));
        EXPECT_TRUE(end);
        EXPECT_STREQ(buffer, "kept");
    }
}

TEST(Tokenizer, StoppedTokenizerGivesNothingWithoutEnd)
{
    const char text[] = "a\tb";
    Tokenizer tokenizer;
    tokenizer.SetText(text, 3);
    tokenizer.Stop();
    char buffer[16] = "kept";
    bool end = true;
    EXPECT_FALSE(tokenizer.NextToken(&end, buffer, sizeof buffer));
    EXPECT_FALSE(end);
    EXPECT_STREQ(buffer, "kept");
}

TEST(Tokenizer, PositionIsTheNextCharacterToRead)
{
    const char text[] = "ab\t\tcd";
    Tokenizer tokenizer;
    tokenizer.SetText(text, 6);
    EXPECT_EQ(tokenizer.GetPosition(), 0);
    char buffer[16];
    bool end = false;
    tokenizer.NextToken(&end, buffer, sizeof buffer);
    EXPECT_EQ(tokenizer.GetPosition(), 4);
}

TEST(Tokenizer, SetTextAndResetRestoreDefaultSeparators)
{
    const char text[] = "a,b c";
    Tokenizer tokenizer;
    tokenizer.SetText(text, 5);
    tokenizer.SetSeparators(", ");
    tokenizer.SetText(text, 5);
    EXPECT_EQ(Walk(tokenizer), std::vector<Step>{Token("a,b c", true)});

    tokenizer.SetLineSeparators();
    tokenizer.Reset();
    EXPECT_FALSE(tokenizer.IsActive());
    tokenizer.SetSeparators(",");
    const char tabbed[] = "x\ty,z";
    tokenizer.SetText(tabbed, 5);
    tokenizer.SetSeparators(",");
    EXPECT_EQ(Walk(tokenizer), (std::vector<Step>{Token("x"), Token("y"), Token("z", true)}));
}

TEST(Tokenizer, GlobalWrappersDriveOneTokenizer)
{
    const char text[] = "k,v\n";
    TokenReset();
    TokenSetText(text, 4);
    TokenSetSeparators(",");
    char buffer[8];
    bool end = false;
    ASSERT_TRUE(TokenNext(&end, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "k");
    EXPECT_EQ(TokenGetPosition(), GetTokenizer().GetPosition());
    ASSERT_TRUE(TokenNext(&end, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "v");
    EXPECT_TRUE(end);
    TokenReset();
    EXPECT_FALSE(TokenNext(&end, buffer, sizeof buffer));
}

TEST(Tokenizer, CreatedTokenizerIsIndependentOfTheGlobalOne)
{
    const char text[] = "one\ttwo";
    Tokenizer* tokenizer = TokenizerCreate();
    TokenizerSetText(tokenizer, text, 7);
    TokenReset();
    char buffer[8];
    bool end = false;
    ASSERT_TRUE(TokenizerNextToken(tokenizer, &end, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "one");
    TokenizerStop(tokenizer);
    EXPECT_FALSE(TokenizerNextToken(tokenizer, &end, buffer, sizeof buffer));
    TokenizerDestroy(tokenizer);
}
} // namespace

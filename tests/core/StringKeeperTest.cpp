#include "core/StringKeeper.h"

#include "core/Hash.h"
#include "core/Tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
using Rows = std::vector<std::pair<std::string, std::string>>;

struct StringFileCase
{
    const char* name;
    std::string text;
    Rows expected; // identifier and text of every row the table holds afterwards
};

void PrintTo(const StringFileCase& c, std::ostream* out)
{
    *out << c.name;
}

class StringFileCases : public testing::TestWithParam<StringFileCase>
{
};

void AddText(StringKeeper& keeper, const std::string& text)
{
    // A copy on the heap without a terminator, so reading past the end is caught.
    std::vector<char> bytes(text.begin(), text.end());
    keeper.AddFromText(bytes.data(), static_cast<int>(bytes.size()));
}

TEST_P(StringFileCases, RowsBecomeStrings)
{
    const StringFileCase& c = GetParam();
    StringKeeper keeper;
    AddText(keeper, c.text);
    EXPECT_EQ(keeper.Count(), static_cast<int>(c.expected.size()));
    for (const auto& [identifier, text] : c.expected)
    {
        const char* found = keeper.GetString(identifier.c_str());
        ASSERT_NE(found, nullptr) << identifier;
        EXPECT_EQ(found, text) << identifier;
    }
}

const std::string kMark = "\xEF\xBB\xBF";

const StringFileCase kStringFileCases[] = {
    {"Rows",
     "MENU_PLAY\tPlay\nMENU_QUIT\tQuit the game\n",
     {{"MENU_PLAY", "Play"}, {"MENU_QUIT", "Quit the game"}}},
    {"CrLfRows", "A\tFirst\r\nB\tSecond\r\n", {{"A", "First"}, {"B", "Second"}}},
    {"LastRowWithoutLineEnd", "A\tFirst\nB\tSecond", {{"A", "First"}, {"B", "Second"}}},
    {"MissingTextAtEnd", "A\tFirst\nB", {{"A", "First"}}},
    {"MissingTextAtEndAfterTab", "A\tFirst\nB\t\n", {{"A", "First"}}},
    {"CommentsAndBlankLines",
     "# menu texts\n\nA\tFirst # the first\n#B\tgone\nC\tThird\n",
     {{"A", "First "}, {"C", "Third"}}},
    {"MarkBeforeIdentifier", kMark + "A\tFirst\nB\tSecond\n", {{"A", "First"}, {"B", "Second"}}},
    {"MarkBeforeTab", kMark + "\tA\tFirst\n", {{"A", "First"}}},
    {"MarkBeforeComment", kMark + "# strings\nA\tFirst\n", {{"A", "First"}}},
    {"MarkOnly", kMark, {}},
    {"MarkLaterIsData", "A\t" + kMark + "First\n", {{"A", kMark + "First"}}},
    {"DuplicateInOneFileLaterWins", "A\tOld\nA\tNew\n", {{"A", "New"}}},
    {"Empty", "", {}},
};

INSTANTIATE_TEST_SUITE_P(StringKeeper, StringFileCases, testing::ValuesIn(kStringFileCases),
                         [](const testing::TestParamInfo<StringFileCase>& info) { return info.param.name; });

TEST(StringKeeper, LongIdentifierAndTextAreCutTo255)
{
    const std::string identifier(300, 'I');
    const std::string text(400, 't');
    StringKeeper keeper;
    AddText(keeper, identifier + "\t" + text + "\n");
    const char* found = keeper.GetString(identifier.substr(0, 255).c_str());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::string(found), text.substr(0, 255));
}

TEST(StringKeeper, CollidingIdentifierReplacesTheEarlierOne)
{
    ASSERT_EQ(HashString("Aa"), HashString("BB"));
    StringKeeper keeper;
    AddText(keeper, "Aa\tfirst\nBB\tsecond\n");
    EXPECT_EQ(keeper.Count(), 1);
    EXPECT_STREQ(keeper.GetString("Aa"), "second");
}

TEST(StringKeeper, LaterFileWinsAndTextPointersStayValid)
{
    StringKeeper keeper;
    AddText(keeper, "A\tfrom one\nB\tonly one\n");
    const char* before = keeper.GetString("A");
    AddText(keeper, "A\tfrom two\n");
    EXPECT_STREQ(keeper.GetString("A"), "from two");
    EXPECT_EQ(keeper.GetString("A"), before);
    EXPECT_STREQ(keeper.GetString("B"), "only one");
}

TEST(StringKeeper, UnknownIdentifierGivesNull)
{
    StringKeeper keeper;
    AddText(keeper, "A\tFirst\n");
    EXPECT_EQ(keeper.GetString("B"), nullptr);
    EXPECT_EQ(keeper.GetString(nullptr), nullptr);
    EXPECT_STREQ(keeper.GetStringByHash(HashString("A")), "First");
}

TEST(StringKeeper, ParsingLeavesTheGlobalTokenizerStopped)
{
    StringKeeper keeper;
    AddText(keeper, "A\tFirst\nB\tSecond\n");
    EXPECT_FALSE(GetTokenizer().IsActive());
}
} // namespace

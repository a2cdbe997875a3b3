#include "core/StringKeeper.h"

#include "core/Hash.h"
#include "core/Tokenizer.h"

#include "core/FixedString.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

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
// The table as it was: a sorted map from hash to a 256-byte text, filled
// by the same tokenising loop.
std::map<uint32_t, FixedString256> ReferenceTable(const std::string& text)
{
    // Only a leading byte-order mark goes.
    const size_t mark = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::vector<char> bytes(text.begin() + long(mark), text.end());
    std::map<uint32_t, FixedString256> table;
    TokenReset();
    TokenDefaultSeparators();
    TokenSetText(bytes.data(), static_cast<int>(bytes.size()));
    char identifier[256];
    char value[256];
    bool end = false;
    while (TokenNext(&end, identifier, 256) && !end)
    {
        const bool hasText = TokenNext(&end, value, 256);
        if (hasText)
            table[HashString(identifier)] = value;
        if (!hasText || end)
            break;
    }
    TokenStop();
    return table;
}

std::string SeededStringFile(uint32_t seed, std::vector<std::string>& identifiers)
{
    std::mt19937 random(seed);
    static const char* const kPieces[] = {"word", " ", "\t", "\"quoted text\"", "# comment", "x", "long"};
    std::string text = random() % 4 == 0 ? "\xEF\xBB\xBF" : "";
    const int rows = int(random() % 200);
    for (int row = 0; row < rows; ++row)
    {
        std::string identifier = "ID_" + std::to_string(random() % 150);
        if (random() % 20 == 0)
            identifier += std::string(300, 'i');
        identifiers.push_back(identifier);
        text += identifier + (random() % 2 ? "\t" : " ");
        const int pieces = int(random() % 6);
        for (int p = 0; p < pieces; ++p)
        {
            const char* piece = kPieces[random() % 7];
            text += std::string(piece) == "long" ? std::string(random() % 400, 'L') : piece;
        }
        text += random() % 5 == 0 ? "\r\n" : "\n";
    }
    return text;
}

TEST(StringKeeper, MatchesTheMapOfFixedStringsOnSeededFiles)
{
    for (uint32_t seed = 1; seed <= 300; ++seed)
    {
        std::vector<std::string> identifiers{"absent"};
        const std::string text = SeededStringFile(seed, identifiers);
        const std::map<uint32_t, FixedString256> reference = ReferenceTable(text);
        StringKeeper keeper;
        AddText(keeper, text);
        ASSERT_EQ(keeper.Count(), static_cast<int>(reference.size())) << "seed " << seed;
        for (const std::string& identifier : identifiers)
        {
            const auto found = reference.find(HashString(identifier.c_str()));
            const char* got = keeper.GetString(identifier.c_str());
            if (found == reference.end())
                ASSERT_EQ(got, nullptr) << "seed " << seed << " " << identifier;
            else
                ASSERT_STREQ(got, found->second.c_str()) << "seed " << seed << " " << identifier;
        }
    }
}
} // namespace

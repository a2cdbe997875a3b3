#include "core/KeywordTable.h"

#include "core/Hash.h"

#include <gtest/gtest.h>

namespace
{
const char* const kWidgetWords[] = {"BUTTON", "LABEL", "RADIOBUTTON", "CHECKBOX",
                                    "MASTER", "LIST",  "TEXTBOX",     "PIC"};

TEST(KeywordTable, ListWordsGetTheirIndex)
{
    KeywordTable table;
    table.Build(kWidgetWords, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(KeywordFind(table, HashString(kWidgetWords[i])), i) << kWidgetWords[i];
}

TEST(KeywordTable, UnknownWordAndEmptyTableGiveMinusOne)
{
    KeywordTable table;
    EXPECT_EQ(KeywordFind(table, HashString("BUTTON")), -1);
    table.Build(kWidgetWords, 8);
    EXPECT_EQ(KeywordFind(table, HashString("button")), -1);
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(KeywordFind(table, HashString("BUTTON")), -1);
}

TEST(KeywordTable, SharedHashGivesTheFirstPair)
{
    // "Aa" and "BB" hash alike: 65 * 31 + 97 == 66 * 31 + 66.
    ASSERT_EQ(HashString("Aa"), HashString("BB"));
    KeywordTable table;
    table.Add("Aa", 7);
    table.Add("BB", 3);
    table.AddHash(HashString("Aa"), 9);
    EXPECT_EQ(KeywordFind(table, HashString("BB")), 7);
}
} // namespace

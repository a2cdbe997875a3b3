#include "core/Hash.h"

#include <gtest/gtest.h>

struct HashCase
{
    const char* text;
    uint32_t expected;
};

TEST(Hash, KnownNames)
{
    const HashCase cases[] = {
        {"", 0u},
        {"a", 97u},
        {"ab", 97u * 31u + 98u},
        {"\xE9", static_cast<uint32_t>(-23)},
        {"a\xE9", 97u * 31u + static_cast<uint32_t>(-23)},
        // Long names wrap around 32 bits.
        {"SOUND_UPGRADE_NAV", 2998101232u},
    };
    for (const HashCase& c : cases)
        EXPECT_EQ(HashString(c.text), c.expected) << c.text;
}

TEST(Hash, BytesMatchesStringAndStopsAtCount)
{
    EXPECT_EQ(HashBytes("abc", 3), HashString("abc"));
    EXPECT_EQ(HashBytes("abc", 2), HashString("ab"));
    EXPECT_EQ(HashBytes("abc", 0), 0u);
    EXPECT_EQ(HashBytes("abc", -4), 0u);
    // Bytes after a zero still count when a length is given.
    const char withZero[] = {'a', 0, 'b'};
    EXPECT_EQ(HashBytes(withZero, 3), (97u * 31u + 0u) * 31u + 98u);
}

TEST(Hash, NullIsTheEmptyName)
{
    EXPECT_EQ(HashString(nullptr), HashString(""));
    EXPECT_EQ(HashBytes(nullptr, 4), 0u);
}

#include "core/ByteReader.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsLittleEndianOrSwappedValues)
{
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x00, 0x00, 0x80, 0x3F};
    ByteReader plain(bytes, sizeof bytes);
    EXPECT_EQ(plain.U32(), 0x04030201u);
    EXPECT_EQ(plain.U16(), 0x0605u);
    EXPECT_EQ(plain.F32(), 1.0f);
    EXPECT_TRUE(plain.Ok());
    EXPECT_EQ(plain.Remaining(), 0u);

    ByteReader swapped(bytes, sizeof bytes, true);
    EXPECT_EQ(swapped.U32(), 0x01020304u);
    EXPECT_EQ(swapped.U16(), 0x0506u);
}

TEST(ByteReader, AShortReadFailsForGoodAndYieldsZero)
{
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    ByteReader in(bytes, sizeof bytes);
    EXPECT_EQ(in.U32(), 0x04030201u);
    EXPECT_EQ(in.U32(), 0u);
    EXPECT_FALSE(in.Ok());
    EXPECT_EQ(in.U8(), 0u);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_FALSE(in.Holds(0, 1));
}

TEST(ByteReader, HoldsGuardsCountsWithoutOverflow)
{
    const uint8_t bytes[16] = {};
    ByteReader in(bytes, sizeof bytes);
    EXPECT_TRUE(in.Holds(4, 4));
    EXPECT_FALSE(in.Holds(5, 4));
    EXPECT_FALSE(in.Holds(0xFFFFFFFFull, 0xFFFFFFFFull));
    EXPECT_TRUE(in.Holds(1000000, 0));
}

TEST(ByteReader, TextStopsAtItsFieldItsZeroAndItsCapacity)
{
    const uint8_t bytes[] = {'a', 'b', 'c', 'd', 'e', 'f', 'x', 0};
    char out[8];
    ByteReader field(bytes, sizeof bytes);
    ASSERT_TRUE(field.Text(out, sizeof out, 4));
    EXPECT_STREQ(out, "abcd");
    EXPECT_EQ(field.Position(), 4u);

    ByteReader capacity(bytes, sizeof bytes);
    ASSERT_TRUE(capacity.Text(out, 3, 8));
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(capacity.Position(), 8u);

    ByteReader past(bytes, sizeof bytes);
    EXPECT_FALSE(past.Text(out, sizeof out, 9));
    EXPECT_STREQ(out, "");
}

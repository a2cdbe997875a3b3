#include "squirrel/stdlib/SqBlob.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

SqStreamNumber Int(int32_t i)
{
    return {false, i, 0};
}
SqStreamNumber Real(float f)
{
    return {true, 0, f};
}

} // namespace

TEST(StdBlob, StartsZeroedAndGrowsWhenWrittenPastTheEnd)
{
    SqBlob blob(4);
    EXPECT_EQ(blob.Len(), 4);
    EXPECT_EQ(blob.Tell(), 0);
    EXPECT_EQ(blob.Data()[3], 0);
    const char text[] = "abcdef";
    EXPECT_EQ(blob.Write(text, 6), 6);
    EXPECT_EQ(blob.Len(), 6);
    EXPECT_TRUE(blob.Eos());
    EXPECT_EQ(SqBlob(-5).Len(), 0);
}

TEST(StdBlob, SeekAcceptsOnlyPositionsInsideTheBlob)
{
    SqBlob blob(10);
    const struct
    {
        int32_t offset;
        SqSeekOrigin origin;
        bool ok;
        int32_t position;
    } steps[] = {
        {4, SqSeekOrigin::Begin, true, 4},    {2, SqSeekOrigin::Current, true, 6},
        {-1, SqSeekOrigin::End, true, 9},     {0, SqSeekOrigin::End, true, 10},
        {1, SqSeekOrigin::End, false, 10},    {-11, SqSeekOrigin::Current, false, 10},
        {-1, SqSeekOrigin::Begin, false, 10}, {11, SqSeekOrigin::Begin, false, 10},
        {0, SqSeekOrigin::Begin, true, 0},
    };
    for (const auto& step : steps)
    {
        EXPECT_EQ(blob.Seek(step.offset, step.origin), step.ok) << step.offset;
        EXPECT_EQ(blob.Tell(), step.position) << step.offset;
    }
    SqSeekOrigin origin;
    EXPECT_TRUE(SqSeekOriginFromLetter('e', &origin));
    EXPECT_EQ(origin, SqSeekOrigin::End);
    EXPECT_FALSE(SqSeekOriginFromLetter('x', &origin));
}

TEST(StdBlob, TypedNumbersRoundTrip)
{
    const struct
    {
        char type;
        SqStreamNumber written;
        int size;
        bool isFloat;
        int32_t integer;
        float real;
    } cases[] = {
        {'i', Int(-123456), 4, false, -123456, 0}, {'l', Int(77), 4, false, 77, 0},
        {'s', Int(-2), 2, false, -2, 0},           {'s', Int(40000), 2, false, 40000 - 65536, 0},
        {'w', Int(-2), 2, false, 65534, 0},        {'c', Int(-1), 1, false, -1, 0},
        {'b', Int(-1), 1, false, 255, 0},          {'b', Real(7.9f), 1, false, 7, 0},
        {'f', Real(1.25f), 4, true, 0, 1.25f},     {'d', Real(-0.5f), 8, true, 0, -0.5f},
        {'f', Int(3), 4, true, 0, 3.0f},
    };
    for (const auto& c : cases)
    {
        SqBlob blob(0);
        ASSERT_EQ(SqStreamWriteNumber(blob, c.type, c.written), SqStreamResult::Ok) << c.type;
        EXPECT_EQ(blob.Len(), c.size) << c.type;
        blob.Seek(0, SqSeekOrigin::Begin);
        SqStreamNumber read;
        ASSERT_EQ(SqStreamReadNumber(blob, c.type, &read), SqStreamResult::Ok) << c.type;
        EXPECT_EQ(read.isFloat, c.isFloat) << c.type;
        if (c.isFloat)
            EXPECT_EQ(read.real, c.real) << c.type;
        else
            EXPECT_EQ(read.integer, c.integer) << c.type;
    }
}

TEST(StdBlob, ShortReadsAndUnknownTypesFail)
{
    SqBlob blob(3);
    SqStreamNumber number;
    EXPECT_EQ(SqStreamReadNumber(blob, 'i', &number), SqStreamResult::IoError);
    EXPECT_EQ(SqStreamReadNumber(blob, 'q', &number), SqStreamResult::InvalidFormat);
    EXPECT_EQ(SqStreamWriteNumber(blob, 'q', Int(1)), SqStreamResult::InvalidFormat);
    char buffer[8];
    blob.Seek(1, SqSeekOrigin::Begin);
    EXPECT_EQ(blob.Read(buffer, 8), 2);
    EXPECT_EQ(blob.Read(buffer, 8), 0);
    EXPECT_EQ(blob.Read(buffer, -1), 0);
}

TEST(StdBlob, ResizeKeepsThePointerInsideAndZeroesNewBytes)
{
    SqBlob blob(0);
    blob.Write("abcdef", 6);
    EXPECT_TRUE(blob.Resize(3));
    EXPECT_EQ(blob.Tell(), 3);
    EXPECT_TRUE(blob.Resize(5));
    EXPECT_EQ(std::memcmp(blob.Data(), "abc\0\0", 5), 0);
    EXPECT_FALSE(blob.Resize(-1));
    EXPECT_EQ(blob.Len(), 5);
}

TEST(StdBlob, SwapsReverseWholeUnitsOnly)
{
    SqBlob blob(0);
    blob.Write("\x01\x02\x03\x04\x05", 5);
    blob.Swap2();
    EXPECT_EQ(std::memcmp(blob.Data(), "\x02\x01\x04\x03\x05", 5), 0);
    blob.Swap4();
    EXPECT_EQ(std::memcmp(blob.Data(), "\x03\x04\x01\x02\x05", 5), 0);

    EXPECT_EQ(SqSwap2(0x1234), 0x3412);
    EXPECT_EQ(SqSwap2(0x00FF), -256);
    EXPECT_EQ(SqSwap4(0x12345678), 0x78563412);
    EXPECT_EQ(SqCastFloatToInt(1.0f), 0x3F800000);
    EXPECT_EQ(SqCastIntToFloat(0x40490FDB), 3.14159274101257324f);
    EXPECT_EQ(SqSwapFloat(SqSwapFloat(2.5f)), 2.5f);
    EXPECT_EQ(SqCastFloatToInt(SqSwapFloat(1.0f)), 0x0000803F);
}

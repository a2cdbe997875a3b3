#include "squirrel/stdlib/SqBlob.h"
#include "squirrel/stdlib/SqFileStream.h"
#include "squirrel/stdlib/SqStringUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

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

TEST(StdStringUtil, StripRemovesCLocaleWhitespace)
{
    const char text[] = " \t\n ab c \r\v\f";
    const size_t length = sizeof text - 1;
    const auto slice = [&](SqTextRange r) { return std::string(text + r.begin, r.end - r.begin); };
    EXPECT_EQ(slice(SqStripRange(text, length, true, true)), "ab c");
    EXPECT_EQ(slice(SqStripRange(text, length, true, false)), "ab c \r\v\f");
    EXPECT_EQ(slice(SqStripRange(text, length, false, true)), " \t\n ab c");
    EXPECT_EQ(slice(SqStripRange("   ", 3, true, true)), "");
}

TEST(StdStringUtil, SplitDropsEmptyPieces)
{
    const auto split = [](const char* text, const char* separators)
    {
        std::string joined;
        for (const SqTextRange& r :
             SqSplitRanges(text, std::strlen(text), separators, std::strlen(separators)))
            joined += "[" + std::string(text + r.begin, r.end - r.begin) + "]";
        return joined;
    };
    EXPECT_EQ(split("1.2-3;4/5", ".-/;"), "[1][2][3][4][5]");
    EXPECT_EQ(split("..a..b..", "."), "[a][b]");
    EXPECT_EQ(split("", ","), "");
    EXPECT_EQ(split("abc", ","), "[abc]");
}

TEST(StdFileStream, WritesReadsSeeksAndMeasuresAFile)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("sqstd_file_" + std::to_string(getpid()) + ".bin");
    {
        SqFileStream* file = SqFileStream::Open(path.c_str(), "wb+");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(SqStreamWriteNumber(*file, 'i', Int(0x01020304)), SqStreamResult::Ok);
        EXPECT_EQ(SqStreamWriteNumber(*file, 'f', Real(0.25f)), SqStreamResult::Ok);
        EXPECT_EQ(file->Len(), 8);
        EXPECT_EQ(file->Tell(), 8);
        EXPECT_TRUE(file->Seek(-4, SqSeekOrigin::End));
        SqStreamNumber number;
        ASSERT_EQ(SqStreamReadNumber(*file, 'f', &number), SqStreamResult::Ok);
        EXPECT_EQ(number.real, 0.25f);
        EXPECT_EQ(SqStreamReadNumber(*file, 'b', &number), SqStreamResult::IoError);
        EXPECT_TRUE(file->Eos());
        file->Close();
        EXPECT_FALSE(file->IsValid());
        delete file;
    }
    std::vector<char> bytes;
    ASSERT_TRUE(SqReadWholeFile(path.c_str(), &bytes));
    EXPECT_EQ(bytes.size(), 8u);
    std::filesystem::remove(path);
    EXPECT_EQ(SqFileStream::Open(path.c_str(), "rb"), nullptr);
}

TEST(StdFileStream, ScriptsAreTextUnlessTaggedAsBytecode)
{
    const auto bytes = [](const char* text, size_t n) { return std::vector<char>(text, text + n); };
    EXPECT_EQ(SqClassifyScript(bytes("\xFA\xFA\x01", 3)), SqScriptKind::Bytecode);
    EXPECT_EQ(SqClassifyScript(bytes("print(1)", 8)), SqScriptKind::Source);
    EXPECT_EQ(SqClassifyScript(bytes("\xFA", 1)), SqScriptKind::Source);
    EXPECT_EQ(SqScriptText(bytes("\xEF\xBB\xBFx=1", 6)), "x=1");
    EXPECT_EQ(SqScriptText(bytes("\xFF\xFEx\0=\0\xE9\0", 8)), "x=\xC3\xA9");
    EXPECT_EQ(SqScriptText(bytes("\xFE\xFF\0y\0=", 6)), "y=");
}

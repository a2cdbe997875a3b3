#include "online/DataPacker.h"
#include "online/ScriptPacket.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
struct LayoutCase
{
    const char* name;
    std::function<void(DataPacker&)> write;
    std::vector<uint8_t> bytes;
    int bitPos;
};

class DataPackerLayout : public ::testing::TestWithParam<LayoutCase>
{
};

std::vector<uint8_t> Written(const LayoutCase& layout, int size = 64)
{
    std::vector<uint8_t> buffer(static_cast<size_t>(size), 0);
    DataPacker packer;
    packer.Attach(buffer.data(), size);
    layout.write(packer);
    EXPECT_EQ(packer.GetBitPos(), layout.bitPos);
    buffer.resize(static_cast<size_t>(packer.ByteSize()));
    return buffer;
}
} // namespace

TEST_P(DataPackerLayout, WritesTheWireBytes)
{
    EXPECT_EQ(Written(GetParam()), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DataPackerLayout,
    ::testing::Values(
        LayoutCase{"IntAtZeroIsLittleEndian",
                   [](DataPacker& p) { p.WriteInt(0x12345678); },
                   {0x78, 0x56, 0x34, 0x12},
                   32},
        LayoutCase{
            "BitCountIsIgnored", [](DataPacker& p) { p.WriteInt(-2, 1); }, {0xFE, 0xFF, 0xFF, 0xFF}, 32},
        LayoutCase{"SevenBitsStillThirtyTwo", [](DataPacker& p) { p.WriteInt(5, 7); }, {5, 0, 0, 0}, 32},
        LayoutCase{"BoolThenIntShiftsByOne",
                   [](DataPacker& p)
                   {
                       p.WriteBit(1);
                       p.WriteInt(4);
                   },
                   {9, 0, 0, 0, 0},
                   33},
        LayoutCase{"FloatAsItsBits", [](DataPacker& p) { p.WriteFloat(1.0f); }, {0, 0, 0x80, 0x3F}, 32},
        LayoutCase{"Vec3XYZ",
                   [](DataPacker& p) { p.WriteVec3(Vec3(1.0f, 0.0f, -2.0f)); },
                   {0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0xC0},
                   96},
        LayoutCase{"EmptyStringIsItsLength", [](DataPacker& p) { p.WriteString(""); }, {0, 0, 0, 0}, 32},
        LayoutCase{
            "StringLengthThenBytes", [](DataPacker& p) { p.WriteString("ab"); }, {2, 0, 0, 0, 'a', 'b'}, 48},
        LayoutCase{"BytesFromAnOffset",
                   [](DataPacker& p)
                   {
                       const uint8_t source[] = {1, 2, 3, 4};
                       p.WriteBytes(source, 2, 1);
                   },
                   {2, 3},
                   16}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(DataPacker, ByteSizeRoundsUpToWholeBytes)
{
    const int cases[][2] = {{0, 0}, {1, 1}, {8, 1}, {9, 2}, {32, 4}, {33, 5}};
    uint8_t buffer[8];
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    for (const auto& c : cases)
    {
        packer.SetBitPos(c[0]);
        EXPECT_EQ(packer.ByteSize(), c[1]) << "bit position " << c[0];
    }
}

TEST(DataPacker, WriteBitKeepsTheOtherBitsOfTheByte)
{
    uint8_t buffer[1] = {0xFF};
    DataPacker packer;
    packer.Attach(buffer, 1);
    packer.SetBitPos(3);
    packer.WriteBit(0);
    EXPECT_EQ(buffer[0], 0xF7);
}

TEST(DataPacker, ReadsBackWhatItWroteAtAnyAlignment)
{
    for (int offset = 0; offset < 8; ++offset)
    {
        uint8_t buffer[64] = {};
        DataPacker writer;
        writer.Attach(buffer, sizeof buffer);
        for (int i = 0; i < offset; ++i)
            writer.WriteBit(static_cast<uint8_t>(i & 1));
        writer.WriteInt(-123456789);
        writer.WriteFloat(3.5f);
        writer.WriteString("hello");
        writer.WriteVec3(Vec3(1.5f, -2.5f, 4.0f));

        DataPacker reader;
        reader.Attach(buffer, sizeof buffer);
        for (int i = 0; i < offset; ++i)
            EXPECT_EQ(reader.ReadBit(), i & 1);
        EXPECT_EQ(reader.ReadInt(), -123456789);
        EXPECT_EQ(reader.ReadFloat(), 3.5f);
        char text[256];
        reader.ReadString(text);
        EXPECT_STREQ(text, "hello");
        Vec3 v;
        reader.ReadVec3(v);
        EXPECT_EQ(v.x, 1.5f);
        EXPECT_EQ(v.y, -2.5f);
        EXPECT_EQ(v.z, 4.0f);
        EXPECT_EQ(reader.GetBitPos(), writer.GetBitPos()) << "offset " << offset;
        EXPECT_FALSE(reader.IsOverrun());
    }
}

TEST(DataPacker, LongStringsGoOutAsTheirFirst255Characters)
{
    const std::string longText(300, 'x');
    uint8_t buffer[512];
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    packer.WriteString(longText.c_str());
    EXPECT_EQ(packer.ByteSize(), 4 + 255);
    packer.Rewind();
    EXPECT_EQ(packer.ReadInt(), 255);
}

TEST(DataPacker, ReadBytesOfNothingLeavesThePosition)
{
    uint8_t buffer[4] = {1, 2, 3, 4};
    uint8_t out[4] = {9, 9, 9, 9};
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    for (const int count : {0, -1, -100})
    {
        packer.ReadBytes(out, count);
        EXPECT_EQ(packer.GetBitPos(), 0);
    }
    EXPECT_EQ(out[0], 9);
}

TEST(DataPacker, KeepsWithinItsBuffer)
{
    // One spare byte on each side shows whether anything leaked past the size.
    uint8_t guarded[8] = {0xAA, 0, 0, 0, 0, 0, 0, 0xAA};
    DataPacker packer;
    packer.Attach(guarded + 1, 6);
    packer.WriteInt(1);
    packer.WriteInt(2); // needs 8 bytes in all: refused whole
    EXPECT_TRUE(packer.IsOverrun());
    EXPECT_EQ(packer.ByteSize(), 4);
    for (int i = 0; i < 40; ++i)
        packer.WriteBit(1);
    EXPECT_LE(packer.ByteSize(), 6);
    EXPECT_EQ(guarded[0], 0xAA);
    EXPECT_EQ(guarded[7], 0xAA);

    packer.Rewind();
    packer.SetBitPos(40);
    EXPECT_EQ(packer.ReadInt(), 0); // past the end reads zeros
    EXPECT_TRUE(packer.IsOverrun());
}

TEST(DataPacker, DamagedStringLengthsReadAsEmpty)
{
    struct Damage
    {
        const char* name;
        int32_t length;
        int bytesAfter;
    };
    const Damage cases[] = {
        {"negative", -1, 10}, {"over255", 256, 300}, {"pastTheEnd", 20, 5}, {"huge", 0x7FFFFFFF, 10}};
    for (const Damage& c : cases)
    {
        std::vector<uint8_t> buffer(static_cast<size_t>(4 + c.bytesAfter), 'z');
        DataPacker packer;
        packer.Attach(buffer.data(), static_cast<int>(buffer.size()));
        packer.WriteInt(c.length);
        packer.Rewind();
        char text[256];
        memset(text, 'q', sizeof text);
        packer.ReadString(text);
        EXPECT_STREQ(text, "") << c.name;
        EXPECT_TRUE(packer.IsOverrun()) << c.name;
    }
}

TEST(ScriptPacket, AttachPutsTheSendPackerOnTheSharedPacket)
{
    DataPacker send;
    DataPacker receive;
    ScriptPacketAttach(&send, &receive);
    EXPECT_EQ(send.Buffer(), ScriptPacketBuffer());
    EXPECT_EQ(send.SizeBytes(), kScriptPacketBytes);
    EXPECT_EQ(ScriptSendPacker(), &send);
    EXPECT_EQ(ScriptReceivePacker(), &receive);
    send.WriteInt(7);
    EXPECT_EQ(ScriptPacketBuffer()[0], 7);
    ScriptPacketAttach(nullptr, nullptr);
}

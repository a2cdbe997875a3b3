#include "ChannelPair.h"

#include "online/ConnectionManager.h"
#include "online/DataPacker.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
// Message i of a stream: 1 to 492 bytes, its index in the first bytes.
std::vector<uint8_t> Message(int index)
{
    const int length = 1 + (index * 193) % kMaxPayloadBytes;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>((index >> (8 * (i % 4))) + i);
    return bytes;
}

struct LinkCase
{
    const char* name;
    LinkConditions conditions;
};

LinkConditions Conditions(float loss, float duplicate, float reorder, uint64_t delay)
{
    LinkConditions conditions;
    conditions.lossPercent = loss;
    conditions.duplicatePercent = duplicate;
    conditions.reorderPercent = reorder;
    conditions.delayMicroseconds = delay;
    return conditions;
}

class ChannelOverLink : public ::testing::TestWithParam<LinkCase>
{
};
} // namespace

TEST_P(ChannelOverLink, DeliversEveryMessageOnceAndInOrder)
{
    constexpr int kMessages = 2000;
    ChannelPair pair(GetParam().conditions, 12345);
    int sent = 0;
    for (int step = 0; step < 6000; ++step)
    {
        for (int k = 0; k < 2 && sent < kMessages; ++k, ++sent)
        {
            const std::vector<uint8_t> message = Message(sent);
            ASSERT_TRUE(pair.a.Send(message.data(), static_cast<int>(message.size()), true));
            ASSERT_TRUE(pair.b.Send(message.data(), static_cast<int>(message.size()), true));
        }
        pair.Step();
        if (sent == kMessages && pair.receiverA.payloads.size() >= kMessages &&
            pair.receiverB.payloads.size() >= kMessages)
            break;
    }
    for (const RecordingReceiver* receiver : {&pair.receiverA, &pair.receiverB})
    {
        ASSERT_EQ(receiver->payloads.size(), static_cast<size_t>(kMessages));
        for (int i = 0; i < kMessages; ++i)
            ASSERT_EQ(receiver->payloads[static_cast<size_t>(i)], Message(i)) << "message " << i;
        EXPECT_TRUE(receiver->lost.empty());
    }
    EXPECT_EQ(pair.a.State(), kConnectionConnected);
    EXPECT_EQ(pair.b.State(), kConnectionConnected);
}

INSTANTIATE_TEST_SUITE_P(Links, ChannelOverLink,
                         ::testing::Values(LinkCase{"Clean", Conditions(0, 0, 0, 0)},
                                           LinkCase{"Loss5", Conditions(5, 0, 0, 0)},
                                           LinkCase{"Loss20", Conditions(20, 0, 0, 0)},
                                           LinkCase{"Duplication", Conditions(0, 20, 0, 0)},
                                           LinkCase{"Reordering", Conditions(0, 0, 30, 0)},
                                           LinkCase{"Delay150ms", Conditions(0, 0, 0, 150000)},
                                           LinkCase{"Everything", Conditions(20, 10, 30, 150000)}),
                         [](const ::testing::TestParamInfo<LinkCase>& info)
                         { return std::string(info.param.name); });

TEST(ReliableChannel, RefusesPayloadsThatCannotFitADatagram)
{
    ChannelPair pair;
    std::vector<uint8_t> bytes(600, 1);
    EXPECT_TRUE(pair.a.Send(bytes.data(), kMaxPayloadBytes, true));
    EXPECT_TRUE(pair.a.Send(bytes.data(), kMaxPayloadBytes, false));
    EXPECT_FALSE(pair.a.Send(bytes.data(), kMaxPayloadBytes + 1, true));
    EXPECT_FALSE(pair.a.Send(bytes.data(), kMaxPayloadBytes + 1, false));
    EXPECT_FALSE(pair.a.Send(bytes.data(), -1, true));
    for (int i = 0; i < 5; ++i)
        pair.Step();
    ASSERT_EQ(pair.receiverB.payloads.size(), 2u);
    EXPECT_EQ(pair.receiverB.payloads[0].size(), static_cast<size_t>(kMaxPayloadBytes));
}

TEST(ReliableChannel, UnreliablePayloadsArriveAsTheyCome)
{
    ChannelPair pair;
    const uint8_t bytes[] = {1, 2, 3};
    pair.a.Send(bytes, sizeof bytes, false);
    pair.Step();
    pair.Step();
    ASSERT_EQ(pair.receiverB.payloads.size(), 1u);
    EXPECT_EQ(pair.receiverB.payloads[0], std::vector<uint8_t>(bytes, bytes + 3));
}

TEST(ReliableChannel, ResetReachesThePeerAndClosesBoth)
{
    ChannelPair pair;
    pair.Step();
    pair.a.Reset();
    EXPECT_TRUE(pair.a.IsClosed());
    const uint8_t bytes[] = {1};
    EXPECT_FALSE(pair.a.Send(bytes, 1, true));
    pair.Step();
    pair.Step();
    EXPECT_TRUE(pair.b.IsClosed());
}

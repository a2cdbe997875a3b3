#include "ChannelPair.h"

#include "online/ConnectionManager.h"
#include "online/DataPacker.h"

#include "support/LogCapture.h"

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

LinkConditions Corrupting(float percent)
{
    LinkConditions conditions;
    conditions.corruptPercent = percent;
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
                                           LinkCase{"Everything", Conditions(20, 10, 30, 150000)},
                                           LinkCase{"Corruption20", Corrupting(20)}),
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

namespace
{
// Both sides send a reliable payload every tick, as lock-step peers do,
// until both connections are closed or the limit passes; the seconds taken,
// or -1.
double SecondsUntilBothClosed(ChannelPair& pair, int lengthA, int lengthB, double limit)
{
    const std::vector<uint8_t> a(static_cast<size_t>(lengthA), 1);
    const std::vector<uint8_t> b(static_cast<size_t>(lengthB), 2);
    const double tick = ChannelPair::kTickMicroseconds / 1e6;
    for (int step = 1; step * tick <= limit; ++step)
    {
        pair.a.Send(a.data(), lengthA, true);
        pair.b.Send(b.data(), lengthB, true);
        pair.Step();
        if (pair.a.IsClosed() && pair.b.IsClosed())
            return step * tick;
    }
    return -1.0;
}

size_t CountLines(const LogCapture& log, const std::string& part)
{
    size_t count = 0;
    for (const std::string& line : log.Lines())
        count += line.find(part) != std::string::npos ? 1 : 0;
    return count;
}
} // namespace

// Every datagram damaged in flight is dropped below the channel; with
// nothing left to hear, both sides give up on their own within 15 s, each
// with one report, and no damaged payload was ever delivered.
TEST(ReliableChannel, ALinkThatCorruptsEverythingIsReportedAndClosedOnBothSides)
{
    ChannelPair pair;
    EXPECT_EQ(SecondsUntilBothClosed(pair, 40, 40, 2.0), -1.0);
    const size_t deliveredA = pair.receiverA.payloads.size();
    const size_t deliveredB = pair.receiverB.payloads.size();
    ASSERT_GT(deliveredA, 0u);
    pair.link.SetConditions(Corrupting(100));
    LogCapture log;
    const double seconds = SecondsUntilBothClosed(pair, 40, 40, 20.0);
    EXPECT_GT(seconds, 0.0) << log.Text();
    EXPECT_LE(seconds, 15.0);
    EXPECT_EQ(pair.receiverA.lost, std::vector<int>{kLostSilence});
    EXPECT_EQ(pair.receiverB.lost, std::vector<int>{kLostSilence});
    EXPECT_EQ(CountLines(log, "lost: nothing heard for 10 s"), 2u) << log.Text();
    EXPECT_GT(pair.link.Corrupted(), 100u);
    for (size_t i = deliveredA; i < pair.receiverA.payloads.size(); ++i)
        EXPECT_EQ(pair.receiverA.payloads[i], std::vector<uint8_t>(40, 2));
    for (size_t i = deliveredB; i < pair.receiverB.payloads.size(); ++i)
        EXPECT_EQ(pair.receiverB.payloads[i], std::vector<uint8_t>(40, 1));
}

// The small datagrams (acknowledgements, queries, pings) still pass, so
// neither side falls silent, but A's long packet never arrives: A reports
// that nothing is acknowledged and closes, and its reset closes B.
TEST(ReliableChannel, ALinkThatCarriesOnlySmallDatagramsIsReportedAndClosedOnBothSides)
{
    ChannelPair pair;
    EXPECT_EQ(SecondsUntilBothClosed(pair, 4, 4, 2.0), -1.0);
    LinkConditions small;
    small.maxDatagramBytes = 100;
    pair.link.SetConditions(small);
    LogCapture log;
    const std::vector<uint8_t> longPacket(200, 9);
    pair.a.Send(longPacket.data(), 200, true);
    const uint8_t shortPacket[4] = {};
    double seconds = -1.0;
    for (int step = 1; step <= 400 && seconds < 0.0; ++step)
    {
        pair.b.Send(shortPacket, 4, true);
        pair.Step();
        if (pair.a.IsClosed() && pair.b.IsClosed())
            seconds = step * (ChannelPair::kTickMicroseconds / 1e6);
    }
    EXPECT_GT(seconds, 0.0) << log.Text();
    EXPECT_LE(seconds, 15.0);
    EXPECT_EQ(pair.receiverA.lost, std::vector<int>{kLostUndelivered});
    EXPECT_TRUE(pair.receiverB.lost.empty());
    EXPECT_EQ(CountLines(log, "lost: nothing acknowledged for 10 s"), 1u) << log.Text();
    EXPECT_EQ(CountLines(log, "closed by the peer"), 1u) << log.Text();
}

// Only a channel with packets waiting gives up for want of acknowledgement.
TEST(ReliableChannel, AnIdleConnectionOverThatLinkStaysOpen)
{
    ChannelPair pair;
    const uint8_t bytes[200] = {};
    pair.a.Send(bytes, sizeof bytes, true);
    for (int i = 0; i < 10; ++i)
        pair.Step();
    ASSERT_EQ(pair.receiverB.payloads.size(), 1u);
    LinkConditions small;
    small.maxDatagramBytes = 100;
    pair.link.SetConditions(small);
    for (int i = 0; i < 600; ++i)
        pair.Step();
    EXPECT_TRUE(pair.receiverA.lost.empty());
    EXPECT_FALSE(pair.a.IsClosed());
    EXPECT_FALSE(pair.b.IsClosed());
}

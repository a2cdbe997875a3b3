#include "ChannelPair.h"
#include "WirePackets.h"

#include "online/ConnectionManager.h"

#include <gtest/gtest.h>

namespace
{
// Steps until B has n payloads; the number of steps taken, or -1.
int StepsUntilDelivered(ChannelPair& pair, size_t n, int limit)
{
    for (int step = 1; step <= limit; ++step)
    {
        pair.Step();
        if (pair.receiverB.payloads.size() >= n)
            return step;
    }
    return -1;
}
} // namespace

TEST(ChannelTiming, AShortPacketLostOnceIsSentInFullAfterTheResendTime)
{
    ChannelPair pair;
    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    pair.a.Send(bytes, sizeof bytes, true);
    pair.link.SetBlocked(ChannelPair::kUserA, true);
    pair.Step(); // sent and lost
    pair.link.SetBlocked(ChannelPair::kUserA, false);
    const int steps = StepsUntilDelivered(pair, 1, 40);
    // Due once its timer passes 0.45 s (the tenth tick after), sent at the next.
    EXPECT_GE(steps, 10);
    EXPECT_LE(steps, 13);
}

TEST(ChannelTiming, ALongPacketWaitsForThePeerToAskForIt)
{
    ChannelPair pair;
    const std::vector<uint8_t> bytes(100, 7);
    pair.a.Send(bytes.data(), 100, true);
    pair.link.SetBlocked(ChannelPair::kUserA, true);
    pair.Step();
    pair.link.SetBlocked(ChannelPair::kUserA, false);
    // B hears the queries but its answers are lost: A must not resend blindly.
    pair.link.SetBlocked(ChannelPair::kUserB, true);
    EXPECT_EQ(StepsUntilDelivered(pair, 1, 60), -1);
    pair.link.SetBlocked(ChannelPair::kUserB, false);
    const int steps = StepsUntilDelivered(pair, 1, 40);
    EXPECT_GT(steps, 0);
    EXPECT_LE(steps, 14);
}

TEST(ChannelTiming, SpareRoomCarriesUnacknowledgedPacketsAgain)
{
    GetConnectionManager().SetSpareRoomResends(true);
    ChannelPair pair;
    const std::vector<uint8_t> bytes(100, 7);
    pair.a.Send(bytes.data(), 100, true);
    pair.link.SetBlocked(ChannelPair::kUserA, true);
    pair.Step();
    pair.link.SetBlocked(ChannelPair::kUserA, false);
    pair.a.Send(bytes.data(), 10, true); // gives the next datagram a reason to go
    const int steps = StepsUntilDelivered(pair, 2, 40);
    GetConnectionManager().SetSpareRoomResends(false);
    EXPECT_GT(steps, 0);
    EXPECT_LE(steps, 2);
}

TEST(ChannelTiming, TenSecondsOfSilenceLoseTheConnection)
{
    ChannelPair pair;
    const uint8_t bytes[1] = {1};
    pair.b.Send(bytes, 1, true);
    pair.Step();
    pair.Step();
    pair.link.SetBlocked(ChannelPair::kUserB, true);
    // 9.5 s of silence: pings go out, nothing is lost yet.
    for (int step = 0; step < 190; ++step)
        pair.Step();
    EXPECT_TRUE(pair.receiverA.lost.empty());
    EXPECT_EQ(pair.a.State(), kConnectionConnected);
    for (int step = 0; step < 20; ++step)
        pair.Step();
    EXPECT_EQ(pair.receiverA.lost, std::vector<int>{kLostSilence});
    EXPECT_TRUE(pair.a.IsClosed());
}

TEST(ChannelTiming, AConnectionThatNeverHeardAnythingStaysQuiet)
{
    ChannelPair pair;
    for (int step = 0; step < 400; ++step)
        pair.Step();
    EXPECT_EQ(pair.link.Sent(), 0u);
    EXPECT_TRUE(pair.receiverA.lost.empty());
    EXPECT_EQ(pair.a.State(), kConnectionConnected);
}

TEST(ChannelTiming, AnIdleConnectionKeepsItselfAlive)
{
    ChannelPair pair;
    const uint8_t bytes[1] = {1};
    pair.a.Send(bytes, 1, true);
    pair.b.Send(bytes, 1, true);
    for (int step = 0; step < 20 * 30; ++step) // 30 s with nothing to say
        pair.Step();
    EXPECT_TRUE(pair.receiverA.lost.empty());
    EXPECT_TRUE(pair.receiverB.lost.empty());
    EXPECT_EQ(pair.a.State(), kConnectionConnected);
}

TEST(ChannelFailures, MoreThan300FailedSendsLoseTheConnection)
{
    ChannelPair pair;
    pair.link.SetSendFails(true);
    const std::vector<uint8_t> bytes(400, 1);
    for (int i = 0; i < 300; ++i) // one datagram each
        pair.a.Send(bytes.data(), 400, true);
    pair.Step();
    EXPECT_TRUE(pair.receiverA.lost.empty()) << "300 failures are still tolerated";
    pair.a.Send(bytes.data(), 400, true);
    pair.Step();
    ASSERT_FALSE(pair.receiverA.lost.empty());
    EXPECT_EQ(pair.receiverA.lost[0], kLostSendFailures);
}

TEST(ChannelFailures, AFullSendPoolFailsTheConnectionOnce)
{
    ChannelPair pair;
    const uint8_t bytes[1] = {1};
    for (int i = 0; i < kReliableSendRecords; ++i)
        ASSERT_TRUE(pair.a.Send(bytes, 1, true));
    EXPECT_TRUE(pair.receiverA.lost.empty());
    pair.a.Send(bytes, 1, true);
    pair.a.Send(bytes, 1, true);
    EXPECT_EQ(pair.receiverA.lost, std::vector<int>{kLostSendPoolFull});
    EXPECT_EQ(pair.a.State(), kConnectionFailed);
}

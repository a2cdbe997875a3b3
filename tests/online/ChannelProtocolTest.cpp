#include "ChannelPair.h"
#include "WirePackets.h"

#include "online/ConnectionManager.h"

#include <gtest/gtest.h>

namespace
{
constexpr int16_t kStampA = 0x1111;

// Side B of a pair, fed by hand; what it sends back is read off the link.
class ChannelProtocol : public ::testing::Test
{
protected:
    void Feed(const std::vector<WirePacket>& packets)
    {
        const std::vector<uint8_t> datagram = BuildDatagram(packets);
        pair.b.Receive(datagram.data(), static_cast<int>(datagram.size()));
    }

    // B's tick, and every packet it sent.
    std::vector<WirePacket> TickB()
    {
        pair.clock.Advance(ChannelPair::kTickMicroseconds);
        pair.link.SetSender(ChannelPair::kUserB);
        pair.b.Channel().Tick();
        std::vector<WirePacket> sent;
        uint8_t buffer[512];
        int length = 0;
        uint64_t sender = 0;
        while (pair.link.Take(ChannelPair::kUserA, buffer, sizeof buffer, length, sender))
            for (const WirePacket& packet : ParseDatagram(buffer, length))
                sent.push_back(packet);
        return sent;
    }

    static bool HasControl(const std::vector<WirePacket>& packets, int type, int32_t number)
    {
        for (const WirePacket& packet : packets)
            if (!packet.IsReliable() && packet.ControlType() == type && packet.Number() == number)
                return true;
        return false;
    }

    std::vector<std::vector<uint8_t>>& Delivered() { return pair.receiverB.payloads; }

    ChannelPair pair;
};
} // namespace

TEST_F(ChannelProtocol, OutOfOrderPacketsAreHeldUntilTheGapFills)
{
    Feed({Reliable(kStampA, 1, {10})});
    Feed({Reliable(kStampA, 3, {30})});
    ASSERT_EQ(Delivered().size(), 1u);
    EXPECT_TRUE(HasControl(TickB(), kControlAck, 3));
    Feed({Reliable(kStampA, 2, {20})});
    ASSERT_EQ(Delivered().size(), 3u);
    EXPECT_EQ(Delivered()[1], std::vector<uint8_t>{20});
    EXPECT_EQ(Delivered()[2], std::vector<uint8_t>{30});
    EXPECT_TRUE(HasControl(TickB(), kControlAckUpTo, 3));
}

TEST_F(ChannelProtocol, DuplicatesAreDeliveredOnceAndStoredOnce)
{
    Feed({Reliable(kStampA, 1, {1}), Reliable(kStampA, 1, {1})});
    // More copies of one early packet than the receive pool holds.
    for (int i = 0; i < 600; ++i)
    {
        Feed({Reliable(kStampA, 3, {3})});
        if (i % 100 == 99)
            TickB(); // the acknowledgements leave, so the control queue has room
    }
    Feed({Reliable(kStampA, 4, {4})});
    EXPECT_TRUE(HasControl(TickB(), kControlAck, 4)) << "a later packet must still find room";
    Feed({Reliable(kStampA, 2, {2})});
    ASSERT_EQ(Delivered().size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Delivered()[static_cast<size_t>(i)], std::vector<uint8_t>{static_cast<uint8_t>(i + 1)});
}

TEST_F(ChannelProtocol, QueriesAreAnsweredByWhatIsHeld)
{
    Feed({Reliable(kStampA, 1, {1}), Reliable(kStampA, 3, {3})});
    TickB();
    Feed({Control(kStampA, kControlQuery, 1, Number(1)), Control(kStampA, kControlQuery, 2, Number(2)),
          Control(kStampA, kControlQuery, 3, Number(3))});
    const std::vector<WirePacket> replies = TickB();
    EXPECT_TRUE(HasControl(replies, kControlAck, 1));
    EXPECT_TRUE(HasControl(replies, kControlResend, 2));
    EXPECT_TRUE(HasControl(replies, kControlAck, 3));
}

TEST_F(ChannelProtocol, ANewStampStartingAtOneIsAPeerRestart)
{
    Feed({Reliable(kStampA, 1, {1}), Reliable(kStampA, 2, {2}), Reliable(kStampA, 3, {3})});
    Feed({Reliable(0x3333, 1, {9})});
    EXPECT_EQ(pair.receiverB.lost, std::vector<int>{kLostPeerRestart});
    EXPECT_EQ(Delivered().size(), 3u) << "the restart's first packet waits for its resend";
    EXPECT_TRUE(HasControl(TickB(), kControlRestartSeen, 1));
    Feed({Reliable(0x3333, 1, {9})});
    ASSERT_EQ(Delivered().size(), 4u);
    EXPECT_EQ(Delivered()[3], std::vector<uint8_t>{9});
}

TEST_F(ChannelProtocol, ALateFirstPacketUnderTheOldStampIsADuplicate)
{
    Feed({Reliable(kStampA, 1, {1}), Reliable(kStampA, 2, {2}), Reliable(kStampA, 3, {3})});
    Feed({Reliable(kStampA, 1, {1})});
    EXPECT_TRUE(pair.receiverB.lost.empty());
    EXPECT_EQ(Delivered().size(), 3u);
    EXPECT_EQ(pair.b.Channel().LastInOrder(), 3);
    EXPECT_TRUE(HasControl(TickB(), kControlAckUpTo, 3));
}

TEST_F(ChannelProtocol, ForeignStampsAreIgnored)
{
    Feed({Reliable(kStampA, 1, {1})});
    Feed({Reliable(0x4444, 2, {2}), Control(0x4444, kControlUnreliable, 5, {7}),
          Control(0x4444, kControlReset, 6)});
    EXPECT_EQ(Delivered().size(), 1u);
    EXPECT_FALSE(pair.b.IsClosed());
}

TEST_F(ChannelProtocol, PingIsAnsweredAndResetCloses)
{
    Feed({Control(kStampA, kControlPing, 1)});
    const std::vector<WirePacket> replies = TickB();
    bool pong = false;
    for (const WirePacket& packet : replies)
        pong = pong || (!packet.IsReliable() && packet.ControlType() == kControlPong);
    EXPECT_TRUE(pong);
    Feed({Control(kStampA, kControlReset, 2)});
    EXPECT_TRUE(pair.b.IsClosed());
}

TEST_F(ChannelProtocol, DamagedDatagramsDeliverOnlyWhatIsWhole)
{
    struct Damage
    {
        const char* name;
        std::vector<uint8_t> tail; // appended after one whole packet (the count says 2 or more)
        int32_t count;
    };
    const Damage cases[] = {
        {"missingPacket", {}, 2},
        {"lengthBelowHeader", {11, 0, 0, 0, 1, 0, 0, 0, 0x11, 0x11, 0, 0}, 2},
        {"negativeLength", {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0}, 2},
        {"lengthPastTheEnd", {200, 0, 0, 0, 1, 0, 0, 0, 0x11, 0x11, 0, 0, 2, 0, 0, 0}, 2},
        {"truncatedLength", {13, 0}, 2},
        {"hugeCount", {}, 0x7FFFFFFF},
        {"negativeCount", {}, -5},
    };
    for (const Damage& damage : cases)
    {
        ChannelPair fresh;
        std::vector<uint8_t> datagram = BuildDatagram({Reliable(kStampA, 1, {42})});
        datagram.insert(datagram.end(), damage.tail.begin(), damage.tail.end());
        const std::vector<uint8_t> count = Number(damage.count);
        std::copy(count.begin(), count.end(), datagram.begin());
        fresh.b.Receive(datagram.data(), static_cast<int>(datagram.size()));
        const size_t expected = damage.count > 0 ? 1u : 0u;
        EXPECT_EQ(fresh.receiverB.payloads.size(), expected) << damage.name;
        EXPECT_EQ(fresh.b.State(), kConnectionConnected) << damage.name;
    }
    for (int length = 0; length < 4; ++length)
    {
        const uint8_t bytes[4] = {1, 0, 0, 0};
        pair.b.Receive(bytes, length);
    }
    EXPECT_TRUE(Delivered().empty());
}

TEST_F(ChannelProtocol, APacketTooLongForTheDatagramIsSplitWithinOneTick)
{
    std::vector<uint8_t> payload(300, 5);
    pair.link.SetSender(ChannelPair::kUserA);
    pair.a.Send(payload.data(), 300, true);
    pair.a.Send(payload.data(), 300, true);
    pair.clock.Advance(ChannelPair::kTickMicroseconds);
    pair.a.Channel().Tick();
    uint8_t buffer[600];
    int length = 0;
    uint64_t sender = 0;
    int datagrams = 0;
    while (pair.link.Take(ChannelPair::kUserB, buffer, sizeof buffer, length, sender))
    {
        ++datagrams;
        EXPECT_LE(length, 512);
        EXPECT_EQ(ParseDatagram(buffer, length).size(), 1u);
    }
    EXPECT_EQ(datagrams, 2);
}

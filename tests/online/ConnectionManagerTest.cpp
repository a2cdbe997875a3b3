#include "ChannelPair.h"
#include "WirePackets.h"

#include "online/ConnectionManager.h"
#include "online/PeerTable.h"

#include <gtest/gtest.h>

namespace
{
constexpr uint64_t kLocal = 100;
constexpr uint64_t kPeer = 200;

class ConnectionManagerTest : public ::testing::Test
{
protected:
    ConnectionManagerTest() : link(kLocal, LinkConditions(), 7) { SetPeerLink(&link); }
    ~ConnectionManagerTest() override
    {
        GetConnectionManager().DeleteAll();
        GetPeerTable().Clear();
        SetPeerLink(nullptr);
    }

    std::vector<WirePacket> SentTo(uint64_t user)
    {
        std::vector<WirePacket> sent;
        uint8_t buffer[512];
        int length = 0;
        uint64_t sender = 0;
        while (link.Take(user, buffer, sizeof buffer, length, sender))
            for (const WirePacket& packet : ParseDatagram(buffer, length))
                sent.push_back(packet);
        return sent;
    }

    void Arrive(uint64_t from, const std::vector<WirePacket>& packets)
    {
        const std::vector<uint8_t> datagram = BuildDatagram(packets);
        link.SetSender(from);
        link.Send(kLocal, datagram.data(), static_cast<int>(datagram.size()));
        link.SetSender(kLocal);
    }

    ManualClock clock;
    SimulatedLink link;
    RecordingReceiver receiver;
    ConnectionManager& manager = GetConnectionManager();
};
} // namespace

TEST_F(ConnectionManagerTest, FindOrCreateMakesOneConnectionPerPeer)
{
    Connection* first = manager.FindOrCreate(kPeer, &receiver);
    ASSERT_NE(first, nullptr);
    RecordingReceiver unused;
    EXPECT_EQ(manager.FindOrCreate(kPeer, &unused), first);
    EXPECT_EQ(first->GetReceiver(), &receiver);
    EXPECT_EQ(receiver.GetConnection(), first);
    EXPECT_EQ(manager.Find(kPeer), first);
    EXPECT_EQ(manager.Find(kPeer + 1), nullptr);
    EXPECT_TRUE(GetPeerTable().Contains(kPeer));
    Connection* second = manager.FindOrCreate(kPeer + 1, nullptr);
    EXPECT_EQ(second->ConnectionId(), first->ConnectionId() + 1);
    EXPECT_NE(second->Channel().LocalStamp(), first->Channel().LocalStamp());
}

TEST_F(ConnectionManagerTest, UpdateTicksEveryFiftyMilliseconds)
{
    Connection* connection = manager.FindOrCreate(kPeer, &receiver);
    const uint8_t bytes[1] = {1};
    connection->Send(bytes, 1, true);
    manager.Update(); // starts the timer
    clock.Advance(50000);
    manager.Update();
    EXPECT_TRUE(SentTo(kPeer).empty()) << "0.05 s exactly is not yet a tick";
    clock.Advance(1);
    manager.Update();
    EXPECT_EQ(SentTo(kPeer).size(), 1u);
}

TEST_F(ConnectionManagerTest, DatagramsReachTheirPeersConnectionOnly)
{
    Connection* connection = manager.FindOrCreate(kPeer, &receiver);
    ASSERT_NE(connection, nullptr);
    Arrive(kPeer, {Reliable(5, 1, {1})});
    Arrive(kLocal, {Reliable(5, 2, {2})});    // from ourselves
    Arrive(kPeer + 9, {Reliable(5, 2, {3})}); // a stranger
    manager.Update();
    ASSERT_EQ(receiver.payloads.size(), 1u);
    EXPECT_EQ(receiver.payloads[0], std::vector<uint8_t>{1});
}

TEST_F(ConnectionManagerTest, OversizedDatagramsAreDropped)
{
    manager.FindOrCreate(kPeer, &receiver);
    std::vector<uint8_t> datagram = BuildDatagram({Reliable(5, 1, std::vector<uint8_t>(480, 1))});
    datagram.resize(600, 0);
    link.SetSender(kPeer);
    link.Send(kLocal, datagram.data(), static_cast<int>(datagram.size()));
    link.SetSender(kLocal);
    manager.Update();
    EXPECT_TRUE(receiver.payloads.empty());
}

TEST_F(ConnectionManagerTest, ARemovedConnectionSendsItsResetFirst)
{
    Connection* connection = manager.FindOrCreate(kPeer, &receiver);
    connection->Reset();
    manager.Remove(connection->ConnectionId());
    EXPECT_EQ(manager.Find(kPeer), nullptr);
    EXPECT_FALSE(GetPeerTable().Contains(kPeer));
    bool reset = false;
    for (const WirePacket& packet : SentTo(kPeer))
        reset = reset || (!packet.IsReliable() && packet.ControlType() == kControlReset);
    EXPECT_TRUE(reset);
}

namespace
{
// Removes its own connection from inside the delivery, as a script's quit would.
class SelfRemovingReceiver : public Receiver
{
public:
    void OnReceive(const uint8_t*, int) override
    {
        ++received;
        GetConnectionManager().Remove(GetConnection()->ConnectionId());
        GetConnectionManager().Update(); // must not run again inside itself
    }
    void OnConnectionLost(int) override {}
    int received = 0;
};
} // namespace

TEST_F(ConnectionManagerTest, RemovalFromACallbackWaitsForTheWalk)
{
    SelfRemovingReceiver removing;
    manager.FindOrCreate(kPeer, &removing);
    Arrive(kPeer, {Reliable(5, 1, {1}), Reliable(5, 2, {2})});
    Arrive(kPeer, {Reliable(5, 3, {3})});
    manager.Update();
    EXPECT_EQ(removing.received, 1);
    EXPECT_EQ(manager.Count(), 0);
}

TEST_F(ConnectionManagerTest, AClosedConnectionIsRemovedByTheNextTickPass)
{
    Connection* connection = manager.FindOrCreate(kPeer, &receiver);
    connection->Reset();
    manager.Update();
    clock.Advance(60000);
    manager.Update();
    EXPECT_EQ(manager.Count(), 0);
}

namespace
{
// Makes a connection for the peers it is told are members, as the node
// layer does for its lobby's members.
class MemberListener : public ConnectionListener
{
public:
    explicit MemberListener(RecordingReceiver& receiver) : m_receiver(receiver) {}
    void OnConnectionClosed(Connection* connection) override
    {
        ++closed;
        GetConnectionManager().Remove(connection->ConnectionId());
    }
    void AfterConnectionUpdate() override {}
    bool AdmitUnknownSender(uint64_t peer) override
    {
        asked.push_back(peer);
        return peer == kPeer && GetConnectionManager().FindOrCreate(peer, &m_receiver) != nullptr;
    }
    std::vector<uint64_t> asked;
    int closed = 0;

private:
    RecordingReceiver& m_receiver;
};

struct UnknownSenderCase
{
    const char* name;
    uint64_t sender;
    std::vector<WirePacket> datagram;
    bool asked;     // whether the listener is consulted
    bool connected; // whether a connection is made
    bool delivered; // whether the payload 7 reaches the receiver
};

class UnknownSenderTest : public ConnectionManagerTest, public ::testing::WithParamInterface<UnknownSenderCase>
{
};
} // namespace

TEST_P(UnknownSenderTest, OnlyAMembersOpeningMakesAConnection)
{
    MemberListener listener(receiver);
    manager.SetListener(&listener);
    const UnknownSenderCase& c = GetParam();
    Arrive(c.sender, c.datagram);
    manager.Update();
    manager.SetListener(nullptr);
    EXPECT_EQ(listener.asked, c.asked ? std::vector<uint64_t>{c.sender} : std::vector<uint64_t>{});
    EXPECT_EQ(manager.Find(c.sender) != nullptr, c.connected);
    EXPECT_EQ(receiver.payloads, c.delivered ? std::vector<std::vector<uint8_t>>{{7}}
                                             : std::vector<std::vector<uint8_t>>{});
}

INSTANTIATE_TEST_SUITE_P(
    Senders, UnknownSenderTest,
    ::testing::Values(
        UnknownSenderCase{"MemberOpening", kPeer, {Reliable(5, 1, {7})}, true, true, true},
        UnknownSenderCase{"MemberOpeningAfterAControl", kPeer, {Control(5, kControlPing, 1), Reliable(5, 1, {7})},
                          true, true, true},
        // What a closing connection leaves behind must not open a new one:
        // its reset would close the peer's fresh connection in turn.
        UnknownSenderCase{"MemberReset", kPeer, {Control(5, kControlReset, 1)}, false, false, false},
        UnknownSenderCase{"MemberAcknowledgement", kPeer, {Control(5, kControlAckUpTo, 2, Number(1))}, false,
                          false, false},
        UnknownSenderCase{"MemberMidRun", kPeer, {Reliable(5, 2, {7})}, false, false, false},
        // A member whose opening went to a connection closed here asks for
        // it again; the new connection's answer brings it back.
        UnknownSenderCase{"MemberQuery", kPeer, {Control(5, kControlQuery, 1, Number(1))}, true, true,
                          false},
        UnknownSenderCase{"StrangerOpening", kPeer + 9, {Reliable(5, 1, {7})}, true, false, false}),
    [](const ::testing::TestParamInfo<UnknownSenderCase>& info) { return std::string(info.param.name); });

TEST_F(ConnectionManagerTest, AMemberBackBeforeItsClosedConnectionWentIsHeard)
{
    MemberListener listener(receiver);
    manager.SetListener(&listener);
    RecordingReceiver old;
    Connection* closed = manager.FindOrCreate(kPeer, &old);
    closed->Reset();
    Arrive(kPeer, {Control(5, kControlReset, 1)}); // the old run's last word
    Arrive(kPeer, {Reliable(6, 1, {7})});          // the new run's first
    manager.Update();
    manager.SetListener(nullptr);
    EXPECT_EQ(listener.closed, 1);
    ASSERT_NE(manager.Find(kPeer), nullptr);
    EXPECT_NE(manager.Find(kPeer), closed);
    EXPECT_EQ(receiver.payloads, std::vector<std::vector<uint8_t>>{{7}});
    EXPECT_TRUE(old.payloads.empty());
}

TEST_F(ConnectionManagerTest, AResetIsNotAnsweredWithOne)
{
    // The answer would reach the peer's next connection and close it.
    Connection* connection = manager.FindOrCreate(kPeer, &receiver);
    Arrive(kPeer, {Reliable(5, 1, {7})});
    Arrive(kPeer, {Control(5, kControlReset, 2)});
    manager.Update();
    EXPECT_TRUE(connection->IsClosed());
    manager.Remove(connection->ConnectionId());
    for (const WirePacket& packet : SentTo(kPeer))
        EXPECT_FALSE(!packet.IsReliable() && packet.ControlType() == kControlReset);
}

TEST_F(ConnectionManagerTest, AFloodOfStrangersCostsAFewLookupsAFrame)
{
    MemberListener listener(receiver);
    manager.SetListener(&listener);
    for (uint64_t stranger = 1000; stranger < 1100; ++stranger)
        Arrive(stranger, {Reliable(5, 1, {1})});
    manager.Update();
    manager.SetListener(nullptr);
    EXPECT_LT(listener.asked.size(), 10u);
    EXPECT_EQ(manager.Count(), 0);
}

TEST(PeerTable, KeepsEachIdOnceAndSwapsOnRemoval)
{
    PeerTable table;
    EXPECT_EQ(table.FindOrAdd(5), 5u);
    table.FindOrAdd(6);
    table.FindOrAdd(5);
    table.FindOrAdd(7);
    EXPECT_EQ(table.Count(), 3);
    table.Remove(5);
    EXPECT_FALSE(table.Contains(5));
    EXPECT_TRUE(table.Contains(6));
    EXPECT_TRUE(table.Contains(7));
    table.Remove(42);
    EXPECT_EQ(table.Count(), 2);
}

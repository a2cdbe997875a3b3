// Seeded sweeps of damaged input through every reader of the peer link: the
// channel's datagram reader and the node layer's message reader on host and
// client. Nothing may crash or read outside its bytes (the sanitizers watch);
// the connection stays usable afterwards.

#include "NodeFixture.h"
#include "WirePackets.h"

#include "online/ConnectionManager.h"
#include "online/MatchingService.h"
#include "online/NodeReceiver.h"

namespace
{
constexpr int kSweeps = 3000;

class Mutator
{
public:
    explicit Mutator(uint32_t seed) : m_state(seed) {}

    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

    // Flips, overwrites with edge values, cuts or extends.
    std::vector<uint8_t> Damage(std::vector<uint8_t> bytes)
    {
        const int edits = 1 + static_cast<int>(Next() % 4);
        for (int i = 0; i < edits && !bytes.empty(); ++i)
        {
            const size_t at = Next() % bytes.size();
            switch (Next() % 5)
            {
            case 0:
                bytes[at] ^= static_cast<uint8_t>(1u << (Next() % 8));
                break;
            case 1:
                bytes[at] = 0xFF;
                break;
            case 2:
                bytes[at] = 0x7F;
                break;
            case 3:
                bytes.resize(at);
                break;
            default:
                bytes.insert(bytes.begin() + static_cast<long>(at), static_cast<uint8_t>(Next()));
                break;
            }
        }
        if (bytes.size() > 512)
            bytes.resize(512);
        return bytes;
    }

private:
    uint32_t m_state;
};

std::vector<uint8_t> GameMessage(int type, const std::vector<int32_t>& fields)
{
    std::vector<uint8_t> bytes(512);
    DataPacker packer;
    packer.Attach(bytes.data(), 512);
    packer.WriteInt(kMessageGameConnection);
    packer.WriteInt(type);
    for (const int32_t field : fields)
        packer.WriteInt(field);
    bytes.resize(static_cast<size_t>(packer.ByteSize()));
    return bytes;
}

std::vector<uint8_t> NodeList()
{
    std::vector<uint8_t> bytes = GameMessage(GCMT_NEW_LIST_OF_NODES, {2});
    for (const uint64_t peer : {500ull, 10ull})
    {
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&peer);
        bytes.insert(bytes.end(), raw, raw + 8);
        const std::vector<uint8_t> id = Number(peer == 500 ? 0 : 1);
        bytes.insert(bytes.end(), id.begin(), id.end());
    }
    return bytes;
}
} // namespace

TEST(DamagedInput, TheDatagramReaderSurvivesASeededSweep)
{
    ChannelPair pair;
    Mutator mutator(1);
    const std::vector<uint8_t> valid = BuildDatagram(
        {Reliable(0x1111, 1, {1, 2, 3}), Control(0x1111, kControlQuery, 1, Number(1)),
         Control(0x1111, kControlAckUpTo, 2, Number(0)), Reliable(0x1111, 3, std::vector<uint8_t>(40, 9))});
    for (int i = 0; i < kSweeps; ++i)
    {
        const std::vector<uint8_t> damaged = mutator.Damage(valid);
        pair.b.Receive(damaged.data(), static_cast<int>(damaged.size()));
        if (i % 50 == 0)
            pair.Step();
    }
    // The damaged datagrams wore side A's stamp, so what B takes from A
    // afterwards is not fixed; what B sends reaches A whole and in order.
    ASSERT_TRUE(pair.b.Channel().IsLive());
    const auto message = [](int i) { return std::vector<uint8_t>{static_cast<uint8_t>(i), 0x5A, 0xA5}; };
    constexpr int kAfter = 20;
    pair.receiverA.payloads.clear();
    for (int i = 0; i < kAfter; ++i)
        ASSERT_TRUE(pair.b.Send(message(i).data(), 3, true)) << i;
    for (int step = 0; step < 200 && pair.receiverA.payloads.size() < size_t(kAfter); ++step)
        pair.Step();
    ASSERT_EQ(pair.receiverA.payloads.size(), size_t(kAfter));
    for (int i = 0; i < kAfter; ++i)
        EXPECT_EQ(pair.receiverA.payloads[size_t(i)], message(i)) << i;
    EXPECT_TRUE(pair.b.Channel().IsLive());
}

class DamagedNodeInput : public NodeTest
{
};

TEST_F(DamagedNodeInput, HostAndClientMessageReadersSurviveASeededSweep)
{
    const std::vector<std::vector<uint8_t>> messages = {
        GameMessage(GCMT_I_REQUEST_JOIN_GAME, {GetMatchingService().NetVersionValue()}),
        GameMessage(GCMT_YOU_ARE_GRANTED_JOIN_GAME, {1}),
        GameMessage(GCMT_STEP_REPORT, {3}),
        GameMessage(GCMT_SET_STEP_DELTA, {0x3DCCCCCD, 0x3DCCCCCD}),
        GameMessage(GCMT_STEP_GO, {4}),
        NodeList(),
        {1, 0, 0, 0, 5, 6, 7, 8},
    };
    Mutator mutator(2);
    for (const bool host : {true, false})
    {
        maker.ResetConnections();
        FakePeer& peer = AddPeer(host ? 501 : 500);
        if (host)
        {
            maker.SetMaxNodes(4);
            maker.SetAsParent(true);
            maker.AddPendingConnection(peer.id);
        }
        else
        {
            maker.RequestJoin(peer.id);
        }
        for (int i = 0; i < kSweeps; ++i)
        {
            const std::vector<uint8_t>& message = messages[mutator.Next() % messages.size()];
            const std::vector<uint8_t> damaged = mutator.Damage(message);
            if (Connection* connection = GetConnectionManager().Find(peer.id))
                if (auto* receiver = static_cast<NodeReceiver*>(connection->GetReceiver()))
                    receiver->OnReceive(damaged.data(), static_cast<int>(damaged.size()));
            if (i % 100 == 0)
                Frame();
        }
        // The connection stays usable: a whole message read after the sweep
        // does what it says.
        Connection* connection = GetConnectionManager().Find(peer.id);
        ASSERT_NE(connection, nullptr) << (host ? "host" : "client");
        EXPECT_TRUE(connection->Channel().IsLive()) << (host ? "host" : "client");
        auto* receiver = static_cast<NodeReceiver*>(connection->GetReceiver());
        ASSERT_NE(receiver, nullptr);
        if (host)
        {
            receiver->OnReceive(messages[0].data(), static_cast<int>(messages[0].size()));
            Frames(3);
            EXPECT_EQ(maker.GetGameNodeCount(), 2) << "the peer joined";
            EXPECT_TRUE(peer.Received(GCMT_YOU_ARE_GRANTED_JOIN_GAME));
        }
        else
        {
            // A damaged node list is followed as it says (it may have named
            // the host's peer as another node), so the client's own state
            // after the sweep is not fixed; the node layer still joins a
            // host afresh.
            maker.ResetConnections();
            FakePeer& fresh = AddPeer(502);
            ASSERT_TRUE(maker.RequestJoin(fresh.id));
            SendGameMessage(fresh, GCMT_YOU_ARE_GRANTED_JOIN_GAME, {7});
            Frames(3);
            EXPECT_EQ(maker.GetMyNetID(), 7);
        }
        peers.clear();
    }
}

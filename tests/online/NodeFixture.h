#pragma once
// The node layer of this process against hand-driven peers: each fake peer is
// a bare connection stepped by the test, speaking the node messages itself.
// A script VM holds the game's callbacks, which record what they were told.

#include "ChannelPair.h"

#include "online/ConnectionMaker.h"
#include "online/DataPacker.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

struct FakePeer
{
    FakePeer(uint64_t id_, uint64_t local, uint16_t stamp) : id(id_), connection(1, stamp, local, &receiver)
    {
    }

    // The game-connection messages received, as (type, fields) per message.
    std::vector<std::vector<int32_t>> Messages() const;
    bool Received(int type) const;

    uint64_t id;
    RecordingReceiver receiver;
    Connection connection;
};

class NodeTest : public ::testing::Test
{
public:
    static std::vector<std::string>& Events();

protected:
    static constexpr uint64_t kLocal = 10;

    void SetUp() override;
    void TearDown() override;

    FakePeer& AddPeer(uint64_t id);
    // One 51 ms frame: the peers tick, this side's manager updates, and what is
    // due on the link is handed to the peers.
    void Frame();
    void Frames(int count);
    void RunScript(const std::string& code);

    static void SendGameMessage(FakePeer& peer, int type, const std::vector<int32_t>& fields);
    static void SendNodeList(FakePeer& peer, const std::vector<std::pair<uint64_t, int32_t>>& nodes);
    bool HasEvent(const std::string& event) const;

    ConnectionMaker& maker = GetConnectionMaker();
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<SimulatedLink> link;
    std::vector<std::unique_ptr<FakePeer>> peers;
};

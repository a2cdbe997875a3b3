#include "NodeFixture.h"

#include "online/Connection.h"
#include "online/ConnectionManager.h"
#include "online/MatchingService.h"
#include "online/ScriptPacket.h"

namespace
{
constexpr uint64_t kHost = 500;
constexpr uint64_t kOther = 600;

class NodeClient : public NodeTest
{
protected:
    // Joins the fake host and is granted id 1 in a game of host, us, other.
    FakePeer& JoinGranted()
    {
        FakePeer& host = AddPeer(kHost);
        EXPECT_TRUE(maker.RequestJoin(kHost));
        SendGameMessage(host, GCMT_YOU_ARE_GRANTED_JOIN_GAME, {1});
        SendNodeList(host, {{kHost, 0}, {kLocal, 1}, {kOther, 2}});
        Frames(3);
        return host;
    }
};
} // namespace

TEST_F(NodeClient, RequestJoinCarriesTheNetVersion)
{
    FakePeer& host = AddPeer(kHost);
    ASSERT_TRUE(maker.RequestJoin(kHost));
    Frames(2);
    const auto messages = host.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              (std::vector<int32_t>{GCMT_I_REQUEST_JOIN_GAME, GetMatchingService().NetVersionValue()}));
}

TEST_F(NodeClient, TheGrantAndTheListMakeTheNodes)
{
    JoinGranted();
    EXPECT_EQ(maker.GetMyNetID(), 1);
    ASSERT_EQ(maker.GetGameNodeCount(), 3);
    EXPECT_EQ(maker.GetNthNodeNetID(0), 0);
    EXPECT_EQ(maker.GetNthNodeNetID(2), 2);
    EXPECT_NE(maker.FindNodeByNetID(0), nullptr);
    EXPECT_NE(maker.FindNodeByNetID(2), nullptr) << "a connection to the other client";
    EXPECT_EQ(maker.FindNodeByNetID(1), nullptr) << "our own node has none";
    EXPECT_EQ(GetConnectionManager().Count(), 2);
}

TEST_F(NodeClient, ANodeLeftOutOfTheListIsDisconnected)
{
    FakePeer& host = JoinGranted();
    SendNodeList(host, {{kHost, 0}, {kLocal, 1}});
    Frames(3);
    EXPECT_TRUE(HasEvent("leave 2"));
    EXPECT_EQ(maker.GetGameNodeCount(), 2);
    EXPECT_EQ(maker.FindNodeByNetID(2), nullptr);
    EXPECT_EQ(GetConnectionManager().Count(), 1);
    // The same peer can come back in a later list.
    SendNodeList(host, {{kHost, 0}, {kLocal, 1}, {kOther, 3}});
    Frames(3);
    EXPECT_NE(maker.FindNodeByNetID(3), nullptr);
}

TEST_F(NodeClient, DamagedNodeListsAreIgnored)
{
    FakePeer& host = JoinGranted();
    for (const int32_t count : {-1, 4, 1000, 0x7FFFFFFF})
    {
        uint8_t buffer[64];
        DataPacker packer;
        packer.Attach(buffer, sizeof buffer);
        packer.WriteInt(kMessageGameConnection);
        packer.WriteInt(GCMT_NEW_LIST_OF_NODES);
        packer.WriteInt(count);
        const uint64_t peer = kOther;
        packer.WriteBytes(&peer, 8);
        packer.WriteInt(9);
        host.connection.Send(buffer, packer.ByteSize(), true);
    }
    Frames(3);
    EXPECT_EQ(maker.GetGameNodeCount(), 3);
    EXPECT_FALSE(HasEvent("leave 2"));
}

TEST_F(NodeClient, AGoReleasesAStepUnderTheHostsNumber)
{
    FakePeer& host = JoinGranted();
    uint8_t buffer[32];
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    packer.WriteInt(kMessageGameConnection);
    packer.WriteInt(GCMT_SET_STEP_DELTA);
    packer.WriteFloat(0.1f);
    packer.WriteFloat(0.1f);
    host.connection.Send(buffer, packer.ByteSize(), true);
    SendGameMessage(host, GCMT_STEP_GO, {41});
    Frames(3);
    EXPECT_FLOAT_EQ(maker.GetStepDelta(), 0.1f);
    ASSERT_TRUE(maker.IsStepReportDue());
    maker.SendStepReport();
    EXPECT_EQ(maker.OnStepNumber(), 42);
    EXPECT_TRUE(maker.IsStepReleased());
    Frames(2);
    const auto messages = host.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), (std::vector<int32_t>{GCMT_STEP_REPORT, 41}));
}

TEST_F(NodeClient, ARefusalReachesTheScriptAtTheNextStepTick)
{
    FakePeer& host = AddPeer(kHost);
    maker.RequestJoin(kHost);
    SendGameMessage(host, GCMT_SORRY_YOU_CAN_NOT_JOIN, {});
    Frames(3);
    EXPECT_FALSE(HasEvent("sorry"));
    maker.StepTick(0.0333f);
    EXPECT_TRUE(HasEvent("sorry"));
    maker.StepTick(0.0333f);
    EXPECT_EQ(std::count(Events().begin(), Events().end(), "sorry"), 1);
}

TEST_F(NodeClient, LosingTheHostLeavesTheGame)
{
    FakePeer& host = JoinGranted();
    host.connection.Reset();
    Frames(4);
    EXPECT_TRUE(HasEvent("leave 0"));
    EXPECT_EQ(maker.FindNodeByNetID(0), nullptr);
}

TEST_F(NodeClient, ScriptPayloadsAreReadFromACopyWithinTheirLength)
{
    FakePeer& host = JoinGranted();
    DataPacker send;
    DataPacker receive;
    ScriptPacketAttach(&send, &receive);
    uint8_t buffer[16];
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    packer.WriteInt(kMessageScript);
    packer.WriteInt(1234);
    host.connection.Send(buffer, packer.ByteSize(), true);
    Frames(3);
    ASSERT_TRUE(HasEvent("recv 0"));
    EXPECT_EQ(receive.GetBitPos(), 32);
    EXPECT_EQ(receive.ReadInt(), 1234);
    EXPECT_EQ(receive.ReadInt(), 0) << "nothing past the payload";
    EXPECT_TRUE(receive.IsOverrun());
    ScriptPacketAttach(nullptr, nullptr);
}

TEST_F(NodeClient, SendingToANodeWrapsThePayload)
{
    FakePeer& host = JoinGranted();
    const uint8_t bytes[3] = {7, 8, 9};
    maker.SendToNodeWithNetID(0, bytes, 3, true);
    maker.SendToNodeWithNetID(1, bytes, 3, true);  // ourselves: nothing
    maker.SendToNodeWithNetID(42, bytes, 3, true); // nobody: nothing
    std::vector<uint8_t> tooLong(kMaxScriptPayloadBytes + 1, 0);
    maker.SendToNodeWithNetID(0, tooLong.data(), static_cast<int>(tooLong.size()), true);
    Frames(2);
    const std::vector<uint8_t>& last = host.receiver.payloads.back();
    EXPECT_EQ(last, (std::vector<uint8_t>{1, 0, 0, 0, 7, 8, 9}));
}

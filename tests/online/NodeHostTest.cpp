#include "NodeFixture.h"

#include "online/ConnectionManager.h"
#include "online/MatchingService.h"

namespace
{
class NodeHost : public NodeTest
{
protected:
    void SetUp() override
    {
        NodeTest::SetUp();
        maker.SetMaxNodes(4);
        maker.SetAsParent(true);
    }

    // A peer the host knows (as a lobby member) that asks to join.
    FakePeer& Join(uint64_t id, int32_t version = GetMatchingService().NetVersionValue())
    {
        FakePeer& peer = AddPeer(id);
        maker.AddPendingConnection(id);
        SendGameMessage(peer, GCMT_I_REQUEST_JOIN_GAME, {version});
        Frames(3);
        return peer;
    }

    static int32_t GrantedId(const FakePeer& peer)
    {
        for (const auto& message : peer.Messages())
            if (message.size() >= 2 && message[0] == GCMT_YOU_ARE_GRANTED_JOIN_GAME)
                return message[1];
        return -1;
    }

    // Reports the step a go named, as a client would.
    void ReportLastGo(FakePeer& peer)
    {
        int32_t step = -100;
        for (const auto& message : peer.Messages())
            if (message.size() >= 2 && message[0] == GCMT_STEP_GO)
                step = message[1];
        SendGameMessage(peer, GCMT_STEP_REPORT, {step});
    }

    int GoCount(const FakePeer& peer) const
    {
        int count = 0;
        for (const auto& message : peer.Messages())
            count += !message.empty() && message[0] == GCMT_STEP_GO;
        return count;
    }

    // One fixed step of the game's network part.
    bool FixedStep(float dt)
    {
        maker.StepTick(dt);
        const bool due = maker.IsStepReportDue();
        if (due)
            maker.SendStepReport();
        return due;
    }
};
} // namespace

TEST_F(NodeHost, BecomingHostTwiceAddsItsOwnNodeOnce)
{
    maker.SetAsParent(true);
    EXPECT_TRUE(maker.IsParent());
    EXPECT_EQ(maker.GetMyNetID(), 0);
    EXPECT_EQ(maker.GetGameNodeCount(), 1);
    EXPECT_EQ(maker.GetNthNodeNetID(0), 0);
}

TEST_F(NodeHost, GrantsUpToMaxNodesAndRefusesTheRest)
{
    FakePeer& first = Join(101);
    FakePeer& second = Join(102);
    FakePeer& third = Join(103);
    FakePeer& fourth = Join(104);
    EXPECT_EQ(GrantedId(first), 1);
    EXPECT_EQ(GrantedId(second), 2);
    EXPECT_EQ(GrantedId(third), 3);
    EXPECT_EQ(GrantedId(fourth), -1);
    EXPECT_TRUE(fourth.Received(GCMT_SORRY_YOU_CAN_NOT_JOIN));
    EXPECT_EQ(maker.GetGameNodeCount(), 4);
    EXPECT_TRUE(HasEvent("join 1"));
    EXPECT_TRUE(HasEvent("join 3"));
    EXPECT_FALSE(HasEvent("join 4"));
    // The last list every node holds names all four, in joining order.
    std::vector<int32_t> lastList;
    for (const auto& message : first.Messages())
        if (!message.empty() && message[0] == GCMT_NEW_LIST_OF_NODES)
            lastList = message;
    ASSERT_EQ(lastList.size(), 2u + 4 * 3);
    EXPECT_EQ(lastList[1], 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lastList[static_cast<size_t>(2 + i * 3 + 2)], i);
}

TEST_F(NodeHost, RefusesAnotherVersionOrAScriptVeto)
{
    FakePeer& old = Join(101, 12345);
    EXPECT_TRUE(old.Received(GCMT_SORRY_YOU_CAN_NOT_JOIN));
    RunScript("canJoin = false;");
    FakePeer& vetoed = Join(102);
    EXPECT_TRUE(vetoed.Received(GCMT_SORRY_YOU_CAN_NOT_JOIN));
    EXPECT_EQ(maker.GetGameNodeCount(), 1);
}

TEST_F(NodeHost, AskingTwiceOnOneConnectionJoinsOnce)
{
    FakePeer& peer = Join(101);
    SendGameMessage(peer, GCMT_I_REQUEST_JOIN_GAME, {GetMatchingService().NetVersionValue()});
    Frames(3);
    EXPECT_EQ(maker.GetGameNodeCount(), 2);
}

TEST_F(NodeHost, TheFirstReleaseIsStepMinusOne)
{
    FakePeer& peer = Join(101);
    maker.SetStepDelta(0.1f, 0.1f);
    EXPECT_TRUE(FixedStep(0.0333f));
    EXPECT_EQ(maker.OnStepNumber(), 0);
    Frames(2);
    std::vector<int32_t> go;
    for (const auto& message : peer.Messages())
        if (!message.empty() && message[0] == GCMT_STEP_GO)
            go = message;
    ASSERT_EQ(go.size(), 2u);
    EXPECT_EQ(go[1], -1);
    EXPECT_TRUE(peer.Received(GCMT_SET_STEP_DELTA));
}

TEST_F(NodeHost, WaitsForEveryLiveNodesReportOfTheLastStep)
{
    FakePeer& a = Join(101);
    FakePeer& b = Join(102);
    maker.SetStepDelta(0.1f, 0.1f);
    FixedStep(0.0333f); // releases -1
    Frames(2);
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(FixedStep(0.0333f)) << "no report yet";
    ReportLastGo(a);
    Frames(2);
    EXPECT_FALSE(FixedStep(0.0333f)) << "b has not reported";
    SendGameMessage(b, GCMT_STEP_REPORT, {-7}); // an old step's report does not count
    Frames(2);
    EXPECT_FALSE(FixedStep(0.0333f));
    ReportLastGo(b);
    Frames(2);
    EXPECT_TRUE(FixedStep(0.0333f));
    EXPECT_EQ(maker.OnStepNumber(), 1);
}

TEST_F(NodeHost, LostNodesAreNotWaitedFor)
{
    FakePeer& a = Join(101);
    maker.SetStepDelta(0.1f, 0.1f);
    FixedStep(0.0333f);
    a.connection.Reset(); // the peer goes away: its reset closes our side
    Frames(4);
    EXPECT_TRUE(HasEvent("leave 1"));
    EXPECT_EQ(maker.GetGameNodeCount(), 1);
    int released = 0;
    for (int i = 0; i < 30; ++i)
        released += FixedStep(0.0333f) ? 1 : 0;
    EXPECT_GE(released, 9);
}

TEST_F(NodeHost, ALateJoinerGetsTheDeltasAndIsNotAwaitedFirst)
{
    FakePeer& a = Join(101);
    maker.SetStepDelta(0.1f, 0.1f);
    for (int step = 0; step < 20; ++step)
    {
        if (FixedStep(0.0333f))
        {
            Frames(1);
            ReportLastGo(a);
        }
        Frames(1);
    }
    const int before = maker.OnStepNumber();
    EXPECT_GT(before, 3);
    FakePeer& late = Join(102);
    EXPECT_TRUE(late.Received(GCMT_SET_STEP_DELTA));
    ReportLastGo(a);
    Frames(2);
    bool released = false;
    for (int i = 0; i < 6 && !released; ++i)
        released = FixedStep(0.0333f);
    EXPECT_TRUE(released) << "the newcomer holds nothing up before its first go";
    Frames(2);
    EXPECT_GT(GoCount(late), 0);
    // From then on it is awaited like the others.
    ReportLastGo(a);
    Frames(2);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(FixedStep(0.0333f));
    ReportLastGo(late);
    Frames(2);
    EXPECT_TRUE(FixedStep(0.0333f));
}

TEST_F(NodeHost, QuittingInsideAJoinCallbackIsSafe)
{
    RunScript("onJoin = function() { QuitNow(); }");
    FakePeer& peer = Join(101);
    EXPECT_TRUE(HasEvent("join 1"));
    EXPECT_EQ(maker.GetMyNetID(), -1);
    EXPECT_EQ(maker.GetGameNodeCount(), 0);
    EXPECT_EQ(maker.PendingConnectionCount(), 0);
    EXPECT_EQ(GetConnectionManager().Count(), 0);
    Frames(2);
    EXPECT_TRUE(peer.connection.IsClosed()) << "the peer hears the reset";
}

TEST_F(NodeHost, ResettingInsideADisconnectCallbackIsSafe)
{
    RunScript("onLeave = function() { ResetNow(); }");
    FakePeer& a = Join(101);
    Join(102);
    a.connection.Reset();
    Frames(4);
    EXPECT_TRUE(HasEvent("leave 1"));
    EXPECT_EQ(maker.GetGameNodeCount(), 0);
    EXPECT_EQ(GetConnectionManager().Count(), 0);
}

TEST_F(NodeHost, QuitAndResetTwiceLeaveNothingListed)
{
    Join(101);
    Join(102);
    maker.QuitGame();
    maker.ResetConnections();
    maker.QuitGame();
    EXPECT_EQ(maker.GetGameNodeCount(), 0);
    EXPECT_EQ(maker.PendingConnectionCount(), 0);
    EXPECT_EQ(GetConnectionManager().Count(), 0);
    EXPECT_FALSE(maker.IsParent());
}

TEST_F(NodeHost, ScriptPayloadsReachTheScriptFromTheirNode)
{
    FakePeer& peer = Join(101);
    uint8_t buffer[16];
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    packer.WriteInt(kMessageScript);
    packer.WriteInt(77);
    peer.connection.Send(buffer, packer.ByteSize(), true);
    Frames(2);
    EXPECT_TRUE(HasEvent("recv 1"));
}

// Deferred script calls: order, nesting, full tables, bad counts, and the
// references messages hold on what they carry.
#include "ScriptWorldFixture.h"

#include "game/MessageManager.h"

namespace
{
class MessageManagerTest : public ScriptWorldTest
{
protected:
    void SetUp() override
    {
        ScriptWorldTest::SetUp();
        Run(R"(
log <- "";
function Note(...) { local line = ""; foreach (v in vargv) line += v == null ? "null" : v; ::log += line + ";"; }
function A() { Note("A"); }
function B() { Note("B"); }
function C() { Note("C"); }
)");
    }
};

TEST_F(MessageManagerTest, BatchRunsInReverseOfSendOrderAtNextUpdate)
{
    Run(R"(SendFunctionMessage("A", 0); SendFunctionMessage("B", 0); SendFunctionMessage("C", 0);)");
    EXPECT_EQ(GlobalString("log"), "");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "C;B;A;");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "C;B;A;");
    EXPECT_EQ(GetMessageManager().QueuedCount(), 0);
}

TEST_F(MessageManagerTest, ArgumentsArriveInOrderWithTheirTypes)
{
    Run(R"(
SendFunctionMessage("Note", 4, 7, 2.5, "s", null);
SendFunctionMessage("Note", 2.9, "x", "y");
)");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "xy;72.5snull;");
}

TEST_F(MessageManagerTest, CountBelowOneCallsWithoutArguments)
{
    Run(R"(
function Count(...) { ::log += vargv.len() + ";"; }
SendFunctionMessage("Count", 0);
SendFunctionMessage("Count", -3, 1, 2);
)");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "0;0;");
}

TEST_F(MessageManagerTest, RefusedSendsRaiseErrorsAndQueueNothing)
{
    for (const char* code : {R"(SendFunctionMessage("A", 3, 1, 2);)", R"(SendFunctionMessage(5, 0);)",
                             R"(SendActorFunctionMessage({}, "A", 1);)", R"(SendActorFunctionMessage({}, 1, 0);)"})
    {
        EXPECT_TRUE(RaisesError(code)) << code;
        EXPECT_EQ(GetMessageManager().QueuedCount(), 0) << code;
    }
}

TEST_F(MessageManagerTest, NestedUpdateRunsEachMessageOnce)
{
    Run(R"(
function Nest() { Note("Nest"); UpdateMessageManager(0.0); }
SendFunctionMessage("A", 0); SendFunctionMessage("B", 0); SendFunctionMessage("Nest", 0);
)");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "Nest;B;A;");
    EXPECT_EQ(GetMessageManager().QueuedCount(), 0);
}

// The nested update frees the top slot, so the message sent afterwards lands
// above the running one and runs in the same pass.
TEST_F(MessageManagerTest, MessageSentAboveTheRunningSlotRunsInTheSamePass)
{
    Run(R"(
function SendLater() { Note("Send"); UpdateMessageManager(0.0); SendFunctionMessage("C", 0); }
function SendBelow() { Note("Below"); SendFunctionMessage("B", 0); }
SendFunctionMessage("A", 0); SendFunctionMessage("SendLater", 0);
)");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "Send;A;C;");
    Run(R"(log = ""; SendFunctionMessage("SendBelow", 0);)");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "Below;");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "Below;B;");
}

TEST_F(MessageManagerTest, MessagesKeepTheirValuesAliveUntilTheyRun)
{
    Run(R"(
function Keep(t) { ::log += t.name + ";"; }
local t = { name = "kept" };
::watch <- t.weakref();
SendFunctionMessage("Keep", 1, t);
t = null;
::aliveBefore <- ::watch != null;
)");
    EXPECT_EQ(GlobalInt("aliveBefore"), 1);
    UpdateMessages();
    Run("::aliveAfter <- ::watch != null;");
    EXPECT_EQ(GlobalString("log"), "kept;");
    EXPECT_EQ(GlobalInt("aliveAfter"), 0);
}

TEST_F(MessageManagerTest, FullTableReportsAndLetsTheRefusedMessageGo)
{
    Run(R"(
for (local i = 0; i < 1000; ++i) SendFunctionMessage("A", 0);
local t = {};
::watch <- t.weakref();
SendFunctionMessage("A", 1, t);
t = null;
::aliveAfterFull <- ::watch != null;
)");
    EXPECT_EQ(GlobalInt("aliveAfterFull"), 0);
    EXPECT_TRUE(ReportsContain("Message Manager Full\n"));
    EXPECT_EQ(GetMessageManager().QueuedCount(), kMessageSlots);
}

TEST_F(MessageManagerTest, NullMessageIsReportedAndNotQueued)
{
    EXPECT_FALSE(MessageManagerAdd(nullptr));
    EXPECT_TRUE(ReportsContain("Tryed to add a null message \n"));
    EXPECT_EQ(GetMessageManager().QueuedCount(), 0);
}

TEST_F(MessageManagerTest, ActorMessageCallsTheMethodOnItsObject)
{
    Run(R"(
class Dragon { name = "d"; function Roar(a, b) { ::log += name + a + b + ";"; } }
local d = Dragon();
SendActorFunctionMessage(d, "Roar", 2, 1, "x");
d.name = "e";
)");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "e1x;");
}

TEST_F(MessageManagerTest, AfterAScriptErrorBothKindsAreDroppedWithTheirReferences)
{
    Run(R"(
class Dragon { function Roar() { ::log += "roar;"; } }
local d = Dragon();
::watch <- d.weakref();
SendActorFunctionMessage(d, "Roar", 0);
SendFunctionMessage("A", 0);
d = null;
)");
    ScriptSetErrorFlag(true);
    UpdateMessages();
    ScriptSetErrorFlag(false);
    Run("::aliveAfter <- ::watch != null;");
    EXPECT_EQ(GlobalString("log"), "");
    EXPECT_EQ(GlobalInt("aliveAfter"), 0);
    EXPECT_EQ(GetMessageManager().QueuedCount(), 0);
}

TEST_F(MessageManagerTest, ClearDropsQueuedMessagesAndTheirReferences)
{
    Run(R"(
local t = {};
::watch <- t.weakref();
SendFunctionMessage("A", 1, t);
t = null;
)");
    MessageManagerClear();
    Run("::aliveAfter <- ::watch != null;");
    EXPECT_EQ(GlobalInt("aliveAfter"), 0);
    EXPECT_FALSE(GetMessageManager().IsBound());
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "");
}

TEST_F(MessageManagerTest, MissingFunctionStillDeletesTheMessage)
{
    Run(R"(SendFunctionMessage("NoSuchFunction", 0); SendFunctionMessage("A", 0);)");
    UpdateMessages();
    EXPECT_EQ(GlobalString("log"), "A;");
    EXPECT_EQ(GetMessageManager().QueuedCount(), 0);
}
} // namespace

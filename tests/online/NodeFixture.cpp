#include "NodeFixture.h"

#include "online/ConnectionManager.h"
#include "online/MatchingService.h"
#include "online/NetworkCommunicator.h"
#include "online/PeerTable.h"
#include "script/ScriptBinding.h"
#include "script/ScriptHost.h"

namespace
{
SQInteger RecordNative(HSQUIRRELVM vm)
{
    const SQChar* text = nullptr;
    if (SQ_SUCCEEDED(sq_getstring(vm, 2, &text)))
        NodeTest::Events().push_back(text);
    return 0;
}

SQInteger QuitNative(HSQUIRRELVM)
{
    GetConnectionMaker().QuitGame();
    return 0;
}

SQInteger ResetNative(HSQUIRRELVM)
{
    GetConnectionMaker().ResetConnections();
    return 0;
}

void Register(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "Record", RecordNative);
    ScriptBindGlobalFunction(vm, "QuitNow", QuitNative);
    ScriptBindGlobalFunction(vm, "ResetNow", ResetNative);
}

const char* kCallbacks = R"(
canJoin <- true;
onJoin <- null;
onLeave <- null;
function CanAnotherNodeJoin() { return canJoin; }
function NetworkNewNodeJoined(id) { Record("join " + id); if (onJoin) onJoin(); }
function NetworkNodeDisconnect(id) { Record("leave " + id); if (onLeave) onLeave(); }
function SorryYouCanNotJoin() { Record("sorry"); }
function InGameStepSync(delta) { Record("sync"); }
function NetworkRecvFromNetID(id) { Record("recv " + id); }
)";
} // namespace

std::vector<std::string>& NodeTest::Events()
{
    static std::vector<std::string> events;
    return events;
}

std::vector<std::vector<int32_t>> FakePeer::Messages() const
{
    std::vector<std::vector<int32_t>> messages;
    for (const std::vector<uint8_t>& payload : receiver.payloads)
    {
        std::vector<uint8_t> copy = payload;
        DataPacker packer;
        packer.Attach(copy.data(), static_cast<int>(copy.size()));
        if (packer.ReadInt() != kMessageGameConnection)
            continue;
        std::vector<int32_t> fields;
        while (packer.BytesLeft() >= 4)
            fields.push_back(packer.ReadInt());
        messages.push_back(fields);
    }
    return messages;
}

bool FakePeer::Received(int type) const
{
    for (const std::vector<int32_t>& message : Messages())
        if (!message.empty() && message[0] == type)
            return true;
    return false;
}

void NodeTest::SetUp()
{
    Events().clear();
    clock = std::make_unique<ManualClock>();
    link = std::make_unique<SimulatedLink>(kLocal, LinkConditions(), 3);
    SetPeerLink(link.get());
    NetworkCommunicator::Init();
    ASSERT_TRUE(ScriptInit(false, Register));
    RunScript(kCallbacks);
}

void NodeTest::TearDown()
{
    maker.ResetConnections();
    maker.ClearStepUpdater();
    GetConnectionManager().DeleteAll();
    NetworkCommunicator::Close();
    GetPeerTable().Clear();
    peers.clear();
    ScriptShutdown();
    SetPeerLink(nullptr);
    link.reset();
    clock.reset();
}

FakePeer& NodeTest::AddPeer(uint64_t id)
{
    peers.push_back(std::make_unique<FakePeer>(id, kLocal, static_cast<uint16_t>(0x500 + id)));
    return *peers.back();
}

void NodeTest::Frame()
{
    clock->Advance(51000);
    for (auto& peer : peers)
    {
        link->SetSender(peer->id);
        peer->connection.Channel().Tick();
    }
    link->SetSender(kLocal);
    GetConnectionManager().Update();
    uint8_t buffer[512];
    int length = 0;
    uint64_t sender = 0;
    for (auto& peer : peers)
        while (link->Take(peer->id, buffer, sizeof buffer, length, sender))
            peer->connection.Receive(buffer, length);
}

void NodeTest::Frames(int count)
{
    for (int i = 0; i < count; ++i)
        Frame();
}

void NodeTest::RunScript(const std::string& code)
{
    ScriptRunString(ScriptGetVM(), code.c_str(), static_cast<SQInteger>(code.size()), "test");
}

void NodeTest::SendGameMessage(FakePeer& peer, int type, const std::vector<int32_t>& fields)
{
    uint8_t buffer[512];
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    packer.WriteInt(kMessageGameConnection);
    packer.WriteInt(type);
    for (const int32_t field : fields)
        packer.WriteInt(field);
    peer.connection.Send(buffer, packer.ByteSize(), true);
}

void NodeTest::SendNodeList(FakePeer& peer, const std::vector<std::pair<uint64_t, int32_t>>& nodes)
{
    uint8_t buffer[512];
    DataPacker packer;
    packer.Attach(buffer, sizeof buffer);
    packer.WriteInt(kMessageGameConnection);
    packer.WriteInt(GCMT_NEW_LIST_OF_NODES);
    packer.WriteInt(static_cast<int32_t>(nodes.size()));
    for (const auto& node : nodes)
    {
        packer.WriteBytes(&node.first, 8);
        packer.WriteInt(node.second);
    }
    peer.connection.Send(buffer, packer.ByteSize(), true);
}

bool NodeTest::HasEvent(const std::string& event) const
{
    for (const std::string& recorded : Events())
        if (recorded == event)
            return true;
    return false;
}

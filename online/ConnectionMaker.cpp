#include "online/ConnectionMaker.h"

#include "core/LogError.h"
#include "online/Connection.h"
#include "online/DataPacker.h"
#include "online/MatchingService.h"
#include "online/NetScriptCalls.h"
#include "online/NodeReceiver.h"
#include "online/PeerLink.h"
#include "online/PeerTable.h"
#include "online/ScriptPacket.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr int kMessageBytes = 512;
constexpr int kNodeListEntryBytes = 12;
constexpr int kMaxLostConnectionPasses = 100;

bool IsUsableDelta(float value)
{
    return std::isfinite(value) && value >= 0.0f;
}
} // namespace

// Marks an operation of the layer in progress; the outermost one to end runs
// what was deferred, unless the connection manager is still walking.
class ConnectionMaker::BusyScope
{
public:
    explicit BusyScope(ConnectionMaker& maker) : m_maker(maker) { ++m_maker.m_busyDepth; }
    ~BusyScope()
    {
        if (--m_maker.m_busyDepth == 0 && !GetConnectionManager().IsUpdating())
            m_maker.RunDeferred();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    ConnectionMaker& m_maker;
};

ConnectionMaker::ConnectionMaker() = default;

ConnectionMaker::~ConnectionMaker() = default;

void ConnectionMaker::SetAsParent(bool flag)
{
    if (flag && !m_isHost)
    {
        m_myNodeId = 0;
        m_nextNodeId = 1;
        auto own = std::make_unique<NodeRecord>();
        own->peer = GetPeerTable().FindOrAdd(GetPeerLink().LocalUser());
        own->id = 0;
        own->joinTimer.Start();
        m_gameNodes.push_back(std::move(own));
    }
    m_isHost = flag ? 1 : 0;
}

int ConnectionMaker::GetNthNodeNetID(int n) const
{
    return IsNthNodeValid(n) ? m_gameNodes[static_cast<size_t>(n)]->id : -1;
}

bool ConnectionMaker::IsNthNodeValid(int n) const
{
    return n >= 0 && n < GetGameNodeCount() && m_gameNodes[static_cast<size_t>(n)] != nullptr;
}

NodeRecord* ConnectionMaker::NodeWithId(int id) const
{
    for (const auto& node : m_gameNodes)
        if (node && node->id == id)
            return node.get();
    return nullptr;
}

NodeRecord* ConnectionMaker::NodeOfConnection(const Connection* connection) const
{
    for (const auto& node : m_gameNodes)
        if (node && connection && node->connection == connection)
            return node.get();
    return nullptr;
}

int ConnectionMaker::LiveNodeCount() const
{
    int count = 0;
    for (const auto& node : m_gameNodes)
        count += node ? 1 : 0;
    return count;
}

Connection* ConnectionMaker::FindNodeByNetID(int id) const
{
    const NodeRecord* node = NodeWithId(id);
    return node ? node->connection : nullptr;
}

NodeReceiver* ConnectionMaker::NewReceiver()
{
    m_receivers.push_back(std::make_unique<NodeReceiver>());
    return m_receivers.back().get();
}

// The existing connection to the peer, or a new pending one with its own receiver.
Connection* ConnectionMaker::ConnectTo(uint64_t peer)
{
    if (Connection* existing = GetConnectionManager().Find(peer))
        return existing;
    NodeReceiver* receiver = NewReceiver();
    Connection* connection = GetConnectionManager().FindOrCreate(peer, receiver);
    if (!connection)
    {
        RetireReceiver(receiver);
        return nullptr;
    }
    m_pendingConnections.push_back(connection);
    return connection;
}

bool ConnectionMaker::RequestJoin(uint64_t peer)
{
    BusyScope busy(*this);
    Connection* connection = ConnectTo(peer);
    if (!connection)
        return false;
    m_hostConnection = connection;
    uint8_t buffer[kMessageBytes];
    DataPacker message;
    BeginMessage(message, buffer, GCMT_I_REQUEST_JOIN_GAME);
    message.WriteInt(GetMatchingService().NetVersionValue());
    return SendMessage(connection, message);
}

Connection* ConnectionMaker::AddPendingConnection(uint64_t peer)
{
    BusyScope busy(*this);
    GetPeerTable().FindOrAdd(peer);
    return ConnectTo(peer);
}

void ConnectionMaker::DropPendingConnectionsExcept(const std::vector<uint64_t>& members)
{
    BusyScope busy(*this);
    const std::vector<Connection*> pending = m_pendingConnections;
    for (Connection* connection : pending)
    {
        const uint64_t peer = connection->Peer();
        if (std::find(members.begin(), members.end(), peer) != members.end() || NodeOfConnection(connection) ||
            connection == m_hostConnection)
            continue;
        Disconnect(connection);
    }
}

void ConnectionMaker::SendToNodeWithNetID(int id, const void* bytes, int count, bool reliable)
{
    const NodeRecord* node = NodeWithId(id);
    if (!node || !node->connection || node->connection->State() != kConnectionConnected)
        return;
    if (count < 0 || count > kMaxScriptPayloadBytes)
    {
        LogError("ConnectionMaker refused a script payload of %d bytes (at most %d)\n", count,
                 kMaxScriptPayloadBytes);
        return;
    }
    uint8_t buffer[kMessageBytes];
    DataPacker message;
    message.Attach(buffer, kMessageBytes);
    message.WriteInt(kMessageScript);
    message.WriteBytes(bytes, count);
    node->connection->Send(buffer, message.ByteSize(), reliable);
}

void ConnectionMaker::BeginMessage(DataPacker& message, uint8_t* buffer, int type)
{
    message.Attach(buffer, kMessageBytes);
    message.WriteInt(kMessageGameConnection);
    message.WriteInt(type);
}

bool ConnectionMaker::SendMessage(Connection* connection, const DataPacker& message)
{
    return connection && !message.IsOverrun() && connection->Send(message.Buffer(), message.ByteSize(), true);
}

void ConnectionMaker::SendSimple(Connection* connection, int type)
{
    uint8_t buffer[kMessageBytes];
    DataPacker message;
    BeginMessage(message, buffer, type);
    SendMessage(connection, message);
}

void ConnectionMaker::SendStepDeltas(Connection* connection)
{
    uint8_t buffer[kMessageBytes];
    DataPacker message;
    BeginMessage(message, buffer, GCMT_SET_STEP_DELTA);
    message.WriteFloat(m_steps.stepDelta);
    message.WriteFloat(m_steps.scriptStepDelta);
    SendMessage(connection, message);
}

void ConnectionMaker::SendNodeList()
{
    uint8_t buffer[kMessageBytes];
    DataPacker message;
    BeginMessage(message, buffer, GCMT_NEW_LIST_OF_NODES);
    message.WriteInt(LiveNodeCount());
    for (const auto& node : m_gameNodes)
    {
        if (!node)
            continue;
        message.WriteBytes(&node->peer, 8);
        message.WriteInt(node->id);
    }
    for (size_t i = 1; i < m_gameNodes.size(); ++i)
        if (m_gameNodes[i])
            SendMessage(m_gameNodes[i]->connection, message);
}

void ConnectionMaker::SetStepDelta(float stepDelta, float scriptStepDelta)
{
    m_steps.SetDeltas(stepDelta, scriptStepDelta);
    if (!m_isHost)
        return;
    m_steps.reportDue = 1;
    for (size_t i = 1; i < m_gameNodes.size(); ++i)
        if (m_gameNodes[i])
            SendStepDeltas(m_gameNodes[i]->connection);
}

void ConnectionMaker::StepTick(float dt)
{
    if (m_refused)
    {
        m_refused = 0;
        NetCallScript("SorryYouCanNotJoin");
    }
    if (!m_steps.Accumulate(dt))
        return;
    if (m_isHost && m_steps.HasStepDue() && !m_steps.reportDue)
        m_steps.reportDue = AllNodesReported() ? 1 : 0;
}

bool ConnectionMaker::AllNodesReported() const
{
    // A node has reported when its report names the last step released; a
    // report left over from an earlier step does not count.
    for (size_t i = 1; i < m_gameNodes.size(); ++i)
    {
        const NodeRecord* node = m_gameNodes[i].get();
        if (!node || !node->receiver || node->receiver->IsLost())
            continue;
        if (!node->reported || node->reportedStep < m_steps.stepNumber - 1)
            return false;
    }
    return true;
}

void ConnectionMaker::SendStepReport()
{
    uint8_t buffer[kMessageBytes];
    DataPacker message;
    if (m_isHost)
    {
        BeginMessage(message, buffer, GCMT_STEP_GO);
        message.WriteInt(m_steps.stepNumber);
        for (size_t i = 1; i < m_gameNodes.size(); ++i)
        {
            NodeRecord* node = m_gameNodes[i].get();
            if (!node)
                continue;
            SendMessage(node->connection, message);
            node->reported = 0;
        }
    }
    else
    {
        BeginMessage(message, buffer, GCMT_STEP_REPORT);
        message.WriteInt(m_steps.stepNumber);
        SendMessage(m_hostConnection, message);
    }
    m_steps.Release();
}

void ConnectionMaker::HandlePayload(NodeReceiver& receiver, const uint8_t* bytes, int length)
{
    if (!bytes || length < 0 || length > kMessageBytes)
        return;
    BusyScope busy(*this);
    // Read from a copy: what the handlers do may reuse the channel's buffers.
    uint8_t copy[kMessageBytes];
    memcpy(copy, bytes, static_cast<size_t>(length));
    DataPacker message;
    message.Attach(copy, length);
    NodeRecord* node = receiver.Node();
    if (!node)
    {
        HandleUnattached(receiver, message);
        return;
    }
    const int32_t kind = message.ReadInt();
    if (message.IsOverrun())
        return;
    if (kind == kMessageScript)
    {
        HandleScriptPayload(*node, copy, length);
        return;
    }
    if (kind != kMessageGameConnection)
        return;
    if (node->id == 0)
    {
        HandleClientMessage(message);
        return;
    }
    if (message.ReadInt() != GCMT_STEP_REPORT)
        return;
    const int32_t step = message.ReadInt();
    if (message.IsOverrun())
        return;
    node->reportedStep = step;
    node->reported = 1;
}

void ConnectionMaker::HandleUnattached(NodeReceiver& receiver, DataPacker& message)
{
    if (m_isHost)
    {
        if (message.ReadInt() != kMessageGameConnection || message.ReadInt() != GCMT_I_REQUEST_JOIN_GAME)
            return;
        const int32_t version = message.ReadInt();
        if (!message.IsOverrun())
            DecideJoin(receiver.GetConnection(), version);
        return;
    }
    if (!m_hostConnection || receiver.GetConnection() != m_hostConnection)
        return;
    if (message.ReadInt() == kMessageGameConnection && !message.IsOverrun())
        HandleClientMessage(message);
}

void ConnectionMaker::HandleScriptPayload(const NodeRecord& node, const uint8_t* bytes, int length)
{
    // The script reads its own copy, bounded by the payload's length.
    memcpy(m_scriptPayload, bytes, static_cast<size_t>(length));
    if (DataPacker* packer = ScriptReceivePacker())
    {
        packer->Attach(m_scriptPayload, length);
        packer->SetBitPos(32);
    }
    NetCallScriptInt("NetworkRecvFromNetID", node.id);
}

void ConnectionMaker::HandleClientMessage(DataPacker& message)
{
    const int32_t type = message.ReadInt();
    if (message.IsOverrun())
        return;
    switch (type)
    {
    case GCMT_STEP_GO:
    {
        const int32_t step = message.ReadInt();
        if (message.IsOverrun())
            return;
        // A node that joined late takes the host's number with its first go.
        m_steps.stepNumber = step;
        m_steps.reportDue = 1;
        break;
    }
    case GCMT_YOU_ARE_GRANTED_JOIN_GAME:
    {
        const int32_t id = message.ReadInt();
        if (!message.IsOverrun())
            m_myNodeId = id;
        break;
    }
    case GCMT_SET_STEP_DELTA:
    {
        const float stepDelta = message.ReadFloat();
        const float scriptStepDelta = message.ReadFloat();
        if (!message.IsOverrun() && IsUsableDelta(stepDelta) && IsUsableDelta(scriptStepDelta))
            SetStepDelta(stepDelta, scriptStepDelta);
        break;
    }
    case GCMT_SORRY_YOU_CAN_NOT_JOIN:
        m_refused = 1;
        break;
    case GCMT_NEW_LIST_OF_NODES:
        ReceiveNodeList(message);
        break;
    default:
        break;
    }
}

void ConnectionMaker::DecideJoin(Connection* connection, int32_t version)
{
    if (!connection)
        return;
    if (version != GetMatchingService().NetVersionValue())
    {
        SendSimple(connection, GCMT_SORRY_YOU_CAN_NOT_JOIN);
        return;
    }
    if (NodeOfConnection(connection))
        return;
    if (LiveNodeCount() >= m_maxNodes || !NetAskScript("CanAnotherNodeJoin"))
    {
        SendSimple(connection, GCMT_SORRY_YOU_CAN_NOT_JOIN);
        return;
    }
    auto node = std::make_unique<NodeRecord>();
    node->id = m_nextNodeId++;
    node->connection = connection;
    node->peer = connection->Peer();
    node->receiver = static_cast<NodeReceiver*>(connection->GetReceiver());
    // Not awaited before its first go: it cannot have reported anything yet.
    node->reported = 1;
    node->reportedStep = m_steps.stepNumber - 1;
    node->joinTimer.Start();
    if (node->receiver)
        node->receiver->SetNode(node.get());
    const int32_t id = node->id;
    m_gameNodes.push_back(std::move(node));

    uint8_t buffer[kMessageBytes];
    DataPacker message;
    BeginMessage(message, buffer, GCMT_YOU_ARE_GRANTED_JOIN_GAME);
    message.WriteInt(id);
    SendMessage(connection, message);
    SendNodeList();
    // A node joining a running game needs the step deltas to take part.
    if (m_steps.stepDelta > 0.0f)
        SendStepDeltas(connection);
    NetCallScriptInt("NetworkNewNodeJoined", id);
}

void ConnectionMaker::ReceiveNodeList(DataPacker& message)
{
    for (int i = 0; i < kMaxLostConnectionPasses && ServiceLostConnection(); ++i)
    {
    }
    const int32_t count = message.ReadInt();
    if (message.IsOverrun() || count < 0 || count > message.BytesLeft() / kNodeListEntryBytes)
        return;
    std::vector<std::unique_ptr<NodeRecord>> fresh;
    for (int32_t i = 0; i < count; ++i)
    {
        auto node = std::make_unique<NodeRecord>();
        uint64_t peer = 0;
        message.ReadBytes(&peer, 8);
        node->id = message.ReadInt();
        node->peer = peer;
        node->joinTimer.Start();
        fresh.push_back(std::move(node));
    }
    if (message.IsOverrun())
        return;
    auto inFresh = [&fresh](int id)
    {
        for (const auto& node : fresh)
            if (node->id == id)
                return true;
        return false;
    };
    for (auto& node : m_gameNodes)
    {
        if (!node || inFresh(node->id))
            continue;
        if (node->connection)
            Disconnect(node->connection);
        else
            RetireNode(node);
    }
    const uint64_t self = GetPeerLink().LocalUser();
    for (auto& entry : fresh)
    {
        GetPeerTable().FindOrAdd(entry->peer);
        NodeRecord* current = NodeWithId(entry->id);
        if (current && entry->id != m_myNodeId)
        {
            entry->connection = current->connection;
            entry->receiver = current->receiver;
            current->connection = nullptr;
            current->receiver = nullptr;
        }
        else if (!current && entry->peer != self)
        {
            entry->connection = ConnectTo(entry->peer);
            if (entry->connection && !entry->connection->GetReceiver())
            {
                NodeReceiver* receiver = NewReceiver();
                entry->connection->SetReceiver(receiver);
                receiver->SetConnection(entry->connection);
            }
            entry->receiver =
                entry->connection ? static_cast<NodeReceiver*>(entry->connection->GetReceiver()) : nullptr;
        }
        if (entry->receiver)
            entry->receiver->SetNode(entry.get());
    }
    for (auto& node : m_gameNodes)
        if (node)
            RetireNode(node);
    m_gameNodes = std::move(fresh);
}

void ConnectionMaker::RetireReceiver(NodeReceiver* receiver)
{
    if (!receiver)
        return;
    for (size_t i = 0; i < m_receivers.size(); ++i)
    {
        if (m_receivers[i].get() != receiver)
            continue;
        Connection* connection = receiver->GetConnection();
        if (connection && connection->GetReceiver() == receiver)
            connection->SetReceiver(nullptr);
        receiver->SetConnection(nullptr);
        receiver->SetNode(nullptr);
        m_retiredReceivers.push_back(std::move(m_receivers[i]));
        m_receivers[i] = std::move(m_receivers.back());
        m_receivers.pop_back();
        return;
    }
}

void ConnectionMaker::RetireNode(std::unique_ptr<NodeRecord>& node)
{
    if (!node)
        return;
    if (node->receiver && node->receiver->Node() == node.get())
        node->receiver->SetNode(nullptr);
    m_retiredNodes.push_back(std::move(node));
}

void ConnectionMaker::RemovePending(const Connection* connection)
{
    for (size_t i = 0; i < m_pendingConnections.size(); ++i)
    {
        if (m_pendingConnections[i] != connection)
            continue;
        m_pendingConnections[i] = m_pendingConnections.back();
        m_pendingConnections.pop_back();
        return;
    }
}

void ConnectionMaker::ForgetConnection(const Connection* connection)
{
    for (auto& node : m_gameNodes)
    {
        if (node && node->connection == connection)
        {
            node->connection = nullptr;
            node->receiver = nullptr;
        }
    }
}

void ConnectionMaker::Disconnect(Connection* connection)
{
    BusyScope busy(*this);
    int32_t id = -1;
    for (auto& node : m_gameNodes)
    {
        if (!node || node->connection != connection)
            continue;
        id = node->id;
        RetireNode(node);
        break;
    }
    connection->Reset();
    RemovePending(connection);
    if (m_hostConnection == connection)
        m_hostConnection = nullptr;
    // The receiver goes before the connection: its back pointer must not outlive it.
    RetireReceiver(static_cast<NodeReceiver*>(connection->GetReceiver()));
    ForgetConnection(connection);
    GetConnectionManager().Remove(connection->ConnectionId());
    if (id == -1)
        return;
    NetCallScriptInt("NetworkNodeDisconnect", id);
    if (id == 0 && !m_isHost)
        GetMatchingService().LeaveGame();
}

void ConnectionMaker::OnConnectionClosed(Connection* connection)
{
    BusyScope busy(*this);
    Disconnect(connection);
    for (size_t i = 0; i < m_gameNodes.size(); ++i)
    {
        if (m_gameNodes[i])
            continue;
        m_gameNodes[i] = std::move(m_gameNodes.back());
        m_gameNodes.pop_back();
        break;
    }
}

bool ConnectionMaker::ServiceLostConnection()
{
    BusyScope busy(*this);
    Connection* lost = nullptr;
    for (const auto& node : m_gameNodes)
    {
        if (node && node->receiver && node->connection && node->receiver->IsLost() &&
            !node->receiver->IsLostHandled())
        {
            node->receiver->SetLostHandled();
            lost = node->connection;
            break;
        }
    }
    for (size_t i = 0; !lost && i < m_pendingConnections.size(); ++i)
    {
        auto* receiver = static_cast<NodeReceiver*>(m_pendingConnections[i]->GetReceiver());
        if (receiver && receiver->IsLost() && !receiver->IsLostHandled())
        {
            receiver->SetLostHandled();
            lost = m_pendingConnections[i];
        }
    }
    if (!lost)
        return false;
    OnConnectionClosed(lost);
    return true;
}

bool ConnectionMaker::IsBusy() const
{
    return m_busyDepth > 0 || GetConnectionManager().IsUpdating();
}

void ConnectionMaker::QuitGame()
{
    if (IsBusy())
        m_quitPending = true;
    else
        QuitNow();
}

void ConnectionMaker::ResetConnections()
{
    if (IsBusy())
        m_resetPending = true;
    else
        ResetNow();
}

void ConnectionMaker::QuitNow()
{
    for (const auto& node : m_gameNodes)
        if (node && node->connection)
            node->connection->Reset();
    ClearNodes();
    m_steps.Clear();
}

void ConnectionMaker::ResetNow()
{
    ClearNodes();
    m_steps.Clear();
}

void ConnectionMaker::ClearNodes()
{
    m_myNodeId = -1;
    m_nextNodeId = 0;
    m_isHost = 0;
    m_maxNodes = 0;
    m_hostConnection = nullptr;
    // Each receiver and connection goes once, whether pending, a node's, or both.
    while (!m_pendingConnections.empty())
    {
        Connection* connection = m_pendingConnections.back();
        m_pendingConnections.pop_back();
        RetireReceiver(static_cast<NodeReceiver*>(connection->GetReceiver()));
        ForgetConnection(connection);
        GetConnectionManager().Remove(connection->ConnectionId());
    }
    while (!m_gameNodes.empty())
    {
        std::unique_ptr<NodeRecord>& node = m_gameNodes.back();
        if (node && node->connection)
        {
            RetireReceiver(static_cast<NodeReceiver*>(node->connection->GetReceiver()));
            GetConnectionManager().Remove(node->connection->ConnectionId());
        }
        RetireNode(node);
        m_gameNodes.pop_back();
    }
}

void ConnectionMaker::RunDeferred()
{
    if (m_resetPending || m_quitPending)
    {
        const bool reset = m_resetPending;
        m_resetPending = m_quitPending = false;
        if (reset)
            ResetNow();
        else
            QuitNow();
    }
    DestroyRetired();
}

void ConnectionMaker::DestroyRetired()
{
    m_retiredNodes.clear();
    m_retiredReceivers.clear();
}

bool ConnectionMaker::AdmitUnknownSender(uint64_t peer)
{
    return GetMatchingService().IsLobbyMember(peer) && AddPendingConnection(peer) != nullptr;
}

void ConnectionMaker::AfterConnectionUpdate()
{
    if (m_busyDepth == 0)
        RunDeferred();
}

ConnectionMaker& GetConnectionMaker()
{
    static ConnectionMaker maker;
    return maker;
}

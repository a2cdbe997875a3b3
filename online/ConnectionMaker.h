#pragma once
// The node layer: the join handshake over peer connections, the list of the
// game's nodes on every peer, the scripts' payloads between nodes, joins and
// departures reported to the game script, and the lock-step.
//
// Every message starts with a 32-bit kind: 1 a script payload (followed by
// the script's bytes), 0 a game-connection message (followed by its type and
// fields, always reliable).
//
// Nothing the layer owns is freed while it is in use: a quit or reset asked
// for from inside a script callback or a walk over the nodes takes effect when
// the outermost operation (or the connection manager's update) ends, and
// retired receivers and records are destroyed only then.

#include "core/RealTimer.h"
#include "online/ConnectionManager.h"
#include "online/StepUpdater.h"

#include <cstdint>
#include <memory>
#include <vector>

class Connection;
class DataPacker;
class NodeReceiver;

enum GameConnectionMessage
{
    GCMT_I_REQUEST_JOIN_GAME = 0,
    GCMT_YOU_ARE_GRANTED_JOIN_GAME = 1,
    GCMT_SORRY_YOU_CAN_NOT_JOIN = 2,
    GCMT_NEW_LIST_OF_NODES = 3,
    GCMT_STEP_REPORT = 6,
    GCMT_SET_STEP_DELTA = 7,
    GCMT_STEP_GO = 8,
};

enum MessageKind
{
    kMessageGameConnection = 0,
    kMessageScript = 1,
};

// The most a script payload may hold: a connection payload less the kind.
constexpr int kMaxScriptPayloadBytes = 488;

struct NodeRecord
{
    NodeReceiver* receiver = nullptr;
    uint64_t peer = 0;
    Connection* connection = nullptr;
    int32_t id = -1;
    int32_t reportedStep = -1;
    uint8_t reported = 0;
    RealTimer joinTimer;
};

class ConnectionMaker : public ConnectionListener
{
public:
    ConnectionMaker();
    ~ConnectionMaker() override;

    void SetAsParent(bool flag);
    void SetMaxNodes(int count) { m_maxNodes = count; }
    bool IsParent() const { return m_isHost != 0; }
    int GetMyNetID() const { return m_myNodeId; }
    int GetGameNodeCount() const { return static_cast<int>(m_gameNodes.size()); }
    int GetNthNodeNetID(int n) const;
    bool IsNthNodeValid(int n) const;
    int OnStepNumber() const { return m_steps.stepNumber; }
    Connection* FindNodeByNetID(int id) const;

    bool RequestJoin(uint64_t peer);
    // The connection a lobby member gets before any join, kept as pending.
    Connection* AddPendingConnection(uint64_t peer);
    // Drops the connections of peers that are neither among the members nor
    // game nodes, so a member that left and comes back starts afresh.
    void DropPendingConnectionsExcept(const std::vector<uint64_t>& members);
    void SendToNodeWithNetID(int id, const void* bytes, int count, bool reliable);

    void SetStepDelta(float stepDelta, float scriptStepDelta);
    void ClearStepUpdater() { m_steps.Clear(); }
    void StepTick(float dt);
    bool IsStepReportDue() const { return m_steps.reportDue != 0; }
    void SendStepReport();
    bool IsStepReleased() const { return m_steps.released != 0; }
    float GetStepDelta() const { return m_steps.scriptStepDelta; }
    void ConsumeStep() { m_steps.Consume(); }
    const StepUpdater& Steps() const { return m_steps; }

    bool ServiceLostConnection();
    void QuitGame();
    void ResetConnections();

    void OnConnectionClosed(Connection* connection) override;
    void AfterConnectionUpdate() override;
    // A member of this side's lobby gets its pending connection at once.
    bool AdmitUnknownSender(uint64_t peer) override;
    void HandlePayload(NodeReceiver& receiver, const uint8_t* bytes, int length);

    int PendingConnectionCount() const { return static_cast<int>(m_pendingConnections.size()); }

private:
    class BusyScope;

    NodeRecord* NodeWithId(int id) const;
    NodeRecord* NodeOfConnection(const Connection* connection) const;
    int LiveNodeCount() const;
    NodeReceiver* NewReceiver();
    Connection* ConnectTo(uint64_t peer);
    void RetireReceiver(NodeReceiver* receiver);
    void RetireNode(std::unique_ptr<NodeRecord>& node);
    void RemovePending(const Connection* connection);
    // No node keeps a connection that is about to go.
    void ForgetConnection(const Connection* connection);
    void DestroyRetired();
    void RunDeferred();
    bool IsBusy() const;

    bool SendMessage(Connection* connection, const DataPacker& message);
    void BeginMessage(DataPacker& message, uint8_t* buffer, int type);
    void SendSimple(Connection* connection, int type);
    void SendStepDeltas(Connection* connection);
    void SendNodeList();

    void HandleUnattached(NodeReceiver& receiver, DataPacker& message);
    void HandleClientMessage(DataPacker& message);
    void HandleScriptPayload(const NodeRecord& node, const uint8_t* bytes, int length);
    void DecideJoin(Connection* connection, int32_t version);
    void ReceiveNodeList(DataPacker& message);
    void Disconnect(Connection* connection);
    bool AllNodesReported() const;
    void ClearNodes();
    void QuitNow();
    void ResetNow();

    Connection* m_hostConnection = nullptr;
    std::vector<Connection*> m_pendingConnections;
    std::vector<std::unique_ptr<NodeRecord>> m_gameNodes; // empty slots are null
    int32_t m_nextNodeId = 0;
    int32_t m_myNodeId = -1;
    uint8_t m_isHost = 0;
    int32_t m_maxNodes = 0;
    StepUpdater m_steps;
    uint8_t m_refused = 0;

    std::vector<std::unique_ptr<NodeReceiver>> m_receivers;
    std::vector<std::unique_ptr<NodeReceiver>> m_retiredReceivers;
    std::vector<std::unique_ptr<NodeRecord>> m_retiredNodes;
    int m_busyDepth = 0;
    bool m_quitPending = false;
    bool m_resetPending = false;
    uint8_t m_scriptPayload[512];
};

ConnectionMaker& GetConnectionMaker();

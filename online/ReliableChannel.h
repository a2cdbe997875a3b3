#pragma once
// One peer connection's channel: numbered reliable packets with
// acknowledgements and resends, unnumbered unreliable ones, control packets
// (acknowledgements, queries, ping, reset), and every packet due in one tick
// gathered into one datagram of at most 512 bytes.
//
// Packet: flags byte (bit 0 reliable, bits 1-5 control type), three zero
// bytes, the sender's stamp (32 bits), the sequence (32 bits), the payload.
// Datagram: packet count (32 bits), then per packet its length and bytes.

#include "core/RealTimer.h"
#include "online/ChannelRecordPool.h"
#include "online/DataPacker.h"

#include <cstdint>

class Connection;
class Receiver;

constexpr int kDatagramBytes = 512;
constexpr int kPacketHeaderBytes = 12;
// A payload with its header, its length and the datagram's count fills a datagram.
constexpr int kMaxPayloadBytes = kDatagramBytes - kPacketHeaderBytes - 4 - 4;

enum ControlType
{
    kControlUnreliable = 0,
    kControlQuery = 1,
    kControlAck = 2,
    kControlAckUpTo = 3,
    kControlResend = 4,
    kControlRestartSeen = 5,
    kControlPing = 6,
    kControlPong = 7,
    kControlReset = 8,
};

enum ConnectionState
{
    kConnectionLive = 1,
    kConnectionConnected = 2,
    kConnectionClosed = 3,
    kConnectionFailed = 5,
};

constexpr int kReliableSendRecords = 4096;
constexpr int kControlSendRecords = 256;
constexpr int kReceiveRecords = 512;

class ReliableChannel
{
public:
    ReliableChannel(Connection* handle, int connectionId, uint16_t localStamp, uint64_t peer);

    bool Send(const void* bytes, int length, bool reliable);
    void Reset();
    void Receive(const uint8_t* bytes, int length);
    void Tick();
    // Sends what the control queue still holds, so a closing connection's
    // reset leaves before the channel goes.
    void FlushControls();
    // Whether a datagram carries the first reliable packet of a peer's run,
    // or a query for a packet still unacknowledged: what a live peer sends
    // to a side that has no connection to it, unlike the resets and
    // acknowledgements a closing connection leaves behind.
    static bool WantsConnection(const uint8_t* bytes, int length);

    int State() const { return m_state; }
    bool IsLive() const { return m_state == kConnectionLive || m_state == kConnectionConnected; }
    int ConnectionId() const { return m_connectionId; }
    uint64_t Peer() const { return m_peer; }
    void SetPeer(uint64_t peer) { m_peer = peer; }
    Receiver* GetReceiver() const { return m_receiver; }
    void SetReceiver(Receiver* receiver) { m_receiver = receiver; }
    uint16_t LocalStamp() const { return m_localStamp; }
    int32_t LastInOrder() const { return m_lastInOrder; }
    int ReliableWaiting() const { return m_reliableSend.LiveCount(); }

private:
    void QueueReliable(const void* bytes, int length);
    void QueueControl(int type, const void* bytes, int length);
    void QueueControlNumber(int type, int32_t number);
    void AppendPacket(int flags, int32_t sequence, const void* payload, int length);
    void AppendRecord(ChannelRecord& record);
    void SendDatagram();
    void EmptyDatagram();
    void ReportLost(int reason);
    bool CannotDeliver() const;

    void TickResendTimeouts();
    void TickReliable();
    void TickSpareRoom();
    void TickControls();
    void TickKeepAlive(bool appendedBefore);

    void HandlePacket(const uint8_t* packet, int length);
    void HandleReliable(int32_t sequence, const uint8_t* payload, int length);
    void HandleControl(int type, const uint8_t* payload, int length);
    void DrainInOrder();
    bool IsStored(int32_t sequence) const;
    void AcknowledgeOne(int32_t sequence);
    void AcknowledgeUpTo(int32_t sequence);
    void ResendOne(int32_t sequence);
    void RestartSeen(uint16_t stamp);

    Connection* m_handle;
    uint16_t m_localStamp;
    uint16_t m_remoteStamp = 0xFFFF;
    uint8_t m_ackDue = 0;
    uint8_t m_datagram[kDatagramBytes];
    DataPacker m_datagramStream;
    int32_t m_packetCount = 0;
    int32_t m_connectionId;
    Receiver* m_receiver = nullptr;
    uint64_t m_peer;
    int32_t m_state = kConnectionConnected;
    int32_t m_sendFailures = 0;
    int32_t m_tick = 0;
    ChannelRecordPool m_reliableSend{kReliableSendRecords};
    ChannelRecordPool m_controlSend{kControlSendRecords};
    ChannelRecordPool m_received{kReceiveRecords};
    int32_t m_reliableSequence = 0;
    int32_t m_controlSequence = 0;
    int32_t m_lastInOrder = 0;
    RealTimer m_receiveTimer;
    RealTimer m_pingTimer;
    RealTimer m_sendTimer;
    // Runs while reliable packets wait for acknowledgement; restarted by
    // each acknowledgement that frees one.
    RealTimer m_deliveryTimer;
    int32_t m_reportedReason = -1;
    bool m_appendedThisTick = false;
    uint32_t m_randomState;
};

#include "online/ReliableChannel.h"

#include "core/LogError.h"
#include "online/ConnectionManager.h"
#include "online/PeerLink.h"
#include "online/Receiver.h"

#include <cstring>

namespace
{
constexpr float kResendSeconds = 0.45f;
constexpr float kPingAfterSilenceSeconds = 2.0f;
constexpr float kPingIntervalSeconds = 3.5f;
constexpr float kSilenceTimeoutSeconds = 10.0f;
constexpr float kKeepAliveSeconds = 3.0f;
// As long as the silence rule: a peer heard all along that acknowledges
// nothing is as lost as a silent one.
constexpr float kUndeliveredSeconds = 10.0f;
constexpr int kMaxSendFailures = 300;
constexpr int kFlagReliable = 1;

int32_t ReadLittle32(const uint8_t* bytes)
{
    return static_cast<int32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                (static_cast<uint32_t>(bytes[3]) << 24));
}

int ControlFlags(int type)
{
    return (type & 31) << 1;
}

// The channel's own draw for the artificial delay: the game's generator
// stays untouched, so lock-step peers keep drawing the same sequence.
float RandomNextFloat(uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return static_cast<float>((state >> 16) & 0x7FFF) / 32768.0f;
}

bool TimerAbove(const RealTimer& timer, float seconds)
{
    return timer.IsStarted() && timer.GetTime() > seconds;
}

const char* LostReasonText(int reason)
{
    switch (reason)
    {
    case kLostSendPoolFull:
        return "its reliable send pool is full";
    case kLostSilence:
        return "nothing heard for 10 s";
    case kLostPeerRestart:
        return "the peer restarted";
    case kLostSendFailures:
        return "its datagram sends keep failing";
    case kLostUndelivered:
        return "nothing acknowledged for 10 s";
    default:
        return "unknown reason";
    }
}
} // namespace

ReliableChannel::ReliableChannel(Connection* handle, int connectionId, uint16_t localStamp, uint64_t peer)
    : m_handle(handle), m_localStamp(localStamp), m_connectionId(connectionId), m_peer(peer),
      m_randomState(static_cast<uint32_t>(connectionId) * 2654435761u + localStamp)
{
    EmptyDatagram();
}

bool ReliableChannel::Send(const void* bytes, int length, bool reliable)
{
    if (!IsLive())
        return false;
    if (length < 0 || length > kMaxPayloadBytes)
    {
        LogError("Connection %d refused a payload of %d bytes (at most %d)\n", m_connectionId, length,
                 kMaxPayloadBytes);
        return false;
    }
    if (reliable)
        QueueReliable(bytes, length);
    else
        QueueControl(kControlUnreliable, bytes, length);
    return true;
}

void ReliableChannel::Reset()
{
    if (!IsLive())
        return;
    EmptyDatagram();
    QueueControl(kControlReset, nullptr, 0);
    m_state = kConnectionClosed;
}

void ReliableChannel::QueueReliable(const void* bytes, int length)
{
    ChannelRecord* record = m_reliableSend.TakeAtTail();
    if (!record)
    {
        if (m_state != kConnectionFailed)
        {
            m_state = kConnectionFailed;
            ReportLost(kLostSendPoolFull);
        }
        return;
    }
    if (m_reliableSend.LiveCount() == 1)
        m_deliveryTimer.Start();
    record->sequence = ++m_reliableSequence;
    record->kind = 1;
    record->controlType = 0;
    record->state = kRecordWaiting;
    record->sendCount = 0;
    record->lastSendTick = -1;
    record->readyTick = -1;
    record->timer.Start();
    record->length = length;
    if (length > 0)
        memcpy(record->data, bytes, static_cast<size_t>(length));
}

void ReliableChannel::QueueControl(int type, const void* bytes, int length)
{
    ChannelRecord* record = m_controlSend.TakeAtTail();
    if (!record)
        return;
    record->sequence = ++m_controlSequence;
    record->kind = 0;
    record->controlType = type;
    record->state = kRecordWaiting;
    record->timer.Start();
    record->length = length;
    if (length > 0)
        memcpy(record->data, bytes, static_cast<size_t>(length));
}

void ReliableChannel::QueueControlNumber(int type, int32_t number)
{
    uint8_t bytes[4];
    DataPacker packer;
    packer.Attach(bytes, sizeof bytes);
    packer.WriteInt(number);
    QueueControl(type, bytes, sizeof bytes);
}

void ReliableChannel::AppendPacket(int flags, int32_t sequence, const void* payload, int length)
{
    const int packetBytes = kPacketHeaderBytes + length;
    if (m_datagramStream.ByteSize() + packetBytes + 8 >= kDatagramBytes)
        SendDatagram();
    const uint8_t header[4] = {static_cast<uint8_t>(flags), 0, 0, 0};
    m_datagramStream.WriteInt(packetBytes);
    m_datagramStream.WriteBytes(header, 4);
    m_datagramStream.WriteInt(static_cast<int16_t>(m_localStamp));
    m_datagramStream.WriteInt(sequence);
    m_datagramStream.WriteBytes(payload, length);
    ++m_packetCount;
    m_appendedThisTick = true;
}

void ReliableChannel::AppendRecord(ChannelRecord& record)
{
    if (record.kind == 1)
    {
        AppendPacket(kFlagReliable, record.sequence, record.data, record.length);
        ++record.sendCount;
        record.lastSendTick = m_tick;
        return;
    }
    AppendPacket(ControlFlags(record.controlType), record.sequence, record.data, record.length);
}

void ReliableChannel::SendDatagram()
{
    if (m_packetCount > 0)
    {
        uint8_t out[kDatagramBytes];
        DataPacker stream;
        stream.Attach(out, sizeof out);
        stream.WriteInt(m_packetCount);
        stream.WriteBytes(m_datagram, m_datagramStream.ByteSize());
        if (GetPeerLink().Send(m_peer, out, stream.ByteSize()))
        {
            m_sendFailures = 0;
            m_sendTimer.Start();
        }
        else if (++m_sendFailures > kMaxSendFailures)
        {
            ReportLost(kLostSendFailures);
        }
    }
    EmptyDatagram();
}

void ReliableChannel::EmptyDatagram()
{
    m_datagramStream.Attach(m_datagram, kDatagramBytes - 4);
    m_packetCount = 0;
}

void ReliableChannel::ReportLost(int reason)
{
    // Send failures report on every further failure; the log hears each reason once.
    if (reason != m_reportedReason)
        LogError("Connection %d to peer %llu lost: %s\n", m_connectionId, static_cast<unsigned long long>(m_peer),
                 LostReasonText(reason));
    m_reportedReason = reason;
    if (m_receiver)
        m_receiver->OnConnectionLost(reason);
}

bool ReliableChannel::CannotDeliver() const
{
    // Only once the peer has been heard: a connection that never heard its
    // peer keeps waiting, as it never times out for silence either.
    return m_receiveTimer.IsStarted() && m_reliableSend.LiveCount() > 0 &&
           TimerAbove(m_deliveryTimer, kUndeliveredSeconds);
}

void ReliableChannel::Tick()
{
    ++m_tick;
    EmptyDatagram();
    m_appendedThisTick = false;
    if (IsLive())
    {
        if (m_ackDue)
        {
            uint8_t number[4];
            DataPacker packer;
            packer.Attach(number, sizeof number);
            packer.WriteInt(m_lastInOrder);
            AppendPacket(ControlFlags(kControlAckUpTo), ++m_controlSequence, number, sizeof number);
            m_ackDue = 0;
        }
        TickResendTimeouts();
    }
    // Controls go before new data: under a full link the queries and replies
    // that recover lost packets must not always be the ones left behind.
    TickControls();
    if (IsLive())
        TickReliable();
    const bool appended = m_appendedThisTick;
    if (IsLive())
    {
        if (TimerAbove(m_receiveTimer, kPingAfterSilenceSeconds) &&
            (!m_pingTimer.IsStarted() || m_pingTimer.GetTime() > kPingIntervalSeconds))
        {
            m_pingTimer.Start();
            QueueControl(kControlPing, nullptr, 0);
        }
        if (TimerAbove(m_receiveTimer, kSilenceTimeoutSeconds))
        {
            ReportLost(kLostSilence);
            Reset();
        }
        else if (CannotDeliver())
        {
            ReportLost(kLostUndelivered);
            Reset();
        }
    }
    TickKeepAlive(appended);
    if (GetConnectionManager().SpareRoomResends())
        TickSpareRoom();
    SendDatagram();
}

void ReliableChannel::TickResendTimeouts()
{
    for (ChannelRecord* record = m_reliableSend.Head(); record; record = record->next)
    {
        if (record->state != kRecordSentAwaitingAck || record->timer.GetTime() <= kResendSeconds)
            continue;
        record->timer.Start();
        // A long packet is only sent again once the peer says it lacks it;
        // a short one is sent in full at the next tick.
        if (record->length >= kPacketHeaderBytes)
        {
            QueueControlNumber(kControlQuery, record->sequence);
        }
        else
        {
            record->state = kRecordWaiting;
            record->readyTick = m_tick;
        }
    }
}

void ReliableChannel::TickReliable()
{
    for (ChannelRecord* record = m_reliableSend.Head(); record; record = record->next)
    {
        if (record->state != kRecordWaiting || record->readyTick == m_tick)
            continue;
        AppendRecord(*record);
        record->state = kRecordSentAwaitingAck;
        record->timer.Start();
    }
}

void ReliableChannel::TickSpareRoom()
{
    // Packets sent once and not yet acknowledged ride along a second time in
    // the room a datagram leaves, so one lost datagram costs no resend delay.
    if (m_packetCount == 0)
        return;
    for (ChannelRecord* record = m_reliableSend.Head(); record; record = record->next)
    {
        if (record->state != kRecordSentAwaitingAck || record->sendCount != 1 ||
            record->lastSendTick == m_tick)
            continue;
        const int room = kDatagramBytes - m_datagramStream.ByteSize() - 8;
        if (kPacketHeaderBytes + record->length >= room)
            continue;
        AppendRecord(*record);
    }
}

void ReliableChannel::TickControls()
{
    const float delay = GetConnectionManager().Lag() * RandomNextFloat(m_randomState);
    while (ChannelRecord* record = m_controlSend.Head())
    {
        if (record->state != kRecordWaiting || (delay > 0.0f && record->timer.GetTime() <= delay))
            break;
        AppendRecord(*record);
        record->state = kRecordSent;
        m_controlSend.Free(record);
    }
}

void ReliableChannel::TickKeepAlive(bool appendedBefore)
{
    if (IsLive() && !appendedBefore && TimerAbove(m_sendTimer, kKeepAliveSeconds))
        QueueControl(kControlPong, nullptr, 0);
}

void ReliableChannel::FlushControls()
{
    EmptyDatagram();
    while (ChannelRecord* record = m_controlSend.Head())
    {
        AppendRecord(*record);
        m_controlSend.Free(record);
    }
    SendDatagram();
}

void ReliableChannel::Receive(const uint8_t* bytes, int length)
{
    if (m_state != kConnectionConnected || !bytes || length < 4)
        return;
    DataPacker stream;
    stream.Attach(const_cast<uint8_t*>(bytes), length);
    const int32_t count = stream.ReadInt();
    for (int32_t i = 0; i < count && m_state == kConnectionConnected; ++i)
    {
        const int32_t packetBytes = stream.ReadInt();
        if (stream.IsOverrun() || packetBytes < kPacketHeaderBytes || packetBytes > stream.BytesLeft())
            return; // damaged: the rest of the datagram cannot be framed
        const int offset = stream.ByteSize();
        stream.SetBitPos((offset + packetBytes) * 8);
        HandlePacket(bytes + offset, packetBytes);
    }
    if (m_state == kConnectionConnected)
        DrainInOrder();
}

bool ReliableChannel::WantsConnection(const uint8_t* bytes, int length)
{
    if (!bytes || length < 4)
        return false;
    DataPacker stream;
    stream.Attach(const_cast<uint8_t*>(bytes), length);
    const int32_t count = stream.ReadInt();
    for (int32_t i = 0; i < count; ++i)
    {
        const int32_t packetBytes = stream.ReadInt();
        if (stream.IsOverrun() || packetBytes < kPacketHeaderBytes || packetBytes > stream.BytesLeft())
            return false;
        const uint8_t* packet = bytes + stream.ByteSize();
        const bool reliable = (packet[0] & kFlagReliable) != 0;
        if ((reliable && ReadLittle32(packet + 8) == 1) || (!reliable && ((packet[0] >> 1) & 31) == kControlQuery))
            return true;
        stream.SetBitPos((stream.ByteSize() + packetBytes) * 8);
    }
    return false;
}

void ReliableChannel::HandlePacket(const uint8_t* packet, int length)
{
    const int flags = packet[0];
    const int32_t stamp = ReadLittle32(packet + 4);
    const int32_t sequence = ReadLittle32(packet + 8);
    const bool reliable = (flags & kFlagReliable) != 0;
    if (m_remoteStamp == 0xFFFF)
        m_remoteStamp = static_cast<uint16_t>(stamp);
    if (stamp != static_cast<int16_t>(m_remoteStamp))
    {
        // Only the first packet of a new run of the peer (a new stamp) counts
        // as a restart; anything else under a foreign stamp is ignored.
        if (reliable && sequence == 1)
        {
            RestartSeen(static_cast<uint16_t>(stamp));
            m_receiveTimer.Start();
        }
        return;
    }
    const uint8_t* payload = packet + kPacketHeaderBytes;
    const int payloadBytes = length - kPacketHeaderBytes;
    if (reliable)
        HandleReliable(sequence, payload, payloadBytes);
    else
        HandleControl((flags >> 1) & 31, payload, payloadBytes);
    m_receiveTimer.Start();
}

void ReliableChannel::HandleReliable(int32_t sequence, const uint8_t* payload, int length)
{
    if (sequence <= m_lastInOrder)
    {
        m_ackDue = 1; // a duplicate: the peer missed our acknowledgement
        return;
    }
    if (sequence == m_lastInOrder + 1)
    {
        m_lastInOrder = sequence;
        m_ackDue = 1;
        if (m_receiver)
            m_receiver->OnReceive(payload, length);
        return;
    }
    // The peer never has more than its send pool unacknowledged; a sequence
    // beyond that is damage, not data.
    if (sequence - m_lastInOrder > kReliableSendRecords || length > kChannelRecordBytes)
        return;
    if (!IsStored(sequence))
    {
        ChannelRecord* record = m_received.TakeAtTail();
        if (!record)
            return; // not stored, so not acknowledged: the peer sends it again
        record->sequence = sequence;
        record->kind = 1;
        record->length = length;
        memcpy(record->data, payload, static_cast<size_t>(length));
    }
    QueueControlNumber(kControlAck, sequence);
}

void ReliableChannel::HandleControl(int type, const uint8_t* payload, int length)
{
    if (type == kControlUnreliable)
    {
        if (m_receiver)
            m_receiver->OnReceive(payload, length);
        return;
    }
    const bool hasNumber = length >= 4;
    const int32_t number = hasNumber ? ReadLittle32(payload) : 0;
    switch (type)
    {
    case kControlQuery:
        if (hasNumber)
            QueueControlNumber(number <= m_lastInOrder || IsStored(number) ? kControlAck : kControlResend,
                               number);
        break;
    case kControlAck:
        if (hasNumber)
            AcknowledgeOne(number);
        break;
    case kControlAckUpTo:
        if (hasNumber)
            AcknowledgeUpTo(number);
        break;
    case kControlResend:
        if (hasNumber)
            ResendOne(number);
        break;
    case kControlPing:
        QueueControl(kControlPong, nullptr, 0);
        break;
    case kControlReset:
        // Closed without a reset in answer: the peer is closed already, and
        // an answer would reach its next connection to this side and close
        // that one too.
        if (IsLive())
        {
            LogError("Connection %d to peer %llu closed by the peer\n", m_connectionId,
                     static_cast<unsigned long long>(m_peer));
            m_state = kConnectionClosed;
        }
        break;
    default: // restart seen, pong and unknown types need nothing
        break;
    }
}

void ReliableChannel::DrainInOrder()
{
    bool found = true;
    while (found && m_state == kConnectionConnected)
    {
        found = false;
        for (ChannelRecord* record = m_received.Head(); record; record = record->next)
        {
            if (record->sequence != m_lastInOrder + 1)
                continue;
            m_lastInOrder = record->sequence;
            m_ackDue = 1;
            // Delivered from a copy: the callback may receive into the pool again.
            uint8_t copy[kChannelRecordBytes];
            const int length = record->length;
            memcpy(copy, record->data, static_cast<size_t>(length));
            m_received.Free(record);
            if (m_receiver)
                m_receiver->OnReceive(copy, length);
            found = true;
            break;
        }
    }
}

bool ReliableChannel::IsStored(int32_t sequence) const
{
    for (const ChannelRecord* record = m_received.Head(); record; record = record->next)
        if (record->sequence == sequence)
            return true;
    return false;
}

void ReliableChannel::AcknowledgeOne(int32_t sequence)
{
    for (ChannelRecord* record = m_reliableSend.Head(); record; record = record->next)
    {
        if (record->sequence == sequence)
        {
            m_reliableSend.Free(record);
            m_deliveryTimer.Start();
            return;
        }
    }
}

void ReliableChannel::AcknowledgeUpTo(int32_t sequence)
{
    // The send list is in sequence order: records are only ever appended.
    while (ChannelRecord* record = m_reliableSend.Head())
    {
        if (record->sequence > sequence)
            break;
        m_reliableSend.Free(record);
        m_deliveryTimer.Start();
    }
}

void ReliableChannel::ResendOne(int32_t sequence)
{
    for (ChannelRecord* record = m_reliableSend.Head(); record; record = record->next)
    {
        if (record->sequence == sequence && record->state == kRecordSentAwaitingAck)
        {
            record->state = kRecordWaiting;
            record->timer.Start();
            return;
        }
    }
}

void ReliableChannel::RestartSeen(uint16_t stamp)
{
    m_remoteStamp = stamp;
    m_lastInOrder = 0;
    m_received.FreeAll();
    QueueControlNumber(kControlRestartSeen, 1);
    ReportLost(kLostPeerRestart);
}

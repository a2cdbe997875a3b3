#pragma once
// The handle of one peer connection, owned by the connection manager. It owns
// its channel; the receiver is not owned (the node layer owns receivers).

#include "online/ReliableChannel.h"

#include <memory>

class Receiver;

class Connection
{
public:
    Connection(int connectionId, uint16_t localStamp, uint64_t peer, Receiver* receiver);

    // False when the connection is not live or the payload is over 492 bytes.
    bool Send(const void* bytes, int length, bool reliable)
    {
        return m_channel->Send(bytes, length, reliable);
    }
    void Reset() { m_channel->Reset(); }
    void Receive(const uint8_t* bytes, int length) { m_channel->Receive(bytes, length); }

    int ConnectionId() const { return m_channel->ConnectionId(); }
    Receiver* GetReceiver() const { return m_channel->GetReceiver(); }
    void SetReceiver(Receiver* receiver) { m_channel->SetReceiver(receiver); }
    uint64_t Peer() const { return m_channel->Peer(); }
    void SetPeer(uint64_t peer) { m_channel->SetPeer(peer); }
    int State() const { return m_channel->State(); }
    bool IsClosed() const { return m_channel->State() == kConnectionClosed; }
    ReliableChannel& Channel() { return *m_channel; }

    // Set when the manager has let the connection go while it was walking its
    // list; it is destroyed once the walk ends.
    bool IsRemoved() const { return m_removed; }
    void MarkRemoved() { m_removed = true; }

private:
    std::unique_ptr<ReliableChannel> m_channel;
    bool m_removed = false;
};

#include "online/ConnectionManager.h"

#include "core/DateStamp.h"
#include "core/Hash.h"
#include "online/Connection.h"
#include "online/PeerLink.h"
#include "online/PeerTable.h"

namespace
{
// A flooding peer cannot hold the frame: the rest waits for the next one.
constexpr int kMaxDatagramsPerUpdate = 4096;
// Strangers cannot make every datagram cost a lookup.
constexpr int kMaxUnknownSenderChecksPerUpdate = 4;
} // namespace

Connection* ConnectionManager::FindOrCreate(uint64_t peer, Receiver* receiver)
{
    if (Connection* existing = Find(peer))
        return existing;
    const int32_t id = ++m_nextConnectionId;
    const uint16_t stamp = static_cast<uint16_t>(HashString(FormatDateStamp()) + static_cast<uint32_t>(id));
    GetPeerTable().FindOrAdd(peer);
    m_connections.push_back(std::make_unique<Connection>(id, stamp, peer, receiver));
    return m_connections.back().get();
}

Connection* ConnectionManager::Find(uint64_t peer) const
{
    for (const auto& connection : m_connections)
        if (!connection->IsRemoved() && connection->Peer() == peer)
            return connection.get();
    return nullptr;
}

void ConnectionManager::Remove(int connectionId)
{
    for (size_t i = 0; i < m_connections.size(); ++i)
    {
        Connection& connection = *m_connections[i];
        if (connection.ConnectionId() != connectionId || connection.IsRemoved())
            continue;
        GetPeerTable().Remove(connection.Peer());
        connection.SetReceiver(nullptr);
        connection.MarkRemoved();
        if (!m_updating)
            DestroyRemoved();
        return;
    }
}

void ConnectionManager::DeleteAll()
{
    for (auto& connection : m_connections)
    {
        connection->SetReceiver(nullptr);
        connection->MarkRemoved();
    }
    if (!m_updating)
        DestroyRemoved();
}

void ConnectionManager::Destroy(std::unique_ptr<Connection>& connection)
{
    // A reset queued just before the removal still reaches the peer.
    connection->Channel().FlushControls();
    connection.reset();
}

void ConnectionManager::DestroyRemoved()
{
    for (size_t i = m_connections.size(); i-- > 0;)
    {
        if (!m_connections[i]->IsRemoved())
            continue;
        Destroy(m_connections[i]);
        m_connections[i] = std::move(m_connections.back());
        m_connections.pop_back();
    }
}

void ConnectionManager::Update()
{
    if (m_updating)
        return;
    m_updating = true;
    if (!m_tickTimer.IsStarted())
        m_tickTimer.Start();
    if (m_tickTimer.GetTime() > kTickSeconds)
    {
        m_tickTimer.Start();
        TickAll();
    }
    ReadIncoming();
    m_updating = false;
    DestroyRemoved();
    if (m_listener)
        m_listener->AfterConnectionUpdate();
}

void ConnectionManager::TickAll()
{
    // Indexed: a tick may report a loss whose handling adds connections.
    for (size_t i = 0; i < m_connections.size(); ++i)
        if (!m_connections[i]->IsRemoved())
            m_connections[i]->Channel().Tick();
    for (size_t i = 0; i < m_connections.size(); ++i)
    {
        Connection* connection = m_connections[i].get();
        if (connection->IsRemoved() || !connection->IsClosed())
            continue;
        if (m_listener)
            m_listener->OnConnectionClosed(connection);
        else
            Remove(connection->ConnectionId());
        break;
    }
}

void ConnectionManager::ReadIncoming()
{
    PeerLink& link = GetPeerLink();
    const uint64_t self = link.LocalUser();
    uint8_t buffer[kDatagramBytes];
    int length = 0;
    uint64_t sender = 0;
    int unknownChecks = 0;
    for (int i = 0; i < kMaxDatagramsPerUpdate && link.Read(buffer, sizeof buffer, length, sender); ++i)
    {
        if (sender == self || length > static_cast<int>(sizeof buffer))
            continue;
        Connection* connection = GetPeerTable().Contains(sender) ? Find(sender) : nullptr;
        if (connection && connection->IsClosed() && m_listener && ReliableChannel::WantsConnection(buffer, length))
        {
            // The peer is back before its closed connection's turn to go at
            // the next tick pass: that one goes now, so this one is heard.
            m_listener->OnConnectionClosed(connection);
            connection = nullptr;
        }
        if (!connection && AdmitUnknown(sender, buffer, length, unknownChecks))
            connection = Find(sender);
        if (connection)
            connection->Receive(buffer, length);
    }
}

bool ConnectionManager::AdmitUnknown(uint64_t sender, const uint8_t* bytes, int length, int& checks)
{
    // A lobby member's first datagram can come before this side's lobby
    // re-read has seen the member; dropping it would cost the sender a resend
    // cycle. The listener knows who may connect. Only a live peer's opening
    // or query makes a connection: the reset a closing peer sends would
    // otherwise open one whose own reset closes the peer's, back and forth.
    if (!m_listener || checks >= kMaxUnknownSenderChecksPerUpdate ||
        !ReliableChannel::WantsConnection(bytes, length))
        return false;
    ++checks;
    return m_listener->AdmitUnknownSender(sender);
}

ConnectionManager& GetConnectionManager()
{
    static ConnectionManager manager;
    return manager;
}

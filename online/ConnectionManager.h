#pragma once
// The one list of peer connections: creates them, finds them by peer, runs
// their ticks every 0.05 s and hands them the datagrams the link delivers.
// Connections are never destroyed while the list is being walked: a removal
// asked for from inside Update (a receiver's callback) takes effect when the
// walk ends, and Update does not run again inside itself.

#include "core/RealTimer.h"

#include <cstdint>
#include <memory>
#include <vector>

class Connection;
class Receiver;

// The node layer's side of the manager.
class ConnectionListener
{
public:
    virtual ~ConnectionListener() = default;
    virtual void OnConnectionClosed(Connection* connection) = 0;
    // Runs once Update's walk is over, when removals are safe again.
    virtual void AfterConnectionUpdate() = 0;
    // A datagram came from a peer without a connection: true when a
    // connection was made for it, so the datagram is taken.
    virtual bool AdmitUnknownSender(uint64_t peer) = 0;
};

class ConnectionManager
{
public:
    static constexpr float kTickSeconds = 0.05f;

    Connection* FindOrCreate(uint64_t peer, Receiver* receiver);
    Connection* Find(uint64_t peer) const;
    void Remove(int connectionId);
    void DeleteAll();
    void Update();

    int Count() const { return static_cast<int>(m_connections.size()); }
    bool IsUpdating() const { return m_updating; }
    float Lag() const { return m_lag; }
    void SetLag(float seconds) { m_lag = seconds; }
    // Whether unacknowledged packets ride a second time in a datagram's spare room.
    bool SpareRoomResends() const { return m_spareRoomResends; }
    void SetSpareRoomResends(bool on) { m_spareRoomResends = on; }
    void SetListener(ConnectionListener* listener) { m_listener = listener; }

private:
    void TickAll();
    void ReadIncoming();
    bool AdmitUnknown(uint64_t sender, const uint8_t* bytes, int length, int& checks);
    void DestroyRemoved();
    static void Destroy(std::unique_ptr<Connection>& connection);

    int32_t m_nextConnectionId = 0;
    float m_lag = 0.0f;
    bool m_spareRoomResends = false;
    bool m_updating = false;
    RealTimer m_tickTimer;
    ConnectionListener* m_listener = nullptr;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

ConnectionManager& GetConnectionManager();

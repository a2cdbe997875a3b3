#pragma once
// What a connection tells its owner: each payload delivered (reliable ones in
// order, unreliable ones as they come) and the loss of the connection.

#include <cstdint>

class Connection;

enum LostReason
{
    kLostSendPoolFull = 0,
    kLostSilence = 3,
    kLostPeerRestart = 4,
    kLostSendFailures = 5,
    // Reliable packets waited 10 s with none acknowledged while the peer was
    // still heard: the channel can no longer deliver.
    kLostUndelivered = 6,
};

class Receiver
{
public:
    virtual ~Receiver() = default;
    virtual void OnReceive(const uint8_t* bytes, int length) = 0;
    virtual void OnConnectionLost(int reason) = 0;

    Connection* GetConnection() const { return m_connection; }
    void SetConnection(Connection* connection) { m_connection = connection; }

private:
    Connection* m_connection = nullptr;
};

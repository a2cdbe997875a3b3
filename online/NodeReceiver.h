#pragma once
// The node layer's receiver of one connection: hands payloads to the
// connection maker and notes the loss of the connection for the next
// lost-connection pass.

#include "online/Receiver.h"

#include <cstdint>

struct NodeRecord;

class NodeReceiver : public Receiver
{
public:
    void OnReceive(const uint8_t* bytes, int length) override;
    void OnConnectionLost(int reason) override;

    NodeRecord* Node() const { return m_node; }
    void SetNode(NodeRecord* node) { m_node = node; }
    bool IsLost() const { return m_lost != 0; }
    bool IsLostHandled() const { return m_lostHandled != 0; }
    void SetLostHandled() { m_lostHandled = 1; }

private:
    NodeRecord* m_node = nullptr;
    uint8_t m_lost = 0;
    uint8_t m_lostHandled = 0;
};

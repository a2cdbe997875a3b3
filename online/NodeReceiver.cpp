#include "online/NodeReceiver.h"

#include "online/ConnectionMaker.h"

void NodeReceiver::OnReceive(const uint8_t* bytes, int length)
{
    GetConnectionMaker().HandlePayload(*this, bytes, length);
}

void NodeReceiver::OnConnectionLost(int)
{
    m_lost = 1;
}

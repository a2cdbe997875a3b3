#include "online/Connection.h"

#include "online/Receiver.h"

Connection::Connection(int connectionId, uint16_t localStamp, uint64_t peer, Receiver* receiver)
    : m_channel(std::make_unique<ReliableChannel>(this, connectionId, localStamp, peer))
{
    m_channel->SetReceiver(receiver);
    if (receiver)
        receiver->SetConnection(this);
}

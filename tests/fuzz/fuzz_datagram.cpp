// The peer link's readers: the input as one datagram into a connection, as a
// node-layer message to a host and to a client, and as a bit stream read
// field by field. After the whole input, the same connection and node layers
// are also fed the input cut into a run of pieces (a length byte, then that
// many bytes), so a sequence of messages can reach the state earlier ones left.
#include "FuzzTarget.h"

#include "online/Connection.h"
#include "online/ConnectionMaker.h"
#include "online/ConnectionManager.h"
#include "online/DataPacker.h"
#include "online/PeerLink.h"
#include "online/PeerTable.h"
#include "online/Receiver.h"

#include <cstring>
#include <vector>

namespace
{
class NowhereLink : public PeerLink
{
public:
    bool Send(uint64_t, const void*, int) override { return true; }
    bool Read(void*, int, int&, uint64_t&) override { return false; }
    uint64_t LocalUser() const override { return 1; }
};

class CountingReceiver : public Receiver
{
public:
    void OnReceive(const uint8_t* bytes, int length) override
    {
        for (int i = 0; i < length; ++i)
            sum += bytes[i];
    }
    void OnConnectionLost(int) override {}
    unsigned sum = 0;
};

// Calls deliver with each piece of the input: a length byte, then that many bytes while they last.
template <typename Deliver>
void ForEachPiece(const uint8_t* data, int size, Deliver deliver)
{
    int at = 0;
    while (at < size)
    {
        const int length = data[at++];
        if (length > size - at)
            break;
        deliver(data + at, length);
        at += length;
    }
}

void AsNodeMessage(const uint8_t* data, int size, bool host)
{
    ConnectionMaker& maker = GetConnectionMaker();
    Connection* connection = nullptr;
    if (host)
    {
        maker.SetMaxNodes(4);
        maker.SetAsParent(true);
        connection = maker.AddPendingConnection(7);
    }
    else
    {
        maker.RequestJoin(8);
        connection = GetConnectionManager().Find(8);
    }
    if (connection && connection->GetReceiver())
        connection->GetReceiver()->OnReceive(data, size);
    ForEachPiece(data, size, [host, &maker](const uint8_t* piece, int length) {
        // An earlier message may have closed the connection: look it up again for each.
        Connection* now = host ? GetConnectionManager().Find(7) : GetConnectionManager().Find(8);
        if (now && now->GetReceiver())
            now->GetReceiver()->OnReceive(piece, length);
        maker.AfterConnectionUpdate();
    });
    maker.ResetConnections();
    GetConnectionManager().DeleteAll();
    GetPeerTable().Clear();
}

void AsBitStream(const uint8_t* data, int size)
{
    std::vector<uint8_t> copy(data, data + size);
    DataPacker packer;
    packer.Attach(copy.data(), size);
    char text[256];
    Vec3 v;
    for (int guard = 0; guard <= size && !packer.IsOverrun(); ++guard)
    {
        packer.ReadBit();
        packer.ReadString(text);
        packer.ReadVec3(v);
        packer.ReadInt(7);
    }
}
} // namespace

FUZZ_TARGET(datagram)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    static NowhereLink link;
    SetPeerLink(&link);
    const int length = size > 512 ? 512 : static_cast<int>(size);
    {
        CountingReceiver receiver;
        Connection connection(1, 0x1111, 2, &receiver);
        connection.Receive(data, length);
        connection.Channel().Tick();
        ForEachPiece(data, length, [&connection](const uint8_t* piece, int pieceLength) {
            connection.Receive(piece, pieceLength);
            connection.Channel().Tick();
        });
    }
    AsNodeMessage(data, length, true);
    AsNodeMessage(data, length, false);
    AsBitStream(data, length);
    SetPeerLink(nullptr);
    return 0;
}

#include "online/storefront/StorefrontLink.h"

#include "core/Clock.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/Storefront.h"
#include "online/storefront/StorefrontFiles.h"
#include "online/storefront/StorefrontServer.h"
#include "online/storefront/StorefrontServerUsers.h"
#include "online/storefront/StorefrontUser.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr uint64_t kLivenessCheckMicroseconds = 250000;
constexpr size_t kMaxQueuedDatagrams = 2048;
constexpr size_t kMaxHeldDatagrams = 256;
// Anyone on loopback can write any sender id: unknown senders waiting for the
// game to accept them are capped, so made-up ids cannot grow the table.
constexpr size_t kMaxWaitingPeers = 32;

struct Datagram
{
    CSteamID sender;
    std::vector<uint8_t> bytes;
};

struct Peer
{
    CSteamID id = 0;
    FixedString64 name;
    uint16_t port = 0;
    in_addr address = {htonl(INADDR_LOOPBACK)};
    bool live = false;
    bool accepted = false;
    bool requestPosted = false;
    bool failPosted = false;
    uint64_t checkedAt = 0;
};

struct Link
{
    int socket = -1;
    uint16_t port = 0;
    in_addr address = {htonl(INADDR_LOOPBACK)}; // the address published for peers
    uint16_t relayPort = 0;
    std::vector<Peer> peers;
    std::deque<Datagram> incoming;
    std::deque<Datagram> held;
    uint64_t lastLivenessCheck = 0;
    bool waitingFullReported = false;
};

Link g_link;

Peer* FindPeer(CSteamID id)
{
    for (Peer& peer : g_link.peers)
        if (peer.id == id)
            return &peer;
    return nullptr;
}

Peer& FindOrAddPeer(CSteamID id)
{
    if (Peer* peer = FindPeer(id))
        return *peer;
    Peer peer;
    peer.id = id;
    g_link.peers.push_back(peer);
    return g_link.peers.back();
}

void PostConnectFail(Peer& peer)
{
    if (peer.failPosted)
        return;
    peer.failPosted = true;
    P2PSessionConnectFail_t fail{peer.id, 1};
    StorefrontPostCallback(P2PSessionConnectFail_t::k_iCallback, &fail, sizeof fail);
}

// The endpoint file: the port, then the address (loopback when missing).
bool ReadFolderEndpoint(const char* name, in_addr& address, uint16_t& port)
{
    char path[512];
    StorefrontUserFolder(name, path, sizeof path);
    strncat(path, "/endpoint", sizeof path - strlen(path) - 1);
    char text[64];
    if (!StorefrontReadText(path, text, sizeof text))
        return false;
    char* end = nullptr;
    const long number = strtol(text, &end, 10);
    if (number <= 0 || number > 65535)
        return false;
    port = static_cast<uint16_t>(number);
    char addressText[INET_ADDRSTRLEN] = {};
    address.s_addr = htonl(INADDR_LOOPBACK);
    return sscanf(end, "%15s", addressText) != 1 || inet_pton(AF_INET, addressText, &address) == 1;
}

// Looks the peer up again: its name, whether it lives, and where it is
// reached. A server that cannot answer changes nothing: a game in progress
// goes on with the peers it knows.
void Resolve(Peer& peer)
{
    peer.checkedAt = ClockNow();
    if (StorefrontServerIsDown())
        return;
    char name[64];
    const bool wasLive = peer.live;
    peer.live = false;
    if (!StorefrontFindUserById(peer.id, name, sizeof name))
    {
        peer.live = wasLive && StorefrontServerIsDown();
        return;
    }
    in_addr address = {};
    uint16_t port = 0;
    if (StorefrontOnServer())
    {
        std::string addressText;
        const EndpointAnswer answer = ServerReadEndpoint(name, addressText, port);
        if (answer == EndpointAnswer::Unreachable)
        {
            peer.live = wasLive;
            return;
        }
        if (answer != EndpointAnswer::Found || inet_pton(AF_INET, addressText.c_str(), &address) != 1)
            return;
    }
    else if (!StorefrontUserIsLive(name) || !ReadFolderEndpoint(name, address, port))
        return;
    peer.name.Set(name);
    peer.port = port;
    peer.address = address;
    peer.live = true;
    peer.failPosted = false;
}

bool SendTo(const Peer& peer, const uint8_t* bytes, size_t size)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr = g_link.relayPort ? in_addr{htonl(INADDR_LOOPBACK)} : peer.address;
    address.sin_port = htons(g_link.relayPort ? g_link.relayPort : peer.port);
    return sendto(g_link.socket, bytes, size, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) ==
           static_cast<ssize_t>(size);
}

size_t WaitingPeerCount()
{
    size_t waiting = 0;
    for (const Peer& peer : g_link.peers)
        waiting += peer.accepted ? 0 : 1;
    return waiting;
}

// False, with one report until there is room again, when a new sender finds the waiting peers full.
bool HasRoomFor(CSteamID sender)
{
    if (FindPeer(sender) || WaitingPeerCount() < kMaxWaitingPeers)
    {
        g_link.waitingFullReported = false;
        return true;
    }
    if (!g_link.waitingFullReported)
        LogError("Pendrel Platform dropped datagrams from new peers: %zu peers wait to be accepted.\n",
                 kMaxWaitingPeers);
    g_link.waitingFullReported = true;
    return false;
}

void Admit(Datagram&& datagram)
{
    if (!HasRoomFor(datagram.sender))
        return;
    Peer& peer = FindOrAddPeer(datagram.sender);
    if (peer.accepted)
    {
        if (g_link.incoming.size() < kMaxQueuedDatagrams)
            g_link.incoming.push_back(std::move(datagram));
        return;
    }
    if (g_link.held.size() < kMaxHeldDatagrams)
        g_link.held.push_back(std::move(datagram));
    if (!peer.requestPosted)
    {
        peer.requestPosted = true;
        P2PSessionRequest_t request{peer.id};
        StorefrontPostCallback(P2PSessionRequest_t::k_iCallback, &request, sizeof request);
    }
}

void ReadSocket()
{
    if (g_link.socket < 0)
        return;
    uint8_t buffer[kStorefrontWireHeaderBytes + ISteamNetworking::kMaxPacketBytes];
    for (size_t i = 0; i < kMaxQueuedDatagrams; ++i)
    {
        const ssize_t got = recv(g_link.socket, buffer, sizeof buffer, 0);
        if (got < 0)
            return;
        StorefrontLinkTakeWire(buffer, static_cast<size_t>(got));
    }
}

void CheckLiveness()
{
    const uint64_t now = ClockNow();
    if (now - g_link.lastLivenessCheck < kLivenessCheckMicroseconds)
        return;
    g_link.lastLivenessCheck = now;
    for (Peer& peer : g_link.peers)
    {
        if (!peer.accepted)
            continue;
        const bool wasLive = peer.live;
        Resolve(peer);
        if (wasLive && !peer.live)
            PostConnectFail(peer);
    }
}

uint16_t RelayPort()
{
    const char* relay = getenv("PENDREL_PLATFORM_RELAY");
    const long port = relay ? strtol(relay, nullptr, 10) : 0;
    return port > 0 && port <= 65535 ? static_cast<uint16_t>(port) : 0;
}

// PENDREL_PLATFORM_ADDRESS, an address of this machine; otherwise every
// address on a server, loopback on the folder.
bool ChooseBindAddress(in_addr& address)
{
    const char* chosen = getenv("PENDREL_PLATFORM_ADDRESS");
    if (chosen && *chosen)
    {
        if (inet_pton(AF_INET, chosen, &address) == 1)
            return true;
        LogError("Pendrel Platform: PENDREL_PLATFORM_ADDRESS \"%s\" is not an IPv4 address\n", chosen);
        return false;
    }
    address.s_addr = htonl(StorefrontOnServer() ? INADDR_ANY : INADDR_LOOPBACK);
    return true;
}

// Peers reach the bound address; bound to every address, they reach the one
// this machine uses towards the server.
void ChoosePublishedAddress(const in_addr& bound)
{
    g_link.address = bound;
    if (bound.s_addr != htonl(INADDR_ANY))
        return;
    const std::string towardsServer = StorefrontServer().LocalAddress();
    if (towardsServer.empty() || inet_pton(AF_INET, towardsServer.c_str(), &g_link.address) != 1)
        g_link.address.s_addr = htonl(INADDR_LOOPBACK);
}

bool WriteEndpoint()
{
    char addressText[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &g_link.address, addressText, sizeof addressText);
    if (StorefrontOnServer())
        return ServerPublishEndpoint(StorefrontUserName(), addressText, g_link.port);
    char path[512];
    StorefrontUserFolder(StorefrontUserName(), path, sizeof path);
    strncat(path, "/endpoint", sizeof path - strlen(path) - 1);
    char text[48];
    snprintf(text, sizeof text, "%u %s\n", g_link.port, addressText);
    return StorefrontWriteTextAtomically(path, text);
}
} // namespace

bool StorefrontLinkOpen()
{
    StorefrontLinkClose();
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    if (!ChooseBindAddress(address.sin_addr))
        return false;
    g_link.socket = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    socklen_t length = sizeof address;
    if (g_link.socket < 0 ||
        bind(g_link.socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(g_link.socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        LogError("Pendrel Platform could not open its datagram socket\n");
        StorefrontLinkClose();
        return false;
    }
    g_link.port = ntohs(address.sin_port);
    ChoosePublishedAddress(address.sin_addr);
    g_link.relayPort = RelayPort();
    if (!WriteEndpoint())
    {
        LogError("Pendrel Platform could not publish its endpoint\n");
        StorefrontLinkClose();
        return false;
    }
    return true;
}

void StorefrontLinkClose()
{
    if (g_link.socket >= 0)
        close(g_link.socket);
    g_link = Link();
}

void StorefrontLinkPump()
{
    ReadSocket();
    CheckLiveness();
}

void StorefrontLinkTakeWire(const uint8_t* bytes, size_t size)
{
    Datagram datagram;
    const uint8_t* payload = nullptr;
    size_t payloadSize = 0;
    if (size > kStorefrontWireHeaderBytes + ISteamNetworking::kMaxPacketBytes ||
        !StorefrontWireOpen(bytes, size, datagram.sender, payload, payloadSize))
        return;
    datagram.bytes.assign(payload, payload + payloadSize);
    Admit(std::move(datagram));
}

bool ISteamNetworking::SendP2PPacket(CSteamID remote, const void* data, uint32_t size, EP2PSend, int)
{
    if (g_link.socket < 0 || !data || size > kMaxPacketBytes || remote == StorefrontUserId())
        return false;
    Peer& peer = FindOrAddPeer(remote);
    peer.accepted = true;
    if (!peer.live && ClockNow() - peer.checkedAt >= kLivenessCheckMicroseconds)
        Resolve(peer);
    if (!peer.live)
    {
        PostConnectFail(peer);
        return false;
    }
    uint8_t buffer[kStorefrontWireHeaderBytes + kMaxPacketBytes];
    const size_t framed = StorefrontWireFrame(StorefrontUserId(), peer.port, data, size, buffer);
    return SendTo(peer, buffer, framed);
}

bool ISteamNetworking::IsP2PPacketAvailable(uint32_t* size, int)
{
    ReadSocket();
    if (g_link.incoming.empty())
        return false;
    if (size)
        *size = static_cast<uint32_t>(g_link.incoming.front().bytes.size());
    return true;
}

bool ISteamNetworking::ReadP2PPacket(void* dest, uint32_t destSize, uint32_t* size, CSteamID* remote, int)
{
    ReadSocket();
    if (g_link.incoming.empty())
        return false;
    const Datagram datagram = std::move(g_link.incoming.front());
    g_link.incoming.pop_front();
    const uint32_t length = static_cast<uint32_t>(datagram.bytes.size());
    if (dest && length > 0)
        memcpy(dest, datagram.bytes.data(), length < destSize ? length : destSize);
    if (size)
        *size = length;
    if (remote)
        *remote = datagram.sender;
    return true;
}

bool ISteamNetworking::AcceptP2PSessionWithUser(CSteamID remote)
{
    if (g_link.socket < 0)
        return false;
    Peer& peer = FindOrAddPeer(remote);
    peer.accepted = true;
    peer.requestPosted = false;
    if (!peer.live)
        Resolve(peer);
    // What the peer sent before the session was accepted is delivered now, in order.
    for (auto it = g_link.held.begin(); it != g_link.held.end();)
    {
        if (it->sender != remote)
        {
            ++it;
            continue;
        }
        if (g_link.incoming.size() < kMaxQueuedDatagrams)
            g_link.incoming.push_back(std::move(*it));
        it = g_link.held.erase(it);
    }
    return true;
}

ISteamNetworking* SteamNetworking()
{
    static ISteamNetworking networking;
    return &networking;
}

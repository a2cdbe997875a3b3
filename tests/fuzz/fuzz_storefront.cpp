// The local storefront's readers of outside data: datagrams as they come off the peer socket (anyone
// on loopback can send them), the signed-in user's statistics file with the shared schema, and a
// lobby file. The input: a 16-bit length, that many bytes of datagrams (each a 16-bit length, then
// the sender's 8-byte id and the game's bytes, which the target frames as a peer would, and also
// hands over unframed to exercise the check), then the text that stands as statistics file, lobby
// file and (its first line) schema.
#include "FuzzTarget.h"

#include "online/PlatformServices.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/SteamMatchmaking.h"
#include "online/storefront/SteamUserStats.h"
#include "online/storefront/Storefront.h"
#include "online/storefront/StorefrontLink.h"
#include "online/storefront/StorefrontWire.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{
// In memory when the machine allows, as the other targets' scratch folders: the storefront writes its
// files durably, and flushes to a disk would cost most of the target's speed.
char g_folder[] = "/dev/shm/pendrel-fuzz-storefront-XXXXXX";
char g_diskFolder[] = "/tmp/pendrel-fuzz-storefront-XXXXXX";
const char* g_made = nullptr;

size_t Length16(const std::string& bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]) | static_cast<size_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
}

// Started once: signing in takes a lock, a socket and files.
bool StartOnce()
{
    static const bool up = [] {
        g_made = mkdtemp(g_folder) ? g_folder : mkdtemp(g_diskFolder);
        if (!g_made)
            return false;
        setenv("PENDREL_PLATFORM_DIR", g_made, 1);
        setenv("PENDREL_PLATFORM_USER", "fuzz", 1);
        unsetenv("PENDREL_PLATFORM");
        unsetenv("PENDREL_PLATFORM_RELAY");
        atexit([] {
            PlatformShutdown();
            std::error_code ignored;
            std::filesystem::remove_all(g_made, ignored);
        });
        return PlatformInit();
    }();
    return up;
}

void TakeDatagrams(const std::string& wire)
{
    size_t at = 0;
    while (at + 2 <= wire.size())
    {
        const size_t length = Length16(wire, at);
        at += 2;
        const size_t take = length < wire.size() - at ? length : wire.size() - at;
        const auto* chunk = reinterpret_cast<const uint8_t*>(wire.data() + at);
        StorefrontLinkTakeWire(chunk, take);
        if (take >= 8 && take - 8 <= ISteamNetworking::kMaxPacketBytes)
        {
            uint64_t sender = 0;
            memcpy(&sender, chunk, 8);
            uint8_t framed[kStorefrontWireHeaderBytes + ISteamNetworking::kMaxPacketBytes];
            StorefrontLinkTakeWire(framed, StorefrontWireFrame(sender, 12345, chunk + 8, take - 8, framed));
        }
        at += take;
    }
    // A few fixed senders are accepted, as a game accepts the peers of its lobby.
    for (CSteamID sender = 1; sender <= 3; ++sender)
        SteamNetworking()->AcceptP2PSessionWithUser(sender);
    uint8_t packet[ISteamNetworking::kMaxPacketBytes];
    uint32_t size = 0;
    CSteamID sender = 0;
    while (SteamNetworking()->ReadP2PPacket(packet, sizeof packet, &size, &sender))
    {
    }
    PlatformRunCallbacks();
}

void ReadStats(const std::string& text)
{
    const std::string folder = StorefrontFolder();
    const std::string schema = text.substr(0, text.find('\n'));
    if (!FuzzWriteFile(folder, "schema", schema.data(), schema.size()) ||
        !FuzzWriteFile(folder, "users/fuzz/stats", text.data(), text.size()))
        return;
    StorefrontUserStatsForget();
    ISteamUserStats* stats = SteamUserStats();
    stats->RequestCurrentStats();
    int32_t integer = 0;
    float real = 0;
    bool achieved = false;
    for (const char* name : {"a", "kills", "time"})
    {
        stats->GetStat(name, &integer);
        stats->GetStat(name, &real);
        stats->GetAchievement(name, &achieved);
        stats->GetAchievementDisplayAttribute(name, "name");
    }
    PlatformRunCallbacks();
}

void ReadLobby(const std::string& text)
{
    constexpr CSteamID kLobby = 42;
    if (!FuzzWriteFile(StorefrontFolder(), "lobbies/42", text.data(), text.size()))
        return;
    ISteamMatchmaking* lobbies = SteamMatchmaking();
    lobbies->GetLobbyOwner(kLobby);
    lobbies->GetLobbyData(kLobby, "netversion");
    lobbies->GetLobbyMemberLimit(kLobby);
    const int members = lobbies->GetNumLobbyMembers(kLobby);
    for (int index = -1; index <= members; ++index)
        lobbies->GetLobbyMemberByIndex(kLobby, index);
}
} // namespace

FUZZ_TARGET(storefront)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    if (!StartOnce())
        abort();
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (size < 2)
        return 0;
    const size_t wire = std::min(Length16(input, 0), size - 2);
    TakeDatagrams(input.substr(2, wire));
    const std::string text = input.substr(2 + wire);
    ReadStats(text);
    ReadLobby(text);
    return 0;
}

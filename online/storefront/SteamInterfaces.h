#pragma once
// The storefront's interfaces as the online layer reaches them: the signed-in
// user, the persona, the application and the peer-to-peer datagrams. All of
// them answer their offline values while the service is not started.

#include <cstdint>

using CSteamID = uint64_t;

enum EResult
{
    k_EResultOK = 1,
    k_EResultFail = 2,
    k_EResultInvalidParam = 8,
};

enum EP2PSend
{
    k_EP2PSendUnreliable = 0,
};

// A peer the local user has not talked to yet sent a datagram; its datagrams
// are held until the session is accepted.
struct P2PSessionRequest_t
{
    static constexpr int k_iCallback = 1202;
    CSteamID m_steamIDRemote;
};

// A datagram could not reach the peer: it is not signed in, or has gone.
struct P2PSessionConnectFail_t
{
    static constexpr int k_iCallback = 1203;
    CSteamID m_steamIDRemote;
    uint8_t m_eP2PSessionError;
};

class ISteamUser
{
public:
    bool BLoggedOn();
    CSteamID GetSteamID();
};

class ISteamFriends
{
public:
    const char* GetPersonaName();
    // "" for a user the folder does not know.
    const char* GetFriendPersonaName(CSteamID friendId);
    // Every other user of the folder, in name order, is a friend.
    int GetFriendCount(int flags);
    CSteamID GetFriendByIndex(int index, int flags);
    // The stand-in has no overlay: it logs the page asked for.
    void ActivateGameOverlay(const char* dialog);
    void ActivateGameOverlayInviteDialog(CSteamID lobby);
};

class ISteamUtils
{
public:
    uint32_t GetAppID();
};

class ISteamNetworking
{
public:
    static constexpr int kMaxPacketBytes = 1200;

    // Sending to a user also accepts that user's session.
    bool SendP2PPacket(CSteamID remote, const void* data, uint32_t size, EP2PSend type, int channel = 0);
    bool IsP2PPacketAvailable(uint32_t* size, int channel = 0);
    // Copies at most destSize bytes; size gets the datagram's own length.
    bool ReadP2PPacket(void* dest, uint32_t destSize, uint32_t* size, CSteamID* remote, int channel = 0);
    bool AcceptP2PSessionWithUser(CSteamID remote);
};

// The signed-in user's cloud files, kept in users/NAME/cloud. Names are
// relative paths without "." or ".." parts; any other name is refused.
class ISteamRemoteStorage
{
public:
    static constexpr int32_t kMaxFileBytes = 100 * 1024 * 1024;

    bool FileExists(const char* name);
    // 0 for a missing file.
    int32_t GetFileSize(const char* name);
    // The count of bytes copied, at most size; 0 when the file cannot be read.
    int32_t FileRead(const char* name, void* data, int32_t size);
    // Replaces the whole file at once: a failed write keeps the old one.
    bool FileWrite(const char* name, const void* data, int32_t size);
};

ISteamUser* SteamUser();
ISteamFriends* SteamFriends();
ISteamUtils* SteamUtils();
ISteamNetworking* SteamNetworking();
ISteamRemoteStorage* SteamRemoteStorage();

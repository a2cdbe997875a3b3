#include "online/storefront/SteamMatchmaking.h"

#include "core/AtomicFile.h"
#include "core/Clock.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "online/storefront/StorefrontFiles.h"
#include "online/storefront/StorefrontServer.h"
#include "online/storefront/StorefrontServerLobbies.h"
#include "online/storefront/StorefrontUser.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
// Lobby ids look like the platform's chat-room ids.
constexpr uint64_t kFirstLobbyId = 109775240917663744ull;
constexpr uint64_t kPumpMicroseconds = 100000;
// An owner renews its lobbies on a server well inside their ten seconds.
constexpr uint64_t kRenewMicroseconds = 2000000;
constexpr size_t kMaxLobbyFileBytes = 256 * 1024;
constexpr size_t kMaxKeyLength = 255;
constexpr size_t kMaxValueLength = 8192;
constexpr int kMaxMembers = 250;

struct LobbyMember
{
    uint64_t id = 0;
    std::string name;
};

struct LobbyFile
{
    int type = k_ELobbyTypePublic;
    bool joinable = true;
    int limit = 4;
    uint64_t owner = 0;
    std::vector<LobbyMember> members;
    std::vector<std::pair<std::string, std::string>> keys;
};

struct JoinedLobby
{
    uint64_t id;
    std::vector<uint64_t> members; // the live members last seen
    uint64_t renewedAt = 0;
};

struct Lobbies
{
    std::vector<std::pair<std::string, std::string>> filters;
    std::vector<uint64_t> found;
    std::vector<JoinedLobby> joined;
    uint64_t lastPump = 0;
    bool pumpedOnce = false;
    std::string dataAnswer;
    // While a listing runs on a server: who of the members seen is signed in.
    std::map<std::string, bool> liveKnown;
};

Lobbies g_lobbies;

bool IsDataText(const char* text, size_t maxLength)
{
    return text && strlen(text) <= maxLength && !strpbrk(text, "\t\n\r");
}

void LobbiesFolder(FixedString256& path)
{
    path.Format("%s/lobbies", StorefrontFolder());
}

void LobbyPath(uint64_t lobby, FixedString256& path)
{
    path.Format("%s/lobbies/%" PRIu64, StorefrontFolder(), lobby);
}

uint64_t ParseId(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const uint64_t id = strtoull(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == 0 ? id : 0;
}

void ReadLobbyLine(const std::vector<std::string>& fields, LobbyFile& file)
{
        if (fields.size() == 2 && fields[0] == "type")
            file.type = atoi(fields[1].c_str());
        else if (fields.size() == 2 && fields[0] == "joinable")
            file.joinable = fields[1] == "1";
        else if (fields.size() == 2 && fields[0] == "limit")
            file.limit = std::clamp(atoi(fields[1].c_str()), 0, kMaxMembers);
        else if (fields.size() == 2 && fields[0] == "owner")
            file.owner = ParseId(fields[1]);
        else if (fields.size() == 3 && fields[0] == "member" && ParseId(fields[1]) != 0 &&
                 file.members.size() < static_cast<size_t>(kMaxMembers))
            file.members.push_back({ParseId(fields[1]), fields[2]});
        else if (fields.size() == 3 && fields[0] == "key")
            file.keys.emplace_back(fields[1], fields[2]);
}

void ParseLobby(const std::string& text, LobbyFile& file)
{
    file = LobbyFile();
    StorefrontParseFieldLines(text, [&file](const std::vector<std::string>& fields) { ReadLobbyLine(fields, file); });
}

// A checked read; lines it does not know are skipped.
bool LobbyRead(uint64_t lobby, LobbyFile& file)
{
    file = LobbyFile();
    if (StorefrontOnServer())
    {
        std::string text;
        if (!ServerReadLobby(lobby, text, kMaxLobbyFileBytes))
            return false;
        ParseLobby(text, file);
        return true;
    }
    FixedString256 path;
    LobbyPath(lobby, path);
    return StorefrontReadFieldLines(path, kMaxLobbyFileBytes,
                                    [&file](const std::vector<std::string>& fields) { ReadLobbyLine(fields, file); });
}

std::string LobbyText(const LobbyFile& file)
{
    std::string text = "type\t" + std::to_string(file.type) + "\njoinable\t" + (file.joinable ? "1" : "0") +
                       "\nlimit\t" + std::to_string(file.limit) + "\nowner\t" + std::to_string(file.owner) + "\n";
    for (const LobbyMember& member : file.members)
        text += "member\t" + std::to_string(member.id) + "\t" + member.name + "\n";
    for (const auto& [key, value] : file.keys)
        text += "key\t" + key + "\t" + value + "\n";
    return text;
}

// Not flushed to the disk: a lobby lists running processes, so after a
// stop of the machine it is stale anyway, and whoever lists it next finds no
// live member in it (nor in an empty file) and removes it.
bool LobbyWrite(uint64_t lobby, const std::string& text)
{
    FixedString256 path;
    LobbyPath(lobby, path);
    return ReplaceFileAtomically(path, text.data(), text.size());
}

void RemoveLobbyFile(uint64_t lobby)
{
    FixedString256 path;
    LobbyPath(lobby, path);
    unlink(path);
}

bool IsMemberLive(const LobbyMember& member)
{
    if (member.id == StorefrontUserId())
        return true;
    const auto known = g_lobbies.liveKnown.find(member.name);
    return known != g_lobbies.liveKnown.end() ? known->second : StorefrontUserIsLive(member.name.c_str());
}

std::vector<LobbyMember> LiveMembers(const LobbyFile& file)
{
    std::vector<LobbyMember> live;
    for (const LobbyMember& member : file.members)
        if (IsMemberLive(member))
            live.push_back(member);
    return live;
}

// What a change makes of a lobby: the change returns whether to write.
template <class Change> LobbyEdit EditLobby(LobbyFile& file, Change& change, std::string& after)
{
    const std::string before = LobbyText(file);
    if (!change(file))
        return LobbyEdit::Refuse;
    if (LiveMembers(file).empty())
        return LobbyEdit::Remove;
    // A host sets the same data again each time it advertises its game.
    after = LobbyText(file);
    return after == before ? LobbyEdit::Keep : LobbyEdit::Write;
}

// Changes a lobby under its lock (on a server, in a transaction).
template <class Change> bool ChangeLobby(uint64_t lobby, Change change)
{
    if (!StorefrontSignedIn() || lobby == 0)
        return false;
    if (StorefrontOnServer())
        return ServerChangeLobby(lobby, kMaxLobbyFileBytes, [&change](const std::string& before, std::string& after) {
            LobbyFile file;
            ParseLobby(before, file);
            return EditLobby(file, change, after);
        });
    FixedString256 path;
    LobbyPath(lobby, path);
    FileLock lock(path);
    LobbyFile file;
    if (!lock.IsHeld() || !LobbyRead(lobby, file))
        return false;
    std::string after;
    switch (EditLobby(file, change, after))
    {
    case LobbyEdit::Refuse:
        return false;
    case LobbyEdit::Keep:
        return true;
    case LobbyEdit::Remove:
        RemoveLobbyFile(lobby);
        return true;
    case LobbyEdit::Write:
        break;
    }
    return LobbyWrite(lobby, after);
}

bool IsOwnedByMe(const LobbyFile& file)
{
    return file.owner == StorefrontUserId();
}

bool TakeLobbyId(uint64_t& id)
{
    if (StorefrontOnServer())
        return ServerTakeLobbyId(kFirstLobbyId, id);
    FixedString256 folder, path;
    LobbiesFolder(folder);
    if (!StorefrontMakeFolders(folder))
        return false;
    path.Format("%s/next-id", folder.c_str());
    FileLock lock(path);
    char text[32] = {};
    uint64_t next = StorefrontReadText(path, text, sizeof text) ? strtoull(text, nullptr, 10) : 0;
    if (next < kFirstLobbyId)
        next = kFirstLobbyId;
    id = next;
    snprintf(text, sizeof text, "%" PRIu64 "\n", next + 1);
    return lock.IsHeld() && StorefrontWriteTextAtomically(path, text);
}

bool MatchesFilters(const LobbyFile& file)
{
    for (const auto& [key, value] : g_lobbies.filters)
    {
        const auto found = std::find_if(file.keys.begin(), file.keys.end(),
                                        [&key = key](const auto& pair) { return pair.first == key; });
        if (found == file.keys.end() || found->second != value)
            return false;
    }
    return true;
}

// The lobby ids of the folder, in id order.
std::vector<uint64_t> AllLobbies()
{
    std::vector<uint64_t> ids;
    FixedString256 folder;
    LobbiesFolder(folder);
    DIR* listing = opendir(folder);
    if (!listing)
        return ids;
    while (const dirent* entry = readdir(listing))
        if (const uint64_t id = ParseId(entry->d_name); id >= kFirstLobbyId)
            ids.push_back(id);
    closedir(listing);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// A lobby all of whose members have gone is removed by whoever sees it.
bool IsListable(uint64_t lobby, const LobbyFile& file)
{
    const size_t live = LiveMembers(file).size();
    if (live == 0)
    {
        ChangeLobby(lobby, [](LobbyFile&) { return true; });
        return false;
    }
    return file.type == k_ELobbyTypePublic && file.joinable && live < static_cast<size_t>(file.limit) &&
           MatchesFilters(file);
}

// Every lobby with its file; on a server also who of their members is signed
// in, asked for all of them at once.
std::vector<std::pair<uint64_t, LobbyFile>> ReadAllLobbies()
{
    std::vector<std::pair<uint64_t, LobbyFile>> lobbies;
    if (!StorefrontOnServer())
    {
        for (uint64_t lobby : AllLobbies())
            if (LobbyFile file; LobbyRead(lobby, file))
                lobbies.emplace_back(lobby, std::move(file));
        return lobbies;
    }
    std::vector<std::string> names;
    for (const auto& [lobby, text] : ServerAllLobbies(kMaxLobbyFileBytes))
    {
        lobbies.emplace_back(lobby, LobbyFile());
        ParseLobby(text, lobbies.back().second);
        for (const LobbyMember& member : lobbies.back().second.members)
            names.push_back(member.name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    const std::vector<bool> live = ServerUsersLive(names);
    for (size_t i = 0; i < names.size(); ++i)
        g_lobbies.liveKnown[names[i]] = live[i];
    return lobbies;
}

JoinedLobby* FindJoined(uint64_t lobby)
{
    for (JoinedLobby& joined : g_lobbies.joined)
        if (joined.id == lobby)
            return &joined;
    return nullptr;
}

std::vector<uint64_t> LiveMemberIds(uint64_t lobby)
{
    std::vector<uint64_t> ids;
    LobbyFile file;
    if (LobbyRead(lobby, file))
        for (const LobbyMember& member : LiveMembers(file))
            ids.push_back(member.id);
    return ids;
}

void RememberJoined(uint64_t lobby)
{
    if (!FindJoined(lobby))
        g_lobbies.joined.push_back({lobby, LiveMemberIds(lobby)});
}

void PostMemberChange(uint64_t lobby, uint64_t member, uint32_t change)
{
    const LobbyChatUpdate_t update{lobby, member, member, change};
    StorefrontPostCallback(LobbyChatUpdate_t::k_iCallback, &update, sizeof update);
}

// An owner on a server keeps its lobby from expiring.
void RenewIfOwned(JoinedLobby& joined)
{
    const uint64_t now = ClockNow();
    if (!StorefrontOnServer() || now - joined.renewedAt < kRenewMicroseconds)
        return;
    LobbyFile file;
    if (LobbyRead(joined.id, file) && IsOwnedByMe(file))
        ServerRenewLobby(joined.id);
    joined.renewedAt = now;
}

void PumpJoined(JoinedLobby& joined)
{
    RenewIfOwned(joined);
    // A server that cannot answer says nothing about who left.
    if (StorefrontServerIsDown())
        return;
    const std::vector<uint64_t> now = LiveMemberIds(joined.id);
    if (StorefrontServerIsDown())
        return;
    for (uint64_t member : joined.members)
        if (std::find(now.begin(), now.end(), member) == now.end())
            PostMemberChange(joined.id, member, k_EChatMemberStateChangeLeft);
    for (uint64_t member : now)
        if (std::find(joined.members.begin(), joined.members.end(), member) == joined.members.end())
            PostMemberChange(joined.id, member, k_EChatMemberStateChangeEntered);
    joined.members = now;
}

void InvitesFolder(const char* user, FixedString256& path)
{
    char folder[256];
    StorefrontUserFolder(user, folder, sizeof folder);
    path.Format("%s/invites", folder);
}

void PostInvite(uint64_t lobby, uint64_t from)
{
    const GameLobbyJoinRequested_t request{lobby, from};
    LogError("Pendrel Platform overlay: the invitation to lobby %" PRIu64 " is accepted\n", lobby);
    StorefrontPostCallback(GameLobbyJoinRequested_t::k_iCallback, &request, sizeof request);
}

void PumpInvites()
{
    if (StorefrontOnServer())
    {
        for (const auto& [lobby, from] : ServerTakeInvites(StorefrontUserName()))
            PostInvite(lobby, from);
        return;
    }
    FixedString256 folder;
    InvitesFolder(StorefrontUserName(), folder);
    DIR* listing = opendir(folder);
    if (!listing)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing))
        if (ParseId(entry->d_name) != 0)
            names.push_back(entry->d_name);
    closedir(listing);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
    {
        FixedString256 path;
        path.Format("%s/%s", folder.c_str(), name.c_str());
        char text[32] = {};
        StorefrontReadText(path, text, sizeof text);
        unlink(path);
        PostInvite(ParseId(name), strtoull(text, nullptr, 10));
    }
}
} // namespace

SteamAPICall_t ISteamMatchmaking::CreateLobby(ELobbyType type, int maxMembers)
{
    if (!StorefrontSignedIn())
        return k_uAPICallInvalid;
    const SteamAPICall_t call = StorefrontNewCall();
    LobbyCreated_t created{k_EResultFail, 0};
    uint64_t id = 0;
    if (TakeLobbyId(id))
    {
        LobbyFile file;
        file.type = type;
        file.limit = std::clamp(maxMembers, 1, kMaxMembers);
        file.owner = StorefrontUserId();
        file.members.push_back({StorefrontUserId(), StorefrontUserName()});
        const std::string text = LobbyText(file);
        if (StorefrontOnServer() ? ServerCreateLobby(id, text) : LobbyWrite(id, text))
        {
            created = {k_EResultOK, id};
            RememberJoined(id);
        }
    }
    StorefrontCompleteCall(call, LobbyCreated_t::k_iCallback, &created, sizeof created, false);
    return call;
}

void ISteamMatchmaking::AddRequestLobbyListStringFilter(const char* key, const char* value, ELobbyComparison)
{
    if (IsDataText(key, kMaxKeyLength) && IsDataText(value, kMaxValueLength))
        g_lobbies.filters.emplace_back(key, value);
}

SteamAPICall_t ISteamMatchmaking::RequestLobbyList()
{
    if (!StorefrontSignedIn())
        return k_uAPICallInvalid;
    const SteamAPICall_t call = StorefrontNewCall();
    g_lobbies.found.clear();
    for (const auto& [lobby, file] : ReadAllLobbies())
        if (IsListable(lobby, file))
            g_lobbies.found.push_back(lobby);
    g_lobbies.filters.clear();
    g_lobbies.liveKnown.clear();
    const LobbyMatchList_t list{static_cast<uint32_t>(g_lobbies.found.size())};
    StorefrontCompleteCall(call, LobbyMatchList_t::k_iCallback, &list, sizeof list, false);
    return call;
}

CSteamID ISteamMatchmaking::GetLobbyByIndex(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_lobbies.found.size())
        return 0;
    return g_lobbies.found[static_cast<size_t>(index)];
}

SteamAPICall_t ISteamMatchmaking::JoinLobby(CSteamID lobby)
{
    if (!StorefrontSignedIn())
        return k_uAPICallInvalid;
    const SteamAPICall_t call = StorefrontNewCall();
    uint32_t response = k_EChatRoomEnterResponseDoesntExist;
    ChangeLobby(lobby, [&response](LobbyFile& file) {
        const std::vector<LobbyMember> live = LiveMembers(file);
        const bool member = std::any_of(live.begin(), live.end(),
                                        [](const LobbyMember& m) { return m.id == StorefrontUserId(); });
        if (member)
            response = k_EChatRoomEnterResponseSuccess;
        else if (!file.joinable)
            response = k_EChatRoomEnterResponseNotAllowed;
        else if (live.size() >= static_cast<size_t>(file.limit))
            response = k_EChatRoomEnterResponseFull;
        else
            response = k_EChatRoomEnterResponseSuccess;
        if (response != k_EChatRoomEnterResponseSuccess || member)
            return false;
        file.members = live;
        file.members.push_back({StorefrontUserId(), StorefrontUserName()});
        return true;
    });
    if (response == k_EChatRoomEnterResponseSuccess)
        RememberJoined(lobby);
    const LobbyEnter_t entered{lobby, 0, false, response};
    StorefrontCompleteCall(call, LobbyEnter_t::k_iCallback, &entered, sizeof entered, false);
    return call;
}

void ISteamMatchmaking::LeaveLobby(CSteamID lobby)
{
    ChangeLobby(lobby, [](LobbyFile& file) {
        const auto mine = [](const LobbyMember& member) { return member.id == StorefrontUserId(); };
        file.members.erase(std::remove_if(file.members.begin(), file.members.end(), mine), file.members.end());
        const std::vector<LobbyMember> live = LiveMembers(file);
        if (file.owner == StorefrontUserId() && !live.empty())
            file.owner = live.front().id;
        return true;
    });
    g_lobbies.joined.erase(std::remove_if(g_lobbies.joined.begin(), g_lobbies.joined.end(),
                                          [lobby](const JoinedLobby& joined) { return joined.id == lobby; }),
                           g_lobbies.joined.end());
}

bool ISteamMatchmaking::InviteUserToLobby(CSteamID lobby, CSteamID invitee)
{
    char name[64];
    if (!StorefrontSignedIn() || !FindJoined(lobby) || !StorefrontFindUserById(invitee, name, sizeof name))
        return false;
    if (StorefrontOnServer())
        return ServerInvite(name, lobby, StorefrontUserId());
    FixedString256 folder, path;
    InvitesFolder(name, folder);
    path.Format("%s/%" PRIu64, folder.c_str(), static_cast<uint64_t>(lobby));
    char text[32];
    snprintf(text, sizeof text, "%" PRIu64 "\n", StorefrontUserId());
    return StorefrontMakeFolders(folder) && StorefrontWriteTextAtomically(path, text);
}

int ISteamMatchmaking::GetNumLobbyMembers(CSteamID lobby)
{
    return StorefrontSignedIn() ? static_cast<int>(LiveMemberIds(lobby).size()) : 0;
}

CSteamID ISteamMatchmaking::GetLobbyMemberByIndex(CSteamID lobby, int index)
{
    if (!StorefrontSignedIn() || index < 0)
        return 0;
    const std::vector<uint64_t> members = LiveMemberIds(lobby);
    return static_cast<size_t>(index) < members.size() ? members[static_cast<size_t>(index)] : 0;
}

CSteamID ISteamMatchmaking::GetLobbyOwner(CSteamID lobby)
{
    LobbyFile file;
    return StorefrontSignedIn() && LobbyRead(lobby, file) ? file.owner : 0;
}

const char* ISteamMatchmaking::GetLobbyData(CSteamID lobby, const char* key)
{
    g_lobbies.dataAnswer.clear();
    LobbyFile file;
    if (StorefrontSignedIn() && key && LobbyRead(lobby, file))
        for (const auto& [name, value] : file.keys)
            if (name == key)
                g_lobbies.dataAnswer = value;
    return g_lobbies.dataAnswer.c_str();
}

bool ISteamMatchmaking::SetLobbyData(CSteamID lobby, const char* key, const char* value)
{
    if (!IsDataText(key, kMaxKeyLength) || !*key || !IsDataText(value, kMaxValueLength))
        return false;
    return ChangeLobby(lobby, [key, value](LobbyFile& file) {
        if (!IsOwnedByMe(file))
            return false;
        for (auto& pair : file.keys)
            if (pair.first == key)
            {
                pair.second = value;
                return true;
            }
        file.keys.emplace_back(key, value);
        return true;
    });
}

bool ISteamMatchmaking::SetLobbyMemberLimit(CSteamID lobby, int limit)
{
    return ChangeLobby(lobby, [limit](LobbyFile& file) {
        file.limit = std::clamp(limit, 1, kMaxMembers);
        return IsOwnedByMe(file);
    });
}

int ISteamMatchmaking::GetLobbyMemberLimit(CSteamID lobby)
{
    LobbyFile file;
    return StorefrontSignedIn() && LobbyRead(lobby, file) ? file.limit : 0;
}

bool ISteamMatchmaking::SetLobbyType(CSteamID lobby, ELobbyType type)
{
    return ChangeLobby(lobby, [type](LobbyFile& file) {
        file.type = type;
        return IsOwnedByMe(file);
    });
}

bool ISteamMatchmaking::SetLobbyJoinable(CSteamID lobby, bool joinable)
{
    return ChangeLobby(lobby, [joinable](LobbyFile& file) {
        file.joinable = joinable;
        return IsOwnedByMe(file);
    });
}

ISteamMatchmaking* SteamMatchmaking()
{
    static ISteamMatchmaking matchmaking;
    return &matchmaking;
}

void StorefrontLobbiesPump()
{
    if (!StorefrontSignedIn())
        return;
    const uint64_t now = ClockNow();
    if (g_lobbies.pumpedOnce && now - g_lobbies.lastPump < kPumpMicroseconds)
        return;
    g_lobbies.pumpedOnce = true;
    g_lobbies.lastPump = now;
    for (JoinedLobby& joined : g_lobbies.joined)
        PumpJoined(joined);
    PumpInvites();
}

void StorefrontLobbiesForget()
{
    // A process that stops leaves its lobbies as a live one would.
    const std::vector<JoinedLobby> joined = g_lobbies.joined;
    for (const JoinedLobby& lobby : joined)
        SteamMatchmaking()->LeaveLobby(lobby.id);
    g_lobbies = Lobbies();
}

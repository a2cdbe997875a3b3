#include "online/storefront/StorefrontServerLobbies.h"

#include "online/storefront/StorefrontServer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace
{
constexpr const char* kLobbySeconds = "10";
constexpr const char* kInviteSeconds = "60";
constexpr const char* kLobbySetKey = "pendrel:lobbies";
constexpr size_t kMaxLobbies = 100000;
constexpr size_t kReadBatch = 1000;
constexpr int kChangeAttempts = 16;
constexpr size_t kMaxInvites = 16;

std::string LobbyKey(uint64_t id)
{
    return "pendrel:lobby:" + std::to_string(id);
}

std::string InviteKey(const char* name)
{
    return std::string("pendrel:invite:") + name;
}

uint64_t ParseId(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const uint64_t id = strtoull(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == 0 ? id : 0;
}

// Reads one batch of lobbies; missing ones are noted for removal from the set.
bool ReadBatch(const std::vector<uint64_t>& ids, size_t maxBytes, std::vector<std::pair<uint64_t, std::string>>& out,
               std::vector<uint64_t>& gone)
{
    RedisCommand get = {"MGET"};
    for (uint64_t id : ids)
        get.push_back(LobbyKey(id));
    const RedisReply reply = StorefrontServer().Run(get);
    if (!RedisIsArray(reply.get(), ids.size()) || reply->elements != ids.size())
        return false;
    for (size_t i = 0; i < ids.size(); ++i)
    {
        std::string text;
        if (RedisText(reply->element[i], maxBytes, text))
            out.emplace_back(ids[i], std::move(text));
        else if (reply->element[i]->type == REDIS_REPLY_NIL)
            gone.push_back(ids[i]);
    }
    return true;
}
} // namespace

bool ServerTakeLobbyId(uint64_t firstId, uint64_t& id)
{
    long long count = 0;
    const RedisReply reply = StorefrontServer().Run({"INCR", "pendrel:next-lobby-id"});
    if (!RedisInteger(reply.get(), count) || count <= 0)
        return false;
    id = firstId + static_cast<uint64_t>(count) - 1;
    return true;
}

bool ServerCreateLobby(uint64_t id, const std::string& text)
{
    return !StorefrontServer()
                .RunAtomically({{"SET", LobbyKey(id), text, "EX", kLobbySeconds},
                                {"SADD", kLobbySetKey, std::to_string(id)}})
                .empty();
}

bool ServerReadLobby(uint64_t id, std::string& text, size_t maxBytes)
{
    const RedisReply reply = StorefrontServer().Run({"GET", LobbyKey(id)});
    return RedisText(reply.get(), maxBytes, text);
}

bool ServerChangeLobby(uint64_t id, size_t maxBytes,
                       const std::function<LobbyEdit(const std::string&, std::string&)>& edit)
{
    RedisConnection& server = StorefrontServer();
    const std::string key = LobbyKey(id);
    for (int attempt = 0; attempt < kChangeAttempts; ++attempt)
    {
        std::string before, after;
        if (!server.Run({"WATCH", key}) || !ServerReadLobby(id, before, maxBytes))
        {
            server.Run({"UNWATCH"});
            return false;
        }
        const LobbyEdit change = edit(before, after);
        if (change == LobbyEdit::Refuse || change == LobbyEdit::Keep)
        {
            server.Run({"UNWATCH"});
            return change == LobbyEdit::Keep;
        }
        std::vector<RedisCommand> commands = {{"SET", key, after, "KEEPTTL"}};
        if (change == LobbyEdit::Remove)
            commands = {{"DEL", key}, {"SREM", kLobbySetKey, std::to_string(id)}};
        bool aborted = false;
        if (!server.RunAtomically(commands, &aborted).empty())
            return true;
        if (!aborted)
            return false;
    }
    return false;
}

std::vector<std::pair<uint64_t, std::string>> ServerAllLobbies(size_t maxBytes)
{
    std::vector<std::pair<uint64_t, std::string>> lobbies;
    const RedisReply members = StorefrontServer().Run({"SMEMBERS", kLobbySetKey});
    if (!RedisIsArray(members.get(), kMaxLobbies))
        return lobbies;
    std::vector<uint64_t> ids;
    for (size_t i = 0; i < members->elements; ++i)
    {
        std::string text;
        if (RedisText(members->element[i], 24, text))
            if (const uint64_t id = ParseId(text))
                ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    std::vector<uint64_t> gone;
    for (size_t start = 0; start < ids.size(); start += kReadBatch)
    {
        const std::vector<uint64_t> batch(ids.begin() + static_cast<long>(start),
                                          ids.begin() + static_cast<long>(std::min(ids.size(), start + kReadBatch)));
        if (!ReadBatch(batch, maxBytes, lobbies, gone))
            return {};
    }
    if (!gone.empty())
    {
        RedisCommand forget = {"SREM", kLobbySetKey};
        for (uint64_t id : gone)
            forget.push_back(std::to_string(id));
        StorefrontServer().Run(forget);
    }
    return lobbies;
}

void ServerRenewLobby(uint64_t id)
{
    StorefrontServer().Run({"EXPIRE", LobbyKey(id), kLobbySeconds});
}

std::vector<bool> ServerUsersLive(const std::vector<std::string>& names)
{
    std::vector<RedisCommand> commands;
    for (const std::string& name : names)
        commands.push_back({"EXISTS", StorefrontUserKey(name.c_str(), "live")});
    const std::vector<RedisReply> replies = StorefrontServer().RunAll(commands);
    std::vector<bool> live(names.size(), false);
    for (size_t i = 0; i < replies.size() && i < names.size(); ++i)
    {
        long long exists = 0;
        live[i] = RedisInteger(replies[i].get(), exists) && exists == 1;
    }
    return live;
}

bool ServerInvite(const char* invitee, uint64_t lobby, uint64_t from)
{
    const std::string key = InviteKey(invitee);
    return !StorefrontServer()
                .RunAtomically({{"RPUSH", key, std::to_string(lobby) + " " + std::to_string(from)},
                                {"EXPIRE", key, kInviteSeconds}})
                .empty();
}

std::vector<std::pair<uint64_t, uint64_t>> ServerTakeInvites(const char* name)
{
    std::vector<std::pair<uint64_t, uint64_t>> invites;
    const std::string key = InviteKey(name);
    const std::vector<RedisReply> replies = StorefrontServer().RunAtomically(
        {{"LRANGE", key, "0", std::to_string(kMaxInvites - 1)}, {"LTRIM", key, std::to_string(kMaxInvites), "-1"}});
    if (replies.empty() || !RedisIsArray(replies[0].get(), kMaxInvites))
        return invites;
    for (size_t i = 0; i < replies[0]->elements; ++i)
    {
        std::string text;
        if (!RedisText(replies[0]->element[i], 48, text))
            continue;
        const size_t space = text.find(' ');
        if (space == std::string::npos)
            continue;
        const uint64_t lobby = ParseId(text.substr(0, space));
        if (lobby != 0)
            invites.emplace_back(lobby, ParseId(text.substr(space + 1)));
    }
    return invites;
}

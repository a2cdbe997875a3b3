#include "online/storefront/StorefrontServerUsers.h"

#include "core/Clock.h"
#include "core/LogError.h"
#include "online/storefront/StorefrontServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cinttypes>
#include <random>

namespace
{
constexpr const char* kPresenceSeconds = "10";
constexpr uint64_t kRenewMicroseconds = 2000000;
constexpr size_t kMaxUsers = 4096;
constexpr size_t kMaxNameBytes = 63;
constexpr const char* kIdsKey = "pendrel:ids";

struct Presence
{
    std::string token;
    uint64_t renewedAt = 0;
};

Presence g_presence;

std::string NewToken()
{
    std::random_device device;
    return std::to_string(device()) + "-" + std::to_string(device());
}

bool ParseUserId(const redisReply* reply, uint64_t& id)
{
    long long value = 0;
    if (!RedisInteger(reply, value) || value <= 0)
        return false;
    id = static_cast<uint64_t>(value);
    return true;
}

bool TakeNewId(const char* name, uint64_t firstId, uint64_t& id)
{
    RedisConnection& server = StorefrontServer();
    const RedisReply counted = server.Run({"INCR", "pendrel:next-user-id"});
    long long count = 0;
    if (!RedisInteger(counted.get(), count) || count <= 0)
        return false;
    id = firstId + static_cast<uint64_t>(count) - 1;
    const std::string idText = std::to_string(id);
    return server.Run({"HSETNX", kIdsKey, idText, name}) &&
           server.Run({"HSET", StorefrontUserKey(name, "record"), "id", idText, "name", name});
}
} // namespace

bool ServerSignIn(const char* name, uint64_t firstId, uint64_t& id)
{
    RedisConnection& server = StorefrontServer();
    g_presence.token = NewToken();
    const RedisReply taken =
        server.Run({"SET", StorefrontUserKey(name, "live"), g_presence.token, "NX", "EX", kPresenceSeconds});
    if (!taken)
        return false;
    if (taken->type == REDIS_REPLY_NIL)
    {
        LogError("Pendrel Platform: %s is already signed in\n", name);
        return false;
    }
    g_presence.renewedAt = ClockNow();
    const RedisReply known = server.Run({"HGET", StorefrontUserKey(name, "record"), "id"});
    if (!known)
        return false;
    if (ParseUserId(known.get(), id) && id >= firstId)
        return true;
    return TakeNewId(name, firstId, id);
}

void ServerSignOut(const char* name)
{
    if (StorefrontOnServer() && !g_presence.token.empty())
    {
        // Signed out, the player may sign in again at once, here or elsewhere.
        StorefrontServer().RetryNow();
        StorefrontServer().Run({"DEL", StorefrontUserKey(name, "live")});
    }
    g_presence = Presence();
}

void ServerUserPump(const char* name)
{
    const uint64_t now = ClockNow();
    if (now - g_presence.renewedAt < kRenewMicroseconds)
        return;
    g_presence.renewedAt = now;
    StorefrontServer().Run({"SET", StorefrontUserKey(name, "live"), g_presence.token, "EX", kPresenceSeconds});
}

bool ServerUserIsLive(const char* name)
{
    long long exists = 0;
    const RedisReply reply = StorefrontServer().Run({"EXISTS", StorefrontUserKey(name, "live")});
    return RedisInteger(reply.get(), exists) && exists == 1;
}

bool ServerFindUserById(uint64_t id, std::string& name)
{
    const RedisReply reply = StorefrontServer().Run({"HGET", kIdsKey, std::to_string(id)});
    return RedisText(reply.get(), kMaxNameBytes, name) && IsServerUserName(name.c_str());
}

bool ServerFindUserByName(const char* name, uint64_t& id)
{
    const RedisReply reply = StorefrontServer().Run({"HGET", StorefrontUserKey(name, "record"), "id"});
    return ParseUserId(reply.get(), id);
}

std::vector<std::pair<std::string, uint64_t>> ServerAllUsers()
{
    std::vector<std::pair<std::string, uint64_t>> users;
    const RedisReply reply = StorefrontServer().Run({"HGETALL", kIdsKey});
    if (!RedisIsArray(reply.get(), 2 * kMaxUsers))
    {
        if (reply)
            LogError("Pendrel Platform: the server's user table is larger than %zu users\n", kMaxUsers);
        return users;
    }
    for (size_t i = 0; i + 1 < reply->elements; i += 2)
    {
        std::string name;
        uint64_t id = 0;
        if (ParseUserId(reply->element[i], id) && RedisText(reply->element[i + 1], kMaxNameBytes, name) &&
            IsServerUserName(name.c_str()))
            users.emplace_back(name, id);
    }
    std::sort(users.begin(), users.end());
    return users;
}

bool ServerPublishEndpoint(const char* name, const std::string& address, uint16_t port)
{
    return static_cast<bool>(StorefrontServer().Run(
        {"HSET", StorefrontUserKey(name, "record"), "address", address, "port", std::to_string(port)}));
}

EndpointAnswer ServerReadEndpoint(const char* name, std::string& address, uint16_t& port)
{
    const std::vector<RedisReply> replies = StorefrontServer().RunAll(
        {{"EXISTS", StorefrontUserKey(name, "live")}, {"HMGET", StorefrontUserKey(name, "record"), "address", "port"}});
    if (replies.empty())
        return EndpointAnswer::Unreachable;
    long long live = 0, number = 0;
    const redisReply* fields = replies[1].get();
    in_addr parsed = {};
    if (!RedisInteger(replies[0].get(), live) || live != 1 || !RedisIsArray(fields, 2) || fields->elements != 2 ||
        !RedisText(fields->element[0], INET_ADDRSTRLEN, address) ||
        inet_pton(AF_INET, address.c_str(), &parsed) != 1 || !RedisInteger(fields->element[1], number) ||
        number <= 0 || number > 65535)
        return EndpointAnswer::Gone;
    port = static_cast<uint16_t>(number);
    return EndpointAnswer::Found;
}

#include "online/storefront/StorefrontServerBoards.h"

#include "core/LogError.h"
#include "online/storefront/SteamUserStats.h"
#include "online/storefront/StorefrontServer.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
constexpr double kTieSpan = 2097152.0; // 2^21: scores and ties stay exact in a double
constexpr long long kTieMask = 2097151;
constexpr int kMaxDownloadEntries = 10000;
constexpr size_t kMaxPersonaBytes = 127;
constexpr const char* kSortsKey = "pendrel:board:sorts";

std::string ScoresKey(const char* name)
{
    return std::string("pendrel:board:scores:") + name;
}

std::string PersonasKey(const char* name)
{
    return std::string("pendrel:board:personas:") + name;
}

bool Descending(int32_t sort)
{
    return sort == k_ELeaderboardSortMethodDescending;
}

std::string SetScore(int32_t sort, int32_t score, long long sequence)
{
    const long long tie = Descending(sort) ? kTieMask - (sequence & kTieMask) : (sequence & kTieMask);
    char text[40];
    snprintf(text, sizeof text, "%.0f", static_cast<double>(score) * kTieSpan + static_cast<double>(tie));
    return text;
}

bool BoardScore(const redisReply* reply, int32_t& score)
{
    std::string text;
    if (!RedisText(reply, 40, text))
        return false;
    const double value = std::floor(strtod(text.c_str(), nullptr) / kTieSpan);
    if (!(value >= INT32_MIN && value <= INT32_MAX))
        return false;
    score = static_cast<int32_t>(value);
    return true;
}

bool ParseUser(const redisReply* reply, uint64_t& user)
{
    long long value = 0;
    if (!RedisInteger(reply, value) || value <= 0)
        return false;
    user = static_cast<uint64_t>(value);
    return true;
}

const char* RankCommand(int32_t sort)
{
    return Descending(sort) ? "ZREVRANK" : "ZRANK";
}

// A rank reply: 1-based, 0 for a user not on the board.
int32_t Rank(const redisReply* reply)
{
    long long rank = -1;
    return RedisInteger(reply, rank) && rank >= 0 && rank < INT32_MAX ? static_cast<int32_t>(rank + 1) : 0;
}
} // namespace

bool ServerFindBoard(const char* name, bool create, int32_t sort, int32_t& boardSort)
{
    RedisConnection& server = StorefrontServer();
    if (create && !server.Run({"HSETNX", kSortsKey, name, std::to_string(sort)}))
        return false;
    long long stored = 0;
    const RedisReply reply = server.Run({"HGET", kSortsKey, name});
    if (!RedisInteger(reply.get(), stored))
        return false;
    boardSort = Descending(static_cast<int32_t>(stored)) ? k_ELeaderboardSortMethodDescending
                                                         : k_ELeaderboardSortMethodAscending;
    return true;
}

bool ServerPostScore(const char* name, int32_t sort, uint64_t user, const char* persona, int32_t score,
                     bool keepBest, BoardPostResult& result)
{
    result = BoardPostResult();
    RedisConnection& server = StorefrontServer();
    const std::string key = ScoresKey(name), member = std::to_string(user);
    long long sequence = 0;
    const RedisReply counted = server.Run({"INCR", std::string("pendrel:board:sequence:") + name});
    if (!RedisInteger(counted.get(), sequence))
        return false;
    RedisCommand add = {"ZADD", key};
    if (keepBest)
        add.push_back(Descending(sort) ? "GT" : "LT");
    add.insert(add.end(), {"CH", SetScore(sort, score, sequence), member});
    const std::string shownPersona = std::string(persona).substr(0, kMaxPersonaBytes);
    const std::vector<RedisReply> replies =
        server.RunAtomically({{RankCommand(sort), key, member},
                              add,
                              {RankCommand(sort), key, member},
                              {"HSET", PersonasKey(name), member, shownPersona}});
    long long changed = 0;
    if (replies.size() != 4 || !RedisInteger(replies[1].get(), changed))
        return false;
    result.rankPrevious = Rank(replies[0].get());
    result.rankNew = Rank(replies[2].get());
    result.changed = changed > 0;
    return true;
}

bool ServerBoardCount(const char* name, int32_t& count)
{
    long long value = 0;
    const RedisReply reply = StorefrontServer().Run({"ZCARD", ScoresKey(name)});
    if (!RedisInteger(reply.get(), value) || value < 0)
        return false;
    count = static_cast<int32_t>(std::min<long long>(value, INT32_MAX));
    return true;
}

bool ServerBoardRange(const char* name, int32_t sort, int first, int last, std::vector<RankedEntry>& entries)
{
    first = std::max(first, 1);
    if (last < first)
        return true;
    if (last - first >= kMaxDownloadEntries)
    {
        LogError("Pendrel Platform downloads at most %d leaderboard entries at once\n", kMaxDownloadEntries);
        last = first + kMaxDownloadEntries - 1;
    }
    const RedisReply reply = StorefrontServer().Run({Descending(sort) ? "ZREVRANGE" : "ZRANGE", ScoresKey(name),
                                                     std::to_string(first - 1), std::to_string(last - 1),
                                                     "WITHSCORES"});
    if (!RedisIsArray(reply.get(), 2 * static_cast<size_t>(kMaxDownloadEntries)))
        return false;
    for (size_t i = 0; i + 1 < reply->elements; i += 2)
    {
        RankedEntry entry;
        entry.rank = first + static_cast<int32_t>(i / 2);
        if (ParseUser(reply->element[i], entry.user) && BoardScore(reply->element[i + 1], entry.score))
            entries.push_back(entry);
    }
    return true;
}

bool ServerBoardRank(const char* name, int32_t sort, uint64_t user, int32_t& rank)
{
    const RedisReply reply = StorefrontServer().Run({RankCommand(sort), ScoresKey(name), std::to_string(user)});
    if (!reply)
        return false;
    rank = Rank(reply.get());
    return true;
}

bool ServerBoardUsers(const char* name, int32_t sort, const std::vector<uint64_t>& users,
                      std::vector<RankedEntry>& entries)
{
    std::vector<RedisCommand> commands;
    const std::string key = ScoresKey(name);
    for (uint64_t user : users)
    {
        commands.push_back({RankCommand(sort), key, std::to_string(user)});
        commands.push_back({"ZSCORE", key, std::to_string(user)});
    }
    const std::vector<RedisReply> replies = StorefrontServer().RunAll(commands);
    if (replies.size() != commands.size())
        return commands.empty();
    for (size_t i = 0; i < users.size(); ++i)
    {
        RankedEntry entry{users[i], Rank(replies[2 * i].get()), 0};
        if (entry.rank > 0 && BoardScore(replies[2 * i + 1].get(), entry.score))
            entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const RankedEntry& a, const RankedEntry& b) { return a.rank < b.rank; });
    return true;
}

std::vector<std::string> ServerBoardPersonas(const char* name, const std::vector<RankedEntry>& entries)
{
    std::vector<std::string> personas(entries.size());
    if (entries.empty())
        return personas;
    RedisCommand get = {"HMGET", PersonasKey(name)};
    for (const RankedEntry& entry : entries)
        get.push_back(std::to_string(entry.user));
    const RedisReply reply = StorefrontServer().Run(get);
    if (!RedisIsArray(reply.get(), entries.size()))
        return personas;
    for (size_t i = 0; i < reply->elements; ++i)
        RedisText(reply->element[i], kMaxPersonaBytes, personas[i]);
    return personas;
}

#include "online/storefront/SteamUserStats.h"

#include "core/AtomicFile.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "online/storefront/StorefrontBoards.h"
#include "online/storefront/StorefrontFiles.h"
#include "online/storefront/StorefrontServer.h"
#include "online/storefront/StorefrontUser.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{
constexpr size_t kMaxStatsFileBytes = 1024 * 1024;
constexpr size_t kMaxNameLength = 127;

struct UserValues
{
    bool loaded = false;
    std::map<std::string, int32_t> integers;
    std::map<std::string, float> floats;
    std::set<std::string> achieved;
    // Display texts by API name: name, then description.
    std::map<std::string, std::pair<std::string, std::string>> schema;
};

UserValues g_values;

bool IsStatName(const char* name)
{
    return name && *name && strlen(name) <= kMaxNameLength && !strpbrk(name, "\t\n\r");
}

bool ParseInteger(const std::string& text, int32_t& value)
{
    errno = 0;
    char* end = nullptr;
    const long long parsed = strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

void StatsPath(FixedString256& path)
{
    char folder[256];
    StorefrontUserFolder(StorefrontUserName(), folder, sizeof folder);
    path.Format("%s/stats", folder);
}

void ReadSchemaLine(const std::vector<std::string>& fields)
{
    if (fields.size() >= 2 && IsStatName(fields[0].c_str()))
        g_values.schema[fields[0]] = {fields[1], fields.size() >= 3 ? fields[2] : std::string()};
}

void ReadSchema()
{
    FixedString256 path;
    path.Format("%s/schema", StorefrontFolder());
    StorefrontReadFieldLines(path, kMaxStatsFileBytes, ReadSchemaLine);
}

// The schema and the user's values as texts from the server; false when it cannot answer.
bool ReadServerTexts(std::string& schema, std::string& values)
{
    const std::vector<RedisReply> replies = StorefrontServer().RunAll(
        {{"GET", "pendrel:schema"}, {"GET", StorefrontUserKey(StorefrontUserName(), "stats")}});
    if (replies.empty())
        return false;
    RedisText(replies[0].get(), kMaxStatsFileBytes, schema);
    if (!RedisText(replies[1].get(), kMaxStatsFileBytes, values) && replies[1]->type != REDIS_REPLY_NIL)
    {
        LogError("Pendrel Platform: the statistics of %s on the server are not readable\n", StorefrontUserName());
        return false;
    }
    return true;
}

// The values of the user; false (with nothing loaded) when they cannot be read.
bool LoadValues()
{
    if (g_values.loaded)
        return true;
    g_values = UserValues();
    int badLines = 0;
    const auto reader = [&badLines](const std::vector<std::string>& fields) {
        int32_t integer = 0;
        if (fields.size() == 3 && fields[0] == "int" && IsStatName(fields[1].c_str()) &&
            ParseInteger(fields[2], integer))
            g_values.integers[fields[1]] = integer;
        else if (fields.size() == 3 && fields[0] == "float" && IsStatName(fields[1].c_str()))
            g_values.floats[fields[1]] = strtof(fields[2].c_str(), nullptr);
        else if (fields.size() == 2 && fields[0] == "achievement" && IsStatName(fields[1].c_str()))
            g_values.achieved.insert(fields[1]);
        else if (!(fields.size() == 1 && fields[0].empty()))
            ++badLines;
    };
    if (StorefrontOnServer())
    {
        std::string schema, values;
        if (!ReadServerTexts(schema, values))
            return false;
        StorefrontParseFieldLines(schema, ReadSchemaLine);
        StorefrontParseFieldLines(values, reader);
    }
    else
    {
        ReadSchema();
        FixedString256 path;
        StatsPath(path);
        StorefrontReadFieldLines(path, kMaxStatsFileBytes, reader);
    }
    if (badLines > 0)
        LogError("Pendrel Platform skipped %d bad lines of the statistics of %s\n", badLines, StorefrontUserName());
    g_values.loaded = true;
    return true;
}

bool WriteValues()
{
    std::string text;
    for (const auto& [name, value] : g_values.integers)
        text += "int\t" + name + "\t" + std::to_string(value) + "\n";
    for (const auto& [name, value] : g_values.floats)
    {
        char number[32];
        snprintf(number, sizeof number, "%.9g", static_cast<double>(value));
        text += "float\t" + name + "\t" + number + "\n";
    }
    for (const std::string& name : g_values.achieved)
        text += "achievement\t" + name + "\n";
    // One value holds them all, so a store is whole or not at all.
    if (StorefrontOnServer())
        return static_cast<bool>(
            StorefrontServer().Run({"SET", StorefrontUserKey(StorefrontUserName(), "stats"), text}));
    FixedString256 path;
    StatsPath(path);
    return WriteFileAtomically(path, text.data(), text.size());
}

uint64_t GameId()
{
    return SteamUtils()->GetAppID();
}

// Values are reached only while signed in, loaded on first use.
bool Ready(const char* name)
{
    return StorefrontSignedIn() && IsStatName(name) && LoadValues();
}
} // namespace

bool ISteamUserStats::RequestCurrentStats()
{
    if (!StorefrontSignedIn())
        return false;
    g_values.loaded = false;
    const bool loaded = LoadValues();
    const UserStatsReceived_t received{GameId(), loaded ? k_EResultOK : k_EResultFail, StorefrontUserId()};
    StorefrontPostCallback(UserStatsReceived_t::k_iCallback, &received, sizeof received);
    return true;
}

bool ISteamUserStats::GetStat(const char* name, int32_t* value)
{
    if (!value || !Ready(name))
        return false;
    const auto found = g_values.integers.find(name);
    *value = found == g_values.integers.end() ? 0 : found->second;
    return true;
}

bool ISteamUserStats::GetStat(const char* name, float* value)
{
    if (!value || !Ready(name))
        return false;
    const auto found = g_values.floats.find(name);
    *value = found == g_values.floats.end() ? 0.0f : found->second;
    return true;
}

bool ISteamUserStats::SetStat(const char* name, int32_t value)
{
    if (!Ready(name))
        return false;
    g_values.integers[name] = value;
    return true;
}

bool ISteamUserStats::SetStat(const char* name, float value)
{
    if (!Ready(name))
        return false;
    g_values.floats[name] = value;
    return true;
}

bool ISteamUserStats::GetAchievement(const char* name, bool* achieved)
{
    if (!achieved || !Ready(name))
        return false;
    *achieved = g_values.achieved.count(name) != 0;
    return true;
}

bool ISteamUserStats::SetAchievement(const char* name)
{
    if (!Ready(name))
        return false;
    g_values.achieved.insert(name);
    return true;
}

bool ISteamUserStats::ClearAchievement(const char* name)
{
    if (!Ready(name))
        return false;
    g_values.achieved.erase(name);
    return true;
}

const char* ISteamUserStats::GetAchievementDisplayAttribute(const char* name, const char* key)
{
    if (!Ready(name) || !key)
        return "";
    const auto found = g_values.schema.find(name);
    if (found == g_values.schema.end())
        return "";
    if (strcmp(key, "name") == 0)
        return found->second.first.c_str();
    if (strcmp(key, "desc") == 0)
        return found->second.second.c_str();
    return "";
}

bool ISteamUserStats::StoreStats()
{
    if (!StorefrontSignedIn())
        return false;
    const bool written = LoadValues() && WriteValues();
    if (!written)
        LogError("Pendrel Platform could not store the statistics of %s\n", StorefrontUserName());
    const UserStatsStored_t stored{GameId(), written ? k_EResultOK : k_EResultFail};
    StorefrontPostCallback(UserStatsStored_t::k_iCallback, &stored, sizeof stored);
    return true;
}

bool ISteamUserStats::ResetAllStats(bool achievementsToo)
{
    if (!StorefrontSignedIn() || !LoadValues())
        return false;
    g_values.integers.clear();
    g_values.floats.clear();
    if (achievementsToo)
        g_values.achieved.clear();
    return WriteValues();
}

ISteamUserStats* SteamUserStats()
{
    static ISteamUserStats stats;
    return &stats;
}

void StorefrontUserStatsForget()
{
    g_values = UserValues();
    StorefrontBoardsForget();
}

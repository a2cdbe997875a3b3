#pragma once
// The storefront's statistics, achievements and leaderboards as the online
// layer reaches them. The signed-in user's values live in users/NAME/stats
// and each board in leaderboards/NAME; both outlive the process. Display
// texts of achievements come from the optional file "schema" in the folder:
// lines of an API name, a TAB, the display name, a TAB and the description.

#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/Storefront.h"

#include <cstdint>

using SteamLeaderboard_t = uint64_t;
using SteamLeaderboardEntries_t = uint64_t;

enum ELeaderboardSortMethod
{
    k_ELeaderboardSortMethodNone = 0,
    k_ELeaderboardSortMethodAscending = 1,
    k_ELeaderboardSortMethodDescending = 2,
};

enum ELeaderboardDisplayType
{
    k_ELeaderboardDisplayTypeNone = 0,
    k_ELeaderboardDisplayTypeNumeric = 1,
};

enum ELeaderboardDataRequest
{
    k_ELeaderboardDataRequestGlobal = 0,
    k_ELeaderboardDataRequestGlobalAroundUser = 1,
    k_ELeaderboardDataRequestFriends = 2,
};

enum ELeaderboardUploadScoreMethod
{
    k_ELeaderboardUploadScoreMethodNone = 0,
    k_ELeaderboardUploadScoreMethodKeepBest = 1,
    k_ELeaderboardUploadScoreMethodForceUpdate = 2,
};

struct LeaderboardEntry_t
{
    CSteamID m_steamIDUser;
    int32_t m_nGlobalRank;
    int32_t m_nScore;
    int32_t m_cDetails;
};

struct UserStatsReceived_t
{
    static constexpr int k_iCallback = 1101;
    uint64_t m_nGameID;
    int32_t m_eResult;
    CSteamID m_steamIDUser;
};

struct UserStatsStored_t
{
    static constexpr int k_iCallback = 1102;
    uint64_t m_nGameID;
    int32_t m_eResult;
};

struct UserAchievementStored_t
{
    static constexpr int k_iCallback = 1103;
    uint64_t m_nGameID;
    char m_rgchAchievementName[128];
};

struct LeaderboardFindResult_t
{
    static constexpr int k_iCallback = 1104;
    SteamLeaderboard_t m_hSteamLeaderboard;
    uint8_t m_bLeaderboardFound;
};

struct LeaderboardScoresDownloaded_t
{
    static constexpr int k_iCallback = 1105;
    SteamLeaderboard_t m_hSteamLeaderboard;
    SteamLeaderboardEntries_t m_hSteamLeaderboardEntries;
    int32_t m_cEntryCount;
};

struct LeaderboardScoreUploaded_t
{
    static constexpr int k_iCallback = 1106;
    uint8_t m_bSuccess;
    SteamLeaderboard_t m_hSteamLeaderboard;
    int32_t m_nScore;
    uint8_t m_bScoreChanged;
    int32_t m_nGlobalRankNew;
    int32_t m_nGlobalRankPrevious;
};

class ISteamUserStats
{
public:
    // Posts UserStatsReceived_t once the user's values are read.
    bool RequestCurrentStats();
    bool GetStat(const char* name, int32_t* value);
    bool GetStat(const char* name, float* value);
    bool SetStat(const char* name, int32_t value);
    bool SetStat(const char* name, float value);
    bool GetAchievement(const char* name, bool* achieved);
    bool SetAchievement(const char* name);
    bool ClearAchievement(const char* name);
    // "name" or "desc"; "" for anything unknown.
    const char* GetAchievementDisplayAttribute(const char* name, const char* key);
    // Writes the user's values; posts UserStatsStored_t.
    bool StoreStats();
    bool ResetAllStats(bool achievementsToo);

    SteamAPICall_t FindOrCreateLeaderboard(const char* name, ELeaderboardSortMethod sort,
                                           ELeaderboardDisplayType display);
    SteamAPICall_t FindLeaderboard(const char* name);
    const char* GetLeaderboardName(SteamLeaderboard_t board);
    int32_t GetLeaderboardEntryCount(SteamLeaderboard_t board);
    // Global ranks first..last (1-based), or around the user (first is
    // negative), or the entries of the user and the friends.
    SteamAPICall_t DownloadLeaderboardEntries(SteamLeaderboard_t board, ELeaderboardDataRequest request, int first,
                                              int last);
    bool GetDownloadedLeaderboardEntry(SteamLeaderboardEntries_t entries, int index, LeaderboardEntry_t* entry,
                                       int32_t* details, int detailsMax);
    SteamAPICall_t UploadLeaderboardScore(SteamLeaderboard_t board, ELeaderboardUploadScoreMethod method,
                                          int32_t score, const int32_t* details, int detailCount);
};

ISteamUserStats* SteamUserStats();

// Forgets the values and boards of the user that signed out.
void StorefrontUserStatsForget();

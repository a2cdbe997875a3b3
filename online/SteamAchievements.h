#pragma once
// The player's achievements and integer statistics, mirrored from the
// platform: the tables fill when the platform's values arrive, and every
// change is stored at once. Before the values arrive, changes do nothing and
// queries answer 0 or false.

#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamUserStats.h"

#include <cstdint>

struct Achievement_t
{
    int32_t m_eAchievementID;
    const char* m_pchAchievementID;
    char m_rgchName[128];
    char m_rgchDescription[256];
    uint8_t m_bAchieved;
    int32_t m_iIconImage;
};

enum EStatTypes
{
    STAT_INT = 0,
    STAT_FLOAT = 1,
    STAT_AVGRATE = 2,
};

struct Stat_t
{
    int32_t m_ID;
    int32_t m_eStatType;
    const char* m_pchStatName;
    int32_t m_iValue;
    float m_flValue;
    float m_flAvgNumerator;
    float m_flAvgDenominator;
};

class CSteamAchievements
{
public:
    CSteamAchievements(Achievement_t* achievements, int achievementCount, Stat_t* stats, int statCount);
    CSteamAchievements(const CSteamAchievements&) = delete;
    CSteamAchievements& operator=(const CSteamAchievements&) = delete;

    bool RequestStats();
    bool SetAchievement(int id);
    bool IsAchievementUnlocked(int id);
    bool SetStat(int id, int value);
    int GetStat(int id);

    bool StatsReceived() const { return m_statsReceived != 0; }
    const Achievement_t* FindAchievement(int id) const;
    const Stat_t* FindStat(int id) const;

private:
    Achievement_t* AchievementWithId(int id);
    Stat_t* StatWithId(int id);
    void ReadPlatformValues();
    void OnUserStatsReceived(UserStatsReceived_t* received);
    void OnUserStatsStored(UserStatsStored_t* stored);
    void OnAchievementStored(UserAchievementStored_t* stored);

    uint64_t m_gameId;
    Achievement_t* m_achievements;
    int m_achievementCount;
    Stat_t* m_stats;
    int m_statCount;
    uint8_t m_statsReceived = 0;
    CCallback<CSteamAchievements, UserStatsReceived_t> m_statsReceivedCallback;
    CCallback<CSteamAchievements, UserStatsStored_t> m_statsStoredCallback;
    CCallback<CSteamAchievements, UserAchievementStored_t> m_achievementStoredCallback;
};

constexpr int kAchievementCount = 115;
constexpr int kStatCount = 20;

// The one object over the program's tables, made once the platform is up.
void SteamAchievementsStart();
void SteamAchievementsStop();
CSteamAchievements* GetSteamAchievements();

// What the script natives reach: nothing (0 or false) while there is no object.
void SteamSetAchievement(int id);
bool SteamIsAchievementUnlocked(int id);
void SteamSetStat(int id, int value);
int SteamGetStat(int id);
// The start-up option that wipes the user's statistics and achievements.
void SteamResetAchievementsAndStats();

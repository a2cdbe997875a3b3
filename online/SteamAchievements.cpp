#include "online/SteamAchievements.h"

#include "online/storefront/SteamInterfaces.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
struct AchievementName
{
    int32_t id;
    const char* apiName;
};

const AchievementName kAchievementNames[kAchievementCount] = {
    {0, "Hasty_Breather"},
    {1, "Conversationalist_I"},
    {2, "Conversationalist_II"},
    {3, "Conversationalist_III"},
    {4, "Knight_Slayer_I"},
    {5, "Knight_Slayer_II"},
    {6, "Knight_Slayer_III"},
    {7, "Sheriff_I"},
    {8, "Sheriff_II"},
    {9, "Sheriff_III"},
    {10, "Flaming_Arrow_I"},
    {11, "Flaming_Arrow_II"},
    {12, "Flaming_Arrow_III"},
    {13, "Bigger_They_Are_I"},
    {14, "Bigger_They_Are_II"},
    {15, "Bigger_They_Are_III"},
    {16, "Clubber"},
    {17, "Grist_Grinder_I"},
    {18, "Grist_Grinder_II"},
    {19, "Grist_Grinder_III"},
    {20, "Barrels_of_Fun_I"},
    {21, "Barrels_of_Fun_II"},
    {22, "Barrels_of_Fun_III"},
    {23, "Popcorn_I"},
    {24, "Popcorn_II"},
    {25, "Popcorn_III"},
    {26, "Burnt_Bread_I"},
    {27, "Burnt_Bread_II"},
    {28, "Burnt_Bread_III"},
    {29, "Civil_Unrest_I"},
    {30, "Civil_Unrest_II"},
    {31, "Civil_Unrest_III"},
    {32, "Prohibition_I"},
    {33, "Prohibition_II"},
    {34, "Prohibition_III"},
    {35, "Brick_by_Brick_I"},
    {36, "Brick_by_Brick_II"},
    {37, "Brick_by_Brick_III"},
    {38, "Loves_the_Shinies_I"},
    {39, "Loves_the_Shinies_II"},
    {40, "Loves_the_Shinies_III"},
    {41, "Bully"},
    {42, "All_Fear_Me"},
    {43, "Fear_Me_Instead"},
    {44, "Jealous"},
    {45, "Robber_Unto_Thyself"},
    {46, "Tarrowin_Manager"},
    {47, "Pack_Wyrm"},
    {48, "Double_Dragon"},
    {49, "Gilded"},
    {50, "Midas"},
    {51, "Golden_Tiger"},
    {52, "Thorough"},
    {53, "Don_Juan"},
    {54, "Max"},
    {55, "Spicy"},
    {56, "Speedy"},
    {57, "Strong"},
    {58, "Sturdy"},
    {59, "No_Sweat"},
    {60, "Tender_Belly"},
    {61, "Tortoise"},
    {62, "Smoke_Puff"},
    {63, "Lightweight"},
    {64, "Hatchling"},
    {65, "Untouchable"},
    {66, "High_Security"},
    {67, "Let_em_Roll"},
    {68, "Conscientious_Objector"},
    {69, "Charitable"},
    {70, "Friendly"},
    {71, "Anti_Royalty_Bias"},
    {72, "Champion"},
    {73, "Task_Force"},
    {74, "Hunter"},
    {75, "Eyes_on_the_Prize"},
    {76, "Careful"},
    {77, "Lucky"},
    {78, "Sly"},
    {79, "Aerobatic"},
    {80, "Dodger"},
    {81, "Wisp"},
    {82, "Claw_to_Grind"},
    {83, "Dominator"},
    {84, "Easy_Mark"},
    {85, "No_Honor_Among"},
    {87, "True_Nobility"},
    {88, "Tireless"},
    {89, "Warm_Up"},
    {90, "Calisthenics"},
    {91, "Comeback_Wyrm"},
    {92, "Royalty_Unmasked"},
    {93, "Thank_You_Ill_Pass"},
    {94, "Envy"},
    {95, "Weak_Link"},
    {96, "Pacifist"},
    {97, "Guardian"},
    {98, "Follow_My_Lead"},
    {99, "Money_in_the_Bank"},
    {101, "Quarner"},
    {104, "Overthrow"},
    {105, "Red_Handed"},
    {107, "Investor"},
    {108, "My_Turf"},
    {109, "Toe_to_Toe"},
    {111, "Baron_of_Omaha"},
    {112, "Not_on_My_Watch"},
    {113, "Great_Wyrm"},
    {114, "A_Winner_is_You"},
    {115, "Im_Bi_Winning"},
    {116, "Winner_Winner_Chicken_Dinner"},
    {117, "Epic_Win"},
    {119, "Playa"},
    {120, "Rounder"},
    {121, "Team_Player"}};

Stat_t g_stats[kStatCount] = {
    {0, STAT_INT, "Princesses Ransomed", 0, 0.0f, 0.0f, 0.0f},
    {1, STAT_INT, "Knights Defeated", 0, 0.0f, 0.0f, 0.0f},
    {2, STAT_INT, "Thieves Defeated", 0, 0.0f, 0.0f, 0.0f},
    {3, STAT_INT, "Archers Defeated", 0, 0.0f, 0.0f, 0.0f},
    {4, STAT_INT, "Giants Defeated", 0, 0.0f, 0.0f, 0.0f},
    {5, STAT_INT, "Farmer Cart Destroyed", 0, 0.0f, 0.0f, 0.0f},
    {6, STAT_INT, "Wagons Destroyed", 0, 0.0f, 0.0f, 0.0f},
    {7, STAT_INT, "Crops Destroyed", 0, 0.0f, 0.0f, 0.0f},
    {8, STAT_INT, "Mills Destroyed", 0, 0.0f, 0.0f, 0.0f},
    {9, STAT_INT, "Taverns Destroyed", 0, 0.0f, 0.0f, 0.0f},
    {10, STAT_INT, "Castles Destroyed", 0, 0.0f, 0.0f, 0.0f},
    {11, STAT_INT, "Wizard Gems Collected", 0, 0.0f, 0.0f, 0.0f},
    {12, STAT_INT, "Enemy Tribute Carts Defeated", 0, 0.0f, 0.0f, 0.0f},
    {13, STAT_INT, "Tribute Carts Collected", 0, 0.0f, 0.0f, 0.0f},
    {14, STAT_INT, "Town Centers Destroyed", 0, 0.0f, 0.0f, 0.0f},
    {15, STAT_INT, "Quarn Rank Points", 0, 0.0f, 0.0f, 0.0f},
    {16, STAT_INT, "Multiplayer Wins", 0, 0.0f, 0.0f, 0.0f},
    {17, STAT_INT, "Multiplayer Games Played", 0, 0.0f, 0.0f, 0.0f},
    {18, STAT_INT, "Gold Medals On Co-Op Map", 0, 0.0f, 0.0f, 0.0f},
    {19, STAT_INT, "Gold Medals On Quarn mode Map", 0, 0.0f, 0.0f, 0.0f}};

Achievement_t g_achievements[kAchievementCount];

void CopyText(char* destination, size_t size, const char* text)
{
    snprintf(destination, size, "%s", text);
}

// Display names start as the API names with spaces for underscores.
void FillAchievementTable()
{
    for (int i = 0; i < kAchievementCount; ++i)
    {
        Achievement_t& record = g_achievements[i];
        record = Achievement_t{kAchievementNames[i].id, kAchievementNames[i].apiName, {}, {}, 0, 0};
        CopyText(record.m_rgchName, sizeof record.m_rgchName, record.m_pchAchievementID);
        for (char* c = record.m_rgchName; *c; ++c)
            if (*c == '_')
                *c = ' ';
    }
}

std::unique_ptr<CSteamAchievements> g_object;
} // namespace

CSteamAchievements::CSteamAchievements(Achievement_t* achievements, int achievementCount, Stat_t* stats,
                                       int statCount)
    : m_gameId(SteamUtils()->GetAppID()), m_achievements(achievements), m_achievementCount(achievementCount),
      m_stats(stats), m_statCount(statCount),
      m_statsReceivedCallback(this, &CSteamAchievements::OnUserStatsReceived),
      m_statsStoredCallback(this, &CSteamAchievements::OnUserStatsStored),
      m_achievementStoredCallback(this, &CSteamAchievements::OnAchievementStored)
{
    RequestStats();
}

bool CSteamAchievements::RequestStats()
{
    if (!SteamUserStats() || !SteamUser() || !SteamUser()->BLoggedOn())
        return false;
    return SteamUserStats()->RequestCurrentStats();
}

Achievement_t* CSteamAchievements::AchievementWithId(int id)
{
    for (int i = 0; i < m_achievementCount; ++i)
        if (m_achievements[i].m_eAchievementID == id)
            return &m_achievements[i];
    return nullptr;
}

Stat_t* CSteamAchievements::StatWithId(int id)
{
    for (int i = 0; i < m_statCount; ++i)
        if (m_stats[i].m_ID == id)
            return &m_stats[i];
    return nullptr;
}

const Achievement_t* CSteamAchievements::FindAchievement(int id) const
{
    return const_cast<CSteamAchievements*>(this)->AchievementWithId(id);
}

const Stat_t* CSteamAchievements::FindStat(int id) const
{
    return const_cast<CSteamAchievements*>(this)->StatWithId(id);
}

bool CSteamAchievements::SetAchievement(int id)
{
    if (!m_statsReceived)
        return false;
    if (const Achievement_t* record = AchievementWithId(id))
        SteamUserStats()->SetAchievement(record->m_pchAchievementID);
    return SteamUserStats()->StoreStats();
}

bool CSteamAchievements::IsAchievementUnlocked(int id)
{
    Achievement_t* record = AchievementWithId(id);
    if (!m_statsReceived || !record)
        return false;
    bool achieved = false;
    SteamUserStats()->GetAchievement(record->m_pchAchievementID, &achieved);
    record->m_bAchieved = achieved ? 1 : 0;
    return achieved;
}

bool CSteamAchievements::SetStat(int id, int value)
{
    if (!m_statsReceived)
        return false;
    if (const Stat_t* record = StatWithId(id))
        SteamUserStats()->SetStat(record->m_pchStatName, static_cast<int32_t>(value));
    return SteamUserStats()->StoreStats();
}

int CSteamAchievements::GetStat(int id)
{
    Stat_t* record = StatWithId(id);
    if (!m_statsReceived || !record)
        return 0;
    int32_t value = 0;
    SteamUserStats()->GetStat(record->m_pchStatName, &value);
    record->m_iValue = value;
    return value;
}

void CSteamAchievements::ReadPlatformValues()
{
    ISteamUserStats* platform = SteamUserStats();
    for (int i = 0; i < m_achievementCount; ++i)
    {
        Achievement_t& record = m_achievements[i];
        bool achieved = false;
        platform->GetAchievement(record.m_pchAchievementID, &achieved);
        record.m_bAchieved = achieved ? 1 : 0;
        // A text the platform does not have keeps the one the table holds.
        if (const char* name = platform->GetAchievementDisplayAttribute(record.m_pchAchievementID, "name"); *name)
            CopyText(record.m_rgchName, sizeof record.m_rgchName, name);
        if (const char* text = platform->GetAchievementDisplayAttribute(record.m_pchAchievementID, "desc"); *text)
            CopyText(record.m_rgchDescription, sizeof record.m_rgchDescription, text);
    }
    for (int i = 0; i < m_statCount; ++i)
    {
        Stat_t& record = m_stats[i];
        if (record.m_eStatType == STAT_INT)
            platform->GetStat(record.m_pchStatName, &record.m_iValue);
        else
            platform->GetStat(record.m_pchStatName, &record.m_flValue);
    }
}

void CSteamAchievements::OnUserStatsReceived(UserStatsReceived_t* received)
{
    if (received->m_nGameID != m_gameId)
        return;
    if (received->m_eResult != k_EResultOK)
    {
        printf("RequestStats - failed, %d\n", received->m_eResult);
        fflush(stdout);
        return;
    }
    m_statsReceived = 1;
    ReadPlatformValues();
}

void CSteamAchievements::OnUserStatsStored(UserStatsStored_t* stored)
{
    // The platform refused some values and put its own back: take those.
    if (stored->m_nGameID == m_gameId && stored->m_eResult == k_EResultInvalidParam)
    {
        UserStatsReceived_t received{m_gameId, k_EResultOK, 0};
        OnUserStatsReceived(&received);
    }
}

void CSteamAchievements::OnAchievementStored(UserAchievementStored_t*) {}

void SteamAchievementsStart()
{
    if (g_object)
        return;
    FillAchievementTable();
    for (Stat_t& stat : g_stats)
        stat.m_iValue = 0;
    g_object = std::make_unique<CSteamAchievements>(g_achievements, kAchievementCount, g_stats, kStatCount);
}

void SteamAchievementsStop()
{
    g_object.reset();
}

CSteamAchievements* GetSteamAchievements()
{
    return g_object.get();
}

void SteamSetAchievement(int id)
{
    if (g_object)
        g_object->SetAchievement(id);
}

bool SteamIsAchievementUnlocked(int id)
{
    return g_object && g_object->IsAchievementUnlocked(id);
}

void SteamSetStat(int id, int value)
{
    if (g_object)
        g_object->SetStat(id, value);
}

int SteamGetStat(int id)
{
    return g_object ? g_object->GetStat(id) : 0;
}

void SteamResetAchievementsAndStats()
{
    if (!g_object)
        return;
    SteamUserStats()->ResetAllStats(true);
    // The tables take the emptied values when they arrive.
    g_object->RequestStats();
}

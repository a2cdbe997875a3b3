#include "online/PlatformServices.h"
#include "online/SteamAchievements.h"
#include "online/storefront/Storefront.h"
#include "online/storefront/SteamUserStats.h"

#include "PlatformFolderTest.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace
{
class AchievementsTest : public PlatformFolderTest
{
protected:
    AchievementsTest() : PlatformFolderTest("player") {}

    // Starts the platform and lets the user's values arrive.
    void StartAndReceive()
    {
        ASSERT_TRUE(PlatformInit());
        ASSERT_NE(GetSteamAchievements(), nullptr);
        PlatformRunCallbacks();
        ASSERT_TRUE(GetSteamAchievements()->StatsReceived());
    }
    void Restart()
    {
        PlatformShutdown();
        StartAndReceive();
    }
    std::string StatsFile() const { return dir.ReadFile("users/player/stats"); }
};

constexpr int kHatchling = 64;
constexpr int kKnightsDefeated = 1;
} // namespace

TEST_F(AchievementsTest, TablesHoldEveryAchievementAndStatistic)
{
    StartAndReceive();
    const CSteamAchievements& object = *GetSteamAchievements();
    const std::set<int> missing = {86, 100, 102, 103, 106, 110, 118};
    int found = 0;
    for (int id = -1; id <= 122; ++id)
    {
        const bool expected = id >= 0 && id <= 121 && !missing.count(id);
        EXPECT_EQ(object.FindAchievement(id) != nullptr, expected) << id;
        found += object.FindAchievement(id) != nullptr;
    }
    EXPECT_EQ(found, kAchievementCount);
    EXPECT_STREQ(object.FindAchievement(kHatchling)->m_pchAchievementID, "Hatchling");
    EXPECT_STREQ(object.FindAchievement(121)->m_pchAchievementID, "Team_Player");
    EXPECT_STREQ(object.FindAchievement(0)->m_rgchName, "Hasty Breather");
    EXPECT_STREQ(object.FindStat(19)->m_pchStatName, "Gold Medals On Quarn mode Map");
    EXPECT_EQ(object.FindStat(20), nullptr);
}

TEST_F(AchievementsTest, NothingChangesBeforeTheValuesArrive)
{
    ASSERT_TRUE(PlatformInit());
    SteamSetAchievement(kHatchling);
    SteamSetStat(kKnightsDefeated, 5);
    EXPECT_FALSE(SteamIsAchievementUnlocked(kHatchling));
    EXPECT_EQ(SteamGetStat(kKnightsDefeated), 0);
    PlatformRunCallbacks();
    EXPECT_FALSE(SteamIsAchievementUnlocked(kHatchling));
    EXPECT_EQ(SteamGetStat(kKnightsDefeated), 0);
}

TEST_F(AchievementsTest, WithoutThePlatformEverythingAnswersOffline)
{
    setenv("PENDREL_PLATFORM", "off", 1);
    ASSERT_FALSE(PlatformInit());
    EXPECT_EQ(GetSteamAchievements(), nullptr);
    SteamSetAchievement(kHatchling);
    SteamSetStat(kKnightsDefeated, 5);
    SteamResetAchievementsAndStats();
    EXPECT_FALSE(SteamIsAchievementUnlocked(kHatchling));
    EXPECT_EQ(SteamGetStat(kKnightsDefeated), 0);
}

TEST_F(AchievementsTest, UnlocksAndStatisticsOutliveARestart)
{
    StartAndReceive();
    SteamSetAchievement(kHatchling);
    SteamSetStat(kKnightsDefeated, 17);
    EXPECT_TRUE(SteamIsAchievementUnlocked(kHatchling));
    EXPECT_EQ(SteamGetStat(kKnightsDefeated), 17);
    Restart();
    EXPECT_TRUE(SteamIsAchievementUnlocked(kHatchling));
    EXPECT_EQ(GetSteamAchievements()->FindAchievement(kHatchling)->m_bAchieved, 1);
    EXPECT_EQ(GetSteamAchievements()->FindStat(kKnightsDefeated)->m_iValue, 17);
    EXPECT_FALSE(SteamIsAchievementUnlocked(kHatchling + 1));
    EXPECT_EQ(SteamGetStat(kKnightsDefeated + 1), 0);
}

TEST_F(AchievementsTest, AnUnknownIdOnlyStores)
{
    StartAndReceive();
    SteamSetStat(kKnightsDefeated, 3);
    SteamSetAchievement(86);
    SteamSetStat(20, 9);
    EXPECT_FALSE(SteamIsAchievementUnlocked(86));
    EXPECT_EQ(SteamGetStat(20), 0);
    EXPECT_EQ(StatsFile(), "int\tKnights Defeated\t3\n");
}

TEST_F(AchievementsTest, ARevertedStoreReloadsThePlatformsValues)
{
    StartAndReceive();
    SteamSetStat(kKnightsDefeated, 4);
    PlatformRunCallbacks();
    // The platform holds another value than the table, as after a rejected store.
    SteamUserStats()->SetStat("Knights Defeated", 99);
    SteamUserStats()->SetAchievement("Hatchling");
    const UserStatsStored_t accepted{SteamUtils()->GetAppID(), k_EResultOK};
    StorefrontPostCallback(UserStatsStored_t::k_iCallback, &accepted, sizeof accepted);
    PlatformRunCallbacks();
    EXPECT_NE(GetSteamAchievements()->FindStat(kKnightsDefeated)->m_iValue, 99);
    EXPECT_EQ(GetSteamAchievements()->FindAchievement(kHatchling)->m_bAchieved, 0);
    const UserStatsStored_t reverted{SteamUtils()->GetAppID(), k_EResultInvalidParam};
    StorefrontPostCallback(UserStatsStored_t::k_iCallback, &reverted, sizeof reverted);
    const UserStatsStored_t otherGame{SteamUtils()->GetAppID() + 1, k_EResultInvalidParam};
    StorefrontPostCallback(UserStatsStored_t::k_iCallback, &otherGame, sizeof otherGame);
    PlatformRunCallbacks();
    EXPECT_EQ(GetSteamAchievements()->FindStat(kKnightsDefeated)->m_iValue, 99);
    EXPECT_EQ(GetSteamAchievements()->FindAchievement(kHatchling)->m_bAchieved, 1);
}

TEST_F(AchievementsTest, AFailedRequestIsPrinted)
{
    StartAndReceive();
    const UserStatsReceived_t failed{SteamUtils()->GetAppID(), k_EResultFail, 0};
    const UserStatsReceived_t otherGame{SteamUtils()->GetAppID() + 1, k_EResultFail, 0};
    StorefrontPostCallback(UserStatsReceived_t::k_iCallback, &failed, sizeof failed);
    StorefrontPostCallback(UserStatsReceived_t::k_iCallback, &otherGame, sizeof otherGame);
    testing::internal::CaptureStdout();
    PlatformRunCallbacks();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RequestStats - failed, 2\n");
}

TEST_F(AchievementsTest, DisplayTextsComeFromTheSchema)
{
    ASSERT_TRUE(dir.WriteFile("schema", "Hatchling\tHatchling!\tFinish the first level\nbroken line\n"));
    StartAndReceive();
    const Achievement_t* hatchling = GetSteamAchievements()->FindAchievement(kHatchling);
    EXPECT_STREQ(hatchling->m_rgchName, "Hatchling!");
    EXPECT_STREQ(hatchling->m_rgchDescription, "Finish the first level");
    EXPECT_STREQ(GetSteamAchievements()->FindAchievement(0)->m_rgchName, "Hasty Breather");
    EXPECT_STREQ(GetSteamAchievements()->FindAchievement(0)->m_rgchDescription, "");
}

TEST_F(AchievementsTest, ResetEmptiesEverythingForGood)
{
    StartAndReceive();
    SteamSetAchievement(kHatchling);
    SteamSetStat(kKnightsDefeated, 8);
    SteamResetAchievementsAndStats();
    PlatformRunCallbacks();
    EXPECT_FALSE(SteamIsAchievementUnlocked(kHatchling));
    EXPECT_EQ(GetSteamAchievements()->FindStat(kKnightsDefeated)->m_iValue, 0);
    Restart();
    EXPECT_EQ(SteamGetStat(kKnightsDefeated), 0);
    EXPECT_FALSE(SteamIsAchievementUnlocked(kHatchling));
}

TEST_F(AchievementsTest, ADamagedStatsFileKeepsItsGoodLines)
{
    ASSERT_TRUE(dir.WriteFile("users/player/stats", "int\tKnights Defeated\t12\nint\tbad\t99999999999\n"
                                                    "garbage\nachievement\tHatchling\nint\tThieves Defeated\n"));
    StartAndReceive();
    EXPECT_EQ(SteamGetStat(kKnightsDefeated), 12);
    EXPECT_TRUE(SteamIsAchievementUnlocked(kHatchling));
    EXPECT_EQ(SteamGetStat(2), 0);
}

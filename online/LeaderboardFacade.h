#pragma once
// The leaderboard service as the front end's leaderboard screen and the
// script globals reach it: one board per level, named by the level number
// plus one. Every function answers its offline value while the platform is
// down, and makes the leaderboard object when it needs one.

#include <cstdint>

class CSteamLeaderboards;

struct LeaderboardRow
{
    int32_t rank = 0;
    int32_t score = 0;
    char name[128] = {};
};

int LeaderboardsSetUp();
bool LeaderboardsIsSetUp();
void LeaderboardsCreate();
void LeaderboardsCleanUp();
int LeaderboardsCheckIfOnline();
void LeaderboardsFindForLevel(int level);
int LeaderboardsTotalScores();
// -1 offline or when the player is not on the board, 1 while busy, 0 ready.
int LeaderboardsDownloadState();
int LeaderboardsEntryCount();
// Mode 0 finds the level's board and remembers (start, count) for the next
// download, which replaces one still under way; mode 1 copies at most
// `count` downloaded rows. 0 offline.
int LeaderboardsGetEntries(int level, int count, int* outCount, LeaderboardRow* rows, int mode, int start);
// Drives the pending work: mode 0 the global download, mode 1 the next
// recorded score. -1 offline, 1 while busy, 0 when done.
int LeaderboardsWaitForAsync(int mode);
// Posts the score to the level's board (kept when it is the player's best).
void LeaderboardsRecordScore(int score, int level);
int LeaderboardsQueuedScoreCount();

CSteamLeaderboards* GetSteamLeaderboards();
void SteamLeaderboardsStop();

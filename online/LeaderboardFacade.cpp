#include "online/LeaderboardFacade.h"

#include "online/PlatformServices.h"
#include "online/SteamLeaderboards.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{
constexpr int kMaxQueuedScores = 64;

struct QueuedScore
{
    int level;
    int score;
};

struct Facade
{
    bool setUp = false;
    bool created = false;
    bool polled = false;
    bool downloadRequested = false;
    int start = 1;
    int count = 0;
    std::vector<QueuedScore> queue;
    std::unique_ptr<CSteamLeaderboards> object;
};

Facade g_facade;

// Boards are named by the level number plus one ("1" for level 0).
void BoardNameOf(int level, char (&name)[16])
{
    snprintf(name, sizeof name, "%d", level + 1);
}

CSteamLeaderboards* Object()
{
    if (!PlatformIsUp())
        return nullptr;
    if (!g_facade.object)
        g_facade.object = std::make_unique<CSteamLeaderboards>();
    return g_facade.object.get();
}

void FindLevel(CSteamLeaderboards& object, int level)
{
    char name[16];
    BoardNameOf(level, name);
    object.FindLeaderboard(name);
}

void FindAndUpload(CSteamLeaderboards& object, const QueuedScore& record)
{
    char name[16];
    BoardNameOf(record.level, name);
    object.FindLeaderboard(name);
    object.UploadScore(name, record.score);
}
} // namespace

int LeaderboardsSetUp()
{
    g_facade.setUp = true;
    return 0;
}

bool LeaderboardsIsSetUp()
{
    return g_facade.setUp;
}

void LeaderboardsCreate()
{
    if (Object())
        g_facade.created = true;
}

void LeaderboardsCleanUp()
{
    if (PlatformIsUp())
        g_facade.object.reset();
}

int LeaderboardsCheckIfOnline()
{
    return 3;
}

void LeaderboardsFindForLevel(int level)
{
    if (CSteamLeaderboards* object = Object())
        FindLevel(*object, level);
}

int LeaderboardsTotalScores()
{
    CSteamLeaderboards* object = PlatformIsUp() ? g_facade.object.get() : nullptr;
    return object ? object->GetTotalNumberOfScore() : 1;
}

int LeaderboardsDownloadState()
{
    CSteamLeaderboards* object = Object();
    if (!object)
        return -1;
    if (object->IsFinding() || !object->IsDownloadScoresDone(kDownloadAroundUser))
        return 1;
    g_facade.polled = !g_facade.polled;
    if (g_facade.polled)
        return 1;
    return object->PlayerPosition() >= 1 ? 0 : -1;
}

int LeaderboardsEntryCount()
{
    CSteamLeaderboards* object = Object();
    return object ? object->PlayerPosition() : 0;
}

int LeaderboardsGetEntries(int level, int count, int* outCount, LeaderboardRow* rows, int mode, int start)
{
    CSteamLeaderboards* object = Object();
    if (!object)
        return 0;
    if (mode == 0)
    {
        FindLevel(*object, level);
        g_facade.start = start;
        g_facade.count = count;
        // The new find drops any download under way (its rows would arrive
        // for a board no longer current and be ignored), so the next wait
        // starts the download of the newest range instead of waiting for it.
        g_facade.downloadRequested = false;
        return 1;
    }
    if (mode != 1 || !outCount)
        return 0;
    // The caller's table holds `count` rows, whatever the download brought.
    const int copied = rows ? std::min(std::max(count, 0), object->DownloadedCount()) : 0;
    for (int i = 0; i < copied; ++i)
    {
        rows[i] = LeaderboardRow();
        object->GetGlobalScores(i, rows[i]) || object->GetMyScore(i, rows[i]) ||
            object->GetMyFriendsScores(i, rows[i]);
    }
    *outCount = copied;
    return 1;
}

int LeaderboardsWaitForAsync(int mode)
{
    CSteamLeaderboards* object = Object();
    if (!object)
        return -1;
    object->UpdateLeaderboard();
    if (object->IsFinding())
        return 1;
    if (mode == 0)
    {
        if (!g_facade.downloadRequested)
        {
            object->DownloadGlobalScores(g_facade.start, g_facade.count);
            g_facade.downloadRequested = true;
            return 1;
        }
        if (!object->IsDownloadScoresDone(kDownloadGlobal))
            return 1;
        g_facade.downloadRequested = false;
        return 0;
    }
    if (mode == 1)
    {
        if (!g_facade.queue.empty())
        {
            const QueuedScore record = g_facade.queue.back();
            g_facade.queue.pop_back();
            FindAndUpload(*object, record);
        }
        return 0;
    }
    return 1;
}

void LeaderboardsRecordScore(int score, int level)
{
    CSteamLeaderboards* object = Object();
    if (!object)
        return;
    if (!object->IsFinding())
        FindAndUpload(*object, {level, score});
    else if (static_cast<int>(g_facade.queue.size()) < kMaxQueuedScores)
        g_facade.queue.push_back({level, score});
}

int LeaderboardsQueuedScoreCount()
{
    return static_cast<int>(g_facade.queue.size());
}

CSteamLeaderboards* GetSteamLeaderboards()
{
    return g_facade.object.get();
}

void SteamLeaderboardsStop()
{
    g_facade = Facade();
}

#pragma once
// The platform's leaderboards: one current board, found by name, whose
// entries download in three kinds (global ranks, around the user, friends)
// into one table of at most 1000 entries; and scores waiting for their own
// boards to be found before they are uploaded (keep best).

#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamUserStats.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct LeaderboardRow;

struct LeaderboardEntry
{
    uint64_t user;
    int32_t globalRank;
    int32_t score;
    int32_t detailCount;
};

enum LeaderboardDownloadKind
{
    kDownloadGlobal = 0,
    kDownloadAroundUser = 1,
    kDownloadFriends = 2,
    kDownloadKinds = 3,
};

class CSteamLeaderboards
{
public:
    static constexpr int kMaxEntries = 1000;
    static constexpr int kNameBytes = 128;

    CSteamLeaderboards();
    CSteamLeaderboards(const CSteamLeaderboards&) = delete;
    CSteamLeaderboards& operator=(const CSteamLeaderboards&) = delete;

    void FindLeaderboard(const char* name);
    bool DownloadGlobalScores(int start, int count);
    bool DownloadMyScores(int before, int after);
    bool DownloadMyFriendsScores();
    int GetTotalNumberOfScore();
    // False while that download is busy or for an index outside what came.
    bool GetGlobalScores(int index, LeaderboardRow& row) const;
    bool GetMyScore(int index, LeaderboardRow& row) const;
    bool GetMyFriendsScores(int index, LeaderboardRow& row) const;
    bool IsDownloadScoresDone(int kind) const;
    void UploadScore(const char* boardName, int score);
    // Uploads every waiting score whose board has been found; those leave.
    void UpdateLeaderboard();

    // A find that completed without a board, or none at all (a new object),
    // is not waited for: nothing would ever end the wait.
    bool IsFinding() const { return m_finding != 0 && m_findResult.IsActive(); }
    SteamLeaderboard_t CurrentBoard() const { return m_currentBoard; }
    int DownloadedCount() const { return m_downloadedCount; }
    // The script class shows the count as its member nLeaderboardEntries.
    int32_t& DownloadedCountField() { return m_downloadedCount; }
    const LeaderboardEntry& Entry(int index) const { return m_entries[index]; }
    // The local user's 1-based place on the current board, 0 while unknown.
    int PlayerPosition() const { return m_playerPosition; }
    int PendingUploadCount() const { return static_cast<int>(m_pending.size()); }

private:
    struct PendingUpload
    {
        std::string board;
        int32_t score = 0;
        SteamLeaderboard_t handle = 0;
        CCallResult<PendingUpload, LeaderboardFindResult_t> find;

        void OnFound(LeaderboardFindResult_t* result, bool ioFailure);
    };

    bool StartDownload(LeaderboardDownloadKind kind, ELeaderboardDataRequest request, int first, int last);
    bool RowOf(LeaderboardDownloadKind kind, int index, LeaderboardRow& row) const;
    bool IsCurrentBoardWanted() const;
    void OnFound(LeaderboardFindResult_t* result, bool ioFailure);
    void OnDownloaded(LeaderboardDownloadKind kind, LeaderboardScoresDownloaded_t* result, bool ioFailure);
    void OnGlobalDownloaded(LeaderboardScoresDownloaded_t* result, bool ioFailure);
    void OnAroundUserDownloaded(LeaderboardScoresDownloaded_t* result, bool ioFailure);
    void OnFriendsDownloaded(LeaderboardScoresDownloaded_t* result, bool ioFailure);
    void OnUploaded(LeaderboardScoreUploaded_t* result, bool ioFailure);

    SteamLeaderboard_t m_currentBoard = 0;
    int32_t m_downloadedCount = 0;
    LeaderboardEntry m_entries[kMaxEntries] = {};
    uint8_t m_finding = 1;
    uint8_t m_busy[kDownloadKinds] = {};
    int32_t m_playerPosition = 0;
    char m_wantedName[kNameBytes] = {};
    std::vector<std::unique_ptr<PendingUpload>> m_pending;
    CCallResult<CSteamLeaderboards, LeaderboardFindResult_t> m_findResult;
    CCallResult<CSteamLeaderboards, LeaderboardScoreUploaded_t> m_uploadResult;
    CCallResult<CSteamLeaderboards, LeaderboardScoresDownloaded_t> m_downloadResults[kDownloadKinds];
};

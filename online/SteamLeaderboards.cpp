#include "online/SteamLeaderboards.h"

#include "core/Scalar.h"
#include "online/LeaderboardFacade.h"
#include "online/storefront/SteamInterfaces.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CSteamLeaderboards::CSteamLeaderboards() = default;

void CSteamLeaderboards::FindLeaderboard(const char* name)
{
    m_currentBoard = 0;
    m_finding = 1;
    snprintf(m_wantedName, sizeof m_wantedName, "%s", name ? name : "");
    const SteamAPICall_t call = SteamUserStats()->FindOrCreateLeaderboard(
        m_wantedName, k_ELeaderboardSortMethodAscending, k_ELeaderboardDisplayTypeNumeric);
    m_findResult.Set(call, this, &CSteamLeaderboards::OnFound);
}

bool CSteamLeaderboards::StartDownload(LeaderboardDownloadKind kind, ELeaderboardDataRequest request, int first,
                                       int last)
{
    if (!m_currentBoard)
        return false;
    m_busy[kind] = 1;
    m_downloadedCount = 0;
    const SteamAPICall_t call = SteamUserStats()->DownloadLeaderboardEntries(m_currentBoard, request, first, last);
    static constexpr void (CSteamLeaderboards::*kHandlers[kDownloadKinds])(LeaderboardScoresDownloaded_t*, bool) = {
        &CSteamLeaderboards::OnGlobalDownloaded, &CSteamLeaderboards::OnAroundUserDownloaded,
        &CSteamLeaderboards::OnFriendsDownloaded};
    m_downloadResults[kind].Set(call, this, kHandlers[kind]);
    return true;
}

bool CSteamLeaderboards::DownloadGlobalScores(int start, int count)
{
    return StartDownload(kDownloadGlobal, k_ELeaderboardDataRequestGlobal, start, SaturatingAdd(start, count));
}

bool CSteamLeaderboards::DownloadMyScores(int before, int after)
{
    return StartDownload(kDownloadAroundUser, k_ELeaderboardDataRequestGlobalAroundUser,
                         SaturatingIntFrom64(-int64_t(before)), after);
}

bool CSteamLeaderboards::DownloadMyFriendsScores()
{
    return StartDownload(kDownloadFriends, k_ELeaderboardDataRequestFriends, 0, 0);
}

int CSteamLeaderboards::GetTotalNumberOfScore()
{
    return SteamUserStats()->GetLeaderboardEntryCount(m_currentBoard);
}

bool CSteamLeaderboards::RowOf(LeaderboardDownloadKind kind, int index, LeaderboardRow& row) const
{
    if (m_busy[kind] || index < 0 || index >= m_downloadedCount)
        return false;
    const LeaderboardEntry& entry = m_entries[index];
    row.rank = entry.globalRank;
    row.score = entry.score;
    snprintf(row.name, sizeof row.name, "%s", SteamFriends()->GetFriendPersonaName(entry.user));
    return true;
}

bool CSteamLeaderboards::GetGlobalScores(int index, LeaderboardRow& row) const
{
    return RowOf(kDownloadGlobal, index, row);
}

bool CSteamLeaderboards::GetMyScore(int index, LeaderboardRow& row) const
{
    return RowOf(kDownloadAroundUser, index, row);
}

bool CSteamLeaderboards::GetMyFriendsScores(int index, LeaderboardRow& row) const
{
    return RowOf(kDownloadFriends, index, row);
}

bool CSteamLeaderboards::IsDownloadScoresDone(int kind) const
{
    return kind >= 0 && kind < kDownloadKinds && m_busy[kind] == 0;
}

void CSteamLeaderboards::UploadScore(const char* boardName, int score)
{
    auto pending = std::make_unique<PendingUpload>();
    pending->board = boardName ? boardName : "";
    pending->score = score;
    const SteamAPICall_t call = SteamUserStats()->FindOrCreateLeaderboard(
        pending->board.c_str(), k_ELeaderboardSortMethodAscending, k_ELeaderboardDisplayTypeNumeric);
    pending->find.Set(call, pending.get(), &PendingUpload::OnFound);
    m_pending.push_back(std::move(pending));
}

void CSteamLeaderboards::UpdateLeaderboard()
{
    for (size_t i = 0; i < m_pending.size();)
    {
        const PendingUpload& pending = *m_pending[i];
        if (pending.handle == 0 || pending.board != SteamUserStats()->GetLeaderboardName(pending.handle))
        {
            ++i;
            continue;
        }
        const SteamAPICall_t call = SteamUserStats()->UploadLeaderboardScore(
            pending.handle, k_ELeaderboardUploadScoreMethodKeepBest, pending.score, nullptr, 0);
        m_uploadResult.Set(call, this, &CSteamLeaderboards::OnUploaded);
        m_pending.erase(m_pending.begin() + static_cast<long>(i));
    }
}

void CSteamLeaderboards::PendingUpload::OnFound(LeaderboardFindResult_t* result, bool ioFailure)
{
    if (!ioFailure && result->m_bLeaderboardFound)
        handle = result->m_hSteamLeaderboard;
}

bool CSteamLeaderboards::IsCurrentBoardWanted() const
{
    return m_currentBoard != 0 && strcmp(SteamUserStats()->GetLeaderboardName(m_currentBoard), m_wantedName) == 0;
}

void CSteamLeaderboards::OnFound(LeaderboardFindResult_t* result, bool ioFailure)
{
    if (ioFailure || !result->m_bLeaderboardFound ||
        strcmp(SteamUserStats()->GetLeaderboardName(result->m_hSteamLeaderboard), m_wantedName) != 0)
        return;
    m_finding = 0;
    m_currentBoard = result->m_hSteamLeaderboard;
}

void CSteamLeaderboards::OnDownloaded(LeaderboardDownloadKind kind, LeaderboardScoresDownloaded_t* result,
                                      bool ioFailure)
{
    if (ioFailure || !IsCurrentBoardWanted())
        return;
    m_busy[kind] = 0;
    m_downloadedCount = std::min(kMaxEntries, std::max(0, result->m_cEntryCount));
    const uint64_t me = SteamUser()->GetSteamID();
    for (int i = 0; i < m_downloadedCount; ++i)
    {
        LeaderboardEntry_t entry{};
        SteamUserStats()->GetDownloadedLeaderboardEntry(result->m_hSteamLeaderboardEntries, i, &entry, nullptr, 0);
        m_entries[i] = {entry.m_steamIDUser, entry.m_nGlobalRank, entry.m_nScore, entry.m_cDetails};
        // The screen opens on the page of the local player's place.
        if (entry.m_steamIDUser == me && me != 0)
            m_playerPosition = entry.m_nGlobalRank;
    }
}

void CSteamLeaderboards::OnGlobalDownloaded(LeaderboardScoresDownloaded_t* result, bool ioFailure)
{
    OnDownloaded(kDownloadGlobal, result, ioFailure);
}

void CSteamLeaderboards::OnAroundUserDownloaded(LeaderboardScoresDownloaded_t* result, bool ioFailure)
{
    OnDownloaded(kDownloadAroundUser, result, ioFailure);
}

void CSteamLeaderboards::OnFriendsDownloaded(LeaderboardScoresDownloaded_t* result, bool ioFailure)
{
    OnDownloaded(kDownloadFriends, result, ioFailure);
}

void CSteamLeaderboards::OnUploaded(LeaderboardScoreUploaded_t*, bool) {}

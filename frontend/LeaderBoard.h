#pragma once
// The leaderboard screen: one platform board shown as pages of rows (rank,
// name, score), paging through a downloaded block of up to 100 entries and
// fetching the next or previous block past its ends. It reaches the
// platform only through a LeaderboardService (the online facade by default).

#include "frontend/LeaderBoardElement.h"
#include "frontend/Menu.h"
#include "online/LeaderboardFacade.h"

#include <array>
#include <cstdint>
#include <string>

class LeaderboardService
{
public:
    virtual void FindForLevel(int level) = 0;
    virtual int DownloadState() = 0;
    virtual int EntryCount() = 0;
    virtual int GetEntries(int level, int count, int* outCount, LeaderboardRow* rows, int mode, int start) = 0;
    virtual int WaitForAsync(int mode) = 0;
    virtual int TotalScores() = 0;

protected:
    ~LeaderboardService() = default;
};

LeaderboardService& FacadeLeaderboardService();

struct LeaderBoardRecord
{
    std::string rank;
    std::string name;
    std::string score;
};

enum LeaderBoardInput : int
{
    kLeaderBoardRefresh = 0,
    kLeaderBoardFindPlayer = 1,
    kLeaderBoardUp = 2,
    kLeaderBoardDown = 3,
};

class LeaderBoard
{
public:
    static constexpr int kRecords = 100;
    static constexpr int kRows = 10;

    std::array<LeaderBoardRecord, kRecords> placeholderRecords;
    std::array<LeaderBoardRecord, kRecords> boardRecords;
    std::array<LeaderBoardElement, kRows> rows;
    std::array<LeaderboardRow, kRecords> downloaded;
    int32_t downloadedCount = kRecords;
    Menu menu;
    int32_t ButtonsPerPage = 10;
    int32_t CurrentPage = 0;
    int32_t MaxPage = 10;
    int32_t leaderboardId = -1;
    int32_t m_MaxNumberOfRecords = 0;
    int32_t CurrentSection = 0;
    int32_t totalScores = 0;
    int32_t MaxPagesForwholeboard = 0;
    int32_t searchPending = 0;
    int32_t pagesPerSection = 10;
    int32_t OnBoard = 0;
    int32_t searchResult = 0;
    int32_t blockResult = 0;
    int32_t Waiting = 0;
    int32_t blockRequested = 1;
    int32_t searchRequested = 1;
    int32_t playerPosition = 0;
    int32_t timeFormat = 0;
    int32_t x = 0;
    int32_t y = 0;

    explicit LeaderBoard(LeaderboardService& service = FacadeLeaderboardService());
    LeaderBoard(const LeaderBoard&) = delete;
    LeaderBoard& operator=(const LeaderBoard&) = delete;

    void SetUpMenu(int32_t id, int32_t newTimeFormat);
    void SetElements(const Button& button);
    void Update(float dt);
    // 1 when the selection moved within the loaded block.
    int Input(int code);
    void Render() { menu.Render(); }
    void Init() {}

    int CurrentRow() const;

private:
    // Scripts write these: used only within what the tables hold.
    int PerPage() const;
    int PagesInBlock() const;
    int Page() const;
    void ShowPage(int page);
    void SelectRow(int row);
    void EmptyRecords(int count);
    void RequestBlock(int start);
    void StepSearch();
    void StepBlock();
    void TakeBlock();
    void ShowNoScore();
    void FillRecords(int count);
    int MoveUp();
    int MoveDown();

    LeaderboardService& m_service;
};

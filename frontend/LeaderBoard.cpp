#include "frontend/LeaderBoard.h"

#include "core/StringKeeper.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
constexpr int kBlockSize = 100;

class Facade final : public LeaderboardService
{
public:
    void FindForLevel(int level) override { LeaderboardsFindForLevel(level); }
    int DownloadState() override { return LeaderboardsDownloadState(); }
    int EntryCount() override { return LeaderboardsEntryCount(); }
    int GetEntries(int level, int count, int* outCount, LeaderboardRow* rows, int mode, int start) override
    {
        return LeaderboardsGetEntries(level, count, outCount, rows, mode, start);
    }
    int WaitForAsync(int mode) override { return LeaderboardsWaitForAsync(mode); }
    int TotalScores() override { return LeaderboardsTotalScores(); }
};

int CeilingDivide(int value, int divisor)
{
    return (value + divisor - 1) / divisor;
}

std::string Printed(const char* format, int a, int b = 0, int c = 0)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, a, b, c);
    return text;
}
} // namespace

LeaderboardService& FacadeLeaderboardService()
{
    static Facade facade;
    return facade;
}

LeaderBoard::LeaderBoard(LeaderboardService& service) : m_service(service)
{
    for (int i = 0; i < kRows; ++i)
        rows[size_t(i)].rowIndex = i;
}

int LeaderBoard::PerPage() const
{
    return std::min(std::max(ButtonsPerPage, 1), kRows);
}

int LeaderBoard::PagesInBlock() const
{
    return std::min(std::max(MaxPage, 1), kRecords / PerPage());
}

int LeaderBoard::Page() const
{
    return std::min(std::max(CurrentPage, 0), PagesInBlock() - 1);
}

int LeaderBoard::CurrentRow() const
{
    return std::max(menu.IndexOf(menu.CurrentButton), 0);
}

void LeaderBoard::EmptyRecords(int count)
{
    for (int i = 0; i < std::min(count, kRecords); ++i)
    {
        placeholderRecords[size_t(i)] = LeaderBoardRecord();
        boardRecords[size_t(i)] = LeaderBoardRecord();
    }
}

void LeaderBoard::SetUpMenu(int32_t id, int32_t newTimeFormat)
{
    EmptyRecords(PerPage());
    leaderboardId = id;
    timeFormat = newTimeFormat;
    m_service.FindForLevel(id);
    Waiting = 1;
    blockRequested = 0;
    searchRequested = 1;
    searchPending = 1;
    CurrentSection = 0;
    OnBoard = 0;
}

void LeaderBoard::SetElements(const Button& button)
{
    for (LeaderBoardElement& row : rows)
    {
        row.UpImage = button.UpImage;
        row.OverImage = button.OverImage;
    }
    menu.ClearButtons();
    for (int i = 0; i < PerPage(); ++i)
        menu.AddButton(&rows[size_t(i)]);
    ShowPage(Page());
    SelectRow(0);
}

void LeaderBoard::ShowPage(int page)
{
    CurrentPage = page;
    const auto& records = leaderboardId != -1 ? boardRecords : placeholderRecords;
    for (int k = 0; k < PerPage(); ++k)
    {
        LeaderBoardElement& row = rows[size_t(k)];
        const int index = page * PerPage() + k;
        const LeaderBoardRecord empty;
        const LeaderBoardRecord& record = index >= 0 && index < kRecords ? records[size_t(index)] : empty;
        row.rank.text = record.rank;
        row.name.text = record.name;
        row.score.text = record.score;
    }
}

void LeaderBoard::SelectRow(int row)
{
    menu.ResetCurrentButton(row);
}

void LeaderBoard::RequestBlock(int start)
{
    m_service.GetEntries(leaderboardId, kBlockSize, nullptr, downloaded.data(), 0, start);
    Waiting = 1;
    blockRequested = 1;
}

void LeaderBoard::Update(float dt)
{
    menu.Update(dt);
    if (!Waiting)
        return;
    if (searchRequested)
        StepSearch();
    if (blockRequested)
        StepBlock();
    if (blockRequested || searchRequested)
        return;
    TakeBlock();
}

void LeaderBoard::StepSearch()
{
    const int result = m_service.DownloadState();
    searchResult = result;
    if (result >= 1)
        return;
    searchRequested = 0;
    playerPosition = m_service.EntryCount();
    if (result == -1)
    {
        RequestBlock(1);
        OnBoard = 0;
        return;
    }
    const int section = pagesPerSection * PerPage();
    CurrentSection = section > 0 ? std::max(playerPosition - 1, 0) / section : 0;
    RequestBlock(CurrentSection * section + 1);
    OnBoard = 1;
}

void LeaderBoard::StepBlock()
{
    const int result = m_service.WaitForAsync(0);
    blockResult = result;
    if (result >= 1)
        return;
    blockRequested = 0;
    int count = 0;
    m_service.GetEntries(leaderboardId, kBlockSize, &count, downloaded.data(), 1, 0);
    downloadedCount = std::min(std::max(count, 0), kRecords);
    totalScores = m_service.TotalScores();
}

void LeaderBoard::TakeBlock()
{
    MaxPagesForwholeboard = std::max(CeilingDivide(std::max(totalScores, 0), PerPage()), 1);
    if (downloadedCount < 1 || blockResult == -1)
    {
        ShowNoScore();
        return;
    }
    Waiting = 0;
    m_MaxNumberOfRecords = downloadedCount;
    MaxPage = std::max(CeilingDivide(downloadedCount, PerPage()), 1);
    FillRecords(downloadedCount);
    ShowPage(0);
    const int block = PagesInBlock() * PerPage();
    if (searchResult == 0 && playerPosition >= 1)
    {
        const int q = (playerPosition - 1) % block;
        ShowPage(q / PerPage());
        SelectRow(q % PerPage());
        searchResult = -1;
        return;
    }
    SelectRow(0);
}

void LeaderBoard::FillRecords(int count)
{
    for (int i = 0; i < count; ++i)
    {
        const LeaderboardRow& row = downloaded[size_t(i)];
        LeaderBoardRecord& record = boardRecords[size_t(i)];
        record.rank = Printed("%d", row.rank);
        record.name.assign(row.name, strnlen(row.name, sizeof(row.name)));
        record.score = timeFormat ? Printed("%02d:%02d:%02d", row.score / 60, row.score - 60 * (row.score / 60), 0)
                                  : Printed("%d", row.score);
        LeaderBoardRecord& placeholder = placeholderRecords[size_t(i)];
        placeholder.rank = Printed("%d", i);
        placeholder.name = "Name";
        placeholder.score = Printed("%d", i * 500);
    }
}

void LeaderBoard::ShowNoScore()
{
    Waiting = 0;
    m_MaxNumberOfRecords = 0;
    MaxPage = 1;
    ShowPage(0);
    const char* noScore = "sid_fe_lb_screen_noscore";
    // Without the game strings loaded the identifier itself shows.
    const char* text = StringKeeperGetString(noScore);
    rows[0].name.text = text ? text : noScore;
    SelectRow(0);
}

int LeaderBoard::Input(int code)
{
    switch (code)
    {
    case kLeaderBoardRefresh:
        RequestBlock(1);
        CurrentSection = 0;
        return 0;
    case kLeaderBoardFindPlayer:
        if (!OnBoard)
            return 0;
        EmptyRecords(kRecords);
        m_service.FindForLevel(leaderboardId);
        Waiting = 1;
        searchRequested = 1;
        searchPending = 1;
        CurrentSection = 0;
        return 0;
    case kLeaderBoardUp:
        return MoveUp();
    case kLeaderBoardDown:
        return MoveDown();
    default:
        return 0;
    }
}

int LeaderBoard::MoveUp()
{
    const int row = CurrentRow();
    if (row > 0)
    {
        SelectRow(row - 1);
        return 1;
    }
    if (Page() > 0)
    {
        ShowPage(Page() - 1);
        SelectRow(PerPage() - 1);
        return 1;
    }
    if (CurrentSection > 0)
    {
        --CurrentSection;
        EmptyRecords(kRecords);
        RequestBlock(PagesInBlock() * CurrentSection * PerPage() + 1);
    }
    return 0;
}

int LeaderBoard::MoveDown()
{
    const int row = CurrentRow();
    const int index = Page() * PerPage() + row;
    const int entry = CurrentSection * PagesInBlock() * PerPage() + index;
    if (index + 1 >= m_MaxNumberOfRecords && !(index + 1 == PagesInBlock() * PerPage()))
        return 0;
    if (entry >= totalScores - 1)
        return 0;
    if (row < PerPage() - 1)
    {
        SelectRow(row + 1);
        return 1;
    }
    if (Page() < PagesInBlock() - 1)
    {
        ShowPage(Page() + 1);
        SelectRow(0);
        return 1;
    }
    ++CurrentSection;
    EmptyRecords(kRecords);
    RequestBlock(PagesInBlock() * CurrentSection * PerPage() + 1);
    return 0;
}

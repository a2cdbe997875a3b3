#include "online/storefront/StorefrontBoards.h"

#include "core/AtomicFile.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "online/storefront/SteamUserStats.h"
#include "online/storefront/StorefrontFiles.h"
#include "online/storefront/StorefrontServer.h"
#include "online/storefront/StorefrontServerBoards.h"
#include "online/storefront/StorefrontUser.h"
#include "online/storefront/SteamMatchmaking.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <sys/stat.h>

namespace
{
constexpr size_t kMaxBoardFileBytes = 64 * 1024 * 1024;
constexpr size_t kMaxBoardNameLength = 127;
constexpr size_t kMaxPersonaLength = 127;
constexpr size_t kKeptDownloads = 16;

struct Download
{
    SteamLeaderboardEntries_t handle;
    std::vector<LeaderboardEntry_t> entries;
};

struct Boards
{
    std::vector<std::string> names; // handle = index + 1
    std::deque<Download> downloads;
    SteamLeaderboardEntries_t nextDownload = 1;
    std::map<uint64_t, std::string> personas;
    std::map<std::string, int32_t> serverSorts; // the sort method of each board found on a server
};

Boards g_boards;

bool ParseScore(const char* text, char** end, int32_t& score)
{
    errno = 0;
    const long long value = strtoll(text, end, 10);
    if (errno != 0 || *end == text || value < INT32_MIN || value > INT32_MAX)
        return false;
    score = static_cast<int32_t>(value);
    return true;
}

// One entry line: score TAB id TAB persona.
bool ParseEntry(const char* line, const char* lineEnd, BoardEntry& entry)
{
    char* end = nullptr;
    if (!ParseScore(line, &end, entry.score) || *end != '\t')
        return false;
    const char* idText = end + 1;
    errno = 0;
    entry.user = strtoull(idText, &end, 10);
    if (errno != 0 || end == idText || *end != '\t' || entry.user == 0)
        return false;
    const char* persona = end + 1;
    if (static_cast<size_t>(lineEnd - persona) > kMaxPersonaLength)
        return false;
    entry.persona.assign(persona, lineEnd);
    return true;
}

void BoardPath(const char* name, FixedString256& path)
{
    path.Format("%s/leaderboards/%s", StorefrontFolder(), name);
}

const char* BoardNameOf(SteamLeaderboard_t board)
{
    if (board == 0 || board > g_boards.names.size())
        return nullptr;
    return g_boards.names[board - 1].c_str();
}

SteamLeaderboard_t HandleOf(const char* name)
{
    for (size_t i = 0; i < g_boards.names.size(); ++i)
        if (g_boards.names[i] == name)
            return i + 1;
    g_boards.names.push_back(name);
    return g_boards.names.size();
}

bool ReadBoardNamed(SteamLeaderboard_t board, BoardFile& file)
{
    const char* name = BoardNameOf(board);
    if (!name || !StorefrontSignedIn())
        return false;
    FixedString256 path;
    BoardPath(name, path);
    return BoardRead(path, file);
}

void KeepRange(const BoardFile& file, int first, int last, std::vector<LeaderboardEntry_t>& out)
{
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(file.entries.size()) - 1);
    for (int i = first; i <= last; ++i)
    {
        const BoardEntry& entry = file.entries[static_cast<size_t>(i)];
        out.push_back({entry.user, i + 1, entry.score, 0});
        g_boards.personas[entry.user] = entry.persona;
    }
}

int UserIndex(const BoardFile& file, uint64_t user)
{
    for (size_t i = 0; i < file.entries.size(); ++i)
        if (file.entries[i].user == user)
            return static_cast<int>(i);
    return -1;
}

int32_t ServerSortOf(const char* name)
{
    const auto found = g_boards.serverSorts.find(name);
    return found == g_boards.serverSorts.end() ? k_ELeaderboardSortMethodAscending : found->second;
}

SteamAPICall_t CompleteFind(const char* name, bool create, ELeaderboardSortMethod sort)
{
    const SteamAPICall_t call = StorefrontNewCall();
    LeaderboardFindResult_t result{0, 0};
    int32_t serverSort = 0;
    if (StorefrontOnServer())
    {
        if (StorefrontSignedIn() && IsBoardName(name) && ServerFindBoard(name, create, sort, serverSort))
        {
            g_boards.serverSorts[name] = serverSort;
            result = {HandleOf(name), 1};
        }
    }
    else if (StorefrontSignedIn() && IsBoardName(name))
    {
        FixedString256 path;
        BoardPath(name, path);
        struct stat info;
        const bool exists = stat(path, &info) == 0 || (create && BoardCreate(path, sort));
        if (exists)
            result = {HandleOf(name), 1};
    }
    StorefrontCompleteCall(call, LeaderboardFindResult_t::k_iCallback, &result, sizeof result, false);
    return call;
}
void KeepServerEntries(const char* name, const std::vector<RankedEntry>& entries,
                       std::vector<LeaderboardEntry_t>& out)
{
    const std::vector<std::string> personas = ServerBoardPersonas(name, entries);
    for (size_t i = 0; i < entries.size(); ++i)
    {
        out.push_back({entries[i].user, entries[i].rank, entries[i].score, 0});
        g_boards.personas[entries[i].user] = personas[i];
    }
}

// The entries a download asks for, from the board's file; false when it cannot be read.
bool DownloadFromFolder(SteamLeaderboard_t board, ELeaderboardDataRequest request, int first, int last,
                        std::vector<LeaderboardEntry_t>& out)
{
    BoardFile file;
    if (!ReadBoardNamed(board, file))
        return false;
    if (request == k_ELeaderboardDataRequestGlobal)
        KeepRange(file, first - 1, last - 1, out);
    else if (request == k_ELeaderboardDataRequestGlobalAroundUser)
    {
        const int user = UserIndex(file, StorefrontUserId());
        if (user >= 0)
            KeepRange(file, user + first, user + last, out);
    }
    else if (request == k_ELeaderboardDataRequestFriends)
        // Every other user of the folder is a friend.
        KeepRange(file, 0, static_cast<int>(file.entries.size()) - 1, out);
    return true;
}

// The entries a download asks for, from the server; false when it did not answer.
bool DownloadFromServer(const char* name, ELeaderboardDataRequest request, int first, int last,
                        std::vector<LeaderboardEntry_t>& out)
{
    const int32_t sort = ServerSortOf(name);
    std::vector<RankedEntry> entries;
    bool answered = false;
    if (request == k_ELeaderboardDataRequestGlobal)
        answered = ServerBoardRange(name, sort, first, last, entries);
    else if (request == k_ELeaderboardDataRequestGlobalAroundUser)
    {
        int32_t rank = 0;
        answered = ServerBoardRank(name, sort, StorefrontUserId(), rank);
        if (answered && rank > 0)
            answered = ServerBoardRange(name, sort, rank + first, rank + last, entries);
    }
    else if (request == k_ELeaderboardDataRequestFriends)
    {
        // Every player is a friend, and the user is among the entries too.
        std::vector<uint64_t> users = {StorefrontUserId()};
        for (int i = 0; i < SteamFriends()->GetFriendCount(k_EFriendFlagAll); ++i)
            users.push_back(SteamFriends()->GetFriendByIndex(i, k_EFriendFlagAll));
        answered = !StorefrontServerIsDown() && ServerBoardUsers(name, sort, users, entries);
    }
    if (answered)
        KeepServerEntries(name, entries, out);
    return answered;
}
} // namespace

bool BoardScoreIsBetter(int32_t sort, int32_t score, int32_t than)
{
    return sort == k_ELeaderboardSortMethodDescending ? score > than : score < than;
}

bool IsBoardName(const char* name)
{
    if (!name || !*name || strlen(name) > kMaxBoardNameLength || StringIsDots(name))
        return false;
    // The lock and temporary files beside a board are not boards.
    const size_t length = strlen(name);
    for (const char* suffix : {".lock", ".tmp"})
        if (length >= strlen(suffix) && strcmp(name + length - strlen(suffix), suffix) == 0)
            return false;
    for (const char* c = name; *c; ++c)
        if (*c == '/' || *c == '\\' || static_cast<unsigned char>(*c) < ' ')
            return false;
    return true;
}

bool BoardRead(const char* path, BoardFile& board)
{
    board = BoardFile();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxBoardFileBytes))
        return false;
    bytes.push_back(0);
    const char* text = reinterpret_cast<const char*>(bytes.data());
    if (strncmp(text, "board\t", 6) != 0)
    {
        LogError("Pendrel Platform: %s is not a leaderboard\n", path);
        return false;
    }
    board.sort = atoi(text + 6) == k_ELeaderboardSortMethodDescending ? k_ELeaderboardSortMethodDescending
                                                                      : k_ELeaderboardSortMethodAscending;
    board.entries.reserve(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    int badLines = 0;
    for (const char* line = strchr(text, '\n'); line && line[1]; line = strchr(line, '\n'))
    {
        ++line;
        const char* lineEnd = strchr(line, '\n');
        if (!lineEnd)
            lineEnd = line + strlen(line);
        BoardEntry entry;
        if (ParseEntry(line, lineEnd, entry) && memchr(line, 0, static_cast<size_t>(lineEnd - line)) == nullptr)
            board.entries.push_back(std::move(entry));
        else
            ++badLines;
    }
    if (badLines > 0)
        LogError("Pendrel Platform skipped %d bad lines of %s\n", badLines, path);
    return true;
}

bool BoardWrite(const char* path, const BoardFile& board)
{
    std::string text = "board\t" + std::to_string(board.sort) + "\n";
    text.reserve(board.entries.size() * 40 + text.size());
    for (const BoardEntry& entry : board.entries)
    {
        char numbers[48];
        snprintf(numbers, sizeof numbers, "%d\t%" PRIu64 "\t", entry.score, entry.user);
        text += numbers;
        text += entry.persona;
        text += '\n';
    }
    return WriteFileAtomically(path, text.data(), text.size());
}

bool BoardCreate(const char* path, int32_t sort)
{
    FixedString256 folder(path);
    if (char* slash = strrchr(folder.data(), '/'))
        *slash = 0;
    StorefrontMakeFolders(folder);
    FileLock lock(path);
    struct stat info;
    if (stat(path, &info) == 0)
        return true;
    BoardFile board;
    board.sort = sort == k_ELeaderboardSortMethodDescending ? sort : k_ELeaderboardSortMethodAscending;
    return lock.IsHeld() && BoardWrite(path, board);
}

bool BoardPostScore(const char* path, uint64_t user, const char* persona, int32_t score, bool keepBest,
                    BoardPostResult& result)
{
    result = BoardPostResult();
    FileLock lock(path);
    BoardFile board;
    if (!lock.IsHeld() || !BoardRead(path, board))
        return false;
    const int previous = UserIndex(board, user);
    result.rankPrevious = previous + 1;
    if (previous >= 0)
    {
        const BoardEntry& old = board.entries[static_cast<size_t>(previous)];
        if (keepBest && !BoardScoreIsBetter(board.sort, score, old.score))
        {
            result.rankNew = result.rankPrevious;
            return true;
        }
        board.entries.erase(board.entries.begin() + previous);
    }
    // After every equal score: who reached a score first keeps the better rank.
    auto place = board.entries.begin();
    while (place != board.entries.end() && !BoardScoreIsBetter(board.sort, score, place->score))
        ++place;
    place = board.entries.insert(place, {score, user, std::string(persona).substr(0, kMaxPersonaLength)});
    result.changed = true;
    result.rankNew = static_cast<int32_t>(place - board.entries.begin()) + 1;
    return BoardWrite(path, board);
}

const char* StorefrontBoardPersona(uint64_t user)
{
    const auto found = g_boards.personas.find(user);
    return found == g_boards.personas.end() ? nullptr : found->second.c_str();
}

void StorefrontBoardsForget()
{
    g_boards = Boards();
}

SteamAPICall_t ISteamUserStats::FindOrCreateLeaderboard(const char* name, ELeaderboardSortMethod sort,
                                                        ELeaderboardDisplayType)
{
    return StorefrontSignedIn() ? CompleteFind(name, true, sort) : k_uAPICallInvalid;
}

SteamAPICall_t ISteamUserStats::FindLeaderboard(const char* name)
{
    return StorefrontSignedIn() ? CompleteFind(name, false, k_ELeaderboardSortMethodAscending)
                                : k_uAPICallInvalid;
}

const char* ISteamUserStats::GetLeaderboardName(SteamLeaderboard_t board)
{
    const char* name = BoardNameOf(board);
    return name ? name : "";
}

int32_t ISteamUserStats::GetLeaderboardEntryCount(SteamLeaderboard_t board)
{
    if (StorefrontOnServer())
    {
        int32_t count = 0;
        const char* name = BoardNameOf(board);
        return name && ServerBoardCount(name, count) ? count : 0;
    }
    BoardFile file;
    return ReadBoardNamed(board, file) ? static_cast<int32_t>(file.entries.size()) : 0;
}

SteamAPICall_t ISteamUserStats::DownloadLeaderboardEntries(SteamLeaderboard_t board,
                                                           ELeaderboardDataRequest request, int first, int last)
{
    if (!StorefrontSignedIn())
        return k_uAPICallInvalid;
    const SteamAPICall_t call = StorefrontNewCall();
    Download download{g_boards.nextDownload++, {}};
    const char* name = BoardNameOf(board);
    const bool read = StorefrontOnServer() ? name && DownloadFromServer(name, request, first, last, download.entries)
                                           : DownloadFromFolder(board, request, first, last, download.entries);
    const LeaderboardScoresDownloaded_t result{read ? board : 0, download.handle,
                                               static_cast<int32_t>(download.entries.size())};
    g_boards.downloads.push_back(std::move(download));
    if (g_boards.downloads.size() > kKeptDownloads)
        g_boards.downloads.pop_front();
    StorefrontCompleteCall(call, LeaderboardScoresDownloaded_t::k_iCallback, &result, sizeof result, !read);
    return call;
}

bool ISteamUserStats::GetDownloadedLeaderboardEntry(SteamLeaderboardEntries_t entries, int index,
                                                    LeaderboardEntry_t* entry, int32_t*, int)
{
    if (!entry)
        return false;
    for (const Download& download : g_boards.downloads)
    {
        if (download.handle != entries)
            continue;
        if (index < 0 || static_cast<size_t>(index) >= download.entries.size())
            return false;
        *entry = download.entries[static_cast<size_t>(index)];
        return true;
    }
    return false;
}

SteamAPICall_t ISteamUserStats::UploadLeaderboardScore(SteamLeaderboard_t board,
                                                       ELeaderboardUploadScoreMethod method, int32_t score,
                                                       const int32_t*, int)
{
    if (!StorefrontSignedIn())
        return k_uAPICallInvalid;
    const SteamAPICall_t call = StorefrontNewCall();
    LeaderboardScoreUploaded_t uploaded{0, board, score, 0, 0, 0};
    BoardPostResult result;
    if (const char* name = BoardNameOf(board))
    {
        FixedString256 path;
        BoardPath(name, path);
        const bool keepBest = method != k_ELeaderboardUploadScoreMethodForceUpdate;
        const bool posted = StorefrontOnServer() ? ServerPostScore(name, ServerSortOf(name), StorefrontUserId(),
                                                                   StorefrontUserName(), score, keepBest, result)
                                                 : BoardPostScore(path, StorefrontUserId(), StorefrontUserName(),
                                                                  score, keepBest, result);
        if (posted)
            uploaded = {1, board, score, static_cast<uint8_t>(result.changed), result.rankNew,
                        result.rankPrevious};
    }
    StorefrontCompleteCall(call, LeaderboardScoreUploaded_t::k_iCallback, &uploaded, sizeof uploaded, false);
    return call;
}

#include "online/storefront/StorefrontBoards.h"

#include "core/AtomicFile.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "online/storefront/SteamUserStats.h"
#include "online/storefront/StorefrontFiles.h"
#include "online/storefront/StorefrontUser.h"

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

SteamAPICall_t CompleteFind(const char* name, bool create, ELeaderboardSortMethod sort)
{
    const SteamAPICall_t call = StorefrontNewCall();
    LeaderboardFindResult_t result{0, 0};
    if (StorefrontSignedIn() && IsBoardName(name))
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
} // namespace

bool BoardScoreIsBetter(int32_t sort, int32_t score, int32_t than)
{
    return sort == k_ELeaderboardSortMethodDescending ? score > than : score < than;
}

bool IsBoardName(const char* name)
{
    if (!name || !*name || strlen(name) > kMaxBoardNameLength || StringIsDots(name))
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
    BoardFile file;
    return ReadBoardNamed(board, file) ? static_cast<int32_t>(file.entries.size()) : 0;
}

SteamAPICall_t ISteamUserStats::DownloadLeaderboardEntries(SteamLeaderboard_t board,
                                                           ELeaderboardDataRequest request, int first, int last)
{
    if (!StorefrontSignedIn())
        return k_uAPICallInvalid;
    const SteamAPICall_t call = StorefrontNewCall();
    BoardFile file;
    const bool read = ReadBoardNamed(board, file);
    Download download{g_boards.nextDownload++, {}};
    if (read && request == k_ELeaderboardDataRequestGlobal)
        KeepRange(file, first - 1, last - 1, download.entries);
    else if (read && request == k_ELeaderboardDataRequestGlobalAroundUser)
    {
        const int user = UserIndex(file, StorefrontUserId());
        if (user >= 0)
            KeepRange(file, user + first, user + last, download.entries);
    }
    else if (read && request == k_ELeaderboardDataRequestFriends)
        // Every other user of the folder is a friend.
        KeepRange(file, 0, static_cast<int>(file.entries.size()) - 1, download.entries);
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
        if (BoardPostScore(path, StorefrontUserId(), StorefrontUserName(), score,
                           method != k_ELeaderboardUploadScoreMethodForceUpdate, result))
            uploaded = {1, board, score, static_cast<uint8_t>(result.changed), result.rankNew,
                        result.rankPrevious};
    }
    StorefrontCompleteCall(call, LeaderboardScoreUploaded_t::k_iCallback, &uploaded, sizeof uploaded, false);
    return call;
}

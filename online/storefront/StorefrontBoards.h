#pragma once
// The leaderboard files of the local storefront: leaderboards/NAME holds a
// header line ("board", TAB, sort method) and one line per user (score, TAB,
// user id, TAB, persona name), best first by the board's sort method, equal
// scores in the order they were reached. Every change reads, changes and
// replaces the file under the board's lock, so processes posting at once
// keep each other's scores.

#include <cstdint>
#include <string>
#include <vector>

struct BoardEntry
{
    int32_t score = 0;
    uint64_t user = 0;
    std::string persona;
};

struct BoardFile
{
    int32_t sort = 1; // 1 ascending (lowest best), 2 descending
    std::vector<BoardEntry> entries;
};

struct BoardPostResult
{
    bool changed = false;
    int32_t rankNew = 0;      // 1-based
    int32_t rankPrevious = 0; // 0 when the user was not on the board
};

// A checked read: false (with a report) for a file that is not a board;
// lines that are not entries are skipped with a report.
bool BoardRead(const char* path, BoardFile& board);
bool BoardWrite(const char* path, const BoardFile& board);
// Creates the board when missing; false when its file cannot be made.
bool BoardCreate(const char* path, int32_t sort);
// Posts the user's score: with keepBest, only a better score replaces theirs.
bool BoardPostScore(const char* path, uint64_t user, const char* persona, int32_t score, bool keepBest,
                    BoardPostResult& result);
// Whether a score beats another on a board of that sort method.
bool BoardScoreIsBetter(int32_t sort, int32_t score, int32_t than);

// Board names are file names: no '/', no control characters, not "." or "..".
bool IsBoardName(const char* name);

// The persona of a user seen on a downloaded board; null when none was seen.
const char* StorefrontBoardPersona(uint64_t user);
void StorefrontBoardsForget();

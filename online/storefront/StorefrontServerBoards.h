#pragma once
// Leaderboards on the storefront's server: a sorted set per board whose
// members are user ids, a hash of the personas seen on it, and the boards'
// sort methods in one shared hash. A set's score holds the board's score
// above 21 bits that order equal scores by when they were reached, so the
// server's own order is the board's.

#include "online/storefront/StorefrontBoards.h"

#include <cstdint>
#include <vector>

struct RankedEntry
{
    uint64_t user = 0;
    int32_t rank = 0; // 1-based
    int32_t score = 0;
};

// The board's sort method, creating the board when asked; false when it is missing or the server did not answer.
bool ServerFindBoard(const char* name, bool create, int32_t sort, int32_t& boardSort);
bool ServerPostScore(const char* name, int32_t sort, uint64_t user, const char* persona, int32_t score,
                     bool keepBest, BoardPostResult& result);
bool ServerBoardCount(const char* name, int32_t& count);
// Ranks first to last (1-based, clipped to the board).
bool ServerBoardRange(const char* name, int32_t sort, int first, int last, std::vector<RankedEntry>& entries);
// The user's rank, 0 when not on the board.
bool ServerBoardRank(const char* name, int32_t sort, uint64_t user, int32_t& rank);
// The given users that are on the board, in rank order.
bool ServerBoardUsers(const char* name, int32_t sort, const std::vector<uint64_t>& users,
                      std::vector<RankedEntry>& entries);
// The personas of the entries' users, as uploaded with their scores.
std::vector<std::string> ServerBoardPersonas(const char* name, const std::vector<RankedEntry>& entries);

// A leaderboard file of the local storefront: read, a score posted (which reads, sorts and writes it back),
// and read again.
#include "FuzzTarget.h"

#include "online/storefront/StorefrontBoards.h"

FUZZ_TARGET(leaderboard)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const std::string& folder = FuzzFreshFolder();
    if (!FuzzWriteFile(folder, "board", data, size))
        return 0;
    const std::string path = folder + "/board";
    BoardFile board;
    if (!BoardRead(path.c_str(), board))
        return 0;
    const uint64_t user = board.entries.empty() ? 1 : board.entries.back().user;
    BoardPostResult result;
    BoardPostScore(path.c_str(), user, "fuzz", static_cast<int32_t>(size), true, result);
    BoardPostScore(path.c_str(), user + 1, "", -static_cast<int32_t>(size), false, result);
    BoardRead(path.c_str(), board);
    return 0;
}

#include "online/storefront/Storefront.h"
#include "online/PlatformServices.h"
#include "online/storefront/SteamMatchmaking.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
class Recorder : public CCallbackBase
{
public:
    void Run(void* parameter) override { values.push_back(*static_cast<int*>(parameter)); }
    void Run(void* parameter, bool ioFailure, SteamAPICall_t call) override
    {
        values.push_back(*static_cast<int*>(parameter));
        failures.push_back(ioFailure);
        calls.push_back(call);
    }
    int GetCallbackSizeBytes() override { return sizeof(int); }

    std::vector<int> values;
    std::vector<bool> failures;
    std::vector<SteamAPICall_t> calls;
};

class StorefrontTest : public ::testing::Test
{
protected:
    std::filesystem::path folder;

    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("pendrel-platform-" + std::to_string(getpid()));
        setenv("PENDREL_PLATFORM_DIR", folder.c_str(), 1);
        unsetenv("PENDREL_PLATFORM");
    }
    void TearDown() override
    {
        PlatformShutdown();
        unsetenv("PENDREL_PLATFORM_DIR");
        unsetenv("PENDREL_PLATFORM");
        std::filesystem::remove_all(folder);
    }
};
} // namespace

TEST_F(StorefrontTest, StartsInItsFolder)
{
    EXPECT_TRUE(PlatformInit());
    EXPECT_TRUE(PlatformIsUp());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::path(StorefrontFolder()), folder);
}

TEST_F(StorefrontTest, OffLeavesThePlatformDown)
{
    setenv("PENDREL_PLATFORM", "off", 1);
    EXPECT_FALSE(PlatformInit());
    EXPECT_FALSE(PlatformIsUp());
}

TEST_F(StorefrontTest, UnusableFolderLeavesThePlatformDown)
{
    setenv("PENDREL_PLATFORM_DIR", "/proc/pendrel-cannot-be-here", 1);
    EXPECT_FALSE(PlatformInit());
}

TEST_F(StorefrontTest, CallbacksCompleteOnlyInsideThePump)
{
    ASSERT_TRUE(PlatformInit());
    Recorder lobbyChat, other;
    SteamAPI_RegisterCallback(&lobbyChat, 506);
    SteamAPI_RegisterCallback(&other, 1201);
    const int value = 7;
    StorefrontPostCallback(506, &value, sizeof value);
    EXPECT_TRUE(lobbyChat.values.empty());
    PlatformRunCallbacks();
    EXPECT_EQ(lobbyChat.values, std::vector<int>{7});
    EXPECT_TRUE(other.values.empty());

    SteamAPI_UnregisterCallback(&lobbyChat);
    StorefrontPostCallback(506, &value, sizeof value);
    PlatformRunCallbacks();
    EXPECT_EQ(lobbyChat.values.size(), 1u);
}

TEST_F(StorefrontTest, CallResultsReachTheirRegistrationOnce)
{
    ASSERT_TRUE(PlatformInit());
    Recorder created;
    const SteamAPICall_t call = StorefrontNewCall();
    ASSERT_NE(call, k_uAPICallInvalid);
    SteamAPI_RegisterCallResult(&created, call);
    SteamAPI_RegisterCallResult(&created, k_uAPICallInvalid); // a zero handle is not registered
    const int result = 1;
    StorefrontCompleteCall(call, 513, &result, sizeof result, false);
    StorefrontCompleteCall(call, 513, &result, sizeof result, false);
    PlatformRunCallbacks();
    ASSERT_EQ(created.values.size(), 1u);
    EXPECT_EQ(created.calls[0], call);
    EXPECT_FALSE(created.failures[0]);
}

namespace
{
// Destroys the receiver it is given when it runs, as a screen does that closes
// itself and takes another screen's receiver with it.
class Destroyer : public CCallbackBase
{
public:
    void Run(void*) override
    {
        ++runs;
        if (victim)
        {
            SteamAPI_UnregisterCallback(victim.get());
            victim.reset();
        }
    }
    void Run(void*, bool, SteamAPICall_t) override {}
    int GetCallbackSizeBytes() override { return sizeof(int); }

    std::unique_ptr<Recorder> victim;
    int runs = 0;
};
} // namespace

TEST_F(StorefrontTest, AReceiverRemovedEarlierInThePumpIsNotRun)
{
    ASSERT_TRUE(PlatformInit());
    Destroyer first;
    first.victim = std::make_unique<Recorder>();
    SteamAPI_RegisterCallback(&first, 506);
    SteamAPI_RegisterCallback(first.victim.get(), 506);
    Recorder last;
    SteamAPI_RegisterCallback(&last, 506);
    const int value = 3;
    StorefrontPostCallback(506, &value, sizeof value);
    PlatformRunCallbacks(); // the destroyed receiver would be run here
    EXPECT_EQ(first.runs, 1);
    EXPECT_EQ(last.values, std::vector<int>{3});
    SteamAPI_UnregisterCallback(&first);
    SteamAPI_UnregisterCallback(&last);
}

namespace
{
// A file replaced by a rename is a new file: its inode number changes.
ino_t Identity(const std::filesystem::path& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}
} // namespace

// A host sets its lobby's data and settings again each time it advertises:
// a setting that changes nothing leaves the file as it was (no rewrite and
// no sync), and one that changes something replaces it.
TEST_F(StorefrontTest, LobbySettingsThatChangeNothingLeaveTheFileAlone)
{
    ASSERT_TRUE(PlatformInit());
    ISteamMatchmaking& lobbies = *SteamMatchmaking();
    lobbies.CreateLobby(k_ELobbyTypePublic, 4);
    std::filesystem::path file;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "lobbies"))
        if (entry.path().filename().string().find_first_not_of("0123456789") == std::string::npos)
            file = entry.path();
    ASSERT_FALSE(file.empty());
    const CSteamID lobby = std::stoull(file.filename().string());
    ASSERT_TRUE(lobbies.SetLobbyData(lobby, "gametype", "1"));

    const std::pair<const char*, std::function<bool()>> unchanged[] = {
        {"the same data", [&] { return lobbies.SetLobbyData(lobby, "gametype", "1"); }},
        {"the same limit", [&] { return lobbies.SetLobbyMemberLimit(lobby, 4); }},
        {"the same type", [&] { return lobbies.SetLobbyType(lobby, k_ELobbyTypePublic); }},
        {"still joinable", [&] { return lobbies.SetLobbyJoinable(lobby, true); }},
    };
    for (const auto& [name, set] : unchanged)
    {
        const ino_t before = Identity(file);
        EXPECT_TRUE(set()) << name;
        EXPECT_EQ(Identity(file), before) << name;
    }

    const ino_t before = Identity(file);
    EXPECT_TRUE(lobbies.SetLobbyData(lobby, "gametype", "2"));
    EXPECT_NE(Identity(file), before);
    EXPECT_STREQ(lobbies.GetLobbyData(lobby, "gametype"), "2");
    lobbies.LeaveLobby(lobby);
}

// Lobby files are not flushed to the disk: a machine that stopped may leave
// one empty. It names no live member, so the next listing removes it.
TEST_F(StorefrontTest, AnEmptyLobbyFileIsNotListedAndIsRemoved)
{
    ASSERT_TRUE(PlatformInit());
    std::filesystem::create_directories(folder / "lobbies");
    const std::filesystem::path file = folder / "lobbies" / "109775240917663800";
    { std::ofstream empty(file); }
    ASSERT_TRUE(std::filesystem::exists(file));
    SteamMatchmaking()->RequestLobbyList();
    EXPECT_EQ(SteamMatchmaking()->GetLobbyByIndex(0), CSteamID(0));
    EXPECT_FALSE(std::filesystem::exists(file));
}

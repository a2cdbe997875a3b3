#include "online/storefront/StorefrontUser.h"

#include "core/FixedString.h"
#include "core/LogError.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/StorefrontBoards.h"
#include "online/storefront/StorefrontFiles.h"
#include "online/storefront/StorefrontServer.h"
#include "online/storefront/StorefrontServerUsers.h"
#include "platform/UserLocale.h"

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace
{
// Ids look like the platform's individual-account ids.
constexpr uint64_t kFirstUserId = 76561197960265729ull;
constexpr uint32_t kAppId = 4801;

struct SignedInUser
{
    bool signedIn = false;
    FixedString256 folder;
    FixedString64 name;
    uint64_t id = 0;
    int onlineLock = -1;
    bool onServer = false;
};

SignedInUser g_user;

bool IsUsableName(const char* name)
{
    if (!name[0] || StringIsDots(name))
        return false;
    for (const char* c = name; *c; ++c)
        if (*c == '/' || *c < ' ')
            return false;
    return true;
}

void ChooseUserName(FixedString64& name)
{
    const char* chosen = getenv("PENDREL_PLATFORM_USER");
    if (chosen && chosen[0])
    {
        name.Set(chosen);
        return;
    }
    char login[64];
    GetLoginUserName(login, sizeof login);
    name.Set(login[0] ? login : "player");
}

bool TakeNextId(uint64_t& id)
{
    FixedString256 path;
    path.Format("%s/users/next-id", g_user.folder.c_str());
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || flock(fd, LOCK_EX) != 0)
    {
        if (fd >= 0)
            close(fd);
        return false;
    }
    char text[32] = {};
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    uint64_t next = got > 0 ? strtoull(text, nullptr, 10) : 0;
    if (next < kFirstUserId)
        next = kFirstUserId;
    id = next;
    const int length = snprintf(text, sizeof text, "%" PRIu64 "\n", next + 1);
    const bool written = ftruncate(fd, 0) == 0 && pwrite(fd, text, static_cast<size_t>(length), 0) == length;
    flock(fd, LOCK_UN);
    close(fd);
    return written;
}

bool ReadOrTakeId(const char* userFolder, uint64_t& id)
{
    FixedString256 path;
    path.Format("%s/id", userFolder);
    char text[32];
    if (StorefrontReadText(path, text, sizeof text))
    {
        id = strtoull(text, nullptr, 10);
        if (id >= kFirstUserId)
            return true;
    }
    if (!TakeNextId(id))
        return false;
    snprintf(text, sizeof text, "%" PRIu64 "\n", id);
    return StorefrontWriteTextAtomically(path, text);
}

bool TakeOnlineLock(const char* userFolder)
{
    FixedString256 path;
    path.Format("%s/online", userFolder);
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        close(fd);
        return false;
    }
    g_user.onlineLock = fd;
    return true;
}
bool SignInOnServer()
{
    if (!IsServerUserName(g_user.name))
    {
        LogError("Pendrel Platform: a player on a server is named with letters, digits, '_', '-' and '.', not "
                 "\"%s\"\n",
                 g_user.name.c_str());
        return false;
    }
    g_user.onServer = true;
    if (!ServerSignIn(g_user.name, kFirstUserId, g_user.id))
    {
        LogError("Pendrel Platform could not sign %s in on its server\n", g_user.name.c_str());
        StorefrontSignOut();
        return false;
    }
    g_user.signedIn = true;
    return true;
}
} // namespace

bool StorefrontSignIn(const char* folder)
{
    StorefrontSignOut();
    g_user.folder.Set(folder);
    ChooseUserName(g_user.name);
    if (!IsUsableName(g_user.name))
    {
        LogError("Pendrel Platform cannot sign in a user named \"%s\"\n", g_user.name.c_str());
        return false;
    }
    if (StorefrontOnServer())
        return SignInOnServer();
    char userFolder[512];
    StorefrontUserFolder(g_user.name, userFolder, sizeof userFolder);
    if (!StorefrontMakeFolders(userFolder))
    {
        LogError("Pendrel Platform could not make %s\n", userFolder);
        return false;
    }
    if (!TakeOnlineLock(userFolder))
    {
        LogError("Pendrel Platform: %s is already signed in\n", g_user.name.c_str());
        return false;
    }
    if (!ReadOrTakeId(userFolder, g_user.id))
    {
        LogError("Pendrel Platform could not give %s an id\n", g_user.name.c_str());
        StorefrontSignOut();
        return false;
    }
    g_user.signedIn = true;
    return true;
}

void StorefrontSignOut()
{
    if (g_user.onServer)
        ServerSignOut(g_user.name);
    if (g_user.onlineLock >= 0)
    {
        flock(g_user.onlineLock, LOCK_UN);
        close(g_user.onlineLock);
    }
    g_user = SignedInUser();
}

bool StorefrontSignedIn()
{
    return g_user.signedIn;
}

uint64_t StorefrontUserId()
{
    return g_user.signedIn ? g_user.id : 0;
}

const char* StorefrontUserName()
{
    return g_user.signedIn ? g_user.name.c_str() : "";
}

void StorefrontUserFolder(const char* name, char* path, int size)
{
    snprintf(path, static_cast<size_t>(size), "%s/users/%s", g_user.folder.c_str(), name);
}

void StorefrontUserPump()
{
    if (g_user.signedIn && g_user.onServer)
        ServerUserPump(g_user.name);
}

bool StorefrontUserIsLive(const char* name)
{
    if (g_user.onServer)
        return ServerUserIsLive(name);
    char path[512];
    StorefrontUserFolder(name, path, sizeof path);
    strncat(path, "/online", sizeof path - strlen(path) - 1);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = flock(fd, LOCK_SH | LOCK_NB) == 0;
    if (free)
        flock(fd, LOCK_UN);
    close(fd);
    return !free;
}

bool StorefrontFindUserById(uint64_t id, char* name, int size)
{
    if (g_user.onServer)
    {
        std::string found;
        if (!ServerFindUserById(id, found))
            return false;
        snprintf(name, static_cast<size_t>(size), "%s", found.c_str());
        return true;
    }
    FixedString256 usersFolder;
    usersFolder.Format("%s/users", g_user.folder.c_str());
    DIR* folder = opendir(usersFolder);
    if (!folder)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(folder))
    {
        if (entry->d_name[0] == '.')
            continue;
        char path[512];
        snprintf(path, sizeof path, "%s/%s/id", usersFolder.c_str(), entry->d_name);
        char text[32];
        if (StorefrontReadText(path, text, sizeof text) && strtoull(text, nullptr, 10) == id)
        {
            snprintf(name, static_cast<size_t>(size), "%s", entry->d_name);
            found = true;
            break;
        }
    }
    closedir(folder);
    return found;
}

bool StorefrontFindLiveUser(const char* name, uint64_t& id)
{
    if (!g_user.signedIn || !IsUsableName(name) || !StorefrontUserIsLive(name))
        return false;
    if (g_user.onServer)
        return ServerFindUserByName(name, id);
    char path[512];
    StorefrontUserFolder(name, path, sizeof path);
    strncat(path, "/id", sizeof path - strlen(path) - 1);
    char text[32];
    if (!StorefrontReadText(path, text, sizeof text))
        return false;
    id = strtoull(text, nullptr, 10);
    return id >= kFirstUserId;
}

bool ISteamUser::BLoggedOn()
{
    return g_user.signedIn;
}

CSteamID ISteamUser::GetSteamID()
{
    return StorefrontUserId();
}

const char* ISteamFriends::GetPersonaName()
{
    return StorefrontUserName();
}

const char* ISteamFriends::GetFriendPersonaName(CSteamID friendId)
{
    static FixedString64 persona;
    persona.Clear();
    if (!g_user.signedIn)
        return persona;
    if (friendId == g_user.id)
        return g_user.name;
    if (const char* seen = StorefrontBoardPersona(friendId))
        return seen;
    char name[64];
    if (StorefrontFindUserById(friendId, name, sizeof name))
        persona.Set(name);
    return persona;
}

namespace
{
// The other users of the folder, in name order.
std::vector<std::pair<std::string, uint64_t>> OtherUsers()
{
    std::vector<std::pair<std::string, uint64_t>> users;
    if (g_user.signedIn && g_user.onServer)
    {
        users = ServerAllUsers();
        users.erase(std::remove_if(users.begin(), users.end(),
                                   [](const auto& user) { return user.first == g_user.name.c_str(); }),
                    users.end());
        return users;
    }
    FixedString256 usersFolder;
    usersFolder.Format("%s/users", g_user.folder.c_str());
    DIR* folder = g_user.signedIn ? opendir(usersFolder) : nullptr;
    if (!folder)
        return users;
    while (const dirent* entry = readdir(folder))
    {
        if (entry->d_name[0] == '.' || strcmp(g_user.name, entry->d_name) == 0)
            continue;
        char path[512];
        snprintf(path, sizeof path, "%s/%s/id", usersFolder.c_str(), entry->d_name);
        char text[32];
        if (StorefrontReadText(path, text, sizeof text))
            if (const uint64_t id = strtoull(text, nullptr, 10); id >= kFirstUserId)
                users.emplace_back(entry->d_name, id);
    }
    closedir(folder);
    std::sort(users.begin(), users.end());
    return users;
}
} // namespace

int ISteamFriends::GetFriendCount(int)
{
    return static_cast<int>(OtherUsers().size());
}

CSteamID ISteamFriends::GetFriendByIndex(int index, int)
{
    const auto users = OtherUsers();
    return index >= 0 && static_cast<size_t>(index) < users.size() ? users[static_cast<size_t>(index)].second : 0;
}

void ISteamFriends::ActivateGameOverlay(const char* dialog)
{
    LogError("Pendrel Platform overlay: %s\n", dialog ? dialog : "");
}

void ISteamFriends::ActivateGameOverlayInviteDialog(CSteamID lobby)
{
    LogError("Pendrel Platform overlay: LobbyInvite for lobby %" PRIu64 "\n", static_cast<uint64_t>(lobby));
}

uint32_t ISteamUtils::GetAppID()
{
    return g_user.signedIn ? kAppId : 0;
}

ISteamUser* SteamUser()
{
    static ISteamUser user;
    return &user;
}

ISteamFriends* SteamFriends()
{
    static ISteamFriends friends;
    return &friends;
}

ISteamUtils* SteamUtils()
{
    static ISteamUtils utils;
    return &utils;
}

#include "core/AtomicFile.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "core/pd_ofstream.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/StorefrontServer.h"
#include "online/storefront/StorefrontUser.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace
{
constexpr int kMaxNameLength = 200;

// Only names that stay inside the user's cloud folder.
bool IsCloudName(const char* name)
{
    if (!name || !*name || *name == '/' || strlen(name) > kMaxNameLength)
        return false;
    const char* part = name;
    for (const char* c = name;; ++c)
    {
        if (*c == '/' || *c == 0)
        {
            const size_t length = static_cast<size_t>(c - part);
            if (length == 0 || (length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.'))
                return false;
            if (*c == 0)
                return true;
            part = c + 1;
        }
        else if (static_cast<unsigned char>(*c) < ' ' || *c == '\\')
            return false;
    }
}

bool CloudPath(const char* name, FixedString256& path)
{
    if (!StorefrontSignedIn() || !IsCloudName(name))
        return false;
    char folder[256];
    StorefrontUserFolder(StorefrontUserName(), folder, sizeof folder);
    path.Format("%s/cloud/%s", folder, name);
    return path.Length() < FixedString256::kCapacity - 32;
}

// On a server the user's cloud files are the fields of one hash.
std::string CloudKey()
{
    return StorefrontUserKey(StorefrontUserName(), "cloud");
}

bool IsServerCloudName(const char* name)
{
    return StorefrontOnServer() && StorefrontSignedIn() && IsCloudName(name);
}

bool ReadServerCloudFile(const char* name, std::vector<uint8_t>& bytes)
{
    const RedisReply reply = StorefrontServer().Run({"HGET", CloudKey(), name});
    std::string text;
    if (!RedisText(reply.get(), ISteamRemoteStorage::kMaxFileBytes, text))
    {
        if (reply && reply->type != REDIS_REPLY_NIL)
            LogError("Pendrel Platform: the cloud file \"%s\" on the server is larger than allowed\n", name);
        return false;
    }
    bytes.assign(text.begin(), text.end());
    return true;
}

bool ReadCloudFile(const char* name, std::vector<uint8_t>& bytes)
{
    if (StorefrontOnServer())
        return IsServerCloudName(name) && ReadServerCloudFile(name, bytes);
    FixedString256 path;
    return CloudPath(name, path) && ReadWholeFile(path, bytes, ISteamRemoteStorage::kMaxFileBytes);
}

long long AskServerNumber(const char* command, const char* name)
{
    long long number = 0;
    const RedisReply reply = StorefrontServer().Run({command, CloudKey(), name});
    return RedisInteger(reply.get(), number) ? number : 0;
}
} // namespace

bool ISteamRemoteStorage::FileExists(const char* name)
{
    if (StorefrontOnServer())
        return IsServerCloudName(name) && AskServerNumber("HEXISTS", name) == 1;
    FixedString256 path;
    return CloudPath(name, path) && access(path, R_OK) == 0;
}

int32_t ISteamRemoteStorage::GetFileSize(const char* name)
{
    if (StorefrontOnServer())
    {
        const long long size = IsServerCloudName(name) ? AskServerNumber("HSTRLEN", name) : 0;
        return size > 0 && size <= kMaxFileBytes ? static_cast<int32_t>(size) : 0;
    }
    FixedString256 path;
    struct stat info;
    if (!CloudPath(name, path) || stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileBytes)
        return 0;
    return static_cast<int32_t>(info.st_size);
}

int32_t ISteamRemoteStorage::FileRead(const char* name, void* data, int32_t size)
{
    std::vector<uint8_t> bytes;
    if (!data || size <= 0 || !ReadCloudFile(name, bytes))
        return 0;
    const int32_t count = bytes.size() < static_cast<size_t>(size) ? static_cast<int32_t>(bytes.size()) : size;
    memcpy(data, bytes.data(), static_cast<size_t>(count));
    return count;
}

bool ISteamRemoteStorage::FileWrite(const char* name, const void* data, int32_t size)
{
    FixedString256 path;
    const bool named = StorefrontOnServer() ? IsServerCloudName(name) : CloudPath(name, path);
    if (size < 0 || size > kMaxFileBytes || (size > 0 && !data) || !named)
    {
        LogError("Pendrel Platform refused the cloud file \"%s\"\n", name ? name : "");
        return false;
    }
    if (StorefrontOnServer())
    {
        const std::string bytes = size > 0 ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : "";
        return static_cast<bool>(StorefrontServer().Run({"HSET", CloudKey(), name, bytes}));
    }
    // The user's folder belongs to one process at a time (its online lock),
    // so the file needs no lock of its own.
    CreateFoldersAlongPath(path);
    return WriteFileAtomically(path, data, static_cast<size_t>(size));
}

ISteamRemoteStorage* SteamRemoteStorage()
{
    static ISteamRemoteStorage storage;
    return &storage;
}

#include "core/AtomicFile.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "core/pd_ofstream.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/StorefrontUser.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
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

bool ReadCloudFile(const char* name, std::vector<uint8_t>& bytes)
{
    FixedString256 path;
    return CloudPath(name, path) && ReadWholeFile(path, bytes, ISteamRemoteStorage::kMaxFileBytes);
}
} // namespace

bool ISteamRemoteStorage::FileExists(const char* name)
{
    FixedString256 path;
    return CloudPath(name, path) && access(path, R_OK) == 0;
}

int32_t ISteamRemoteStorage::GetFileSize(const char* name)
{
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
    if (size < 0 || size > kMaxFileBytes || (size > 0 && !data) || !CloudPath(name, path))
    {
        LogError("Pendrel Platform refused the cloud file \"%s\"\n", name ? name : "");
        return false;
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

#include "core/ArchiveCache.h"

#include "core/FixedString.h"

#include <minizip/unzip.h>

#include <cstring>
#include <sys/stat.h>

namespace
{
constexpr int kCachedArchives = 4;

struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified = {};
    timespec changed = {};

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

bool IdentityOf(const char* path, FileIdentity& identity)
{
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    identity.device = status.st_dev;
    identity.inode = status.st_ino;
    identity.size = status.st_size;
    identity.modified = status.st_mtim;
    identity.changed = status.st_ctim;
    return true;
}

struct Slot
{
    FixedString256 path;
    FileIdentity identity;
    unzFile handle = nullptr;
    uint64_t lastUse = 0;

    void Close()
    {
        if (handle)
            unzClose(handle);
        handle = nullptr;
        path.Clear();
    }
};

class Cache
{
public:
    ~Cache() { Clear(); }

    unzFile Open(const char* path, uint64_t& fileSize)
    {
        FileIdentity identity;
        if (!IdentityOf(path, identity))
        {
            Forget(path);
            return nullptr;
        }
        fileSize = static_cast<uint64_t>(identity.size);
        Slot* slot = Find(path);
        if (slot && slot->identity == identity)
        {
            slot->lastUse = ++m_clock;
            return slot->handle;
        }
        if (!slot)
            slot = LeastRecent();
        slot->Close();
        slot->handle = unzOpen64(path);
        if (!slot->handle)
            return nullptr;
        slot->path.Set(path);
        slot->identity = identity;
        slot->lastUse = ++m_clock;
        return slot->handle;
    }

    void Forget(const char* path)
    {
        if (Slot* slot = Find(path))
            slot->Close();
    }

    void Clear()
    {
        for (Slot& slot : m_slots)
            slot.Close();
    }

private:
    Slot* Find(const char* path)
    {
        for (Slot& slot : m_slots)
            if (slot.handle && strcmp(slot.path, path) == 0)
                return &slot;
        return nullptr;
    }

    Slot* LeastRecent()
    {
        Slot* oldest = &m_slots[0];
        for (Slot& slot : m_slots)
            if (!slot.handle || slot.lastUse < oldest->lastUse)
            {
                oldest = &slot;
                if (!slot.handle)
                    break;
            }
        return oldest;
    }

    Slot m_slots[kCachedArchives];
    uint64_t m_clock = 0;
};

Cache& GetCache()
{
    static Cache cache;
    return cache;
}
} // namespace

unzFile ArchiveCacheOpen(const char* path, uint64_t& fileSize)
{
    return GetCache().Open(path, fileSize);
}
void ArchiveCacheForget(const char* path)
{
    GetCache().Forget(path);
}
void ArchiveCacheClear()
{
    GetCache().Clear();
}

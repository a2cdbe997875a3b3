#include "core/AtomicFile.h"

#include "core/FixedString.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::atomic<uint32_t> g_temporarySerial{0};

bool WriteAll(int fd, const uint8_t* bytes, size_t length)
{
    while (length > 0)
    {
        const ssize_t written = write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

// The rename itself is only durable once the folder that holds the name is.
void SyncFolderOf(const char* path)
{
    FixedString256 folder(path);
    const char* slash = strrchr(path, '/');
    if (!slash)
        folder.Set(".");
    else if (slash == path)
        folder.Set("/");
    else
        folder.data()[slash - path] = 0;
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}
// The writer's process id when `entry` is a temporary of ours for the file
// named `base` ("BASE.PID-SERIAL.tmp"), else 0.
long TemporaryWriter(const char* entry, const char* base)
{
    const size_t baseLength = strlen(base);
    if (strncmp(entry, base, baseLength) != 0 || entry[baseLength] != '.')
        return 0;
    char* end = nullptr;
    const long pid = strtol(entry + baseLength + 1, &end, 10);
    if (pid <= 0 || *end != '-')
        return 0;
    const char* serialEnd = end + 1;
    while (*serialEnd >= '0' && *serialEnd <= '9')
        ++serialEnd;
    return serialEnd > end + 1 && strcmp(serialEnd, ".tmp") == 0 ? pid : 0;
}

// Temporaries whose writer died before its rename: a live writer's, this
// process's included, are in use.
void RemoveStaleTemporaries(const char* path)
{
    FixedString256 folder(path);
    const char* slash = strrchr(path, '/');
    const char* base = slash ? slash + 1 : path;
    if (!slash)
        folder.Set(".");
    else
        folder.data()[slash == path ? 1 : slash - path] = 0;
    DIR* listing = opendir(folder);
    if (!listing)
        return;
    while (const dirent* entry = readdir(listing))
    {
        const long pid = TemporaryWriter(entry->d_name, base);
        if (pid == 0 || pid == getpid() || kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        FixedString256 stale;
        stale.Format("%s/%s", folder.c_str(), entry->d_name);
        unlink(stale);
    }
    closedir(listing);
}

// With `durable`, the bytes and then the rename are flushed to the disk.
bool ReplaceWhole(const char* path, const void* bytes, size_t length, bool durable)
{
    if (!path || !*path || (length > 0 && !bytes))
        return false;
    FixedString256 temporary;
    temporary.Format("%s.%d-%u.tmp", path, static_cast<int>(getpid()), g_temporarySerial.fetch_add(1));
    if (temporary.Length() >= FixedString256::kCapacity)
        return false;
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool written = WriteAll(fd, static_cast<const uint8_t*>(bytes), length) && (!durable || fsync(fd) == 0);
    if (close(fd) != 0)
        written = false;
    if (!written || rename(temporary, path) != 0)
    {
        unlink(temporary);
        return false;
    }
    if (durable)
        SyncFolderOf(path);
    RemoveStaleTemporaries(path);
    return true;
}
} // namespace

bool WriteFileAtomically(const char* path, const void* bytes, size_t length)
{
    return ReplaceWhole(path, bytes, length, true);
}

bool ReplaceFileAtomically(const char* path, const void* bytes, size_t length)
{
    return ReplaceWhole(path, bytes, length, false);
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes, size_t maxBytes)
{
    bytes.clear();
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) <= maxBytes;
    if (ok)
    {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (ok && done < bytes.size())
        {
            const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            ok = got > 0;
            if (ok)
                done += static_cast<size_t>(got);
        }
    }
    close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

FileLock::FileLock(const char* path)
{
    FixedString256 lockPath;
    lockPath.Format("%s.lock", path);
    if (lockPath.Length() >= FixedString256::kCapacity)
        return;
    m_fd = open(lockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
    int result;
    do
        result = flock(m_fd, LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0)
    {
        close(m_fd);
        m_fd = -1;
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        close(m_fd);
}

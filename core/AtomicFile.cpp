#include "core/AtomicFile.h"

#include "core/FixedString.h"

#include <atomic>
#include <cerrno>
#include <cstring>
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
} // namespace

bool WriteFileAtomically(const char* path, const void* bytes, size_t length)
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
    bool written = WriteAll(fd, static_cast<const uint8_t*>(bytes), length) && fsync(fd) == 0;
    if (close(fd) != 0)
        written = false;
    if (!written || rename(temporary, path) != 0)
    {
        unlink(temporary);
        return false;
    }
    SyncFolderOf(path);
    return true;
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

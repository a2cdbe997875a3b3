#include "platform/SingleInstance.h"

#include "core/LogError.h"
#include "core/StringUtil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FixedString64 SingleInstance::InstanceName()
{
    const char* name = getenv("PENDREL_INSTANCE");
    FixedString64 result((name && name[0]) ? name : kSingleInstanceName);
    // The name becomes a file name: it must not reach into other folders.
    StringReplaceChar(result.data(), '/', '_');
    return result;
}

FixedString256 SingleInstance::LockPath(const char* name)
{
    const char* folder = getenv("XDG_RUNTIME_DIR");
    FixedString256 path;
    path.Format("%s/%s.lock", (folder && folder[0] == '/') ? folder : "/tmp", name);
    return path;
}

bool SingleInstance::Acquire(const char* name)
{
    Release();
    const FixedString256 path = LockPath(name);
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        LogError("Pendrel Shell could not open the instance lock %s: %s\n", path.c_str(), strerror(errno));
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            return false;
        LogError("Pendrel Shell could not lock %s: %s\n", path.c_str(), strerror(error));
        return true;
    }
    m_fd = fd;
    return true;
}

void SingleInstance::Release()
{
    if (m_fd < 0)
        return;
    flock(m_fd, LOCK_UN);
    close(m_fd);
    m_fd = -1;
}

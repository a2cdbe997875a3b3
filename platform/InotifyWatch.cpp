#include "platform/InotifyWatch.h"

#include "core/FileTable.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr unsigned kWatchedEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

constexpr size_t kChangeBufferBytes = 16384;

// File times come from a coarser clock than the one read here (a tick of the
// kernel's timer), so a rescan looks back this much further.
constexpr long kRescanMarginNanoseconds = 100000000;

std::string Join(const std::string& folder, const char* name)
{
    return folder.empty() ? std::string(name) : folder + "/" + name;
}

void AddChange(std::vector<DirectoryChange>& changes, const std::string& name, DirectoryChange::Kind kind)
{
    // A name that does not fit cannot be in the file table either.
    if (name.size() > static_cast<size_t>(FixedString256::kCapacity))
        return;
    DirectoryChange change;
    change.name.Set(name.c_str());
    change.kind = kind;
    changes.push_back(change);
}

// A writer closing the file, a rename into place or a touch ends a change; a
// new or modified file is still being written until its writer closes it.
DirectoryChange::Kind KindOfEvent(unsigned mask)
{
    if (mask & (IN_DELETE | IN_MOVED_FROM))
        return DirectoryChange::kRemoved;
    if (mask & (IN_CLOSE_WRITE | IN_MOVED_TO | IN_ATTRIB))
        return DirectoryChange::kSettled;
    return DirectoryChange::kWritten;
}

bool WrittenSince(const struct stat& status, const timespec& since)
{
    const timespec& written = status.st_mtim;
    return written.tv_sec > since.tv_sec ||
           (written.tv_sec == since.tv_sec && written.tv_nsec >= since.tv_nsec);
}
} // namespace

InotifyWatch::~InotifyWatch()
{
    Stop();
}

bool InotifyWatch::Start(const char* root)
{
    Stop();
    m_root = root;
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    clock_gettime(CLOCK_REALTIME, &m_lastRead);
    return m_fd >= 0;
}

void InotifyWatch::Stop()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_folders.clear();
}

bool InotifyWatch::AddFolder(const std::string& relative)
{
    const std::string path = m_root + relative;
    const int watch = inotify_add_watch(m_fd, path.empty() ? "." : path.c_str(), kWatchedEvents);
    if (watch < 0)
        return false;
    // A folder reached by two names keeps the first; the watch is one.
    m_folders.emplace(watch, relative);
    return true;
}

void InotifyWatch::AddTree(const char* relative)
{
    std::vector<DirectoryChange> ignored;
    if (!IsRunning())
        return;
    FolderTrail trail = TrailTo(relative);
    AddNewTree(relative, trail, ignored);
}

FolderTrail InotifyWatch::TrailTo(const std::string& relative) const
{
    FolderTrail trail;
    FolderIdentity identity;
    if (GetFolderIdentity(m_root.c_str(), identity))
        trail.Enter(identity);
    for (size_t end = relative.find('/'); end != std::string::npos; end = relative.find('/', end + 1))
        if (GetFolderIdentity((m_root + relative.substr(0, end)).c_str(), identity))
            trail.Enter(identity);
    return trail;
}

// Watches the folder and its subfolders; every file found is reported as
// changed, which only matters for trees that appeared while running.
void InotifyWatch::AddNewTree(const std::string& relative, FolderTrail& trail,
                              std::vector<DirectoryChange>& changes)
{
    FolderIdentity identity;
    if (!GetFolderIdentity((m_root + relative).c_str(), identity) || !trail.Enter(identity))
        return;
    std::vector<FolderItem> items;
    if (AddFolder(relative) && ListFolder((m_root + relative).c_str(), items))
    {
        for (const FolderItem& item : items)
        {
            if (!item.isFolder)
                AddChange(changes, Join(relative, item.name.c_str()), DirectoryChange::kSettled);
            else if (item.name[0] != '.')
                AddNewTree(Join(relative, item.name.c_str()), trail, changes);
        }
    }
    trail.Leave();
}

void InotifyWatch::ForgetTree(const std::string& relative)
{
    const std::string below = relative + "/";
    for (auto folder = m_folders.begin(); folder != m_folders.end();)
    {
        if (folder->second == relative || folder->second.compare(0, below.size(), below) == 0)
        {
            inotify_rm_watch(m_fd, folder->first);
            folder = m_folders.erase(folder);
        }
        else
            ++folder;
    }
}

void InotifyWatch::ReadChanges(std::vector<DirectoryChange>& changes)
{
    if (!IsRunning())
        return;
    const timespec previousRead = m_lastRead;
    clock_gettime(CLOCK_REALTIME, &m_lastRead);
    bool overflowed = false;
    alignas(inotify_event) char buffer[kChangeBufferBytes];
    for (;;)
    {
        const ssize_t count = read(m_fd, buffer, sizeof buffer);
        if (count <= 0)
            break; // EAGAIN: nothing more queued
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= count;)
        {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            const ssize_t size = static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (offset + size > count)
                break;
            if (event->mask & IN_Q_OVERFLOW)
                overflowed = true;
            else
                HandleEvent(event->wd, event->mask, event->len > 0 ? event->name : "", changes);
            offset += size;
        }
    }
    // The queue dropped what came after it filled: what was written since the
    // last read can only be found by looking.
    if (overflowed)
        RescanWrittenSince(previousRead, changes);
}

void InotifyWatch::RescanWrittenSince(const timespec& since, std::vector<DirectoryChange>& changes)
{
    timespec from = since;
    from.tv_nsec -= kRescanMarginNanoseconds;
    if (from.tv_nsec < 0)
    {
        from.tv_nsec += 1000000000;
        --from.tv_sec;
    }
    for (const auto& folder : m_folders)
    {
        std::vector<FolderItem> items;
        if (!ListFolder((m_root + folder.second).c_str(), items))
            continue;
        for (const FolderItem& item : items)
        {
            const std::string relative = Join(folder.second, item.name.c_str());
            struct stat status;
            if (!item.isFolder && stat((m_root + relative).c_str(), &status) == 0 &&
                WrittenSince(status, from))
                AddChange(changes, relative, DirectoryChange::kSettled);
        }
    }
}

void InotifyWatch::HandleEvent(int watch, unsigned mask, const char* name,
                               std::vector<DirectoryChange>& changes)
{
    const auto folder = m_folders.find(watch);
    if (folder == m_folders.end())
        return;
    if (mask & IN_IGNORED)
    {
        m_folders.erase(folder);
        return;
    }
    if (name[0] == 0)
        return;
    const std::string relative = Join(folder->second, name);
    if (mask & IN_ISDIR)
    {
        if ((mask & (IN_CREATE | IN_MOVED_TO)) && name[0] != '.')
        {
            FolderTrail trail = TrailTo(relative);
            AddNewTree(relative, trail, changes);
        }
        else if (mask & IN_MOVED_FROM)
            ForgetTree(relative); // its watches would report under the old name
        return;
    }
    AddChange(changes, relative, KindOfEvent(mask));
}

void InstallDirectoryWatch()
{
    static InotifyWatch watch;
    FileTableSetWatch(&watch);
}

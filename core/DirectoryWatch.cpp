#include "core/DirectoryWatch.h"

#include "core/FolderListing.h"

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace
{
constexpr unsigned kWatchedEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

constexpr size_t kChangeBufferBytes = 16384;

std::string Join(const std::string& folder, const char* name)
{
    return folder.empty() ? std::string(name) : folder + "/" + name;
}

void AddChange(std::vector<DirectoryChange>& changes, const std::string& name, bool removed)
{
    // A name that does not fit cannot be in the file table either.
    if (name.size() > static_cast<size_t>(FixedString256::kCapacity))
        return;
    DirectoryChange change;
    change.name.Set(name.c_str());
    change.removed = removed;
    changes.push_back(change);
}
} // namespace

DirectoryWatch::~DirectoryWatch()
{
    Stop();
}

bool DirectoryWatch::Start(const char* root)
{
    Stop();
    m_root = root;
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return m_fd >= 0;
}

void DirectoryWatch::Stop()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_folders.clear();
}

bool DirectoryWatch::AddFolder(const std::string& relative)
{
    const std::string path = m_root + relative;
    const int watch = inotify_add_watch(m_fd, path.empty() ? "." : path.c_str(), kWatchedEvents);
    if (watch < 0)
        return false;
    m_folders[watch] = relative;
    return true;
}

void DirectoryWatch::AddTree(const char* relative)
{
    std::vector<DirectoryChange> ignored;
    if (IsRunning())
        AddNewTree(relative, ignored);
}

// Watches the folder and its subfolders; every file found is reported as
// changed, which only matters for trees that appeared while running.
void DirectoryWatch::AddNewTree(const std::string& relative, std::vector<DirectoryChange>& changes)
{
    if (!AddFolder(relative))
        return;
    std::vector<FolderItem> items;
    if (!ListFolder((m_root + relative).c_str(), items))
        return;
    for (const FolderItem& item : items)
    {
        if (!item.isFolder)
            AddChange(changes, Join(relative, item.name.c_str()), false);
        else if (item.name[0] != '.')
            AddNewTree(Join(relative, item.name.c_str()), changes);
    }
}

void DirectoryWatch::ForgetTree(const std::string& relative)
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

void DirectoryWatch::ReadChanges(std::vector<DirectoryChange>& changes)
{
    if (!IsRunning())
        return;
    alignas(inotify_event) char buffer[kChangeBufferBytes];
    for (;;)
    {
        const ssize_t count = read(m_fd, buffer, sizeof buffer);
        if (count <= 0)
            return; // EAGAIN: nothing more queued
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= count;)
        {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            const ssize_t size = static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (offset + size > count)
                break;
            HandleEvent(event->wd, event->mask, event->len > 0 ? event->name : "", changes);
            offset += size;
        }
    }
}

void DirectoryWatch::HandleEvent(int watch, unsigned mask, const char* name,
                                 std::vector<DirectoryChange>& changes)
{
    // On overflow the queue lost events; there is nothing to read back.
    if (mask & IN_Q_OVERFLOW)
        return;
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
            AddNewTree(relative, changes);
        else if (mask & IN_MOVED_FROM)
            ForgetTree(relative); // its watches would report under the old name
        return;
    }
    AddChange(changes, relative, (mask & (IN_DELETE | IN_MOVED_FROM)) != 0);
}

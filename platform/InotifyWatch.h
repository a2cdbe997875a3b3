#pragma once
// The directory watch over inotify: one watch per folder, read without
// blocking. Folders created under a watched folder are watched too, and the
// files already in them reported, since they may have been written before the
// new watch existed. When the kernel's queue overflows, the watched folders
// are scanned for files written since the last read instead.

#include "core/DirectoryWatch.h"
#include "core/FolderListing.h"

#include <ctime>
#include <map>
#include <string>
#include <vector>

class InotifyWatch : public DirectoryWatch
{
public:
    InotifyWatch() = default;
    ~InotifyWatch() override;
    InotifyWatch(const InotifyWatch&) = delete;
    InotifyWatch& operator=(const InotifyWatch&) = delete;

    bool Start(const char* root) override;
    void Stop() override;
    void AddTree(const char* relative) override;
    void ReadChanges(std::vector<DirectoryChange>& changes) override;

    bool IsRunning() const { return m_fd >= 0; }
    size_t WatchedFolderCount() const { return m_folders.size(); }

private:
    bool AddFolder(const std::string& relative);
    void AddNewTree(const std::string& relative, FolderTrail& trail, std::vector<DirectoryChange>& changes);
    void ForgetTree(const std::string& relative);
    void HandleEvent(int watch, unsigned mask, const char* name, std::vector<DirectoryChange>& changes);
    void RescanWrittenSince(const timespec& since, std::vector<DirectoryChange>& changes);
    // The trail of folders from the root down to a watched folder.
    FolderTrail TrailTo(const std::string& relative) const;

    int m_fd = -1;
    std::string m_root;
    std::map<int, std::string> m_folders; // watch descriptor to folder below the root
    timespec m_lastRead = {0, 0};
};

// Installs the one watch of the program in the file table.
void InstallDirectoryWatch();

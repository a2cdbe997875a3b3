#pragma once
// Change notices for folder trees over inotify: one watch per folder, read
// without blocking. Folders created under a watched folder are watched too,
// and the files already in them reported, since they may have been written
// before the new watch existed.

#include "core/FixedString.h"

#include <map>
#include <string>
#include <vector>

struct DirectoryChange
{
    FixedString256 name;  // below the root, '/' separators
    bool removed = false; // deleted or renamed away; otherwise created or written
};

class DirectoryWatch
{
public:
    DirectoryWatch() = default;
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Starts over on a new root ('/'-terminated or empty for the working folder).
    bool Start(const char* root);
    void Stop();
    bool IsRunning() const { return m_fd >= 0; }

    // Watches a folder given relative to the root, and every folder below it
    // whose name does not begin with '.'.
    void AddTree(const char* relative);

    // Appends the changes queued since the last call; never blocks.
    void ReadChanges(std::vector<DirectoryChange>& changes);

    size_t WatchedFolderCount() const { return m_folders.size(); }

private:
    bool AddFolder(const std::string& relative);
    void AddNewTree(const std::string& relative, std::vector<DirectoryChange>& changes);
    void ForgetTree(const std::string& relative);
    void HandleEvent(int watch, unsigned mask, const char* name, std::vector<DirectoryChange>& changes);

    int m_fd = -1;
    std::string m_root;
    std::map<int, std::string> m_folders; // watch descriptor to folder below the root
};

#pragma once
// The items of one folder, sorted by name byte-wise so that everything built
// from a listing (overrides above all) comes out the same on every machine.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Which folder a path leads to, the same through every link to it.
struct FolderIdentity
{
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderIdentity& other) const
    {
        return device == other.device && inode == other.inode;
    }
};

struct FolderItem
{
    std::string name;
    bool isFolder = false;
    FolderIdentity identity; // of a folder only
};

// False when the folder does not open. "." and ".." are left out.
bool ListFolder(const char* path, std::vector<FolderItem>& items);

// False when the path does not lead to a folder.
bool GetFolderIdentity(const char* path, FolderIdentity& identity);

// The folders entered on the way down a tree. A folder that links back to
// one of them would be entered again and again, so it is refused.
class FolderTrail
{
public:
    // False (and nothing entered) when the folder is already on the trail.
    bool Enter(const FolderIdentity& folder);
    void Leave() { m_folders.pop_back(); }

private:
    std::vector<FolderIdentity> m_folders;
};

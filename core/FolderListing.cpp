#include "core/FolderListing.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace
{
bool MayBeFolder(const dirent& item)
{
    // Some file systems do not fill the type in, and links count as what they point at.
    return item.d_type == DT_DIR || item.d_type == DT_UNKNOWN || item.d_type == DT_LNK;
}
} // namespace

bool GetFolderIdentity(const char* path, FolderIdentity& identity)
{
    struct stat status;
    if (stat(path[0] ? path : ".", &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    identity.device = static_cast<uint64_t>(status.st_dev);
    identity.inode = static_cast<uint64_t>(status.st_ino);
    return true;
}

bool ListFolder(const char* path, std::vector<FolderItem>& items)
{
    items.clear();
    const std::string folderPath = path[0] ? path : ".";
    DIR* folder = opendir(folderPath.c_str());
    if (!folder)
        return false;
    while (const dirent* item = readdir(folder))
    {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        FolderItem listed;
        listed.name = name;
        listed.isFolder =
            MayBeFolder(*item) && GetFolderIdentity((folderPath + "/" + name).c_str(), listed.identity);
        items.push_back(listed);
    }
    closedir(folder);
    std::sort(items.begin(), items.end(),
              [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
    return true;
}

bool FolderTrail::Enter(const FolderIdentity& folder)
{
    if (std::find(m_folders.begin(), m_folders.end(), folder) != m_folders.end())
        return false;
    m_folders.push_back(folder);
    return true;
}

#include "core/FolderListing.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace
{
bool IsFolder(const char* folder, const dirent& item)
{
    if (item.d_type == DT_DIR)
        return true;
    if (item.d_type != DT_UNKNOWN && item.d_type != DT_LNK)
        return false;
    // Some file systems do not fill the type in, and links count as what they point at.
    std::string path = folder;
    path += '/';
    path += item.d_name;
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}
} // namespace

bool ListFolder(const char* path, std::vector<FolderItem>& items)
{
    items.clear();
    DIR* folder = opendir(path[0] ? path : ".");
    if (!folder)
        return false;
    while (const dirent* item = readdir(folder))
    {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        items.push_back({name, IsFolder(path[0] ? path : ".", *item)});
    }
    closedir(folder);
    std::sort(items.begin(), items.end(),
              [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
    return true;
}

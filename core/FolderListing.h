#pragma once
// The items of one folder, sorted by name byte-wise so that everything built
// from a listing (overrides above all) comes out the same on every machine.

#include <string>
#include <vector>

struct FolderItem
{
    std::string name;
    bool isFolder = false;
};

// False when the folder does not open. "." and ".." are left out.
bool ListFolder(const char* path, std::vector<FolderItem>& items);

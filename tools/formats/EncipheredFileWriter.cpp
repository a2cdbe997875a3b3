#include "tools/formats/EncipheredFileWriter.h"

#include "core/FileCipher.h"
#include "core/pd_ofstream.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
// A name is a path below the tree: "..", "." or an empty part would write outside it, or to a file the
// reader keys under another name.
bool EveryPartIsAName(const char* tableName)
{
    const char* part = tableName;
    for (;;)
    {
        const char* end = strchr(part, '/');
        const size_t length = end ? size_t(end - part) : strlen(part);
        if (length == 0 || (length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.'))
            return false;
        if (!end)
            return true;
        part = end + 1;
    }
}
} // namespace

bool EncipheredNameUsable(const char* tableName, std::string& why)
{
    if (!tableName || !tableName[0])
        why = "the name is empty";
    else if (strchr(tableName, '\\'))
        why = "the name must use '/' separators, as the file table does";
    else if (tableName[0] == '/')
        why = "the name must be relative to the enciphered tree";
    else if (!EveryPartIsAName(tableName))
        why = "the name must stay inside the enciphered tree: no '.', '..' or empty parts";
    else if (!FileCipherKeyFits(tableName))
        why = "the name is longer than " + std::to_string(kFileCipherKeyMax) +
              " characters, too long for a key";
    else
        return true;
    return false;
}

bool WriteEncipheredFile(const char* treeFolder, const char* tableName, const void* bytes, size_t count,
                         std::string& why)
{
    if (!EncipheredNameUsable(tableName, why))
        return false;
    const std::string path = std::string(treeFolder) + "/" + tableName;
    CreateFoldersAlongPath(path.c_str());
    std::vector<uint8_t> enciphered(static_cast<const uint8_t*>(bytes),
                                    static_cast<const uint8_t*>(bytes) + count);
    FileCipherApply(enciphered.data(), enciphered.size(), tableName, 0);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
    {
        why = "cannot write " + path;
        return false;
    }
    const bool written = fwrite(enciphered.data(), 1, enciphered.size(), file) == enciphered.size();
    if (fclose(file) != 0 || !written)
    {
        why = "writing " + path + " failed";
        return false;
    }
    return true;
}

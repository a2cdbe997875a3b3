#include "tools/formats/EncipheredFileWriter.h"

#include "core/FileCipher.h"
#include "core/pd_ofstream.h"

#include <cstdio>
#include <cstring>
#include <vector>

bool EncipheredNameUsable(const char* tableName, std::string& why)
{
    if (!tableName || !tableName[0])
        why = "the name is empty";
    else if (strchr(tableName, '\\'))
        why = "the name must use '/' separators, as the file table does";
    else if (tableName[0] == '/')
        why = "the name must be relative to the enciphered tree";
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

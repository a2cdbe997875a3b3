#pragma once
// Writes a file of the enciphered data tree the way the reader deciphers it:
// the key name is the file's name in the file table, its path below the tree
// with '/' separators.

#include <cstddef>
#include <string>

// Whether the reader can key a file of this table name; when not, `why` says so.
bool EncipheredNameUsable(const char* tableName, std::string& why);

// Enciphers the bytes into treeFolder + "/" + tableName, creating folders.
bool WriteEncipheredFile(const char* treeFolder, const char* tableName, const void* bytes, size_t count,
                         std::string& why);

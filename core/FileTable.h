#pragma once
// The engine's file system: the data root and the map from a file's name
// below a mounted folder to where its bytes lie.

#include "core/FixedString.h"

#include <cstdint>

class pd_streamlistener;

struct FileTableEntry
{
    FixedString256 path;
    uint32_t refCount = 0;
    void* resource = nullptr;
    uint32_t kind = 0;
    uint8_t enciphered = 0;
};

// The data root, ending with '/' when not empty ("../" in the running game).
const char* FileTableGetRoot();

void FileWatchInit(const char* directory);
void FileWatchPoll();
void FileTableRebuild(const char* folder);
void FileTableAddDirectory(const char* folder, const char* subpath, bool enciphered);

void SetStreamListener(pd_streamlistener* listener);
pd_streamlistener* GetStreamListener();

#include "core/FileTable.h"

namespace
{
FixedString256 g_root;
pd_streamlistener* g_listener = nullptr;
} // namespace

const char* FileTableGetRoot() { return g_root; }

void FileWatchInit(const char* directory)
{
    g_root.Assign(directory);
    const int length = g_root.Length();
    if (length > 0 && g_root[length - 1] != '/')
        g_root.AppendChar('/');
}

// Mounting and the watch are filled in with the archive reader.
void FileWatchPoll() {}
void FileTableRebuild(const char*) {}
void FileTableAddDirectory(const char*, const char*, bool) {}

void SetStreamListener(pd_streamlistener* listener) { g_listener = listener; }
pd_streamlistener* GetStreamListener() { return g_listener; }

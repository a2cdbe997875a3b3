#pragma once
// Keeps the last few archives open between streams. Opening a zip archive
// means finding its central directory from the end of the file, which costs
// far more than inflating a small member; game loads open many members of the
// same archives in a row.

#include <minizip/unzip.h>

#include <cstdint>

// A handle on the archive, owned by the cache, or null when it does not open.
// The handle is reused only while the file's identity (inode, size, change
// time) is the same; a replaced or rewritten archive is opened afresh.
unzFile ArchiveCacheOpen(const char* path, uint64_t& fileSize);
// Closes the archive's handle, for one whose state can no longer be trusted.
void ArchiveCacheForget(const char* path);
void ArchiveCacheClear();

#pragma once
// Whole files replaced so that a reader, or the next start after a crash or a
// full disk, finds either the old content or the new one, never a mix: the
// bytes go to a temporary beside the file, are flushed to the disk, and the
// temporary is renamed over the file. Shared files are changed under an
// exclusive lock on a lock file of their own, so that read-modify-write
// cycles of several processes do not lose each other's changes.

#include <cstddef>
#include <cstdint>
#include <vector>

// False (the old file kept, nothing left behind) when any step fails.
bool WriteFileAtomically(const char* path, const void* bytes, size_t length);
// The same replacement without the flushes: readers still find the old
// content or the new, but a machine that stops may lose the change or leave
// the file empty. For files that describe running processes only, which
// such a stop leaves stale anyway.
bool ReplaceFileAtomically(const char* path, const void* bytes, size_t length);

// The whole content of a regular file of at most maxBytes; false when it
// does not open, is larger, or a read fails.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes, size_t maxBytes);

// Holds an exclusive flock on PATH.lock while it lives. Blocks until the lock
// is free; the lock goes with the process, so a killed holder frees it.
class FileLock
{
public:
    explicit FileLock(const char* path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

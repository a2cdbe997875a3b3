#pragma once
// What the file table needs of a directory watch: change notices for the
// folder trees it mounts, read without blocking. The platform layer installs
// the watch it has (FileTableSetWatch); without one the table sees no changes.

#include "core/FixedString.h"

#include <vector>

struct DirectoryChange
{
    enum Kind
    {
        kWritten, // still open for writing: not ready to hand over
        kSettled, // written and closed, renamed into place or touched
        kRemoved, // deleted or renamed away
    };
    FixedString256 name; // below the root, '/' separators
    Kind kind = kSettled;
};

class DirectoryWatch
{
public:
    virtual ~DirectoryWatch() = default;

    // Starts over on a new root ('/'-terminated or empty for the working folder).
    virtual bool Start(const char* root) = 0;
    virtual void Stop() = 0;
    // Watches a folder given relative to the root, and every folder below it
    // whose name does not begin with '.'.
    virtual void AddTree(const char* relative) = 0;
    // Appends the changes queued since the last call; never blocks.
    virtual void ReadChanges(std::vector<DirectoryChange>& changes) = 0;
};

#pragma once
// The engine's file system: one ordered map from a file's name (its path below
// a mounted folder, '/' separators) to where its bytes lie, a loose file or a
// member of a ".darnix" zip archive. Each entry doubles as the cache record of
// the resource loaded from it. A directory watch on the mounted trees hands
// files that changed on disk to the stream listener once they have settled.

#include "core/DirectoryWatch.h"
#include "core/FixedString.h"
#include "core/FolderListing.h"
#include "core/StringUtil.h"

#include <cstdint>
#include <map>
#include <vector>

class pd_streamlistener;
struct regexp;

constexpr uint32_t MakeResourceKind(char a, char b, char c, char d)
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(d));
}

// What a cache stored on an entry. The caches set and test these; the table
// only keeps them.
enum ResourceKind : uint32_t
{
    kResourceNone = 0,
    kResourceTexture = MakeResourceKind('t', 'x', 't', 'r'),
    kResourceBufferModel = MakeResourceKind('b', 'u', 'f', 'm'),
    kResourceAnimation = MakeResourceKind('a', 'n', 'i', 'm'),
    kResourceShader = MakeResourceKind('s', 'h', 'd', 'r'),
    kResourceScript = MakeResourceKind('s', 'q', 'r', 'l'),
    kResourceBasicText = MakeResourceKind('b', 't', 'x', 't'),
    kResourceScreenData = MakeResourceKind('h', 'u', 'd', 'd'),
    kResourceLocators = MakeResourceKind('l', 'o', 'c', 'a'),
    kResourceTerrainCollision = MakeResourceKind('t', 'c', 'o', 'l'),
    kResourceGone = MakeResourceKind('g', 'o', 'n', 'e'),
};

struct FileTableEntry
{
    // The full path of the loose file, or of the archive holding the member.
    FixedString256 path;
    uint32_t refCount = 0;
    void* resource = nullptr;
    uint32_t kind = kResourceNone;
    uint8_t enciphered = 0;
    // Which mounting call added the entry: later mounts override earlier ones.
    uint8_t mount = 0;
    // The member's place in its archive's central directory, so an open goes
    // straight to it instead of scanning every name.
    uint8_t memberPlaceKnown = 0;
    uint64_t memberDirectoryOffset = 0;
    uint64_t memberIndex = 0;
};

struct FixedStringLess
{
    bool operator()(const FixedString256& a, const FixedString256& b) const { return StringLess(a, b); }
};

class FileTable
{
public:
    using EntryMap = std::map<FixedString256, FileTableEntry, FixedStringLess>;

    FileTable() = default;
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;

    const char* Root() const { return m_root; }
    void SetRoot(const char* directory);

    void Rebuild(const char* folder);
    void AddDirectory(const char* folder, const char* subpath, bool enciphered);

    FileTableEntry* FindEntry(const char* name);
    const EntryMap& Entries() const { return m_entries; }
    EntryMap& Entries() { return m_entries; }

    void SetWatch(DirectoryWatch* watch);
    void SetListener(pd_streamlistener* listener) { m_listener = listener; }
    pd_streamlistener* Listener() const { return m_listener; }

    void WatchInit(const char* directory);
    void WatchPoll();
    // Changes not yet handed over, by name below the root.
    size_t PendingCount() const { return m_pending.size(); }

private:
    struct Mount
    {
        FixedString256 folder;
        bool enciphered = false;
    };

    void AddFolderTree(const char* fullFolder, const char* subpath, bool enciphered, uint8_t mount,
                       FolderTrail& trail);
    void AddFolderItems(const char* fullFolder, const char* subpath, bool enciphered, uint8_t mount,
                        FolderTrail& trail, const std::vector<FolderItem>& items);
    void AddArchive(const char* fullPath, uint8_t mount);
    FileTableEntry& Store(const char* name, const char* path, uint8_t mount);
    void NoteChange(const DirectoryChange& change);
    void HandSettledChange(const char* name);
    void AdoptShadowingFile(const char* name, FileTableEntry& entry);
    int MountOfName(const char* name) const;

    FixedString256 m_root;
    EntryMap m_entries;
    pd_streamlistener* m_listener = nullptr;
    DirectoryWatch* m_watch = nullptr;
    std::map<FixedString256, uint64_t, FixedStringLess> m_pending;
    std::vector<Mount> m_mounts;
};

// Whether a path names a ".darnix" archive (any case).
bool FileTablePathIsArchive(const char* path);

// The one table of the program.
FileTable& GetFileTable();

// The data root, ending with '/' when not empty ("../" in the running game).
const char* FileTableGetRoot();

// Installs the watch the table starts on the root (the platform's; null for
// none). The table does not own it.
void FileTableSetWatch(DirectoryWatch* watch);

// Sets the root and starts watching the folders that are mounted after it.
void FileWatchInit(const char* directory);
// Called by the message pump: collects changes without blocking and hands the
// settled ones to the listener.
void FileWatchPoll();

// Empties the table, then adds the folder below the root.
void FileTableRebuild(const char* folder);
// Adds the archives and loose files of root + folder (+ "/" + subpath) and of
// every folder below it whose name does not begin with '.'.
void FileTableAddDirectory(const char* folder, const char* subpath, bool enciphered);
// The game's mount order: the watch on the root, "data", the platform folder,
// then the enciphered tree, each overriding the ones before.
void FileTableMountDataTree(const char* root);

// The platform's name; its data folder is this name followed by "data".
constexpr const char kPlatformName[] = "win";

// The entry's path, or null when the name is not in the table.
const char* FileTableFind(const char* name);
FileTableEntry* FileTableFindEntry(const char* name);
bool FileTableSetResource(const char* name, void* resource, uint32_t kind);
void* FileTableGetResource(const char* name);
bool FileTableAddRef(const char* name);
// Drops a reference and writes the new count; freeing the resource at zero is
// the caller's work.
bool FileTableRelease(const char* name, uint32_t& count);
size_t FileTableSize();

void SetStreamListener(pd_streamlistener* listener);
pd_streamlistener* GetStreamListener();

// Walks the table's entries in name order, optionally only those whose name
// the regular expression matches (a search: "[.]csv" matches anywhere).
//   FileTableIterator it;
//   for (it.Begin("^strings/.*[.]csv$"); it.NotEqual(FileTableEnd()); it.Next()) ...
class FileTableIterator
{
public:
    FileTableIterator();
    ~FileTableIterator();
    FileTableIterator(const FileTableIterator&) = delete;
    FileTableIterator& operator=(const FileTableIterator&) = delete;

    // Stands on the first matching entry. A pattern that does not compile
    // matches nothing; null matches everything.
    FileTableIterator& Begin(const char* pattern);
    FileTableIterator& Next();
    bool NotEqual(const FileTableIterator& other) const { return m_position != other.m_position; }
    bool AtEnd() const;

    const char* Name() const { return m_position->first; }
    // The part of the name after its last '/', or the whole name.
    FixedString256 FileName() const;
    FileTableEntry& Entry() const { return m_position->second; }

private:
    friend const FileTableIterator& FileTableEnd();
    void SkipUnmatched();

    regexp* m_pattern = nullptr;
    FileTable::EntryMap::iterator m_position;
};

// The one end position of every iteration.
const FileTableIterator& FileTableEnd();

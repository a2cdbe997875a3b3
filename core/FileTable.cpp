#include "core/FileTable.h"

#include "core/ArchiveCache.h"
#include "core/Clock.h"
#include "core/FolderListing.h"
#include "core/LogError.h"
#include "core/Regex.h"
#include "core/pd_streamlistener.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr const char kArchiveExtension[] = ".darnix";
constexpr uint64_t kSettleMicroseconds = 1000000;
// The due time of a changed file whose writer has not closed it yet.
constexpr uint64_t kStillWriting = UINT64_MAX;
constexpr int kMaxPath = FixedString256::kCapacity;

// The path with "." and ".." resolved, made absolute from the working folder.
std::string AbsolutePath(const std::string& path)
{
    std::string joined = path;
    if (joined.empty() || joined[0] != '/')
    {
        char folder[4096];
        if (!getcwd(folder, sizeof folder))
            return path;
        joined = std::string(folder) + "/" + path;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= joined.size())
    {
        size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (part == "..")
        {
            if (!parts.empty())
                parts.pop_back();
        }
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    return result.empty() ? "/" : result;
}

std::string JoinName(const char* subpath, const std::string& name)
{
    return subpath[0] ? std::string(subpath) + "/" + name : name;
}

bool FitsPath(const std::string& path, const char* what)
{
    if (path.size() <= static_cast<size_t>(kMaxPath))
        return true;
    LogError("Pendrel File %s path too long, skipped: %.200s...\n", what, path.c_str());
    return false;
}

// Temporary and backup files that editors write beside the real one.
bool IsScratchName(const char* name)
{
    if (strchr(name, '~'))
        return true;
    const char* slash = strrchr(name, '/');
    const char* dot = strrchr(slash ? slash : name, '.');
    return dot && strncasecmp(dot, ".tmp", 4) == 0;
}

bool IsRegularFile(const char* path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}
} // namespace

bool FileTablePathIsArchive(const char* path)
{
    const size_t length = strlen(path);
    const size_t extension = sizeof kArchiveExtension - 1;
    return length >= extension && strcasecmp(path + length - extension, kArchiveExtension) == 0;
}

FileTable& GetFileTable()
{
    static FileTable table;
    return table;
}

void FileTable::SetRoot(const char* directory)
{
    m_root.Assign(directory);
    const int length = m_root.Length();
    if (length > 0 && m_root[length - 1] != '/')
        m_root.AppendChar('/');
}

void FileTable::Rebuild(const char* folder)
{
    ArchiveCacheClear();
    m_entries.clear();
    m_mounts.clear();
    AddDirectory(folder, "", false);
}

void FileTable::AddDirectory(const char* folder, const char* subpath, bool enciphered)
{
    const bool top = subpath[0] == 0;
    uint8_t mount = 0;
    if (top)
    {
        Mount added;
        added.folder.Set(folder);
        added.enciphered = enciphered;
        m_mounts.push_back(added);
    }
    mount = static_cast<uint8_t>(m_mounts.empty() ? 0 : m_mounts.size() - 1);

    std::string relative = folder;
    if (!top)
        relative += std::string("/") + subpath;
    const std::string full = AbsolutePath(std::string(m_root) + relative);
    FolderTrail trail;
    AddFolderTree(full.c_str(), subpath, enciphered, mount, trail);
    if (m_watch)
        m_watch->AddTree(relative.c_str());

    if (top)
        EmptyFunction("Added %s to file table.  %d total entries.\n", folder,
                      static_cast<int>(m_entries.size()));
}

// Within a folder its archives' members come first, so that its loose files
// and then its subfolders override them. A folder that links back to one
// above it is not entered again.
void FileTable::AddFolderTree(const char* fullFolder, const char* subpath, bool enciphered, uint8_t mount,
                              FolderTrail& trail)
{
    FolderIdentity identity;
    if (!GetFolderIdentity(fullFolder, identity))
        return;
    if (!trail.Enter(identity))
    {
        LogError("Pendrel File folder %s leads back to a folder above it, skipped.\n", fullFolder);
        return;
    }
    std::vector<FolderItem> items;
    if (ListFolder(fullFolder, items))
        AddFolderItems(fullFolder, subpath, enciphered, mount, trail, items);
    trail.Leave();
}

void FileTable::AddFolderItems(const char* fullFolder, const char* subpath, bool enciphered, uint8_t mount,
                               FolderTrail& trail, const std::vector<FolderItem>& items)
{
    for (const FolderItem& item : items)
    {
        if (item.isFolder || !FileTablePathIsArchive(item.name.c_str()))
            continue;
        const std::string path = std::string(fullFolder) + "/" + item.name;
        if (FitsPath(path, "archive"))
            AddArchive(path.c_str(), mount);
    }
    for (const FolderItem& item : items)
    {
        const std::string path = std::string(fullFolder) + "/" + item.name;
        const std::string name = JoinName(subpath, item.name);
        if (item.isFolder)
        {
            if (item.name[0] != '.' && FitsPath(name, "folder"))
                AddFolderTree(path.c_str(), name.c_str(), enciphered, mount, trail);
            continue;
        }
        if (FileTablePathIsArchive(item.name.c_str()) || !FitsPath(path, "file") || !FitsPath(name, "file"))
            continue;
        FileTableEntry& entry = Store(name.c_str(), path.c_str(), mount);
        if (enciphered)
            entry.enciphered = 1;
    }
}

void FileTable::AddArchive(const char* fullPath, uint8_t mount)
{
    unzFile archive = unzOpen64(fullPath);
    if (!archive)
    {
        LogError("Pendrel File archive %s does not open.\n", fullPath);
        return;
    }
    int status = unzGoToFirstFile(archive);
    while (status == UNZ_OK)
    {
        unz_file_info64 info;
        char name[kMaxPath + 2];
        status = unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        if (status != UNZ_OK)
            break;
        if (info.size_filename > static_cast<uLong>(kMaxPath))
            LogError("Pendrel File archive %s has a member name too long, skipped.\n", fullPath);
        else if (info.uncompressed_size > 0)
        {
            unz64_file_pos place;
            FileTableEntry& entry = Store(name, fullPath, mount);
            if (unzGetFilePos64(archive, &place) == UNZ_OK)
            {
                entry.memberPlaceKnown = 1;
                entry.memberDirectoryOffset = place.pos_in_zip_directory;
                entry.memberIndex = place.num_of_file;
            }
        }
        status = unzGoToNextFile(archive);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE)
        LogError("Pendrel File archive %s is damaged; members after the damage are left out.\n", fullPath);
    unzClose(archive);
}

FileTableEntry& FileTable::Store(const char* name, const char* path, uint8_t mount)
{
    FileTableEntry& entry = m_entries[FixedString256(name)];
    entry.path.Set(path);
    entry.mount = mount;
    entry.memberPlaceKnown = 0;
    // The flag belongs to the source that now wins, so a plain file mounted
    // over an enciphered one is not deciphered into garbage.
    entry.enciphered = 0;
    return entry;
}

FileTableEntry* FileTable::FindEntry(const char* name)
{
    if (!name)
        return nullptr;
    const auto found = m_entries.find(FixedString256(name));
    return found == m_entries.end() ? nullptr : &found->second;
}

void FileTable::SetWatch(DirectoryWatch* watch)
{
    if (m_watch)
        m_watch->Stop();
    m_watch = watch;
}

void FileTable::WatchInit(const char* directory)
{
    m_pending.clear();
    SetRoot(directory);
    if (m_watch && !m_watch->Start(m_root))
        LogError("Pendrel File cannot watch %s for changes.\n", m_root.c_str());
}

void FileTable::WatchPoll()
{
    std::vector<DirectoryChange> changes;
    if (m_watch)
        m_watch->ReadChanges(changes);
    for (const DirectoryChange& change : changes)
        NoteChange(change);
    if (m_pending.empty())
        return;
    if (!m_listener)
    {
        m_pending.clear();
        return;
    }

    // A file still open for writing waits for its writer to close it; then
    // it is handed over once a second has passed without a new change.
    const uint64_t now = ClockNow();
    bool waiting = false;
    for (auto& pending : m_pending)
    {
        if (pending.second >= now)
            waiting = true;
        else if (pending.second != 0)
        {
            pending.second = 0;
            HandSettledChange(pending.first);
        }
    }
    if (!waiting)
        m_pending.clear();
}

void FileTable::NoteChange(const DirectoryChange& change)
{
    if (IsScratchName(change.name))
        return;
    // An open handle on a rewritten archive would read the old directory.
    if (FileTablePathIsArchive(change.name))
        ArchiveCacheForget(AbsolutePath(std::string(m_root) + change.name.c_str()).c_str());
    switch (change.kind)
    {
    case DirectoryChange::kRemoved:
        m_pending.erase(change.name);
        break;
    case DirectoryChange::kWritten:
        m_pending[change.name] = kStillWriting;
        break;
    case DirectoryChange::kSettled:
        m_pending[change.name] = ClockNow() + kSettleMicroseconds;
        break;
    }
}

void FileTable::HandSettledChange(const char* name)
{
    // Both trees pass this test: "encrypteddata/" holds "data/" as well.
    const char* data = strstr(name, "data/");
    if (!data)
        return;
    const char* tableName = data + 5;
    FileTableEntry* entry = FindEntry(tableName);
    if (!entry)
        return; // a new name: it joins the table at the next start
    AdoptShadowingFile(name, *entry);
    EmptyFunction("Changed file: %s\n", entry->path.c_str());
    m_listener->FileChanged(tableName, *entry);
}

// A loose file that appeared over an archive member of its own mount, or over
// anything of an earlier mount, wins as it would have at start-up; without
// this the reload would read the old bytes again.
void FileTable::AdoptShadowingFile(const char* name, FileTableEntry& entry)
{
    const int mount = MountOfName(name);
    if (mount < 0)
        return;
    const std::string path = AbsolutePath(std::string(m_root) + name);
    if (path == entry.path.c_str() || path.size() > static_cast<size_t>(kMaxPath) ||
        !IsRegularFile(path.c_str()))
        return;
    const bool member = FileTablePathIsArchive(entry.path);
    if (mount < entry.mount || (mount == entry.mount && !member))
        return;
    entry.path.Set(path.c_str());
    entry.mount = static_cast<uint8_t>(mount);
    entry.memberPlaceKnown = 0;
    entry.enciphered = m_mounts[mount].enciphered ? 1 : 0;
}

// The last mount whose folder holds the name, or -1.
int FileTable::MountOfName(const char* name) const
{
    for (int i = static_cast<int>(m_mounts.size()) - 1; i >= 0; --i)
    {
        const FixedString256& folder = m_mounts[i].folder;
        const int length = folder.Length();
        if (strncmp(name, folder, length) == 0 && name[length] == '/')
            return i;
    }
    return -1;
}

const char* FileTableGetRoot()
{
    return GetFileTable().Root();
}

void FileTableSetWatch(DirectoryWatch* watch)
{
    GetFileTable().SetWatch(watch);
}

void FileWatchInit(const char* directory)
{
    GetFileTable().WatchInit(directory);
}
void FileWatchPoll()
{
    GetFileTable().WatchPoll();
}

void FileTableRebuild(const char* folder)
{
    GetFileTable().Rebuild(folder);
}

void FileTableAddDirectory(const char* folder, const char* subpath, bool enciphered)
{
    GetFileTable().AddDirectory(folder, subpath ? subpath : "", enciphered);
}

void FileTableMountDataTree(const char* root)
{
    FileWatchInit(root);
    FileTableRebuild("data");
    FixedString32 platformFolder;
    platformFolder.Format("%sdata", kPlatformName);
    FileTableAddDirectory(platformFolder, "", false);
    FileTableAddDirectory("encrypteddata", "", true);
}

const char* FileTableFind(const char* name)
{
    const FileTableEntry* entry = GetFileTable().FindEntry(name);
    return entry ? entry->path.c_str() : nullptr;
}

FileTableEntry* FileTableFindEntry(const char* name)
{
    return GetFileTable().FindEntry(name);
}

bool FileTableSetResource(const char* name, void* resource, uint32_t kind)
{
    FileTableEntry* entry = GetFileTable().FindEntry(name);
    if (!entry)
        return false;
    entry->resource = resource;
    entry->kind = kind;
    return true;
}

void* FileTableGetResource(const char* name)
{
    const FileTableEntry* entry = GetFileTable().FindEntry(name);
    return entry ? entry->resource : nullptr;
}

bool FileTableAddRef(const char* name)
{
    FileTableEntry* entry = GetFileTable().FindEntry(name);
    if (!entry)
        return false;
    ++entry->refCount;
    return true;
}

bool FileTableRelease(const char* name, uint32_t& count)
{
    FileTableEntry* entry = GetFileTable().FindEntry(name);
    if (!entry)
        return false;
    // An unbalanced release stays at zero instead of wrapping to four billion.
    if (entry->refCount > 0)
        --entry->refCount;
    count = entry->refCount;
    return true;
}

size_t FileTableSize()
{
    return GetFileTable().Entries().size();
}

void SetStreamListener(pd_streamlistener* listener)
{
    GetFileTable().SetListener(listener);
}
pd_streamlistener* GetStreamListener()
{
    return GetFileTable().Listener();
}

FileTableIterator::FileTableIterator() : m_position(GetFileTable().Entries().end()) {}

FileTableIterator::~FileTableIterator()
{
    RegexFree(m_pattern);
}

FileTableIterator& FileTableIterator::Begin(const char* pattern)
{
    RegexFree(m_pattern);
    m_pattern = nullptr;
    FileTable::EntryMap& entries = GetFileTable().Entries();
    m_position = entries.begin();
    if (pattern)
    {
        m_pattern = RegexCompile(pattern);
        if (!m_pattern)
        {
            m_position = entries.end();
            return *this;
        }
    }
    SkipUnmatched();
    return *this;
}

FileTableIterator& FileTableIterator::Next()
{
    if (!AtEnd())
    {
        ++m_position;
        SkipUnmatched();
    }
    return *this;
}

bool FileTableIterator::AtEnd() const
{
    return m_position == GetFileTable().Entries().end();
}

void FileTableIterator::SkipUnmatched()
{
    if (!m_pattern)
        return;
    while (!AtEnd() && !RegexExecute(m_pattern, m_position->first))
        ++m_position;
}

FixedString256 FileTableIterator::FileName() const
{
    const char* name = Name();
    const char* slash = strrchr(name, '/');
    const char* fileName = slash ? slash + 1 : name;
    // Names in the table always fit, so a plain copy does.
    FixedString256 result;
    const size_t length = std::min(strlen(fileName), static_cast<size_t>(FixedString256::kCapacity));
    memcpy(result.data(), fileName, length);
    result.data()[length] = 0;
    return result;
}

const FileTableIterator& FileTableEnd()
{
    static const FileTableIterator end;
    return end;
}

#include "game/LocatorStore.h"

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"

#include <cstring>

LocatorStore& GetLocatorStore()
{
    static LocatorStore store;
    return store;
}

namespace
{
bool ReadLocatorFile(const char* path, LocatorFile& file)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Append locators %s failed.\n", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kLocatorFileBound, bytes))
        return false;
    return LocatorFileParse(bytes.data(), bytes.size(), path, file);
}

void Append(LocatorStore& store, LocatorFile& file)
{
    const uint32_t base = static_cast<uint32_t>(store.points.size());
    for (LocatorRecord& locator : file.locators)
        store.locators.push_back(std::move(locator));
    for (LocatorPath path : file.paths)
    {
        path.first += base;
        store.paths.push_back(path);
    }
    store.points.insert(store.points.end(), file.points.begin(), file.points.end());
}

// Appends a file read whole and makes it the store's latest.
void Keep(LocatorStore& store, LocatorFile& file, const char* path)
{
    Append(store, file);
    store.fileName = path;
    FileTableSetResource(path, &store, kResourceLocators);
}

void DropContents(LocatorStore& store)
{
    store.locators.clear();
    store.paths.clear();
    store.points.clear();
    store.pathCursor = 0;
    store.fileName.Clear();
    ++store.generation;
}
} // namespace

bool LocatorsLoad(const char* path)
{
    LocatorStore& store = GetLocatorStore();
    LocatorFile file;
    if (!ReadLocatorFile(path, file))
        return false;
    Keep(store, file, path);
    store.files.push_back(FixedString256(path));
    return true;
}

void LocatorsClear()
{
    LocatorStore& store = GetLocatorStore();
    for (const FixedString256& file : store.files)
    {
        FileTableEntry* entry = FileTableFindEntry(file);
        if (entry && entry->kind == kResourceLocators)
        {
            entry->kind = kResourceGone;
            entry->resource = nullptr;
        }
    }
    store.files.clear();
    DropContents(store);
}

bool LocatorsCreate(const char* const* paths, int count)
{
    LocatorsClear();
    bool all = true;
    for (int i = count - 1; i >= 0; --i)
        all = LocatorsLoad(paths[i]) && all;
    return all;
}

bool LocatorsReload()
{
    // Every file is read before anything is dropped: one that cannot be read
    // leaves what was loaded before in place, references included.
    LocatorStore& store = GetLocatorStore();
    std::vector<LocatorFile> files(store.files.size());
    for (size_t i = 0; i < files.size(); ++i)
        if (!ReadLocatorFile(store.files[i], files[i]))
            return false;
    DropContents(store);
    for (size_t i = 0; i < files.size(); ++i)
        Keep(store, files[i], store.files[i]);
    return true;
}

int LocatorCount()
{
    return static_cast<int>(GetLocatorStore().locators.size());
}

const LocatorRecord* LocatorGet(int index)
{
    const LocatorStore& store = GetLocatorStore();
    if (index < 0 || static_cast<size_t>(index) >= store.locators.size())
        return nullptr;
    return &store.locators[index];
}

const LocatorRecord* LocatorFindByType(uint32_t type, int n)
{
    if (n < 0)
        return nullptr;
    for (const LocatorRecord& locator : GetLocatorStore().locators)
        if (locator.type == type && n-- == 0)
            return &locator;
    return nullptr;
}

uint32_t LocatorGetType(const LocatorRecord& locator)
{
    return locator.type;
}

const char* LocatorGetName(const LocatorRecord& locator)
{
    return locator.name;
}

Vec3 LocatorGetPosition(const LocatorRecord& locator)
{
    return Vec3(locator.matrix[12], locator.matrix[13], locator.matrix[14]);
}

uint32_t LocatorGetExtraAttributeCount(const LocatorRecord& locator)
{
    return locator.extraCount;
}

uint32_t LocatorNumericAttributeCount(const LocatorRecord& locator)
{
    return locator.numericCount;
}

uint32_t LocatorStringAttributeCount(const LocatorRecord& locator)
{
    return locator.stringCount;
}

bool LocatorGetNumericAttribute(const LocatorRecord& locator, int i, float* value)
{
    if (i < 0 || static_cast<size_t>(i) >= locator.numeric.size())
        return false;
    *value = locator.numeric[i];
    return true;
}

const char* LocatorGetStringAttribute(const LocatorRecord& locator, int i)
{
    if (i < 0 || static_cast<size_t>(i) >= locator.strings.size())
        return nullptr;
    return locator.strings[i];
}

void LocatorRefInit(LocatorRef& ref)
{
    ref.index = -1;
    ref.generation = 0;
}

void LocatorRefSet(LocatorRef& ref, const LocatorRecord* locator)
{
    LocatorRefInit(ref);
    const LocatorStore& store = GetLocatorStore();
    if (!locator || store.locators.empty())
        return;
    const LocatorRecord* first = store.locators.data();
    if (locator < first || locator >= first + store.locators.size())
        return;
    ref.index = static_cast<int>(locator - first);
    ref.generation = store.generation;
}

const LocatorRecord* LocatorGetNative(const LocatorRef& ref)
{
    if (ref.generation != GetLocatorStore().generation)
        return nullptr;
    return LocatorGet(ref.index);
}

int LocatorPathCount()
{
    return static_cast<int>(GetLocatorStore().paths.size());
}

const LocatorPath* LocatorPathFirst()
{
    GetLocatorStore().pathCursor = 0;
    return LocatorPathNext();
}

const LocatorPath* LocatorPathNext()
{
    LocatorStore& store = GetLocatorStore();
    if (store.pathCursor >= store.paths.size())
        return nullptr;
    return &store.paths[store.pathCursor++];
}

const LocatorPath* LocatorPathFindByName(const char* name)
{
    for (const LocatorPath& path : GetLocatorStore().paths)
        if (strcmp(path.name, name) == 0)
            return &path;
    return nullptr;
}

const Vec3* PathPointGet(int i)
{
    const std::vector<Vec3>& points = GetLocatorStore().points;
    if (i < 0 || static_cast<size_t>(i) >= points.size())
    {
        LogError("Try to get a path point (%d) which is out-of-range (0 to %d)\n", i,
                 static_cast<int>(points.size()) - 1);
        return nullptr;
    }
    return &points[i];
}

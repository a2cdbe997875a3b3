#include "opengl/ResourceCache.h"

#include "core/FileTable.h"

void* ResourceCacheFind(const char* name, uint32_t kind)
{
    FileTableEntry* entry = FileTableFindEntry(name);
    if (!entry || !entry->resource || entry->kind != kind)
        return nullptr;
    ++entry->refCount;
    return entry->resource;
}

void ResourceCacheStore(const char* name, void* resource, uint32_t kind)
{
    FileTableSetResource(name, resource, kind);
    FileTableAddRef(name);
}

bool ResourceCacheRelease(const char* name, const void* resource)
{
    FileTableEntry* entry = FileTableFindEntry(name);
    if (!entry || entry->resource != resource)
        return true;
    uint32_t count = 0;
    if (FileTableRelease(name, count) && count > 0)
        return false;
    FileTableSetResource(name, nullptr, kResourceGone);
    return true;
}

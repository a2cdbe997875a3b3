#pragma once
// The caches of the renderer keep their records on the file table entries
// of the files they were read from, with a reference count and a kind.

#include <cstdint>

// The record cached under the name with one more reference, or null when
// none of that kind is cached there.
void* ResourceCacheFind(const char* name, uint32_t kind);
// Records a freshly made resource under its name with its first reference.
void ResourceCacheStore(const char* name, void* resource, uint32_t kind);
// Drops one reference to a resource held under the name; true when the
// caller should free it now: its last reference is gone (the entry is then
// marked 'gone') or it was never cached.
bool ResourceCacheRelease(const char* name, const void* resource);

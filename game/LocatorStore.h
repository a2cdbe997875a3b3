#pragma once
// The locators, locator paths and path points of the level's locator files,
// appended in load order. The store remembers every file it loaded, so a
// reload reads them all again in the same order. Scripts keep references
// (index and generation) rather than pointers: a reference kept across a
// clear answers null instead of dangling.

#include "core/FixedString.h"
#include "game/LocatorFile.h"

#include <cstdint>
#include <vector>

struct LocatorStore
{
    std::vector<LocatorRecord> locators;
    std::vector<LocatorPath> paths; // first counts from the store's first point
    std::vector<Vec3> points;
    std::vector<FixedString256> files; // in load order
    FixedString256 fileName;           // the last file loaded
    size_t pathCursor = 0;
    // Moves on at every clear, so references taken before it fail.
    uint32_t generation = 1;
};

LocatorStore& GetLocatorStore();

// Appends the file's locators, paths and points (a path's first point moves
// past the points already held). A failure reports, appends nothing and
// returns false.
bool LocatorsLoad(const char* path);
// Deletes every locator, path and point, marks each file's table entry
// 'gone' and forgets the files.
void LocatorsClear();
// Clears, then loads `count` files from the last down to the first. True
// when every file loaded.
bool LocatorsCreate(const char* const* paths, int count);
// Reads every remembered file again in its order (after one changed on
// disk). True when every file loaded; when one fails (after its report) the
// store keeps what it held, and the file stays remembered.
bool LocatorsReload();

int LocatorCount();
const LocatorRecord* LocatorGet(int index);
// The n-th (from 0) locator of that type in load order, or null.
const LocatorRecord* LocatorFindByType(uint32_t type, int n);

uint32_t LocatorGetType(const LocatorRecord& locator);
const char* LocatorGetName(const LocatorRecord& locator);
Vec3 LocatorGetPosition(const LocatorRecord& locator);
uint32_t LocatorGetExtraAttributeCount(const LocatorRecord& locator);
uint32_t LocatorNumericAttributeCount(const LocatorRecord& locator);
uint32_t LocatorStringAttributeCount(const LocatorRecord& locator);
// False when i is not below the numeric count.
bool LocatorGetNumericAttribute(const LocatorRecord& locator, int i, float* value);
// Null when i is not below the string count.
const char* LocatorGetStringAttribute(const LocatorRecord& locator, int i);

struct LocatorRef
{
    int index;
    uint32_t generation;
};
// Empty: refers to nothing.
void LocatorRefInit(LocatorRef& ref);
// Refers to a locator of the store; anything else (null included) empties it.
void LocatorRefSet(LocatorRef& ref, const LocatorRecord* locator);
// The locator, or null when the reference is empty or the store was cleared since.
const LocatorRecord* LocatorGetNative(const LocatorRef& ref);

int LocatorPathCount();
// Iteration over the paths in load order; null past the last.
const LocatorPath* LocatorPathFirst();
const LocatorPath* LocatorPathNext();
// The first path in load order whose name equals `name` byte for byte, or null.
const LocatorPath* LocatorPathFindByName(const char* name);
// The i-th point of the store, or null after a report.
const Vec3* PathPointGet(int i);

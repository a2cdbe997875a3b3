#pragma once
// The locator file of the level tools: typed, named placement matrices with
// optional numeric and text attributes, and named runs of points (paths).
// The whole file is checked before any of it is used.

#include "core/FixedString.h"
#include "core/Mat4.h"
#include "core/StreamBytes.h"
#include "core/Vec3.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr char kLocatorMagic[] = "CH locale   "; // compared over its 12 bytes
constexpr int kLocatorMagicSize = 12;
constexpr uint32_t kLocatorOldestVersion = 5;
constexpr int kLocatorMaxAttributes = 16;
constexpr size_t kLocatorNameField = 64;
constexpr size_t kLocatorStringField = 32;
constexpr size_t kLocatorHeaderSize = 28;
// Type, name and matrix; from version 6 the three counts, 16 numeric and 16
// string slots follow.
constexpr size_t kLocatorRecordSizeV5 = 4 + kLocatorNameField + 64;
constexpr size_t kLocatorRecordSizeV6 =
    kLocatorRecordSizeV5 + 12 + 4 * kLocatorMaxAttributes + kLocatorStringField * kLocatorMaxAttributes;
constexpr size_t kLocatorPathRecordSize = 8 + kLocatorNameField;
constexpr size_t kLocatorPointSize = 12;
// Ten thousand locators of the widest record take a ninth of this.
constexpr FileSizeBound kLocatorFileBound = {"locator file", 64ull << 20};

struct LocatorRecord
{
    uint32_t type = 0;
    FixedString128 name; // room for the whole 64-byte field
    Mat4 matrix;
    uint32_t extraCount = 0;
    // Never above 16: the file has no slots past that.
    uint32_t numericCount = 0;
    uint32_t stringCount = 0;
    std::vector<float> numeric;
    std::vector<FixedString64> strings; // room for the whole 32-byte field
};

struct LocatorPath
{
    uint32_t first = 0; // into the owner's point list
    uint32_t count = 0;
    FixedString128 name;
};

struct LocatorFile
{
    std::vector<LocatorRecord> locators;
    std::vector<LocatorPath> paths; // first counts from this file's first point
    std::vector<Vec3> points;
};

// The record size the version's field list gives.
size_t LocatorRecordSize(uint32_t version);

// Reads a file from memory: the counted records, and nothing of the bytes
// after them. A bad header, an old version, or counts that need more bytes
// than the file holds give a report naming `path` and false, with `file`
// left empty. A path that runs past the file's points is reported and
// left out.
bool LocatorFileParse(const uint8_t* bytes, size_t size, const char* path, LocatorFile& file);

#pragma once
// Writes locator files: locators with a placement matrix and, from version 6,
// numeric and text attributes, and named paths over a shared point list.
// Damaged variants serve the refusal tests.

#include "core/Mat4.h"
#include "core/Vec3.h"

#include <cstdint>
#include <string>
#include <vector>

struct LocatorSpec
{
    uint32_t type = 0;
    std::string name;
    Mat4 matrix = Mat4Identity();
    uint32_t extraCount = 0;
    // Written as counts; the slots hold the first 16 values (the rest of a
    // slot block is zero). A count may claim more than 16 to test the reader.
    uint32_t numericCount = 0;
    uint32_t stringCount = 0;
    std::vector<float> numeric;
    std::vector<std::string> strings;
};

struct LocatorPathSpec
{
    std::string name;
    uint32_t first = 0; // into the file's points
    uint32_t count = 0;
};

struct LocatorFileSpec
{
    uint32_t version = 6;
    std::vector<LocatorSpec> locators;
    std::vector<LocatorPathSpec> paths;
    std::vector<Vec3> points;
    // Written after the counted records, as tools that pad their files do.
    std::vector<uint8_t> padding;
};

// A locator at a position, with numeric and text attributes counted as given.
LocatorSpec LocatorAt(uint32_t type, const std::string& name, const Vec3& position,
                      const std::vector<float>& numeric = {}, const std::vector<std::string>& strings = {});
// Appends a path over new points at the end of the file's point list.
void LocatorAddPath(LocatorFileSpec& spec, const std::string& name, const std::vector<Vec3>& points);

std::vector<uint8_t> LocatorWrite(const LocatorFileSpec& spec);

enum class LocatorFault
{
    kMagic,        // "CH lokale   "
    kOldVersion,   // version 4
    kHeaderCut,    // ends after 20 bytes
    kLocatorCount, // one locator more than written
    kPointCount,   // points claimed past the end (0x40000000 of them)
    kCut,          // the last byte missing
    kShortRecords, // version 6 records sized as the "336" summary has them
};
std::vector<uint8_t> LocatorDamage(std::vector<uint8_t> file, LocatorFault fault);

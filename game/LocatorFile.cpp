#include "game/LocatorFile.h"

#include "core/ByteReader.h"
#include "core/LogError.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>

namespace
{
struct LocatorCounts
{
    uint32_t version = 0;
    uint32_t locators = 0;
    uint32_t paths = 0;
    uint32_t points = 0;
};

bool ReadHeader(ByteReader& reader, const char* path, LocatorCounts& counts)
{
    const uint8_t* magic = reader.Take(kLocatorMagicSize);
    counts.version = reader.U32();
    if (!magic || !reader.Ok() || memcmp(magic, kLocatorMagic, kLocatorMagicSize) != 0)
    {
        LogError("Locator file %s bad header.\n", path);
        return false;
    }
    if (counts.version < kLocatorOldestVersion)
    {
        LogError("Old locale format (version %03d) for %s.\n", static_cast<int>(counts.version), path);
        return false;
    }
    counts.locators = reader.U32();
    counts.paths = reader.U32();
    counts.points = reader.U32();
    if (!reader.Ok())
    {
        LogError("Locator file %s is damaged: its header is cut short.\n", path);
        return false;
    }
    return true;
}

// The counted records must all be there. Bytes after them are not the
// format's: other tools pad their files, and the records are read without them.
bool CountsFitSize(const LocatorCounts& counts, size_t size, const char* path)
{
    const uint64_t needed = kLocatorHeaderSize + uint64_t(counts.locators) * LocatorRecordSize(counts.version) +
                            uint64_t(counts.paths) * kLocatorPathRecordSize +
                            uint64_t(counts.points) * kLocatorPointSize;
    if (needed <= size)
        return true;
    LogError("Locator file %s is damaged: %" PRIu32 " locators, %" PRIu32 " paths and %" PRIu32
             " points of version %" PRIu32 " need %" PRIu64 " bytes, the file holds %" PRIu64 ".\n",
             path, counts.locators, counts.paths, counts.points, counts.version, needed, uint64_t(size));
    return false;
}

void ReadAttributes(ByteReader& reader, LocatorRecord& record)
{
    record.extraCount = reader.U32();
    record.numericCount = std::min<uint32_t>(reader.U32(), kLocatorMaxAttributes);
    record.stringCount = std::min<uint32_t>(reader.U32(), kLocatorMaxAttributes);
    float slots[kLocatorMaxAttributes];
    reader.F32s(slots, kLocatorMaxAttributes);
    record.numeric.assign(slots, slots + record.numericCount);
    record.strings.resize(record.stringCount);
    for (uint32_t i = 0; i < kLocatorMaxAttributes; ++i)
    {
        if (i < record.stringCount)
            reader.Text(record.strings[i].data(), sizeof(FixedString64), kLocatorStringField);
        else
            reader.Skip(kLocatorStringField);
    }
}

LocatorRecord ReadLocator(ByteReader& reader, uint32_t version)
{
    LocatorRecord record;
    record.type = reader.U32();
    reader.Text(record.name.data(), sizeof(record.name), kLocatorNameField);
    reader.F32s(record.matrix.m, 16);
    if (version > kLocatorOldestVersion)
        ReadAttributes(reader, record);
    return record;
}

void ReadPaths(ByteReader& reader, const LocatorCounts& counts, const char* path, LocatorFile& file)
{
    for (uint32_t i = 0; i < counts.paths; ++i)
    {
        LocatorPath record;
        record.first = reader.U32();
        record.count = reader.U32();
        reader.Text(record.name.data(), sizeof(record.name), kLocatorNameField);
        if (uint64_t(record.first) + record.count > counts.points)
        {
            LogError("Locator file %s: path %s (points %" PRIu32 " to %" PRIu64
                     ") runs past the file's %" PRIu32 " points and is left out.\n",
                     path, record.name.c_str(), record.first, uint64_t(record.first) + record.count - 1,
                     counts.points);
            continue;
        }
        file.paths.push_back(record);
    }
}
} // namespace

size_t LocatorRecordSize(uint32_t version)
{
    return version > kLocatorOldestVersion ? kLocatorRecordSizeV6 : kLocatorRecordSizeV5;
}

bool LocatorFileParse(const uint8_t* bytes, size_t size, const char* path, LocatorFile& file)
{
    file = LocatorFile();
    ByteReader reader(bytes, size);
    LocatorCounts counts;
    if (!ReadHeader(reader, path, counts) || !CountsFitSize(counts, size, path))
        return false;

    file.locators.reserve(counts.locators);
    for (uint32_t i = 0; i < counts.locators; ++i)
        file.locators.push_back(ReadLocator(reader, counts.version));
    ReadPaths(reader, counts, path, file);
    file.points.resize(counts.points);
    for (Vec3& point : file.points)
    {
        point.x = reader.F32();
        point.y = reader.F32();
        point.z = reader.F32();
    }
    // The size check above makes a short read impossible; this keeps the
    // reader honest should the layout and the size formula ever part.
    if (!reader.Ok())
    {
        LogError("Locator file %s is damaged: it ends inside its records.\n", path);
        file = LocatorFile();
        return false;
    }
    return true;
}

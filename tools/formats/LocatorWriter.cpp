#include "tools/formats/LocatorWriter.h"

#include "tools/formats/ByteWriter.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr int kSlots = 16;
constexpr size_t kHeaderSize = 28;
constexpr size_t kLocatorCountOffset = 16;
constexpr size_t kPointCountOffset = 24;

void WriteAttributes(ByteWriter& out, const LocatorSpec& locator)
{
    out.U32(locator.extraCount);
    out.U32(locator.numericCount);
    out.U32(locator.stringCount);
    for (int i = 0; i < kSlots; ++i)
        out.F32(i < int(locator.numeric.size()) ? locator.numeric[i] : 0.0f);
    for (int i = 0; i < kSlots; ++i)
        out.Text(i < int(locator.strings.size()) ? locator.strings[i] : std::string(), 32);
}

void PutU32(std::vector<uint8_t>& file, size_t offset, uint32_t value)
{
    if (file.size() >= offset + 4)
        memcpy(file.data() + offset, &value, 4);
}
} // namespace

LocatorSpec LocatorAt(uint32_t type, const std::string& name, const Vec3& position,
                      const std::vector<float>& numeric, const std::vector<std::string>& strings)
{
    LocatorSpec locator;
    locator.type = type;
    locator.name = name;
    locator.matrix[12] = position.x;
    locator.matrix[13] = position.y;
    locator.matrix[14] = position.z;
    locator.numeric = numeric;
    locator.strings = strings;
    locator.numericCount = uint32_t(numeric.size());
    locator.stringCount = uint32_t(strings.size());
    locator.extraCount = locator.numericCount + locator.stringCount;
    return locator;
}

void LocatorAddPath(LocatorFileSpec& spec, const std::string& name, const std::vector<Vec3>& points)
{
    spec.paths.push_back(LocatorPathSpec{name, uint32_t(spec.points.size()), uint32_t(points.size())});
    spec.points.insert(spec.points.end(), points.begin(), points.end());
}

std::vector<uint8_t> LocatorWrite(const LocatorFileSpec& spec)
{
    ByteWriter out;
    out.Raw("CH locale   ", 12);
    out.U32(spec.version);
    out.U32(uint32_t(spec.locators.size()));
    out.U32(uint32_t(spec.paths.size()));
    out.U32(uint32_t(spec.points.size()));
    for (const LocatorSpec& locator : spec.locators)
    {
        out.U32(locator.type);
        out.Text(locator.name, 64);
        out.Matrix(locator.matrix);
        if (spec.version > 5)
            WriteAttributes(out, locator);
    }
    for (const LocatorPathSpec& path : spec.paths)
    {
        out.U32(path.first);
        out.U32(path.count);
        out.Text(path.name, 64);
    }
    for (const Vec3& point : spec.points)
    {
        out.F32(point.x);
        out.F32(point.y);
        out.F32(point.z);
    }
    if (!spec.padding.empty())
        out.Raw(spec.padding.data(), spec.padding.size());
    return out.Bytes();
}

std::vector<uint8_t> LocatorDamage(std::vector<uint8_t> file, LocatorFault fault)
{
    uint32_t count = 0;
    switch (fault)
    {
    case LocatorFault::kMagic:
        if (file.size() > 5)
            file[5] = 'k';
        break;
    case LocatorFault::kOldVersion:
        PutU32(file, 12, 4);
        break;
    case LocatorFault::kHeaderCut:
        file.resize(std::min<size_t>(file.size(), 20));
        break;
    case LocatorFault::kLocatorCount:
        if (file.size() >= kHeaderSize)
            memcpy(&count, file.data() + kLocatorCountOffset, 4);
        PutU32(file, kLocatorCountOffset, count + 1);
        break;
    case LocatorFault::kPointCount:
        PutU32(file, kPointCountOffset, 0x40000000u);
        break;
    case LocatorFault::kCut:
        if (!file.empty())
            file.pop_back();
        break;
    case LocatorFault::kShortRecords:
        // Each 720-byte record cut to 336: the string slots past the first few go.
        {
            if (file.size() < kHeaderSize)
                break;
            memcpy(&count, file.data() + kLocatorCountOffset, 4);
            std::vector<uint8_t> shorter(file.begin(), file.begin() + kHeaderSize);
            size_t at = kHeaderSize;
            for (uint32_t i = 0; i < count && at + 720 <= file.size(); ++i, at += 720)
                shorter.insert(shorter.end(), file.begin() + at, file.begin() + at + 336);
            shorter.insert(shorter.end(), file.begin() + std::min(at, file.size()), file.end());
            file = shorter;
        }
        break;
    }
    return file;
}

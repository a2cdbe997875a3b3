#include "online/NetRecords.h"

#include "online/DataPacker.h"

#include <cmath>

namespace
{

void PutWord(uint8_t* bytes, uint32_t word, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(word >> (8 * i));
}

uint32_t GetWord(const uint8_t* bytes, int count)
{
    uint32_t word = 0;
    for (int i = 0; i < count; ++i)
        word |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return word;
}
template <class Record> void PackRecord(const Record& record, DataPacker& packer)
{
    uint8_t bytes[Record::kBytes];
    record.Pack(bytes);
    packer.WriteBytes(bytes, Record::kBytes);
}

template <class Record> void UnpackRecord(Record& record, DataPacker& packer)
{
    uint8_t bytes[Record::kBytes] = {};
    packer.ReadBytes(bytes, Record::kBytes);
    record.Unpack(bytes);
}
} // namespace

uint32_t TruncateToBits(double value)
{
    if (std::isnan(value))
        return 0;
    // Beyond 2^62 the low bits are all zero anyway; clamping keeps the cast defined.
    constexpr double kLimit = 4611686018427387904.0;
    value = std::trunc(std::fmax(-kLimit, std::fmin(kLimit, value)));
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
}

void NetDragonInfoUnCompressed::Pack(uint8_t (&bytes)[kBytes]) const
{
    const uint32_t w0 = (static_cast<uint32_t>(controlerIndex) & 7u) |
                        ((TruncateToBits((static_cast<double>(posX) + 320.0) * 130.0) & 0x1FFFFu) << 3);
    const uint32_t w1 = (TruncateToBits((static_cast<double>(posZ) + 320.0) * 130.0) & 0x1FFFFu) |
                        ((TruncateToBits(static_cast<double>(WrapAngle(angle)) * 150.0) & 0x3FFu) << 17) |
                        ((static_cast<uint32_t>(bBREATHING) & 3u) << 27);
    const uint32_t w2 = TruncateToBits(static_cast<double>(breathRatio) * 400.0) & 0x1FFu;
    PutWord(bytes, w0, 4);
    PutWord(bytes + 4, w1, 4);
    PutWord(bytes + 8, w2, 4);
}

void NetDragonInfoUnCompressed::Unpack(const uint8_t (&bytes)[kBytes])
{
    const uint32_t w0 = GetWord(bytes, 4);
    const uint32_t w1 = GetWord(bytes + 4, 4);
    const uint32_t w2 = GetWord(bytes + 8, 4);
    controlerIndex = static_cast<int32_t>(w0 & 7u);
    posX = static_cast<float>((w0 >> 3) & 0x1FFFFu) / 130.0f - 320.0f;
    posZ = static_cast<float>(w1 & 0x1FFFFu) / 130.0f - 320.0f;
    angle = static_cast<float>((w1 >> 17) & 0x3FFu) / 150.0f;
    bBREATHING = static_cast<int32_t>((w1 >> 27) & 3u);
    breathRatio = static_cast<float>(w2 & 0x1FFu) / 400.0f;
}

void NetDragonInfoUnCompressed::PackToNetwork(DataPacker& packer) const
{
    PackRecord(*this, packer);
}

void NetDragonInfoUnCompressed::UnPackFromNetwork(DataPacker& packer)
{
    UnpackRecord(*this, packer);
}

void ParentDamageStruct::Pack(uint8_t (&bytes)[kBytes]) const
{
    const uint32_t h0 = (static_cast<uint32_t>(weapon) & 7u) |
                        ((TruncateToBits(static_cast<double>(newhp) * 10.0) & 0x1FFFu) << 3);
    PutWord(bytes, h0, 2);
    PutWord(bytes + 2, static_cast<uint32_t>(attackernetid) & 0xFFFFu, 2);
    PutWord(bytes + 4, static_cast<uint32_t>(washitnetid) & 0xFFFFu, 2);
}

void ParentDamageStruct::Unpack(const uint8_t (&bytes)[kBytes])
{
    const uint32_t h0 = GetWord(bytes, 2);
    weapon = static_cast<int32_t>(h0 & 7u);
    newhp = static_cast<float>(static_cast<double>(h0 >> 3) / 10.0);
    attackernetid = static_cast<int32_t>(GetWord(bytes + 2, 2));
    washitnetid = static_cast<int32_t>(GetWord(bytes + 4, 2));
}

void ParentDamageStruct::PackToNetwork(DataPacker& packer) const
{
    PackRecord(*this, packer);
}

void ParentDamageStruct::UnPackFromNetwork(DataPacker& packer)
{
    UnpackRecord(*this, packer);
}

uint32_t PackVec3Quarn(const Vec3& position)
{
    const uint32_t low = TruncateToBits((static_cast<double>(position.x) + 230.0) * 130.0) & 0xFFFFu;
    const uint32_t high = TruncateToBits((static_cast<double>(position.z) + 230.0) * 130.0) & 0xFFFFu;
    return low | (high << 16);
}

void UnpackVec3Quarn(uint32_t packed, Vec3& position)
{
    position.x = static_cast<float>(packed & 0xFFFFu) / 130.0f - 230.0f;
    position.z = static_cast<float>(packed >> 16) / 130.0f - 230.0f;
}

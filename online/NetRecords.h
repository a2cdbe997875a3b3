#pragma once
// The two records the game sends every step, packed into few bytes. Values
// beyond a field's range wrap within its bits; NaN packs as 0; angles wrap
// into [0, 2 pi) whatever their size.

#include "core/Rotator.h" // WrapAngle
#include "core/Vec3.h"

#include <cstdint>

class DataPacker;

struct NetDragonInfoUnCompressed
{
    int32_t controlerIndex = 0;
    float posX = 0.0f;
    float posZ = 0.0f;
    float angle = 0.0f;
    int32_t bBREATHING = 0;
    float breathRatio = 0.0f;

    static constexpr int kBytes = 12;
    void Pack(uint8_t (&bytes)[kBytes]) const;
    void Unpack(const uint8_t (&bytes)[kBytes]);
    void PackToNetwork(DataPacker& packer) const;
    void UnPackFromNetwork(DataPacker& packer);
};

struct ParentDamageStruct
{
    int32_t weapon = 0;
    int32_t attackernetid = 0;
    int32_t washitnetid = 0;
    float newhp = 0.0f;

    static constexpr int kBytes = 6;
    void Pack(uint8_t (&bytes)[kBytes]) const;
    void Unpack(const uint8_t (&bytes)[kBytes]);
    void PackToNetwork(DataPacker& packer) const;
    void UnPackFromNetwork(DataPacker& packer);
};

// A position in 4 bytes: x and z, each in 16 bits; y is not sent.
uint32_t PackVec3Quarn(const Vec3& position);
void UnpackVec3Quarn(uint32_t packed, Vec3& position);

// truncate(value) as the low 32 bits of a wide integer: defined for every input.
uint32_t TruncateToBits(double value);

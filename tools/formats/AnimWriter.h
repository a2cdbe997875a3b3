#pragma once
// Writes ".chanim" files of versions 2 to 4 (and others, for refusal tests):
// a skeleton and animations over it. Counts are written from the vectors.

#include "core/Mat4.h"
#include "core/Quaternion.h"
#include "core/Vec4.h"

#include <cstdint>
#include <string>
#include <vector>

struct ChAnimJoint
{
    std::string name;
    int32_t parent = -1;
    Mat4 bind = Mat4Identity();
};

struct ChAnimAnimation
{
    std::string name;
    uint32_t rate = 30;
    uint32_t jointCount = 0;
    uint32_t frameCount = 0;
    uint32_t flags = 0;                   // version 3: 0x2 gives joint 1 positions
    uint32_t positionJointCount = 0;      // version 4 on
    uint64_t positionMask = 0;            // version 4 on
    std::vector<Vec4> positionKeys;       // frames x position joints
    std::vector<Quaternion> rotationKeys; // frames x joints
};

struct ChAnim
{
    uint32_t version = 4;
    std::vector<ChAnimJoint> joints;
    std::vector<ChAnimAnimation> animations;
};

std::vector<uint8_t> ChAnimWrite(const ChAnim& anim);

// The ".chanim" format: a skeleton and animations over it, read into memory
// and checked before anything is appended to a buffer.

#include "core/ByteReader.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "cross/AnimBuffer.h"

namespace
{
constexpr size_t kTagBytes = 12;
constexpr size_t kNameBytes = 64;
constexpr size_t kJointBytes = kNameBytes + 4 + 64;
constexpr size_t kLeastAnimationBytes = kNameBytes + 12;
constexpr size_t kKeyBytes = 16;
constexpr uint32_t kFlagsVersion = 3;
constexpr uint32_t kMaskVersion = 4;
constexpr uint32_t kJointOnePositions = 0x2;

class AnimFileReader
{
public:
    AnimFileReader(ByteReader& in, uint32_t version) : m_in(in), m_version(version) {}

    const char* Fault() const { return m_fault; }

    bool ReadJoints(std::vector<AnimJoint>& joints)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Ok())
            return Fail("it ends before its joints");
        if (count > uint32_t(kAnimMaxJoints))
            return Fail("it has more than 128 joints");
        if (!m_in.Holds(count, kJointBytes))
            return Fail("its joints pass the end");
        joints.resize(count);
        for (uint32_t j = 0; j < count; ++j)
        {
            AnimJoint& joint = joints[j];
            m_in.Text(joint.name.data(), sizeof(joint.name), kNameBytes);
            joint.nameHash = HashString(joint.name);
            joint.parent = int32_t(m_in.U32());
            m_in.F32s(joint.bind.m, 16);
            if (joint.parent >= int32_t(j))
                return Fail("a joint's parent does not come before it");
            Mat4Inverse(joint.inverseBind, joint.bind);
        }
        return true;
    }

    bool ReadAnimations(std::vector<Animation>& animations, uint32_t skeletonJoints, uint32_t identifier)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Ok() || !m_in.Holds(count, kLeastAnimationBytes))
            return Fail("its animation count passes the end");
        animations.resize(count);
        for (Animation& animation : animations)
        {
            animation.identifier = identifier;
            if (!ReadAnimation(animation, skeletonJoints))
                return false;
        }
        return true;
    }

    bool Fail(const char* fault)
    {
        if (!m_fault)
            m_fault = fault;
        return false;
    }

private:
    bool ReadPositionLayout(Animation& animation)
    {
        if (m_version == kFlagsVersion)
        {
            if (m_in.U32() & kJointOnePositions)
            {
                if (animation.jointCount < 2)
                    return Fail("joint 1 has positions but the animation has no joint 1");
                animation.positionMask = uint64_t(1) << 1;
                animation.positionJointCount = 1;
            }
            return true;
        }
        if (m_version < kMaskVersion)
            return true;
        animation.positionJointCount = m_in.U32();
        animation.positionMask = m_in.U64();
        if (animation.jointCount < 64 && (animation.positionMask >> animation.jointCount) != 0)
            return Fail("a position mask names joints the animation lacks");
        if (uint32_t(__builtin_popcountll(animation.positionMask)) != animation.positionJointCount)
            return Fail("the position joint count differs from the mask");
        return true;
    }

    bool ReadKeys(Animation& animation)
    {
        const uint64_t positions = uint64_t(animation.frameCount) * animation.positionJointCount;
        const uint64_t rotations = uint64_t(animation.frameCount) * animation.jointCount;
        if (!m_in.Holds(positions + rotations, kKeyBytes))
            return Fail("its keys pass the end");
        const bool positionsFirst = m_version < kMaskVersion;
        if (positionsFirst)
            ReadPositions(animation, positions);
        animation.rotationKeys.resize(rotations);
        for (Quaternion& key : animation.rotationKeys)
            m_in.F32s(&key.x, 4);
        if (!positionsFirst)
            ReadPositions(animation, positions);
        return true;
    }

    void ReadPositions(Animation& animation, uint64_t count)
    {
        animation.positionKeys.resize(count);
        for (Vec4& key : animation.positionKeys)
            m_in.F32s(&key.x, 4);
    }

    bool ReadAnimation(Animation& animation, uint32_t skeletonJoints)
    {
        m_in.Text(animation.name.data(), sizeof(animation.name), kNameBytes);
        animation.rate = m_in.U32();
        animation.jointCount = m_in.U32();
        animation.frameCount = m_in.U32();
        if (!m_in.Ok())
            return Fail("it ends inside an animation");
        if (animation.jointCount > skeletonJoints)
            return Fail("an animation has more joints than the skeleton");
        if (animation.frameCount == 0)
            return Fail("an animation has no frames");
        if (!ReadPositionLayout(animation) || !m_in.Ok())
            return Fail("it ends inside an animation");
        return ReadKeys(animation) && (m_in.Ok() || Fail("it ends inside an animation"));
    }

    ByteReader& m_in;
    uint32_t m_version;
    const char* m_fault = nullptr;
};
} // namespace

bool AnimFileParse(const uint8_t* bytes, size_t size, bool swap, const char* path, uint32_t identifier,
                   AnimFile& out)
{
    out = AnimFile();
    ByteReader in(bytes, size, swap);
    in.Skip(kTagBytes);
    out.version = in.U32();
    AnimFileReader reader(in, out.version);
    if (!in.Ok())
        reader.Fail("it ends inside its header");
    else if (reader.ReadJoints(out.joints) &&
             reader.ReadAnimations(out.animations, uint32_t(out.joints.size()), identifier))
        return true;
    LogError("Animation %s is damaged: %s.\n", path, reader.Fault());
    out = AnimFile();
    return false;
}

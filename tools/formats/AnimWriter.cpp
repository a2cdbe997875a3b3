#include "tools/formats/AnimWriter.h"

#include "tools/formats/ByteWriter.h"

namespace
{
// Vec4 and Quaternion keys alike: four floats, x first.
template <typename Key> void WriteKeys(ByteWriter& out, const std::vector<Key>& keys)
{
    for (const Key& key : keys)
        for (float value : {key.x, key.y, key.z, key.w})
            out.F32(value);
}
} // namespace

std::vector<uint8_t> ChAnimWrite(const ChAnim& anim)
{
    ByteWriter out;
    out.Text("PENDRELANIM", 12);
    out.U32(anim.version);
    out.U32(uint32_t(anim.joints.size()));
    for (const ChAnimJoint& joint : anim.joints)
    {
        out.Text(joint.name, 64);
        out.U32(uint32_t(joint.parent));
        out.Matrix(joint.bind);
    }
    out.U32(uint32_t(anim.animations.size()));
    for (const ChAnimAnimation& animation : anim.animations)
    {
        out.Text(animation.name, 64);
        out.U32(animation.rate);
        out.U32(animation.jointCount);
        out.U32(animation.frameCount);
        if (anim.version == 3)
            out.U32(animation.flags);
        else if (anim.version >= 4)
        {
            out.U32(animation.positionJointCount);
            out.U64(animation.positionMask);
        }
        if (anim.version < 4)
            WriteKeys(out, animation.positionKeys);
        WriteKeys(out, animation.rotationKeys);
        if (anim.version >= 4)
            WriteKeys(out, animation.positionKeys);
    }
    return std::move(out.Bytes());
}

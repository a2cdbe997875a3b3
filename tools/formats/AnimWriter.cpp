#include "tools/formats/AnimWriter.h"

#include "tools/formats/ByteWriter.h"

namespace
{
void WriteKeys(ByteWriter& out, const std::vector<Vec4>& keys)
{
    for (const Vec4& key : keys)
    {
        out.F32(key.x);
        out.F32(key.y);
        out.F32(key.z);
        out.F32(key.w);
    }
}

void WriteKeys(ByteWriter& out, const std::vector<Quaternion>& keys)
{
    for (const Quaternion& key : keys)
    {
        out.F32(key.x);
        out.F32(key.y);
        out.F32(key.z);
        out.F32(key.w);
    }
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

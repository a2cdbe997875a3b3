#include "cross/AnimBuffer.h"

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "cross/AnimFrame.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ResourceCache.h"
#include "opengl/TextureBuiltins.h"

#include <GL/glew.h>

#include <memory>

namespace
{
// Every buffer ever made; they live until exit.
std::vector<std::unique_ptr<AnimBuffer>>& AllBuffers()
{
    static std::vector<std::unique_ptr<AnimBuffer>> buffers;
    return buffers;
}

Vec3 BindTranslation(const AnimJoint& joint)
{
    return Mat4GetTranslation(joint.bind);
}
} // namespace

const Animation* AnimBuffer::GetAnimation(int i) const
{
    if (i < 0 || i >= GetAnimationCount())
        return nullptr;
    return &m_animations[size_t(i)];
}

int AnimBuffer::GetFrameCount(int i) const
{
    const Animation* animation = GetAnimation(i);
    return animation ? int(animation->frameCount) : 0;
}

int AnimBuffer::GetRate(int i) const
{
    const Animation* animation = GetAnimation(i);
    return animation ? int(animation->rate) : kAnimDefaultRate;
}

float AnimBuffer::GetLength(int i) const
{
    const Animation* animation = GetAnimation(i);
    if (!animation || animation->rate == 0)
        return 0.0f;
    return float(animation->frameCount) / float(animation->rate);
}

Mat4 AnimBuffer::GetJointBindMatrix(int j) const
{
    if (j < 0 || j >= GetJointCount())
        return Mat4Identity();
    return m_joints[size_t(j)].bind;
}

bool AnimBuffer::EvaluateTime(int animation, float time, Mat4* out) const
{
    const Animation* record = GetAnimation(animation);
    if (!record)
        return false;
    const double elapsed = double(record->rate) * double(time);
    return EvaluateFrame(animation, AnimWrapFrame(elapsed, int(record->frameCount)), out);
}

// result_j = parent_result x bind_j x translation x rotation x inverse(bind_j);
// the translation and rotation make one matrix, the rotation's columns with
// the position key as their translation.
bool AnimBuffer::EvaluateFrame(int animation, int frame, Mat4* out) const
{
    const Animation* record = GetAnimation(animation);
    if (!record || !out)
        return false;
    frame = AnimWrapFrame(frame, int(record->frameCount));
    const Quaternion* rotations = record->rotationKeys.data() + size_t(frame) * record->jointCount;
    const Vec4* positions = record->positionKeys.data() + size_t(frame) * record->positionJointCount;
    uint32_t positionIndex = 0;
    for (uint32_t j = 0; j < record->jointCount; ++j)
    {
        const AnimJoint& joint = m_joints[j];
        Mat4 pose = Mat4Identity();
        Mat4SetRotationFromQuat(pose, QuatConjugate(rotations[j]));
        if (j < 64 && (record->positionMask >> j) & 1)
        {
            const Vec4& key = positions[positionIndex++];
            Mat4SetTranslation(pose, Vec3(key.x, key.y, key.z));
        }
        Mat4MultiplyTo(pose, pose, joint.inverseBind);
        Mat4MultiplyTo(pose, joint.bind, pose);
        if (joint.parent >= 0)
            Mat4MultiplyTo(pose, out[joint.parent], pose);
        out[j] = pose;
    }
    return true;
}

void AnimBuffer::DrawSkeleton(int animation, const Mat4* matrices) const
{
    const Animation* record = GetAnimation(animation);
    if (!record || !matrices)
        return;
    GLBindTexture(0, TextureBuiltin(kTextureDefaultWhite));
    PrimSetColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    PrimPointSize(4.0f);
    PrimSetType(GL_POINTS);
    for (uint32_t j = 0; j < record->jointCount; ++j)
        PrimVertexVec3(Mat4TransformPoint(matrices[j], BindTranslation(m_joints[j])));
    PrimSetType(GL_LINES);
    for (uint32_t j = 0; j < record->jointCount; ++j)
    {
        const int parent = m_joints[j].parent;
        if (parent < 0)
            continue;
        PrimVertexVec3(Mat4TransformPoint(matrices[parent], BindTranslation(m_joints[j])));
        PrimVertexVec3(Mat4TransformPoint(matrices[parent], BindTranslation(m_joints[size_t(parent)])));
    }
    PrimEnd();
}

bool AnimBuffer::Append(AnimFile& file, const char* path)
{
    if (!m_joints.empty() && file.joints.size() != m_joints.size())
    {
        LogError("Could not append %s. Different number of joints.\n", path);
        return false;
    }
    const int adding = int(file.animations.size());
    if (GetAnimationCount() + int64_t(adding) > m_maximumAnimations)
    {
        LogError("Animation Buffer contains %d anims, adding %d from %s would go over max of %d.\n",
                 GetAnimationCount(), adding, path, m_maximumAnimations);
        return false;
    }
    if (m_joints.empty())
        m_joints = std::move(file.joints);
    for (Animation& animation : file.animations)
        m_animations.push_back(std::move(animation));
    return true;
}

int AnimBufferAppendFile(AnimBuffer* buffer, const char* path, uint32_t identifier)
{
    if (!buffer || !path)
        return 0;
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open animation %s failed.\n", path);
        return 0;
    }
    std::vector<uint8_t> bytes;
    AnimFile file;
    if (!StreamReadAll(stream, kAnimFileBound, bytes))
        return 0;
    stream.Close();
    if (!AnimFileParse(bytes.data(), bytes.size(), stream.SwapBytes(), path, identifier, file))
        return 0;
    const int count = int(file.animations.size());
    return buffer->Append(file, path) ? count : 0;
}

AnimBuffer* AnimCache(const char* path, int maximumAnimations, uint32_t identifier)
{
    if (!path)
        return nullptr;
    if (void* cached = ResourceCacheFind(path, kResourceAnimation))
        return static_cast<AnimBuffer*>(cached);
    std::unique_ptr<AnimBuffer> buffer(new AnimBuffer(maximumAnimations));
    buffer->SetName(path);
    if (AnimBufferAppendFile(buffer.get(), path, identifier) == 0)
        return nullptr;
    ResourceCacheStore(path, buffer.get(), kResourceAnimation);
    AllBuffers().push_back(std::move(buffer));
    return AllBuffers().back().get();
}

void AnimRelease(AnimBuffer* buffer)
{
    if (!buffer)
        return;
    uint32_t count = 0;
    FileTableRelease(buffer->Name(), count);
}

void AnimFreeAll()
{
    for (const std::unique_ptr<AnimBuffer>& buffer : AllBuffers())
    {
        FileTableEntry* entry = FileTableFindEntry(buffer->Name());
        if (entry && entry->resource == buffer.get())
            FileTableSetResource(buffer->Name(), nullptr, kResourceGone);
    }
    AllBuffers().clear();
}

#pragma once
// Skeletal animation: one skeleton and up to a fixed number of animations
// over it, read from one or more ".chanim" files that share the skeleton.
// Evaluating an animation at a time gives one matrix per joint, the skin
// palette the render queue sends to the shaders.

#include "core/FixedString.h"
#include "core/Mat4.h"
#include "core/Quaternion.h"
#include "core/StreamBytes.h"
#include "core/Vec4.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kAnimMaxJoints = 128;
constexpr int kAnimDefaultRate = 30;

struct AnimJoint
{
    FixedString64 name;
    uint32_t nameHash = 0;
    int32_t parent = -1; // below the joint's own index; negative for a root
    Mat4 bind = Mat4Identity();
    Mat4 inverseBind = Mat4Identity(); // made at load
};

struct Animation
{
    FixedString64 name;
    uint32_t identifier = 0;          // given by the caller of the load
    uint32_t rate = kAnimDefaultRate; // frames per second
    uint32_t jointCount = 0;
    uint32_t positionJointCount = 0;
    uint64_t positionMask = 0;            // bit j: joint j has position keys
    uint32_t frameCount = 0;              // at least 1
    std::vector<Vec4> positionKeys;       // frames x position joints
    std::vector<Quaternion> rotationKeys; // frames x joints
};

// What one file holds, checked and ready to append.
struct AnimFile
{
    uint32_t version = 0;
    std::vector<AnimJoint> joints;
    std::vector<Animation> animations;
};

class AnimBuffer
{
public:
    explicit AnimBuffer(int maximumAnimations) : m_maximumAnimations(maximumAnimations) {}

    int GetMaximumAnimations() const { return m_maximumAnimations; }
    int GetAnimationCount() const { return int(m_animations.size()); }
    int GetJointCount() const { return int(m_joints.size()); }
    const AnimJoint& GetJoint(int j) const { return m_joints[j]; }
    const Animation* GetAnimation(int i) const;
    const char* Name() const { return m_name; }
    void SetName(const char* name) { m_name = name; }

    // 0 for an invalid index.
    int GetFrameCount(int i) const;
    // 30 for an invalid index.
    int GetRate(int i) const;
    // Seconds; 0 for an invalid index or a rate of 0.
    float GetLength(int i) const;
    // The identity for an invalid joint.
    Mat4 GetJointBindMatrix(int j) const;

    // One matrix per joint of the animation, for frame trunc(rate x time)
    // wrapped into the frames (any time, negative or huge, gives a frame).
    // False, writing nothing, for an invalid animation.
    bool EvaluateTime(int animation, float time, Mat4* out) const;
    bool EvaluateFrame(int animation, int frame, Mat4* out) const;
    // Joints as points and bones as lines, under the evaluated matrices.
    void DrawSkeleton(int animation, const Mat4* matrices) const;

    // Appends a checked file's skeleton (when the buffer has none) and its
    // animations; false, appending nothing, when the skeleton differs or the
    // maximum would be passed (reported with the file's path).
    bool Append(AnimFile& file, const char* path);

private:
    int m_maximumAnimations;
    std::vector<Animation> m_animations;
    std::vector<AnimJoint> m_joints;
    FixedString128 m_name;
};

// 128 joints keyed for ten minutes at 30 frames a second take a fifth of this.
constexpr FileSizeBound kAnimFileBound = {"animation", 256ull << 20};

// The checked contents of ".chanim" bytes, every animation given the
// identifier; false after one report naming `path` for a damaged file.
bool AnimFileParse(const uint8_t* bytes, size_t size, bool swap, const char* path, uint32_t identifier,
                   AnimFile& out);

// The number of animations appended from the file (0 on failure).
int AnimBufferAppendFile(AnimBuffer* buffer, const char* path, uint32_t identifier);
// The buffer cached under the path with one more reference, or a new one
// of that maximum with the file appended; null when nothing was appended.
AnimBuffer* AnimCache(const char* path, int maximumAnimations, uint32_t identifier);
// Drops a reference; buffers stay in memory until AnimFreeAll at exit.
void AnimRelease(AnimBuffer* buffer);
void AnimFreeAll();

// What the script's CacheAnim asks for.
constexpr int kAnimCacheScriptMaximum = 32;

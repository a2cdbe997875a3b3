#include "fx/FXRenderPass.h"

#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXTextureSet.h"
#include "fx/FXelementBase.h"
#include "opengl/Frustum.h"
#include "opengl/GLState.h"
#include "opengl/TextureBuiltins.h"

#include <cmath>

namespace
{
constexpr float kUnitCorners[4][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, 0.5f}};
constexpr float kCornerUVs[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}};
constexpr int kCullingPlanes = 5;

struct FXPassState
{
    Mat4 view = Mat4Identity();
    Vec3 eye{0, 0, 0};
    Vec3 right{1, 0, 0};
    Vec3 up{0, 1, 0};
    FXCornerSet corners{};
};

FXPassState& State()
{
    static FXPassState state;
    return state;
}

// The unit corner, stretched along its height, then spun in its plane.
void SpunCorner(int corner, float angle, float stretch, float& x, float& y)
{
    const float cx = kUnitCorners[corner][0];
    const float cy = stretch != 1.0f ? kUnitCorners[corner][1] * stretch : kUnitCorners[corner][1];
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    x = cx * c - cy * s;
    y = cx * s + cy * c;
}

bool ElementAliveByAge(const FXInstance& instance, const FXElementDef& def)
{
    const float age = instance.elementTimer.GetTime() - def.startDelay;
    return age >= 0.0f && age <= def.lifeTime;
}

bool InstanceSkipped(const FXInstance& instance)
{
    return instance.elements == nullptr || !(instance.GetFade() > 0.0f) || !instance.lodEvaluated;
}

void BindFirstEffectTexture()
{
    const FXTextureSet& set = FXGetTextureSet();
    const Texture* texture = set.count > 0 ? set.textures[0] : nullptr;
    GLBindTexture(0, texture != nullptr ? texture : TextureBuiltin(kTextureDefaultWhite));
}
} // namespace

void FXRenderPass(const Mat4& view, int /*viewId*/, const Frustum& planes, int pass)
{
    if (pass == 0)
    {
        FXSubmitPass(planes, 0);
        return;
    }
    if (pass != 1)
        return;
    FXBeginPassView(view);
    GLDepthTestOn();
    GLDepthWriteOff();
    FXSetBlendMode(kFXBlendAlpha, true);
    GLPushMatrix();
    GLLoadMatrix(view);
    BindFirstEffectTexture();
    FXSubmitPass(planes, 1);
    GLPopMatrix();
    GLDepthWriteOn();
}

void FXBeginPassView(const Mat4& view)
{
    FXPassState& state = State();
    state.view = view;
    Mat4 inverse;
    Mat4InverseRigid(inverse, view);
    state.eye = Mat4GetTranslation(inverse);
    // The view's rotation rows are the camera's axes in the world.
    state.right = Vec3(view[0], view[4], view[8]);
    state.up = Vec3(view[1], view[5], view[9]);
    FXCornersResetPlain();
}

bool FXInstanceCulled(const FXInstance& instance, const Frustum& planes)
{
    const Vec3 centre = Mat4GetTranslation(instance.matrix);
    const float radius = instance.def->maxRadius;
    for (int i = 0; i < kCullingPlanes; ++i)
    {
        const float* plane = planes.planes[i];
        if (plane[0] * centre.x + plane[1] * centre.y + plane[2] * centre.z + plane[3] < -radius)
            return true;
    }
    return false;
}

void FXSubmitPass(const Frustum& planes, int pass)
{
    for (int i = 0; i < FXLiveInstanceCount(); ++i)
    {
        const FXInstance& instance = *FXGetLiveInstance(i);
        if (InstanceSkipped(instance) || FXInstanceCulled(instance, planes))
            continue;
        for (const FXElementNode* node = instance.elements; node != nullptr; node = node->next)
            if (node->element != nullptr && ElementAliveByAge(instance, *node->def) &&
                node->element->IsDrawnInPass(pass))
                node->element->Render(instance.matrix);
    }
}

const Mat4& FXGetPassView()
{
    return State().view;
}

const Vec3& FXGetEye()
{
    return State().eye;
}

const FXCornerSet& FXGetCorners()
{
    return State().corners;
}

void FXCornersResetPlain()
{
    FXPassState& state = State();
    for (int i = 0; i < 4; ++i)
    {
        state.corners.corners[i] = state.right * kUnitCorners[i][0] + state.up * kUnitCorners[i][1];
        state.corners.uv[i][0] = kCornerUVs[i][0];
        state.corners.uv[i][1] = kCornerUVs[i][1];
    }
    state.corners.plainFacing = true;
}

void FXCornersFacing(float angle, float stretch)
{
    FXPassState& state = State();
    if (angle == 0.0f && stretch == 1.0f)
    {
        if (!state.corners.plainFacing)
            FXCornersResetPlain();
        return;
    }
    for (int i = 0; i < 4; ++i)
    {
        float x = 0.0f, y = 0.0f;
        SpunCorner(i, angle, stretch, x, y);
        state.corners.corners[i] = state.right * x + state.up * y;
    }
    state.corners.plainFacing = false;
}

void FXCornersOriented(const Mat4& matrix, float angle, float stretch)
{
    FXPassState& state = State();
    for (int i = 0; i < 4; ++i)
    {
        float x = 0.0f, y = 0.0f;
        SpunCorner(i, angle, stretch, x, y);
        state.corners.corners[i] = Mat4RotateVec3(matrix, Vec3(x, y, 0.0f));
    }
    state.corners.plainFacing = false;
}

void FXCornersPseudo(const Vec3& p, const Vec3& axis, float angle, float stretch, float size, Vec3 out[4])
{
    Vec3 a = Vec3Normalized(axis);
    if (Vec3LengthSquared(a) < 0.9f)
        a = Vec3(0, 1, 0);
    const Vec3 e = Vec3Normalized(FXGetEye() - p);
    const Vec3 x = Vec3Normalized(Vec3Cross(e, a));
    // The basis's y axis is not needed: every corner lies at y = 0.
    const Vec3 z = -a;
    for (int i = 0; i < 4; ++i)
    {
        // The quad lies in its own x-z plane; spun there like the others.
        float cx = 0.0f, cz = 0.0f;
        SpunCorner(i, angle, stretch, cx, cz);
        out[i] = p + (x * cx + z * cz) * size;
    }
}

float FXDistanceScale(const FXElementDef& def, const Vec3& p)
{
    const float multiply = def.scalingDistanceFinishMultiplySize;
    if (multiply == 1.0f)
        return 1.0f;
    const float start = def.scalingDistanceStart;
    const float finish = def.scalingDistanceFinish;
    const float d2 = Vec3LengthSquared(FXGetEye() - p);
    if (d2 >= finish * finish)
        return multiply;
    if (d2 <= start * start)
        return 1.0f;
    const float f = (std::sqrt(d2) - start) / (finish - start);
    return (1.0f - f) + f * multiply;
}

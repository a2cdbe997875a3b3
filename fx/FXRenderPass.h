#pragma once
// The effect system's two passes of the scene: pass 0 among the opaque
// geometry, pass 1 among the blended geometry, where elements append to the
// draw batch. Also the per-pass state the quad builders read: the view, the
// eye and the billboard corner set.

#include "core/Mat4.h"
#include "core/Vec3.h"

#include <cstdint>

struct Frustum;
struct FXElementDef;
struct FXInstance;

// Unit corners (-0.5, -0.5), (0.5, -0.5), (-0.5, 0.5), (0.5, 0.5) in world
// directions, with their texture coordinates.
struct FXCornerSet
{
    Vec3 corners[4];
    float uv[4][2];
    // The set holds the camera-facing corners without spin or stretch.
    bool plainFacing;
};

// Sets GL state around pass 1; the walk itself is FXSubmitPass. Other pass
// numbers draw nothing.
void FXRenderPass(const Mat4& view, int viewId, const Frustum& planes, int pass);
// Remembers the view and its eye, and resets the corners to the plain
// camera-facing quad.
void FXBeginPassView(const Mat4& view);
// Renders every element drawn in the pass of every visible live instance.
void FXSubmitPass(const Frustum& planes, int pass);
// The instance lies wholly behind one of the first five planes.
bool FXInstanceCulled(const FXInstance& instance, const Frustum& planes);

const Mat4& FXGetPassView();
const Vec3& FXGetEye();
const FXCornerSet& FXGetCorners();
void FXCornersResetPlain();
// Camera-facing (BILLBOARD NORMAL): rebuilt only when spun, stretched or
// left otherwise by the last builder.
void FXCornersFacing(float angle, float stretch);
// BILLBOARD NONE: turned by the rotation part of the matrix.
void FXCornersOriented(const Mat4& matrix, float angle, float stretch);
// BILLBOARD PSEUDO: the quad stands on the axis at p and turns about it
// toward the eye; out receives world positions, already scaled by size.
void FXCornersPseudo(const Vec3& p, const Vec3& axis, float angle, float stretch, float size, Vec3 out[4]);

// The size factor of an element's distance scaling, at the point.
float FXDistanceScale(const FXElementDef& def, const Vec3& p);

#pragma once
// The six clip planes of a projection, as (a, b, c, d) with a unit normal,
// in the order left, right, bottom, top, near, far.

#include "core/Mat4.h"

enum FrustumPlane
{
    kFrustumLeft,
    kFrustumRight,
    kFrustumBottom,
    kFrustumTop,
    kFrustumNear,
    kFrustumFar,
    kFrustumPlaneCount,
};

struct Frustum
{
    float planes[kFrustumPlaneCount][4];
};

// The planes of a clip matrix, in the space the matrix maps from.
void FrustumFromMatrix(Frustum& out, const Mat4& m);

// The planes of the current GL projection alone (view space).
void FrustumFromProjection(Frustum& out);
// The planes of projection times model-view (world space when the model-view
// holds the view).
void FrustumFromProjectionModelView(Frustum& out);

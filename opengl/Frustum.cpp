#include "opengl/Frustum.h"

#include "opengl/GLState.h"

#include <cmath>

namespace
{
// Planes of (nearly) zero normal are scaled up instead of divided, so a
// degenerate matrix gives large finite planes rather than infinities.
constexpr float kShortestNormal = 0.000001f;
constexpr float kDegenerateScale = 1000000.0f;

float Row(const Mat4& m, int row, int column)
{
    return m[column * 4 + row];
}

void SetPlane(float plane[4], const Mat4& m, int row, float sign)
{
    for (int column = 0; column < 4; ++column)
        plane[column] = Row(m, 3, column) + sign * Row(m, row, column);
    const float length = sqrtf(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    const float scale = length < kShortestNormal ? kDegenerateScale : 1.0f / length;
    for (int i = 0; i < 4; ++i)
        plane[i] *= scale;
}
} // namespace

void FrustumFromMatrix(Frustum& out, const Mat4& m)
{
    SetPlane(out.planes[kFrustumLeft], m, 0, 1.0f);
    SetPlane(out.planes[kFrustumRight], m, 0, -1.0f);
    SetPlane(out.planes[kFrustumBottom], m, 1, 1.0f);
    SetPlane(out.planes[kFrustumTop], m, 1, -1.0f);
    SetPlane(out.planes[kFrustumNear], m, 2, 1.0f);
    SetPlane(out.planes[kFrustumFar], m, 2, -1.0f);
}

void FrustumFromProjection(Frustum& out)
{
    Mat4 projection;
    GLGetProjection(projection);
    FrustumFromMatrix(out, projection);
}

void FrustumFromProjectionModelView(Frustum& out)
{
    Mat4 projection;
    Mat4 modelView;
    GLGetProjection(projection);
    GLGetModelView(modelView);
    FrustumFromMatrix(out, Mat4Multiply(projection, modelView));
}

#include "opengl/Frustum.h"

#include <GL/glew.h>
#include <cmath>

namespace
{
// Planes of (nearly) zero normal are scaled up instead of divided, so a
// degenerate matrix gives large finite planes rather than infinities.
constexpr float kShortestNormal = 0.000001f;
constexpr float kDegenerateScale = 1000000.0f;

float Row(const float m[16], int row, int column) { return m[column * 4 + row]; }

void SetPlane(float plane[4], const float m[16], int row, float sign)
{
    for (int column = 0; column < 4; ++column)
        plane[column] = Row(m, 3, column) + sign * Row(m, row, column);
    const float length = sqrtf(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    const float scale = length < kShortestNormal ? kDegenerateScale : 1.0f / length;
    for (int i = 0; i < 4; ++i)
        plane[i] *= scale;
}
} // namespace

void FrustumFromMatrix(Frustum& out, const float m[16])
{
    SetPlane(out.planes[kFrustumLeft], m, 0, 1.0f);
    SetPlane(out.planes[kFrustumRight], m, 0, -1.0f);
    SetPlane(out.planes[kFrustumBottom], m, 1, 1.0f);
    SetPlane(out.planes[kFrustumTop], m, 1, -1.0f);
    SetPlane(out.planes[kFrustumNear], m, 2, 1.0f);
    SetPlane(out.planes[kFrustumFar], m, 2, -1.0f);
}

void FrustumMultiplyMatrices(float out[16], const float a[16], const float b[16])
{
    for (int column = 0; column < 4; ++column)
    {
        for (int row = 0; row < 4; ++row)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[column * 4 + k];
            out[column * 4 + row] = sum;
        }
    }
}

void FrustumFromProjection(Frustum& out)
{
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    FrustumFromMatrix(out, projection);
}

void FrustumFromProjectionModelView(Frustum& out)
{
    float projection[16];
    float modelView[16];
    float clip[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    FrustumMultiplyMatrices(clip, projection, modelView);
    FrustumFromMatrix(out, clip);
}

#include "frontend/CurveBar.h"

#include "frontend/FrontendElement.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/TextureBuiltins.h"

#include <GL/glew.h>

#include <algorithm>

namespace
{
uint8_t Mix(uint8_t full, uint8_t start, float t)
{
    const float value = float(full) * t + float(start) * (1.0f - t);
    return uint8_t(std::min(std::max(value, 0.0f), 255.0f));
}

void Corner(float u, float v, const Vec3& at)
{
    PrimSetTexCoord(0, u, v);
    PrimSetTexCoord(1, u, v);
    PrimVertex3f(at.x, at.y, at.z);
}
} // namespace

rgba8888 CurveBarColour(const rgba8888& fullColour, const rgba8888& startColour, float t)
{
    return rgba8888(Mix(fullColour.r, startColour.r, t), Mix(fullColour.g, startColour.g, t),
                    Mix(fullColour.b, startColour.b, t), Mix(fullColour.a, startColour.a, t));
}

void CurveBar::AddPointPair(const Vec3& first, const Vec3& second)
{
    m_first.AddPoint(first);
    m_second.AddPoint(second);
}

int CurveBar::Render(float fill, float step, const rgba8888& fullColour, const rgba8888& startColour,
                     bool spline)
{
    if (!(fill > 0.0f) || !(step > 0.0f) || m_first.GetPointCount() < 2 || m_second.GetPointCount() < 2)
        return 0;
    const float firstLength = m_first.GetTotalDistance();
    const float secondLength = m_second.GetTotalDistance();
    PrimFlush();
    GLBindTexture(0, TextureBuiltin(kTextureDefaultWhite));
    GLBindTexture(1, TextureBuiltin(kTextureDefaultWhite));
    PrimSetType(GL_QUADS);
    int quads = 0;
    for (float s = 0.0f; s < fill && quads < kMaxQuads; s += step)
    {
        const float s2 = std::min(s + step, fill);
        const Vec3 a = m_first.GetPosAtDistance(s2 * firstLength, spline).position;
        const Vec3 b = m_first.GetPosAtDistance(s * firstLength, spline).position;
        const Vec3 c = m_second.GetPosAtDistance(s * secondLength, spline).position;
        const Vec3 d = m_second.GetPosAtDistance(s2 * secondLength, spline).position;
        PrimSetColorPacked(PackColour(CurveBarColour(fullColour, startColour, s / fill)));
        Corner(1.0f, 0.0f, a);
        Corner(0.0f, 0.0f, b);
        PrimSetColorPacked(PackColour(CurveBarColour(fullColour, startColour, s2 / fill)));
        Corner(0.0f, 1.0f, c);
        Corner(1.0f, 1.0f, d);
        ++quads;
        // A step too small to move s on would never end the loop.
        if (s + step == s)
            break;
    }
    PrimFlush();
    return quads;
}

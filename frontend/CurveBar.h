#pragma once
// A coloured strip between two edges, filled from the start to a share of
// their lengths in quads of one step each, shaded from one colour to another.

#include "core/Path.h"
#include "core/rgba8888.h"

class CurveBar
{
public:
    static constexpr int kMaxQuads = 1024;

    void AddPointPair(const Vec3& first, const Vec3& second);
    // The quads drawn; none for a fill or step not above 0 or edges of fewer than 2 points.
    int Render(float fill, float step, const rgba8888& fullColour, const rgba8888& startColour, bool spline);

    Path& FirstEdge() { return m_first; }
    Path& SecondEdge() { return m_second; }

private:
    Path m_first;
    Path m_second;
};

// The colour at t of the way from the start colour to the full one, per channel.
rgba8888 CurveBarColour(const rgba8888& fullColour, const rgba8888& startColour, float t);

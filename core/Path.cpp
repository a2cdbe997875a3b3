#include "core/Path.h"

#include "core/CatmullRom.h"
#include "core/LogError.h"

namespace
{
const Vec3 kLoneDirection(1.0f, 0.0f, 0.0f);
}

void Path::Clear()
{
    m_count = 0;
    m_cursor = 0;
}

bool Path::AddPoint(const Vec3& position)
{
    if (m_count >= kMaxPoints)
    {
        LogError("Path is full (%d points): point (%g, %g, %g) not added.\n", kMaxPoints, position.x, position.y,
                 position.z);
        return false;
    }
    PathPoint& point = m_points[m_count];
    point.position = position;
    Link(m_count);
    ++m_count;
    return true;
}

// Sets point n's distance and direction from its predecessor, and turns the
// predecessor toward it.
void Path::Link(int n)
{
    PathPoint& point = m_points[n];
    point.distance = 0.0f;
    point.direction = kLoneDirection;
    if (n == 0)
        return;
    PathPoint& previous = m_points[n - 1];
    Vec3 step = point.position - previous.position;
    const float length = Vec3Normalize(step);
    point.distance = previous.distance + length;
    point.direction = step;
    previous.direction = step;
}

void Path::RemoveNthPoint(int n)
{
    if (n < 0 || n >= m_count)
        return;
    for (int i = n; i + 1 < m_count; ++i)
        m_points[i].position = m_points[i + 1].position;
    --m_count;
    Recompute();
}

void Path::Recompute()
{
    for (int i = 0; i < m_count; ++i)
        Link(i);
    m_cursor = 0;
}

float Path::GetTotalDistance() const
{
    return m_count > 0 ? m_points[m_count - 1].distance : 0.0f;
}

// The segment holding `distance`, searched from the cursor; the last point
// stands for every distance at or past the end.
int Path::FindSegment(float distance)
{
    const int last = m_count - 1;
    int c = m_cursor;
    if (distance >= m_points[c].distance)
    {
        while (c < last && m_points[c + 1].distance <= distance)
            ++c;
    }
    else
    {
        while (c > 0 && m_points[c].distance > distance)
            --c;
    }
    m_cursor = c;
    return c;
}

Vec3 Path::SplineControlBefore(int s) const
{
    if (s == 0)
        return m_points[0].position - m_points[0].direction;
    return m_points[s - 1].position;
}

Vec3 Path::SplineControlAfter(int s) const
{
    if (s + 2 >= m_count)
        return m_points[s].position + 2.0f * m_points[s].direction;
    return m_points[s + 2].position;
}

PathSample Path::GetPosAtDistance(float distance, bool spline)
{
    if (m_count == 0)
        return PathSample{Vec3(0.0f, 0.0f, 0.0f), kLoneDirection};
    if (!(distance >= 0.0f))
        distance = 0.0f;

    const int s = FindSegment(distance);
    const PathPoint& start = m_points[s];
    if (s == m_count - 1)
        return PathSample{start.position, start.direction};

    const PathPoint& end = m_points[s + 1];
    const float length = end.distance - start.distance;
    // Rounding can leave a segment with no length between two points that
    // differ; its start stands for all of it.
    if (!(length > 0.0f))
        return PathSample{start.position, Vec3Normalized(start.direction)};

    const float local = distance - start.distance;
    const float u = local / length;
    if (!spline)
        return PathSample{start.position + start.direction * local, Vec3Normalized(start.direction)};

    const Vec3 p0 = SplineControlBefore(s);
    const Vec3 p3 = SplineControlAfter(s);
    return PathSample{CatmullRomVec3(u, p0, start.position, end.position, p3),
                      Vec3Normalized(CatmullRomTangentVec3(u, p0, start.position, end.position, p3))};
}

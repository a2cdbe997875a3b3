#pragma once
// A polyline of up to 512 points with cumulative distances and segment
// directions, sampled by distance along its straight segments or along a
// Catmull-Rom spline through its points. Fixed storage: scripts embed one per
// instance and the front end's curve bars hold two.

#include "core/Vec3.h"

struct PathPoint
{
    float distance; // along the path from the first point
    Vec3 position;
    // The unit direction of the segment leaving this point; the last point
    // keeps that of the segment reaching it, a lone point has (1, 0, 0).
    Vec3 direction;
};

struct PathSample
{
    Vec3 position;
    Vec3 direction;
};

class Path
{
public:
    static constexpr int kMaxPoints = 512;

    Path() { Clear(); }

    void Clear();
    // False, after a report, when the path is full.
    bool AddPoint(const Vec3& position);
    // An index outside the path is ignored.
    void RemoveNthPoint(int n);

    int GetPointCount() const { return m_count; }
    const PathPoint& GetPoint(int i) const { return m_points[i]; }
    // 0 for an empty path.
    float GetTotalDistance() const;

    // The point at `distance` along the path, clamped to its ends (a negative
    // or NaN distance gives the start). An empty path gives position zero and
    // direction (1, 0, 0). Moves the cursor, so that sampling at increasing
    // distances steps forward instead of searching.
    PathSample GetPosAtDistance(float distance, bool spline);

private:
    int FindSegment(float distance);
    void Recompute();
    void Link(int n);
    Vec3 SplineControlBefore(int s) const;
    Vec3 SplineControlAfter(int s) const;

    PathPoint m_points[kMaxPoints];
    int m_count;
    int m_cursor;
};

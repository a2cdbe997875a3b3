#include "MathExpect.h"

#include "core/Path.h"
#include "support/LogCapture.h"

#include <cmath>
#include <limits>

namespace
{
// (0,0,0) -> (3,0,0) -> (3,4,0): segments of 3 along x and 4 along y.
Path MakeCorner()
{
    Path path;
    path.AddPoint(Vec3(0, 0, 0));
    path.AddPoint(Vec3(3, 0, 0));
    path.AddPoint(Vec3(3, 4, 0));
    return path;
}

struct LinearCase
{
    float distance;
    Vec3 position;
    Vec3 direction;
};

TEST(Path, DistancesAndDirectionsFollowTheSegments)
{
    const Path path = MakeCorner();
    ASSERT_EQ(path.GetPointCount(), 3);
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), 7.0f);
    const float distances[] = {0.0f, 3.0f, 7.0f};
    const Vec3 directions[] = {Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 1, 0)};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_FLOAT_EQ(path.GetPoint(i).distance, distances[i]) << i;
        EXPECT_TRUE(Vec3Near(path.GetPoint(i).direction, directions[i])) << i;
    }
}

TEST(Path, LinearSamplesAtKnownDistances)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const LinearCase cases[] = {
        {0.0f, Vec3(0, 0, 0), Vec3(1, 0, 0)},   {1.5f, Vec3(1.5f, 0, 0), Vec3(1, 0, 0)},
        {3.0f, Vec3(3, 0, 0), Vec3(0, 1, 0)},   {5.0f, Vec3(3, 2, 0), Vec3(0, 1, 0)},
        {7.0f, Vec3(3, 4, 0), Vec3(0, 1, 0)},   {100.0f, Vec3(3, 4, 0), Vec3(0, 1, 0)},
        {inf, Vec3(3, 4, 0), Vec3(0, 1, 0)},    {-2.0f, Vec3(0, 0, 0), Vec3(1, 0, 0)},
        {-inf, Vec3(0, 0, 0), Vec3(1, 0, 0)},   {nan, Vec3(0, 0, 0), Vec3(1, 0, 0)},
    };
    for (const LinearCase& c : cases)
    {
        Path path = MakeCorner();
        const PathSample sample = path.GetPosAtDistance(c.distance, false);
        EXPECT_TRUE(Vec3Near(sample.position, c.position)) << "at " << c.distance;
        EXPECT_TRUE(Vec3Near(sample.direction, c.direction)) << "at " << c.distance;
    }
}

TEST(Path, SamplingInAnyOrderMatchesAFreshPath)
{
    // The cursor left by one lookup must never change the next answer.
    Path walked;
    for (int i = 0; i <= 10; ++i)
        walked.AddPoint(Vec3(static_cast<float>(i * i), 0, static_cast<float>(i)));
    const float total = walked.GetTotalDistance();
    const float order[] = {0.5f, 60.0f, 61.0f, 2.0f, 0.0f, total, total - 0.01f, -1.0f, 33.3f, 33.2f, 99.0f};
    for (const bool spline : {false, true})
        for (const float distance : order)
        {
            Path fresh = walked;
            const PathSample expected = fresh.GetPosAtDistance(distance, spline);
            const PathSample sample = walked.GetPosAtDistance(distance, spline);
            EXPECT_TRUE(Vec3Near(sample.position, expected.position, 0.0f)) << distance;
            EXPECT_TRUE(Vec3Near(sample.direction, expected.direction, 0.0f)) << distance;
        }
}

TEST(Path, SplinePassesThroughThePointsAndRoundsTheCorner)
{
    Path path = MakeCorner();
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(0.0f, true).position, Vec3(0, 0, 0)));
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(3.0f, true).position, Vec3(3, 0, 0)));
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(7.0f, true).position, Vec3(3, 4, 0)));

    // Halfway up the second segment; the control point past the end lies two
    // units along the last direction from the segment's start, at (3, 2, 0).
    const PathSample middle = path.GetPosAtDistance(5.0f, true);
    EXPECT_TRUE(Vec3Near(middle.position, Vec3(3.1875f, 2.125f, 0)));
    EXPECT_NEAR(Vec3Length(middle.direction), 1.0f, 1e-5f);

    // Evenly spaced points on a line: the spline is the line itself.
    Path line;
    for (int i = 0; i < 4; ++i)
        line.AddPoint(Vec3(static_cast<float>(i), 0, 0));
    for (const float distance : {0.25f, 1.5f, 2.75f})
    {
        const PathSample sample = line.GetPosAtDistance(distance, true);
        EXPECT_TRUE(Vec3Near(sample.position, Vec3(distance, 0, 0))) << distance;
        EXPECT_TRUE(Vec3Near(sample.direction, Vec3(1, 0, 0))) << distance;
    }
}

TEST(Path, RepeatedPointsSampleWithoutNaN)
{
    Path path;
    path.AddPoint(Vec3(0, 0, 0));
    path.AddPoint(Vec3(2, 0, 0));
    path.AddPoint(Vec3(2, 0, 0));
    path.AddPoint(Vec3(2, 3, 0));
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), 5.0f);
    for (const bool spline : {false, true})
        for (const float distance : {0.0f, 1.0f, 2.0f, 3.5f, 5.0f})
        {
            const PathSample sample = path.GetPosAtDistance(distance, spline);
            EXPECT_TRUE(std::isfinite(sample.position.x) && std::isfinite(sample.position.y) &&
                        std::isfinite(sample.direction.x) && std::isfinite(sample.direction.y))
                << distance << (spline ? " spline" : " linear");
        }
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(2.0f, false).position, Vec3(2, 0, 0)));
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(3.5f, false).position, Vec3(2, 1.5f, 0)));
}

TEST(Path, EmptyAndLonePaths)
{
    Path path;
    EXPECT_EQ(path.GetPointCount(), 0);
    EXPECT_EQ(path.GetTotalDistance(), 0.0f);
    PathSample sample = path.GetPosAtDistance(4.0f, true);
    EXPECT_TRUE(Vec3Near(sample.position, Vec3(0, 0, 0), 0.0f));
    EXPECT_TRUE(Vec3Near(sample.direction, Vec3(1, 0, 0), 0.0f));

    path.AddPoint(Vec3(5, 6, 7));
    EXPECT_EQ(path.GetTotalDistance(), 0.0f);
    for (const float distance : {-1.0f, 0.0f, 3.0f})
    {
        sample = path.GetPosAtDistance(distance, true);
        EXPECT_TRUE(Vec3Near(sample.position, Vec3(5, 6, 7), 0.0f));
        EXPECT_TRUE(Vec3Near(sample.direction, Vec3(1, 0, 0), 0.0f));
    }

    path.Clear();
    EXPECT_EQ(path.GetPointCount(), 0);
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(1.0f, false).position, Vec3(0, 0, 0), 0.0f));
}

TEST(Path, RemovingPointsRecomputesTheRest)
{
    Path path = MakeCorner();
    path.RemoveNthPoint(2);
    ASSERT_EQ(path.GetPointCount(), 2);
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), 3.0f);
    EXPECT_TRUE(Vec3Near(path.GetPoint(1).direction, Vec3(1, 0, 0)));

    path = MakeCorner();
    path.RemoveNthPoint(1);
    ASSERT_EQ(path.GetPointCount(), 2);
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), 5.0f);
    EXPECT_TRUE(Vec3Near(path.GetPoint(0).direction, Vec3(0.6f, 0.8f, 0)));
    EXPECT_TRUE(Vec3Near(path.GetPoint(1).position, Vec3(3, 4, 0)));

    path = MakeCorner();
    path.RemoveNthPoint(0);
    ASSERT_EQ(path.GetPointCount(), 2);
    EXPECT_EQ(path.GetPoint(0).distance, 0.0f);
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), 4.0f);
}

TEST(Path, RemovingAfterSamplingTheEndForgetsTheOldCursor)
{
    Path path = MakeCorner();
    path.GetPosAtDistance(7.0f, false);
    path.RemoveNthPoint(2);
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(10.0f, false).position, Vec3(3, 0, 0)));
    EXPECT_TRUE(Vec3Near(path.GetPosAtDistance(10.0f, true).position, Vec3(3, 0, 0)));
}

TEST(Path, RemovingOutsideThePathIsIgnored)
{
    for (const int n : {-1, 3, 512, -2147483647 - 1})
    {
        Path path = MakeCorner();
        path.RemoveNthPoint(n);
        EXPECT_EQ(path.GetPointCount(), 3) << n;
        EXPECT_FLOAT_EQ(path.GetTotalDistance(), 7.0f) << n;
    }
}

TEST(Path, AFullPathRefusesMorePointsWithAReport)
{
    Path path;
    for (int i = 0; i < Path::kMaxPoints; ++i)
        ASSERT_TRUE(path.AddPoint(Vec3(static_cast<float>(i), 0, 0)));
    LogCapture log;
    EXPECT_FALSE(path.AddPoint(Vec3(-50, 0, 0)));
    EXPECT_EQ(path.GetPointCount(), Path::kMaxPoints);
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), Path::kMaxPoints - 1.0f);
    EXPECT_TRUE(log.Contains("Path is full")) << log.Text();
}
} // namespace

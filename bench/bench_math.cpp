// Costs of the math operations the physics and renderer call per object.

#include "core/Geometry.h"
#include "core/Mat4.h"
#include "core/SphereSweep.h"

#include <benchmark/benchmark.h>

namespace
{
const Vec3 kTriangle[3] = {{0, 0, 0}, {0, 0, 4}, {4, 0, 0}};

void BM_Mat4Multiply(benchmark::State& state)
{
    Mat4 a = Mat4Perspective(60.0f, 1.5f, 0.5f, 100.0f);
    const Mat4 b = Mat4Ortho(0, 640, 480, 0, 0, 1);
    for (auto _ : state)
    {
        a = Mat4Multiply(a, b);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_Mat4Multiply);

void BM_Mat4Inverse(benchmark::State& state)
{
    const Mat4 m = Mat4Perspective(60.0f, 1.5f, 0.5f, 100.0f);
    Mat4 inverse;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(Mat4Inverse(inverse, m));
        benchmark::DoNotOptimize(inverse);
    }
}
BENCHMARK(BM_Mat4Inverse);

void BM_Mat4InverseRigid(benchmark::State& state)
{
    Mat4 m = Mat4Identity();
    Mat4SetRotationAxisAngle(m, 0.7f, Vec3(0, 0.6f, 0.8f));
    Mat4SetTranslation(m, Vec3(1, 2, 3));
    Mat4 inverse;
    for (auto _ : state)
    {
        Mat4InverseRigid(inverse, m);
        benchmark::DoNotOptimize(inverse);
    }
}
BENCHMARK(BM_Mat4InverseRigid);

void BM_ClosestPointOnTriangle(benchmark::State& state)
{
    Vec3 p(3, 1, 3);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(p);
        benchmark::DoNotOptimize(ClosestPointOnTriangle(p, kTriangle[0], kTriangle[1], kTriangle[2]));
    }
}
BENCHMARK(BM_ClosestPointOnTriangle);

// Arg 0: a face hit; 1: an edge hit; 2: a miss beside the triangle.
void BM_SphereSweepTriangle(benchmark::State& state)
{
    const Vec4 spheres[3] = {{1, 3, 1, 1}, {2, 3, -0.5f, 1}, {-2, 3, 1, 1}};
    Vec4 sphere = spheres[state.range(0)];
    const Vec3 motion(0, -5, 0);
    const Vec3 up(0, 1, 0);
    float distance;
    Vec3 normal;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(sphere);
        benchmark::DoNotOptimize(SphereSweepTriangle(kTriangle, up, sphere, motion, &distance, &normal));
    }
}
BENCHMARK(BM_SphereSweepTriangle)->DenseRange(0, 2);
} // namespace

BENCHMARK_MAIN();

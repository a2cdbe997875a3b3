// The collision manager from the engine side: the shape tests, the grid's
// size and bucketing, grid against 3D pairing, the callback's order, full
// tables, and callbacks that change the manager under a step.
#include "game/Collision.h"

#include "core/Hash.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace
{
const uint32_t kKindA = HashString("dragon");
const uint32_t kKindB = HashString("gem");
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

Mat4 At(float x, float y, float z)
{
    Mat4 m = Mat4Identity();
    Mat4SetTranslation(m, Vec3(x, y, z));
    return m;
}

// Facing along +X: right is -Z, forward +X.
Mat4 FacingXAt(float x, float y, float z)
{
    Mat4 m = At(x, y, z);
    m[0] = 0.0f;
    m[2] = -1.0f;
    m[8] = 1.0f;
    m[10] = 0.0f;
    return m;
}

struct Hit
{
    const CollisionObject* first;
    const CollisionObject* second;
    float dt;
};

struct Recorder
{
    std::vector<Hit> hits;
    // Run after recording each hit; may change the manager.
    void (*then)(CollisionObject* first, CollisionObject* second) = nullptr;
};
Recorder g_recorder;

void Record(CollisionObject* a, CollisionObject* b, float dt, void*)
{
    g_recorder.hits.push_back({a, b, dt});
    if (g_recorder.then)
        g_recorder.then(a, b);
}

std::vector<const CollisionObject*> g_released;
void NoteRelease(CollisionObject* object)
{
    g_released.push_back(object);
}

class CollisionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_recorder = Recorder();
        g_released.clear();
        CollisionSetReleaseFunction(NoteRelease);
    }

    void TearDown() override
    {
        CollisionShutdownTables();
        CollisionSetReleaseFunction(nullptr);
    }

    // An object whose owner is its own matrix, kept alive by the fixture.
    CollisionObject* Sphere(uint32_t kind, const Mat4& where, float extent = 0.0f)
    {
        CollisionObject* object = Make(kind, where);
        CollisionSetSphere(object, extent);
        return object;
    }

    CollisionObject* Make(uint32_t kind, const Mat4& where, const void* owner = nullptr)
    {
        matrices.push_back(where);
        CollisionObject* object =
            CollisionCreateObject(owner ? owner : &matrices.back(), kind, &matrices.back(), -1, nullptr);
        EXPECT_NE(object, nullptr);
        return object;
    }

    // The hits of the last step as (first, second) pairs.
    std::vector<std::pair<const CollisionObject*, const CollisionObject*>> Pairs() const
    {
        std::vector<std::pair<const CollisionObject*, const CollisionObject*>> pairs;
        for (const Hit& hit : g_recorder.hits)
            pairs.emplace_back(hit.first, hit.second);
        return pairs;
    }

    std::deque<Mat4> matrices;
    LogCapture log;
};

// One side of a shape test: where it is, how it faces, and its shape.
struct ShapeSide
{
    Mat4 matrix;
    int32_t shape;
    float p0, p1, p2, p3;
    float scale;
};

ShapeSide SphereAt(float x, float y, float z, float extent = 0.0f)
{
    return {At(x, y, z), kCollisionShapeSphere, extent, 0, 0, 0, 1.0f};
}

// The angle in degrees; facing +Z unless a matrix is given.
ShapeSide SliceOf(const Mat4& matrix, float angle, float offset, float inner)
{
    return {matrix, kCollisionShapeSlice, angle * 3.14159f / 360.0f, offset, inner, 0, 1.0f};
}

ShapeSide ActorSphere(const Mat4& matrix, float radius, Vec3 offset, float scale = 1.0f)
{
    return {matrix, kCollisionShapeActorSphere, radius, offset.x, offset.y, offset.z, scale};
}

CollisionObject ObjectOf(const ShapeSide& side)
{
    CollisionObject object;
    object.used = 1;
    object.matrix = &side.matrix;
    object.scale = &side.scale;
    object.shape = side.shape;
    object.p0 = side.p0;
    object.p1 = side.p1;
    object.p2 = side.p2;
    object.p3 = side.p3;
    return object;
}

struct ShapeCase
{
    const char* name;
    ShapeSide a;
    ShapeSide b;
    float range;
    bool flag;
    bool hit;
};

TEST(CollisionShapes, TableOfPairs)
{
    const Mat4 origin = At(0, 0, 0);
    const ShapeCase cases[] = {
        {"spheres at exactly the range", SphereAt(0, 0, 0), SphereAt(3, 0, 4), 5, false, true},
        {"spheres just outside the range", SphereAt(0, 0, 0), SphereAt(3, 0, 4.1f), 5, false, false},
        {"spheres ignore height", SphereAt(0, 0, 0), SphereAt(3, 90, 4), 5, false, true},
        {"first extent brings it within along Z", SphereAt(0, 0, 0, 1), SphereAt(0, 0, 6), 5, true, true},
        {"extent needs the flag", SphereAt(0, 0, 0, 1), SphereAt(0, 0, 6), 5, false, false},
        {"second extent brings it within", SphereAt(0, 0, 6), SphereAt(0, 0, 0, 1), 5, true, true},
        {"extent away from the other", SphereAt(0, 0, 0, -1), SphereAt(0, 0, 6), 5, true, false},
        {"extent too small to count", SphereAt(0, 0, 0, 0.005f), SphereAt(0, 0, 5.004f), 5, true, false},
        {"slice with a sphere ahead", SliceOf(origin, 90, 0, 0), SphereAt(0, 0, 5), 10, false, true},
        {"sphere first, slice second", SphereAt(0, 0, 5), SliceOf(origin, 90, 0, 0), 10, false, true},
        {"slice ahead but out of range", SliceOf(origin, 90, 0, 0), SphereAt(0, 0, 10.5f), 10, false, false},
        {"slice with a sphere beside it", SliceOf(origin, 90, 0, 0), SphereAt(5, 0, 0.1f), 10, false, false},
        {"wide slice takes the side", SliceOf(origin, 360, 0, 0), SphereAt(5, 0, 0.1f), 10, false, true},
        {"behind within the inner radius, flag", SliceOf(origin, 90, 0, 2), SphereAt(0, 0, -1), 10, true, true},
        {"behind within the inner radius, no flag", SliceOf(origin, 90, 0, 2), SphereAt(0, 0, -1), 10, false,
         false},
        {"behind beyond the inner radius", SliceOf(origin, 90, 0, 2), SphereAt(0, 0, -3), 10, true, false},
        {"forward offset leaves a near sphere behind", SliceOf(origin, 90, 5, 0), SphereAt(0, 0, 4), 10, false,
         false},
        {"forward offset moves the apex", SliceOf(origin, 90, 5, 0), SphereAt(0, 0, 6), 10, false, true},
        {"slice turned toward +X", SliceOf(FacingXAt(0, 0, 0), 90, 0, 0), SphereAt(5, 0, 0), 10, false, true},
        {"slice turned away", SliceOf(FacingXAt(0, 0, 0), 90, 0, 0), SphereAt(0, 0, 5), 10, false, false},
        {"two slices never", SliceOf(origin, 360, 0, 5), SliceOf(origin, 360, 0, 5), 10, true, false},
        {"sphere and actor sphere never", SphereAt(0, 0, 0), ActorSphere(origin, 5, Vec3(0, 0, 0)), 10, true,
         false},
        {"actor spheres apart", ActorSphere(origin, 1, Vec3(0, 0, 2)), ActorSphere(At(0, 0, 5), 1, Vec3(0, 0, 0)),
         0, false, false},
        {"scaled actor sphere reaches", ActorSphere(origin, 1, Vec3(0, 0, 2), 2.0f),
         ActorSphere(At(0, 0, 5), 1, Vec3(0, 0, 0)), 0, false, true},
        {"actor spheres count height", ActorSphere(origin, 1, Vec3(0, 0, 0)),
         ActorSphere(At(0, 2.5f, 0), 1, Vec3(0, 0, 0)), 0, false, false},
        {"turned, scaled actor sphere at its offset", ActorSphere(FacingXAt(0, 0, 0), 1, Vec3(0, 0, 2), 2.0f),
         ActorSphere(At(5.5f, 0, 0), 0.1f, Vec3(0, 0, 0)), 0, false, true},
        {"turned actor sphere not where unturned", ActorSphere(FacingXAt(0, 0, 0), 1, Vec3(0, 0, 2), 2.0f),
         ActorSphere(At(0, 0, 4), 0.5f, Vec3(0, 0, 0)), 0, false, false},
    };
    for (const ShapeCase& c : cases)
    {
        const CollisionObject a = ObjectOf(c.a);
        const CollisionObject b = ObjectOf(c.b);
        EXPECT_EQ(CollisionShapesHit(a, b, c.range, c.flag), c.hit) << c.name;
    }
}

struct GridSizeCase
{
    float x0, z0, x1, z1, cell;
    int columns, rows;
};

TEST_F(CollisionTest, GridSizeRoundsUpAndIgnoresWhereTheCornersLie)
{
    const GridSizeCase cases[] = {
        {0, 0, 10, 10, 3, 4, 4},   {-5, -5, 5, 5, 2.5f, 4, 4}, {0, 0, 10, 6, 5, 2, 2},
        {10, 0, 0, 6, 3, 4, 2},    {100, 100, 110, 101, 1, 10, 1},
    };
    for (const GridSizeCase& c : cases)
    {
        ASSERT_TRUE(CollisionInitAsGrid(4, c.x0, c.z0, c.x1, c.z1, c.cell));
        EXPECT_TRUE(CollisionIsGrid());
        EXPECT_EQ(CollisionGridColumns(), c.columns) << c.x0 << " " << c.x1 << " " << c.cell;
        EXPECT_EQ(CollisionGridRows(), c.rows) << c.z0 << " " << c.z1 << " " << c.cell;
    }
    EXPECT_TRUE(log.Empty()) << log.Text();
}

struct RefusedGrid
{
    const char* name;
    int capacity;
    float x0, z0, x1, z1, cell;
};

TEST_F(CollisionTest, BadTablesAreRefusedAndLeaveTheManagerAsItWas)
{
    ASSERT_TRUE(CollisionInitAsGrid(8, -5, -5, 5, 5, 1));
    CollisionObject* kept = Sphere(kKindA, At(0, 0, 0));
    const RefusedGrid cases[] = {
        {"no capacity", 0, -5, -5, 5, 5, 1},
        {"negative capacity", -3, -5, -5, 5, 5, 1},
        {"capacity beyond memory", kCollisionMaxObjects + 1, -5, -5, 5, 5, 1},
        {"cell size 0", 8, -5, -5, 5, 5, 0},
        {"negative cell size", 8, -5, -5, 5, 5, -2},
        {"cell size not a number", 8, -5, -5, 5, 5, kNaN},
        {"no width", 8, 5, -5, 5, 5, 1},
        {"too many cells", 8, -1e6f, -1e6f, 1e6f, 1e6f, 1},
        {"infinite corner", 8, -kInfinity, -5, 5, 5, 1},
    };
    for (const RefusedGrid& c : cases)
    {
        log.Clear();
        EXPECT_FALSE(CollisionInitAsGrid(c.capacity, c.x0, c.z0, c.x1, c.z1, c.cell)) << c.name;
        EXPECT_FALSE(log.Empty()) << c.name;
        EXPECT_EQ(CollisionGridColumns(), 10) << c.name;
        EXPECT_EQ(CollisionNthLive(0), kept) << c.name;
    }
    EXPECT_FALSE(CollisionInitIn3d(0));
    EXPECT_TRUE(CollisionIsGrid());
    EXPECT_TRUE(g_released.empty());
}

struct BucketCase
{
    const char* name;
    float x, z;
    int column, row; // -1: not bucketed
};

TEST_F(CollisionTest, BucketingEdges)
{
    // Ten cells of 1 from -5 to 5 each way.
    ASSERT_TRUE(CollisionInitAsGrid(32, -5, -5, 5, 5, 1));
    const BucketCase cases[] = {
        {"low corner", -5, -5, 0, 0},
        {"half a cell beyond the low X edge", -5.5f, 0, 0, 5},
        {"half a cell beyond the low Z edge", 0, -5.5f, 5, 0},
        {"a cell and a half beyond the low edge", -6.5f, 0, -1, -1},
        {"just inside the high edge", 4.99f, 4.99f, 9, 9},
        {"on the high edge", 5, 0, -1, -1},
        {"far away", 3e38f, 0, -1, -1},
        {"far the other way", -3e38f, 0, -1, -1},
        {"infinite", kInfinity, 0, -1, -1},
        {"not a number", kNaN, 0, -1, -1},
        {"not a number in Z", 0, kNaN, -1, -1},
    };
    std::vector<CollisionObject*> objects;
    for (const BucketCase& c : cases)
        objects.push_back(Sphere(kKindA, At(c.x, 0, c.z)));
    CollisionStep(1.0f / 30.0f);
    for (size_t i = 0; i < objects.size(); ++i)
    {
        const BucketCase& c = cases[i];
        const CollisionCell* cell = objects[i]->cell;
        if (c.column < 0)
        {
            EXPECT_EQ(cell, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(cell, nullptr) << c.name;
        EXPECT_EQ(cell->x, uint32_t(c.column)) << c.name;
        EXPECT_EQ(cell->z, uint32_t(c.row)) << c.name;
    }
}

// Outside the grid an object meets nothing; in 3D the same pair meets.
TEST_F(CollisionTest, AnObjectOffTheGridCollidesOnlyIn3d)
{
    for (bool grid : {true, false})
    {
        ASSERT_TRUE(grid ? CollisionInitAsGrid(4, -5, -5, 5, 5, 1) : CollisionInitIn3d(4));
        ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 3, 0));
        Sphere(kKindA, At(-6.5f, 0, 0));
        Sphere(kKindB, At(-5.5f, 0, 0));
        g_recorder.hits.clear();
        CollisionStep(0.1f);
        EXPECT_EQ(g_recorder.hits.size(), grid ? 0u : 2u) << grid;
        CollisionShutdownTables();
    }
}

TEST_F(CollisionTest, TheLastSlotCollidesLikeAnyOther)
{
    ASSERT_TRUE(CollisionInitAsGrid(3, -5, -5, 5, 5, 1));
    ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 1, 0));
    Sphere(kKindA, At(4.5f, 0, 4.5f));
    CollisionObject* a = Sphere(kKindA, At(0, 0, 0));
    CollisionObject* b = Sphere(kKindB, At(0.5f, 0, 0));
    EXPECT_EQ(CollisionNthLive(2), b);
    CollisionStep(0.1f);
    ASSERT_EQ(g_recorder.hits.size(), 1u);
    EXPECT_EQ(g_recorder.hits[0].first, a);
    EXPECT_EQ(g_recorder.hits[0].second, b);
    EXPECT_FLOAT_EQ(g_recorder.hits[0].dt, 0.1f);
}

// Pairs in the same, side and corner neighbours meet once each; cells two
// apart never meet, however wide the range.
TEST_F(CollisionTest, NeighbouringCellsMeetOnceAndFartherCellsNever)
{
    ASSERT_TRUE(CollisionInitAsGrid(16, -5, -5, 5, 5, 1));
    ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 100, 0));
    const CollisionObject* centre = Sphere(kKindA, At(0.5f, 0, 0.5f));
    const Vec3 neighbours[] = {{0.6f, 0, 0.6f}, {1.5f, 0, 0.5f}, {-0.5f, 0, 0.5f}, {0.5f, 0, 1.5f},
                               {0.5f, 0, -0.5f}, {1.5f, 0, 1.5f},  {-0.5f, 0, -0.5f}, {1.5f, 0, -0.5f},
                               {-0.5f, 0, 1.5f}};
    std::vector<const CollisionObject*> near;
    for (const Vec3& p : neighbours)
        near.push_back(Sphere(kKindB, At(p.x, p.y, p.z)));
    Sphere(kKindB, At(2.5f, 0, 0.5f));
    Sphere(kKindB, At(0.5f, 0, -1.5f));
    CollisionStep(0.1f);
    ASSERT_EQ(g_recorder.hits.size(), near.size());
    for (const Hit& hit : g_recorder.hits)
    {
        EXPECT_EQ(hit.first, centre);
        EXPECT_NE(std::find(near.begin(), near.end(), hit.second), near.end());
    }
}

TEST_F(CollisionTest, GridAnd3dDifferOnOwnersDisabledObjectsAndOrder)
{
    struct Mode
    {
        bool grid;
        size_t sameOwnerHits;
        size_t disabledHits;
        size_t plainHits;
    };
    // In 3D every pair is tested in both orders.
    for (const Mode mode : {Mode{true, 1, 0, 1}, Mode{false, 0, 2, 2}})
    {
        ASSERT_TRUE(mode.grid ? CollisionInitAsGrid(8, -5, -5, 5, 5, 1) : CollisionInitIn3d(8));
        ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 1, 0));
        const int owner = 0;
        Make(kKindA, At(0, 0, 0), &owner)->shape = kCollisionShapeSphere;
        Make(kKindB, At(0.5f, 0, 0), &owner)->shape = kCollisionShapeSphere;
        g_recorder.hits.clear();
        CollisionStep(0.1f);
        EXPECT_EQ(g_recorder.hits.size(), mode.sameOwnerHits) << mode.grid;

        CollisionShutdownTables();
        ASSERT_TRUE(mode.grid ? CollisionInitAsGrid(8, -5, -5, 5, 5, 1) : CollisionInitIn3d(8));
        ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 1, 0));
        CollisionObject* a = Sphere(kKindA, At(0, 0, 0));
        CollisionObject* b = Sphere(kKindB, At(0.5f, 0, 0));
        CollisionDisable(a);
        g_recorder.hits.clear();
        CollisionStep(0.1f);
        EXPECT_EQ(g_recorder.hits.size(), mode.disabledHits) << mode.grid;

        CollisionEnable(a);
        g_recorder.hits.clear();
        CollisionStep(0.1f);
        ASSERT_EQ(g_recorder.hits.size(), mode.plainHits) << mode.grid;
        for (const Hit& hit : g_recorder.hits)
        {
            EXPECT_EQ(hit.first, a);
            EXPECT_EQ(hit.second, b);
        }
        CollisionShutdownTables();
    }
}

TEST_F(CollisionTest, ACallbackRegisteredBThenAGetsTheBObjectFirst)
{
    for (bool grid : {true, false})
    {
        ASSERT_TRUE(grid ? CollisionInitAsGrid(8, -5, -5, 5, 5, 1) : CollisionInitIn3d(8));
        ASSERT_TRUE(CollisionAddCallback(kKindB, kKindA, Record, nullptr, 1, 0));
        // A later record for the same kinds is never reached.
        ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 0, 0));
        const CollisionObject* a = Sphere(kKindA, At(0, 0, 0));
        const CollisionObject* b = Sphere(kKindB, At(0.5f, 0, 0));
        g_recorder.hits.clear();
        CollisionStep(0.1f);
        ASSERT_FALSE(g_recorder.hits.empty()) << grid;
        for (const Hit& hit : g_recorder.hits)
        {
            EXPECT_EQ(hit.first, b) << grid;
            EXPECT_EQ(hit.second, a) << grid;
        }
        CollisionShutdownTables();
    }
}

TEST_F(CollisionTest, PairsOfKindsWithoutACallbackAreNotTested)
{
    ASSERT_TRUE(CollisionInitIn3d(4));
    ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 1, 0));
    Sphere(kKindA, At(0, 0, 0));
    Sphere(kKindA, At(0.5f, 0, 0));
    Sphere(HashString("other"), At(0.5f, 0, 0));
    CollisionStep(0.1f);
    EXPECT_TRUE(g_recorder.hits.empty());
}

TEST_F(CollisionTest, AFullCellLeavesTheRestOutAndSaysSoOncePerInitialisation)
{
    ASSERT_TRUE(CollisionInitAsGrid(kCollisionCellCapacity + 2, -5, -5, 5, 5, 1));
    for (int i = 0; i < kCollisionCellCapacity + 1; ++i)
        Sphere(kKindA, At(0.5f, 0, 0.5f));
    CollisionObject* neighbour = Sphere(kKindA, At(1.5f, 0, 0.5f));
    CollisionStep(0.1f);
    EXPECT_EQ(log.Lines().size(), 1u) << log.Text();
    EXPECT_NE(CollisionObjectAt(kCollisionCellCapacity - 1)->cell, nullptr);
    EXPECT_EQ(CollisionObjectAt(kCollisionCellCapacity)->cell, nullptr);
    EXPECT_NE(neighbour->cell, nullptr);
    CollisionStep(0.1f);
    EXPECT_EQ(log.Lines().size(), 1u);

    ASSERT_TRUE(CollisionInitAsGrid(kCollisionCellCapacity + 1, -5, -5, 5, 5, 1));
    for (int i = 0; i < kCollisionCellCapacity + 1; ++i)
        Sphere(kKindA, At(0.5f, 0, 0.5f));
    CollisionStep(0.1f);
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST_F(CollisionTest, FullTablesRefuseWithAReport)
{
    ASSERT_TRUE(CollisionInitIn3d(2));
    Sphere(kKindA, At(0, 0, 0));
    Sphere(kKindA, At(0, 0, 0));
    EXPECT_EQ(CollisionCreateObject(this, kKindA, &matrices.back(), -1, nullptr), nullptr);
    EXPECT_TRUE(log.Contains("full")) << log.Text();
    EXPECT_EQ(CollisionLiveCount(), 2);

    log.Clear();
    for (int i = 0; i < kCollisionCallbackCapacity; ++i)
        ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 1, 0));
    EXPECT_TRUE(log.Empty());
    EXPECT_FALSE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 1, 0));
    EXPECT_TRUE(log.Contains("callbacks is full")) << log.Text();
    EXPECT_EQ(CollisionCallbackCount(), kCollisionCallbackCapacity);
}

TEST_F(CollisionTest, WithoutTablesNothingIsMadeAndAStepDoesNothing)
{
    EXPECT_FALSE(CollisionIsInitialised());
    const Mat4 m = At(0, 0, 0);
    EXPECT_EQ(CollisionCreateObject(&m, kKindA, &m, -1, nullptr), nullptr);
    EXPECT_FALSE(log.Empty());
    EXPECT_EQ(CollisionLiveCount(), 0);
    EXPECT_EQ(CollisionNthLive(0), nullptr);
    CollisionStep(0.1f);
}

TEST_F(CollisionTest, ObjectsAreFoundAndCountedBySlot)
{
    ASSERT_TRUE(CollisionInitIn3d(4));
    const int owner = 0;
    CollisionObject* first = Make(kKindA, At(0, 0, 0), &owner);
    CollisionObject* second = CollisionCreateObject(&owner, kKindA, &matrices.back(), 3, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(CollisionFindObject(&owner, kKindA, -1), first);
    EXPECT_EQ(CollisionFindObject(&owner, kKindA, 3), second);
    EXPECT_EQ(CollisionFindObject(&owner, kKindB, 3), nullptr);
    EXPECT_EQ(CollisionGetIndex(second), 3);
    CollisionFreeObject(first);
    EXPECT_EQ(CollisionFindObject(&owner, kKindA, -1), nullptr);
    EXPECT_EQ(CollisionLiveCount(), 1);
    EXPECT_EQ(CollisionNthLive(0), second);
    // A freed slot is the first to be taken again.
    EXPECT_EQ(Make(kKindB, At(0, 0, 0)), first);
    EXPECT_EQ(first->enabled, 1);
    EXPECT_EQ(first->shape, kCollisionShapeNone);
}

// Freeing an object, initialising again and shutting down each let go of
// the user data once; the callbacks outlive an initialisation.
TEST_F(CollisionTest, InitialisingAgainReleasesTheObjectsAndKeepsTheCallbacks)
{
    ASSERT_TRUE(CollisionInitAsGrid(4, -5, -5, 5, 5, 1));
    ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 1, 0));
    int data = 0;
    CollisionObject* a = Sphere(kKindA, At(0, 0, 0));
    CollisionSetUserData(a, &data);
    EXPECT_EQ(CollisionGetUserData(a), &data);
    Sphere(kKindB, At(0, 0, 0));
    CollisionFreeObject(a);
    EXPECT_EQ(g_released.size(), 1u);
    CollisionFreeObject(a);
    EXPECT_EQ(g_released.size(), 1u);

    CollisionSetUserData(Sphere(kKindA, At(0, 0, 0)), &data);
    ASSERT_TRUE(CollisionInitIn3d(4));
    EXPECT_EQ(g_released.size(), 2u);
    EXPECT_EQ(CollisionLiveCount(), 0);
    EXPECT_EQ(CollisionCallbackCount(), 1);
    EXPECT_FALSE(CollisionIsGrid());

    CollisionSetUserData(Sphere(kKindA, At(0, 0, 0)), &data);
    Sphere(kKindB, At(0.5f, 0, 0));
    CollisionStep(0.1f);
    EXPECT_EQ(g_recorder.hits.size(), 2u);
    CollisionShutdownTables();
    EXPECT_EQ(g_released.size(), 3u);
    EXPECT_EQ(CollisionCallbackCount(), 0);
    EXPECT_FALSE(CollisionIsInitialised());
}

void ShutDown(CollisionObject*, CollisionObject*)
{
    CollisionShutdownTables();
}
void InitialiseAgain(CollisionObject*, CollisionObject*)
{
    CollisionInitIn3d(2);
}
void FreeFirst(CollisionObject* first, CollisionObject*)
{
    CollisionFreeObject(first);
}
void DisableFirst(CollisionObject* first, CollisionObject*)
{
    CollisionDisable(first);
}

// Three B objects meet one A: a callback that takes the A object out of play
// (or the manager away) ends its pairs, and the step goes on no further.
TEST_F(CollisionTest, ACallbackThatChangesTheManagerEndsTheStepThere)
{
    struct Case
    {
        const char* name;
        void (*then)(CollisionObject*, CollisionObject*);
        size_t gridHits;
        size_t hits3d;
    };
    const Case cases[] = {
        {"shut down", ShutDown, 1, 1},
        {"initialise again", InitialiseAgain, 1, 1},
        {"free the first", FreeFirst, 1, 1},
        // In 3D the enabled flag is not consulted, so the other pairs go on.
        {"disable the first", DisableFirst, 1, 6},
    };
    for (const Case& c : cases)
        for (bool grid : {true, false})
        {
            ASSERT_TRUE(grid ? CollisionInitAsGrid(8, -5, -5, 5, 5, 1) : CollisionInitIn3d(8));
            ASSERT_TRUE(CollisionAddCallback(kKindA, kKindB, Record, nullptr, 2, 0));
            Sphere(kKindA, At(0.5f, 0, 0.5f));
            for (int i = 0; i < 3; ++i)
                Sphere(kKindB, At(0.5f, 0, 0.5f));
            g_recorder = Recorder();
            g_recorder.then = c.then;
            CollisionStep(0.1f);
            EXPECT_EQ(g_recorder.hits.size(), grid ? c.gridHits : c.hits3d) << c.name << (grid ? " grid" : " 3D");
            CollisionShutdownTables();
        }
}
} // namespace

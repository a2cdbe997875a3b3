#include "game/Collision.h"

#include "core/LogError.h"

#include <cmath>
#include <memory>
#include <new>

namespace
{
struct CollisionTables
{
    std::unique_ptr<CollisionObject[]> objects;
    int capacity = 0;
    bool grid = false;
    int columns = 0;
    int rows = 0;
    float cellSize = 0.0f;
    float halfWidth = 0.0f;
    float halfDepth = 0.0f;
    std::unique_ptr<CollisionCell[]> cells;
    // One byte a cell, set while the cell holds objects: a step touches only
    // the cells in use, as each cell spans several kilobytes.
    std::unique_ptr<uint8_t[]> occupied;
    CollisionCallback callbacks[kCollisionCallbackCapacity];
    int callbackCount = 0;
    CollisionReleaseFunction release = nullptr;
    // Changes at every initialisation and shutdown: a step that sees it
    // change under a callback stops, its tables gone.
    uint32_t generation = 0;
    bool cellFullReported = false;
};
CollisionTables g_collision;

bool Active(const CollisionObject* object)
{
    return object->used && object->enabled;
}

void ReleaseUserData(CollisionObject& object)
{
    if (object.used && object.userData && g_collision.release)
        g_collision.release(&object);
    object.userData = nullptr;
}

void FreeTables()
{
    for (int i = 0; i < g_collision.capacity; ++i)
        ReleaseUserData(g_collision.objects[i]);
    g_collision.objects.reset();
    g_collision.cells.reset();
    g_collision.occupied.reset();
    g_collision.capacity = 0;
    g_collision.columns = 0;
    g_collision.rows = 0;
    g_collision.grid = false;
    ++g_collision.generation;
}

bool CapacityFits(int capacity)
{
    if (capacity > 0 && capacity <= kCollisionMaxObjects)
        return true;
    LogError("Pendrel Collision: a table of %d objects is refused (1 to %d).\n", capacity, kCollisionMaxObjects);
    return false;
}

// Columns or rows to cover the length, rounded up; 0 when there are none or
// too many to count.
int CellsAcross(float length, float cellSize)
{
    const float cells = std::ceil(std::fabs(length) / cellSize);
    if (!(cells >= 1.0f && cells <= float(kCollisionMaxCells)))
        return 0;
    return int(cells);
}

// Appends in slot order; an object that lies outside the grid, or finds its
// cell full, takes part in no pair this step. The comparison is made on the
// float, before any conversion, so far and non-finite positions stay out.
void BucketObjects()
{
    CollisionTables& t = g_collision;
    for (int c = 0; c < t.columns * t.rows; ++c)
        if (t.occupied[c])
        {
            t.cells[c].count = 0;
            t.occupied[c] = 0;
        }
    for (int i = 0; i < t.capacity; ++i)
    {
        CollisionObject& object = t.objects[i];
        object.cell = nullptr;
        if (!object.used)
            continue;
        const Vec3 p = Mat4GetTranslation(*object.matrix);
        // Truncated toward zero: less than one cell beyond the low edge is column 0.
        const float column = (p.x + t.halfWidth) / t.cellSize;
        const float row = (p.z + t.halfDepth) / t.cellSize;
        if (!(column > -1.0f && column < float(t.columns) && row > -1.0f && row < float(t.rows)))
            continue;
        const int number = int(row) * t.columns + int(column);
        CollisionCell& cell = t.cells[number];
        if (cell.count == kCollisionCellCapacity)
        {
            if (!t.cellFullReported)
                LogError("Pendrel Collision: a cell holds %d objects; those beyond are left out of the grid.\n",
                         kCollisionCellCapacity);
            t.cellFullReported = true;
            continue;
        }
        cell.objects[cell.count++] = &object;
        t.occupied[number] = 1;
        object.cell = &cell;
    }
}

const CollisionCallback* FindCallback(uint32_t kindA, uint32_t kindB)
{
    for (int k = 0; k < g_collision.callbackCount; ++k)
    {
        const CollisionCallback& callback = g_collision.callbacks[k];
        if ((callback.kindA == kindA && callback.kindB == kindB) || (callback.kindA == kindB && callback.kindB == kindA))
            return &callback;
    }
    return nullptr;
}

void TestPair(CollisionObject* a, CollisionObject* b, float dt)
{
    const CollisionCallback* callback = FindCallback(a->kind, b->kind);
    if (!callback || !CollisionShapesHit(*a, *b, callback->range, callback->flag != 0))
        return;
    if (a->kind == callback->kindA)
        callback->function(a, b, dt, callback->user);
    else
        callback->function(b, a, dt, callback->user);
}

// Each returns false when a callback replaced or dropped the tables. A
// callback that takes the first object out of play ends its pairs.
bool PairAgainst(CollisionObject* a, CollisionObject* const* others, uint32_t count, float dt, uint32_t generation)
{
    for (uint32_t j = 0; j < count && Active(a); ++j)
    {
        if (!Active(others[j]))
            continue;
        TestPair(a, others[j], dt);
        if (g_collision.generation != generation)
            return false;
    }
    return true;
}

bool PairWithinCell(const CollisionCell& cell, float dt, uint32_t generation)
{
    for (uint32_t i = 0; i + 1 < cell.count; ++i)
        if (!PairAgainst(cell.objects[i], cell.objects + i + 1, cell.count - i - 1, dt, generation))
            return false;
    return true;
}

bool PairCells(const CollisionCell& cell, const CollisionCell& other, float dt, uint32_t generation)
{
    for (uint32_t i = 0; i < cell.count; ++i)
        if (!PairAgainst(cell.objects[i], other.objects, other.count, dt, generation))
            return false;
    return true;
}

// Of the eight neighbours only those numbered above the cell, so that each
// neighbouring pair of cells meets once.
bool PairWithNeighbours(int x, int z, float dt, uint32_t generation)
{
    const CollisionTables& t = g_collision;
    const int number = z * t.columns + x;
    for (int dz = -1; dz <= 1; ++dz)
        for (int dx = -1; dx <= 1; ++dx)
        {
            const int nx = x + dx;
            const int nz = z + dz;
            const int other = nz * t.columns + nx;
            if (nx < 0 || nx >= t.columns || nz < 0 || nz >= t.rows || other <= number || !t.occupied[other])
                continue;
            if (!PairCells(t.cells[number], t.cells[other], dt, generation))
                return false;
        }
    return true;
}

void StepGrid(float dt)
{
    const uint32_t generation = g_collision.generation;
    BucketObjects();
    for (int x = 0; x < g_collision.columns; ++x)
        for (int z = 0; z < g_collision.rows; ++z)
        {
            if (!g_collision.occupied[z * g_collision.columns + x])
                continue;
            if (!PairWithinCell(g_collision.cells[z * g_collision.columns + x], dt, generation))
                return;
            if (!PairWithNeighbours(x, z, dt, generation))
                return;
        }
}

// Every ordered pair of used objects of different owners, enabled or not.
void Step3d(float dt)
{
    const uint32_t generation = g_collision.generation;
    for (int i = 0; i < g_collision.capacity; ++i)
        for (int j = 0; j < g_collision.capacity && g_collision.objects[i].used; ++j)
        {
            CollisionObject* a = &g_collision.objects[i];
            CollisionObject* b = &g_collision.objects[j];
            if (!b->used || a->owner == b->owner)
                continue;
            TestPair(a, b, dt);
            if (g_collision.generation != generation)
                return;
        }
}
} // namespace

void CollisionSetReleaseFunction(CollisionReleaseFunction release)
{
    g_collision.release = release;
}

bool CollisionInitObjects(int capacity)
{
    if (!CapacityFits(capacity))
        return false;
    FreeTables();
    g_collision.objects.reset(new (std::nothrow) CollisionObject[size_t(capacity)]);
    if (!g_collision.objects)
    {
        LogError("Pendrel Collision: no memory for %d objects.\n", capacity);
        return false;
    }
    g_collision.capacity = capacity;
    g_collision.cellFullReported = false;
    return true;
}

bool CollisionInitAsGrid(int capacity, float x0, float z0, float x1, float z1, float cellSize)
{
    if (!(cellSize > 0.0f))
    {
        LogError("Pendrel Collision: a grid of cell size %g is refused.\n", cellSize);
        return false;
    }
    const int columns = CellsAcross(x1 - x0, cellSize);
    const int rows = CellsAcross(z1 - z0, cellSize);
    if (columns == 0 || rows == 0 || columns > kCollisionMaxCells / rows)
    {
        LogError("Pendrel Collision: a grid from (%g, %g) to (%g, %g) in cells of %g is refused (1 to %d cells).\n",
                 x0, z0, x1, z1, cellSize, kCollisionMaxCells);
        return false;
    }
    if (!CollisionInitObjects(capacity))
        return false;
    const size_t cellCount = size_t(columns) * size_t(rows);
    g_collision.cells.reset(new (std::nothrow) CollisionCell[cellCount]);
    g_collision.occupied.reset(new (std::nothrow) uint8_t[cellCount]());
    if (!g_collision.cells || !g_collision.occupied)
    {
        LogError("Pendrel Collision: no memory for a grid of %d by %d cells.\n", columns, rows);
        FreeTables();
        return false;
    }
    g_collision.grid = true;
    g_collision.columns = columns;
    g_collision.rows = rows;
    g_collision.cellSize = cellSize;
    // Centred on the world origin: only the extents count, whichever way round.
    g_collision.halfWidth = std::fabs(x1 - x0) / 2.0f;
    g_collision.halfDepth = std::fabs(z1 - z0) / 2.0f;
    for (int z = 0; z < rows; ++z)
        for (int x = 0; x < columns; ++x)
        {
            CollisionCell& cell = g_collision.cells[z * columns + x];
            cell.x = uint32_t(x);
            cell.z = uint32_t(z);
        }
    return true;
}

bool CollisionInitIn3d(int capacity)
{
    return CollisionInitObjects(capacity);
}

void CollisionShutdownTables()
{
    FreeTables();
    g_collision.callbackCount = 0;
}

CollisionObject* CollisionCreateObject(const void* owner, uint32_t kind, const Mat4* matrix, int index,
                                       const float* scale)
{
    if (!matrix)
    {
        LogError("Pendrel Collision: an object needs its owner's matrix.\n");
        return nullptr;
    }
    for (int i = 0; i < g_collision.capacity; ++i)
    {
        CollisionObject& object = g_collision.objects[i];
        if (object.used)
            continue;
        object = CollisionObject();
        object.used = 1;
        object.owner = owner;
        object.kind = kind;
        object.matrix = matrix;
        object.index = index;
        object.scale = scale;
        return &object;
    }
    if (g_collision.capacity == 0)
        LogError("Pendrel Collision: no object can be made before the manager is initialised.\n");
    else
        LogError("Pendrel Collision: the table of %d objects is full.\n", g_collision.capacity);
    return nullptr;
}

void CollisionFreeObject(CollisionObject* object)
{
    if (!object)
        return;
    ReleaseUserData(*object);
    object->used = 0;
}

CollisionObject* CollisionFindObject(const void* owner, uint32_t kind, int index)
{
    for (int i = 0; i < g_collision.capacity; ++i)
    {
        CollisionObject& object = g_collision.objects[i];
        if (object.used && object.owner == owner && object.kind == kind && object.index == index)
            return &object;
    }
    return nullptr;
}

void CollisionSetSphere(CollisionObject* object, float extent)
{
    object->shape = kCollisionShapeSphere;
    object->p0 = extent;
}

void CollisionSetSlice(CollisionObject* object, float angleDegrees, float forwardOffset, float innerRadius)
{
    object->shape = kCollisionShapeSlice;
    object->p0 = angleDegrees * 3.14159f / 360.0f;
    object->p1 = forwardOffset;
    object->p2 = innerRadius;
}

void CollisionSetActorSphere(CollisionObject* object, float radius, float x, float y, float z)
{
    object->shape = kCollisionShapeActorSphere;
    object->p0 = radius;
    object->p1 = x;
    object->p2 = y;
    object->p3 = z;
}

void CollisionEnable(CollisionObject* object)
{
    object->enabled = 1;
}

void CollisionDisable(CollisionObject* object)
{
    object->enabled = 0;
}

void CollisionSetUserData(CollisionObject* object, void* userData)
{
    object->userData = userData;
}

void* CollisionGetUserData(const CollisionObject* object)
{
    return object->userData;
}

int CollisionGetIndex(const CollisionObject* object)
{
    return object->index;
}

int CollisionLiveCount()
{
    int live = 0;
    for (int i = 0; i < g_collision.capacity; ++i)
        live += g_collision.objects[i].used ? 1 : 0;
    return live;
}

CollisionObject* CollisionObjectAt(int slot)
{
    return slot >= 0 && slot < g_collision.capacity ? &g_collision.objects[slot] : nullptr;
}

CollisionObject* CollisionNthLive(int n)
{
    for (int i = 0; i < g_collision.capacity; ++i)
    {
        CollisionObject& object = g_collision.objects[i];
        if (object.used && n-- == 0)
            return &object;
    }
    return nullptr;
}

bool CollisionAddCallback(uint32_t kindA, uint32_t kindB, CollisionFunction function, void* user, float range,
                          uint8_t flag)
{
    if (!function)
    {
        LogError("Pendrel Collision: a callback needs a function.\n");
        return false;
    }
    if (g_collision.callbackCount == kCollisionCallbackCapacity)
    {
        LogError("Pendrel Collision: the table of %d callbacks is full; the callback is not added.\n",
                 kCollisionCallbackCapacity);
        return false;
    }
    g_collision.callbacks[g_collision.callbackCount++] = {kindA, kindB, user, function, range, flag};
    return true;
}

void CollisionStep(float dt)
{
    if (!g_collision.objects)
        return;
    if (g_collision.grid)
        StepGrid(dt);
    else
        Step3d(dt);
}

bool CollisionIsInitialised()
{
    return g_collision.objects != nullptr;
}

bool CollisionIsGrid()
{
    return g_collision.grid;
}

int CollisionCapacity()
{
    return g_collision.capacity;
}

int CollisionGridColumns()
{
    return g_collision.columns;
}

int CollisionGridRows()
{
    return g_collision.rows;
}

int CollisionCallbackCount()
{
    return g_collision.callbackCount;
}

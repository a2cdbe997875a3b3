#pragma once
// The collision manager: objects that entities register are paired once per
// fixed step, either on a uniform grid over the ground (X and Z; only the
// same and neighbouring cells meet) or all against all (3D mode), and every
// overlapping pair whose two kinds have a callback calls it.
//
// The tables are global, made at initialisation and freed at shutdown; a
// step allocates nothing.

#include "core/Mat4.h"

#include <cstdint>

constexpr int kCollisionCellCapacity = 512;
constexpr int kCollisionCallbackCapacity = 512;
// Bounds that keep the tables within memory: 65536 cells of 512 pointers are
// 256 MiB already.
constexpr int kCollisionMaxCells = 65536;
constexpr int kCollisionMaxObjects = 1 << 20;

enum CollisionShapeKind : int32_t
{
    kCollisionShapeNone = -1,
    kCollisionShapeSlice = 0,
    kCollisionShapeSphere = 1,
    kCollisionShapeActorSphere = 2,
};

struct CollisionCell;

// Shape floats: slice p0 = half-angle value (degrees x 3.14159 / 360),
// p1 = forward offset, p2 = inner radius; sphere p0 = extent along Z;
// actor sphere p0 = radius, p1 to p3 = offset in the owner's frame.
struct CollisionObject
{
    uint8_t used = 0;
    const void* owner = nullptr;
    uint32_t kind = 0;
    // -1 for sphere and slice objects, the sphere's number for actor spheres.
    int32_t index = -1;
    // The owner's world matrix, read every step.
    const Mat4* matrix = nullptr;
    // Null stands for 1.0.
    const float* scale = nullptr;
    void* userData = nullptr;
    CollisionCell* cell = nullptr;
    int32_t shape = kCollisionShapeNone;
    float p0 = 0.0f;
    float p1 = 0.0f;
    float p2 = 0.0f;
    float p3 = 0.0f;
    uint8_t enabled = 1;
};

// The cell at column x and row z is number z x columns + x.
struct CollisionCell
{
    uint32_t x = 0;
    uint32_t z = 0;
    CollisionObject* objects[kCollisionCellCapacity];
    uint32_t count = 0;
};

// Called with the object of kindA first.
using CollisionFunction = void (*)(CollisionObject* a, CollisionObject* b, float dt, void* user);

struct CollisionCallback
{
    uint32_t kindA = 0;
    uint32_t kindB = 0;
    void* user = nullptr;
    CollisionFunction function = nullptr;
    float range = 0.0f;
    uint8_t flag = 0;
};

// Told of every object that is freed or dropped with the tables while it has
// user data, so that whoever made the data can let go of it.
using CollisionReleaseFunction = void (*)(CollisionObject* object);
void CollisionSetReleaseFunction(CollisionReleaseFunction release);

// Each initialisation first frees the objects of the one before (their user
// data released), keeping the callbacks. A capacity of 0 or less, a cell size
// of 0 or less, or tables too big are refused with a report, and then
// nothing changes.
bool CollisionInitObjects(int capacity);
bool CollisionInitAsGrid(int capacity, float x0, float z0, float x1, float z1, float cellSize);
bool CollisionInitIn3d(int capacity);
// Frees cells and objects and forgets the callbacks.
void CollisionShutdownTables();

// The first unused slot; null (with a report) when the table is full or
// there is none.
CollisionObject* CollisionCreateObject(const void* owner, uint32_t kind, const Mat4* matrix, int index,
                                       const float* scale);
void CollisionFreeObject(CollisionObject* object);
CollisionObject* CollisionFindObject(const void* owner, uint32_t kind, int index);

void CollisionSetSphere(CollisionObject* object, float extent);
void CollisionSetSlice(CollisionObject* object, float angleDegrees, float forwardOffset, float innerRadius);
void CollisionSetActorSphere(CollisionObject* object, float radius, float x, float y, float z);
void CollisionEnable(CollisionObject* object);
void CollisionDisable(CollisionObject* object);
void CollisionSetUserData(CollisionObject* object, void* userData);
void* CollisionGetUserData(const CollisionObject* object);
int CollisionGetIndex(const CollisionObject* object);
int CollisionLiveCount();
// The slot, used or not; null outside the table.
CollisionObject* CollisionObjectAt(int slot);
// The n-th used slot in slot order, or null.
CollisionObject* CollisionNthLive(int n);

// Appends a callback; false (with a report) when the table is full.
bool CollisionAddCallback(uint32_t kindA, uint32_t kindB, CollisionFunction function, void* user, float range,
                          uint8_t flag);

// Pairs the objects and calls the callbacks of those that overlap. A callback
// that initialises or shuts the manager down ends the step there.
void CollisionStep(float dt);

// What the tables are now.
bool CollisionIsInitialised();
bool CollisionIsGrid();
int CollisionCapacity();
int CollisionGridColumns();
int CollisionGridRows();
int CollisionCallbackCount();

// Whether the pair overlaps under the callback's range and flag (the kinds
// are not looked at).
bool CollisionShapesHit(const CollisionObject& a, const CollisionObject& b, float range, bool flag);

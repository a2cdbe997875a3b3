#pragma once
// The script class "Collision": scripts initialise the collision manager,
// register their entities' spheres, slices and actor spheres, and name the
// script functions that overlapping pairs call.
#include <squirrel.h>

struct CollisionObject;

// What a registration holds while its objects live: a reference to the
// script instance that registered and that instance's native object. All
// actor spheres of one registration share one record; it goes with the last
// of them.
struct CollisionScriptRef
{
    HSQUIRRELVM vm = nullptr;
    HSQOBJECT instance;
    const void* native = nullptr;
    int objects = 0;
};

void RegisterCollisionScriptAPI(HSQUIRRELVM vm);

// Lets go of every object's instance, forgets the callbacks and their
// function names and frees the tables: "Collision.Shutdown", and the
// application's shutdown while the VM still stands.
void CollisionScriptShutdown();

// The call every script callback makes: the two instances and the step's
// duration, and the two sphere numbers when both objects are actor spheres.
// Nothing when the two belong to one instance.
void CollisionScriptCallback(CollisionObject* a, CollisionObject* b, float dt, void* functionName);

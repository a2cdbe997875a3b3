#pragma once
// What the script classes over entities ("Actor", "Prop") share: the entity
// is built in place in its script instance by the class constructor, so the
// set of constructed ones tells a real entity from the zeroed area of a
// subclass that skipped the base constructor; registration by "Created"
// and "Destroyed"; the model path argument; and the matrix members.

#include "core/Vec3.h"
#include "script/ScriptBinding.h"

#include <squirrel.h>

#include <cstddef>
#include <new>
#include <unordered_set>

class Entity;
class Model;

template <class T> class EntityScriptClass
{
public:
    static bool IsConstructed(const void* native) { return s_constructed.count(static_cast<const T*>(native)) != 0; }

    // False when the entity was not (or no longer is) a constructed one.
    static bool Forget(const T* entity) { return s_constructed.erase(entity) != 0; }

    // The entity behind the instance at the index; null with a script error
    // when it is no instance of the class or was never constructed.
    static T* Get(HSQUIRRELVM vm, SQInteger index, const char* refusal)
    {
        T* native = ScriptCheckInstance<T>(vm, index);
        if (native && !IsConstructed(native))
        {
            sq_throwerror(vm, refusal);
            return nullptr;
        }
        return native;
    }

    // The constructor's work: argument 2 is the position. Builds the entity
    // in the instance the first time (a second call only moves it) and
    // gives the instance the release hook that takes it down.
    static SQInteger Construct(HSQUIRRELVM vm, SQRELEASEHOOK release, T*& out)
    {
        Vec3* position = nullptr;
        if (!ScriptCheckInstance(vm, 2, position))
            return SQ_ERROR;
        // Checked like any other `this`: never an entity built over another class's object.
        T* area = ScriptCheckInstance<T>(vm, 1);
        if (!area)
            return SQ_ERROR;
        out = area;
        if (!IsConstructed(out))
        {
            new (area) T();
            s_constructed.insert(out);
            sq_setreleasehook(vm, 1, release);
        }
        out->SetPosition(*position);
        return 0;
    }

    // The instance table's position reader: constructed entities only.
    static bool PositionOf(const void* native, Vec3& out)
    {
        if (!IsConstructed(native))
            return false;
        out = static_cast<const T*>(native)->Position();
        return true;
    }

    // A member's place in the entity, measured on one made for the purpose
    // (the entity is not a plain record).
    static size_t OffsetOf(const void* member)
    {
        return static_cast<size_t>(static_cast<const char*>(member) - reinterpret_cast<const char*>(&Sample()));
    }
    // Only for measuring: nothing reads or changes it. Never destroyed: an
    // entity's destructor leaves the entity registry and the tile terrain,
    // which an exit() from anywhere (a library's fatal error path among them)
    // may already have taken down with the other static objects.
    static T& Sample()
    {
        alignas(T) static unsigned char storage[sizeof(T)];
        static T* const sample = new (storage) T();
        return *sample;
    }
    // The members both classes show: the matrix, and its translation as a view.
    static ScriptVarDesc MatrixMember()
    {
        return ScriptVarNested("m__matrix", kScriptVarEmbedded, "Mat4", OffsetOf(&Sample().m__matrix));
    }
    static ScriptVarDesc PositionMember()
    {
        return ScriptVarNested("m__position", kScriptVarEmbedded, "Vec3", OffsetOf(&Sample().m__matrix[12]));
    }

private:
    static inline std::unordered_set<const T*> s_constructed;
};

// "Created" and "Destroyed": an entity is registered once, however often
// both the constructor and "Created" ask.
void EntityScriptRegister(Entity* entity);
void EntityScriptUnregister(Entity* entity);
// The natives themselves, over the class's checked getter.
template <class T, T* (*GetThis)(HSQUIRRELVM, SQInteger)> SQInteger EntityScriptCreated(HSQUIRRELVM vm)
{
    T* entity = GetThis(vm, 1);
    if (!entity)
        return SQ_ERROR;
    EntityScriptRegister(entity);
    return 0;
}
template <class T, T* (*GetThis)(HSQUIRRELVM, SQInteger)> SQInteger EntityScriptDestroyed(HSQUIRRELVM vm)
{
    T* entity = GetThis(vm, 1);
    if (!entity)
        return SQ_ERROR;
    EntityScriptUnregister(entity);
    return 0;
}
// "Step" of the base classes does nothing.
SQInteger EntityScriptStep(HSQUIRRELVM vm);

enum class GraphicArgument
{
    Bad,     // not a string: a script error
    Ignored, // not a model path: nothing to do
    Read,    // the model, null when it failed to load
};
// SetGraphic's path at argument 2.
GraphicArgument ReadGraphicArgument(HSQUIRRELVM vm, Model*& model);

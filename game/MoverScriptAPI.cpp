#include "game/MoverScriptAPI.h"

#include "core/Mover3D.h"
#include "core/MoverOneD.h"
#include "core/Rotator.h"
#include "script/ScriptArguments.h"
#include "script/ScriptBinding.h"

namespace
{
template <class T> SQInteger Construct(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<T>(vm))
        return sq_throwerror(vm, "the instance holds no native object");
    return 0;
}

// A method taking one number, run on the instance's native object.
template <class T, void (T::*Method)(float)> SQInteger TakeFloat(HSQUIRRELVM vm)
{
    T* object = nullptr;
    float value = 0.0f;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &object)))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, value))
        return ScriptBadArgument(vm);
    (object->*Method)(value);
    return 0;
}

template <class T, float (T::*Method)() const> SQInteger GiveFloat(HSQUIRRELVM vm)
{
    T* object = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &object)))
        return SQ_ERROR;
    return ScriptReturnFloat(vm, (object->*Method)());
}

template <class T, void (T::*Method)(const Vec3&)> SQInteger TakeVec3(HSQUIRRELVM vm)
{
    T* object = nullptr;
    Vec3* value = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &object)) || SQ_FAILED(GetInstancePtr(vm, 2, &value)))
        return SQ_ERROR;
    (object->*Method)(*value);
    return 0;
}

template <class T, const Vec3& (T::*Method)() const> SQInteger GiveVec3(HSQUIRRELVM vm)
{
    T* object = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &object)))
        return SQ_ERROR;
    return ScriptPushNewValue(vm, "Vec3", (object->*Method)());
}

SQInteger Rotator_SetTargetRotOff(HSQUIRRELVM vm)
{
    Rotator* rotator = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &rotator)))
        return SQ_ERROR;
    rotator->SetTargetRotOff();
    return 0;
}

void RegisterMoverOneD(HSQUIRRELVM vm)
{
    using M = MoverOneD;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "MoverOneD", sizeof(M), nullptr, Construct<M>)
        .AddMethod("Update", TakeFloat<M, &M::Update>, "xn")
        .AddMethod("GetValue", GiveFloat<M, &M::GetValue>, "x")
        .AddMethod("GetDestination", GiveFloat<M, &M::GetDestination>, "x")
        .AddMethod("SetValue", TakeFloat<M, &M::SetValue>, "xn")
        .AddMethod("SetDestination", TakeFloat<M, &M::SetDestination>, "xn")
        .AddMethod("SetMaxAccel", TakeFloat<M, &M::SetMaxAccel>, "xn")
        .AddMethod("SetMaxSpeed", TakeFloat<M, &M::SetMaxSpeed>, "xn")
        .AddMethod("SetMaxDeccel", TakeFloat<M, &M::SetMaxDeccel>, "xn");
}

void RegisterMover3D(HSQUIRRELVM vm)
{
    using M = Mover3D;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Mover3D", sizeof(M), nullptr, Construct<M>)
        .AddMethod("Update", TakeFloat<M, &M::Update>, "xn")
        .AddMethod("GetValue", GiveVec3<M, &M::GetValue>, "x")
        .AddMethod("GetDestination", GiveVec3<M, &M::GetDestination>, "x")
        .AddMethod("SetValue", TakeVec3<M, &M::SetValue>, "xx")
        .AddMethod("SetDestination", TakeVec3<M, &M::SetDestination>, "xx")
        .AddMethod("SetMaxAccel", TakeFloat<M, &M::SetMaxAccel>, "xn")
        .AddMethod("SetMaxSpeed", TakeFloat<M, &M::SetMaxSpeed>, "xn")
        .AddMethod("SetMaxDeccel", TakeFloat<M, &M::SetMaxDeccel>, "xn");
}

void RegisterRotator(HSQUIRRELVM vm)
{
    using R = Rotator;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Rotator", sizeof(R), nullptr, Construct<R>)
        .AddMethod("Update", TakeFloat<R, &R::Update>, "xn")
        .AddMethod("GetRotation", GiveFloat<R, &R::GetRotation>, "x")
        .AddMethod("SetTargetRot", TakeFloat<R, &R::SetTargetRot>, "xn")
        .AddMethod("SetTargetRotOff", Rotator_SetTargetRotOff, "x")
        .AddMethod("SetAcceleration", TakeFloat<R, &R::SetAcceleration>, "xn")
        .AddMethod("SetRotSpeedMax", TakeFloat<R, &R::SetRotSpeedMax>, "xn")
        .AddMethod("SetTargetRotVel", TakeFloat<R, &R::SetTargetRotVel>, "xn");
}
} // namespace

void RegisterMoverScriptAPI(HSQUIRRELVM vm)
{
    RegisterMoverOneD(vm);
    RegisterMover3D(vm);
    RegisterRotator(vm);
}

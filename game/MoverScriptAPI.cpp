#include "game/MoverScriptAPI.h"

#include "core/Mover3D.h"
#include "core/MoverOneD.h"
#include "core/Rotator.h"
#include "script/ScriptArguments.h"
#include "script/ScriptMethodRow.h"

PENDREL_SCRIPT_CLASS(MoverOneD, "MoverOneD");
PENDREL_SCRIPT_CLASS(Mover3D, "Mover3D");
PENDREL_SCRIPT_CLASS(Rotator, "Rotator");

namespace
{
template <class T, size_t N> void RegisterClass(HSQUIRRELVM vm, const ScriptMethodRow (&methods)[N])
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, ScriptClassOf<T>::name, sizeof(T), nullptr, ScriptConstructDefault<T>);
    ScriptAddMethods(handle, methods);
}

template <class M> void RegisterMover(HSQUIRRELVM vm, const char* numberMask)
{
    static const ScriptMethodRow kMethods[] = {
        {"Update", ScriptMethod<&M::Update>, "xn"},
        {"GetValue", ScriptMethod<&M::GetValue>, "x"},
        {"GetDestination", ScriptMethod<&M::GetDestination>, "x"},
        {"SetValue", ScriptMethod<&M::SetValue>, numberMask},
        {"SetDestination", ScriptMethod<&M::SetDestination>, numberMask},
        {"SetMaxAccel", ScriptMethod<&M::SetMaxAccel>, "xn"},
        {"SetMaxSpeed", ScriptMethod<&M::SetMaxSpeed>, "xn"},
        {"SetMaxDeccel", ScriptMethod<&M::SetMaxDeccel>, "xn"},
    };
    RegisterClass<M>(vm, kMethods);
}

void RegisterRotator(HSQUIRRELVM vm)
{
    using R = Rotator;
    static const ScriptMethodRow kMethods[] = {
        {"Update", ScriptMethod<&R::Update>, "xn"},
        {"GetRotation", ScriptMethod<&R::GetRotation>, "x"},
        {"SetTargetRot", ScriptMethod<&R::SetTargetRot>, "xn"},
        {"SetTargetRotOff", ScriptMethod<&R::SetTargetRotOff>, "x"},
        {"SetAcceleration", ScriptMethod<&R::SetAcceleration>, "xn"},
        {"SetRotSpeedMax", ScriptMethod<&R::SetRotSpeedMax>, "xn"},
        {"SetTargetRotVel", ScriptMethod<&R::SetTargetRotVel>, "xn"},
    };
    RegisterClass<R>(vm, kMethods);
}
} // namespace

void RegisterMoverScriptAPI(HSQUIRRELVM vm)
{
    RegisterMover<MoverOneD>(vm, "xn");
    RegisterMover<Mover3D>(vm, "xx");
    RegisterRotator(vm);
}

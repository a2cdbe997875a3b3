#include "fx/FXScriptAPI.h"

#include "core/Hash.h"
#include "core/Interp.h"
#include "core/InterpDef.h"
#include "core/Mat4.h"
#include "fx/FX.h"
#include "fx/FXelementBase.h"
#include "script/ScriptArguments.h"

#include <climits>

namespace
{
// The member through which an Interp instance keeps its curve's instance
// alive: the cursor reads the curve through a plain pointer.
const char* const kHeldDefMember = "_heldDef";

SQInteger NoNativeObject(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "the instance holds no native object");
}

template <class T> SQInteger Construct(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<T>(vm) ? 0 : NoNativeObject(vm);
}

// ---- FX

SQInteger FX_CreateFX(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    const char* name = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)))
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    FX::CreateFX(HashString(name), *handle);
    return 0;
}

SQInteger FX_SetPos(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    Vec3* p = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)) || SQ_FAILED(GetInstancePtr(vm, 2, &p)))
        return SQ_ERROR;
    handle->SetPos(*p);
    return 0;
}

Vec3 Axis(const Mat4& m, int column)
{
    return Vec3(m[column * 4], m[column * 4 + 1], m[column * 4 + 2]);
}

Vec3 OffsetInAxes(const Mat4& m, const Vec3& offset)
{
    return Mat4GetTranslation(m) + Axis(m, 0) * offset.x + Axis(m, 1) * offset.y + Axis(m, 2) * offset.z;
}

SQInteger FX_SetPosWithOffset(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    Mat4* m = nullptr;
    Vec3* offset = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)) || SQ_FAILED(GetInstancePtr(vm, 2, &m)) ||
        SQ_FAILED(GetInstancePtr(vm, 3, &offset)))
        return SQ_ERROR;
    handle->SetPos(OffsetInAxes(*m, *offset));
    return 0;
}

SQInteger FX_SetMat(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    Mat4* m = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)) || SQ_FAILED(GetInstancePtr(vm, 2, &m)))
        return SQ_ERROR;
    handle->SetMat(*m);
    return 0;
}

SQInteger FX_SetMatWithOffsets(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    Mat4* m = nullptr;
    Vec3* offset = nullptr;
    float y = 0.0f;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)) || SQ_FAILED(GetInstancePtr(vm, 2, &m)) ||
        SQ_FAILED(GetInstancePtr(vm, 3, &offset)))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 4, y))
        return ScriptBadArgument(vm);
    const Vec3 forward = Axis(*m, 2);
    Mat4 aimed = Mat4Identity();
    Mat4FromForwardUp(aimed, Vec3Normalized(Vec3(forward.x, y, forward.z)), Vec3(0, 1, 0));
    Mat4SetTranslation(aimed, OffsetInAxes(*m, *offset));
    handle->SetMat(aimed);
    return 0;
}

SQInteger FX_KillByFadeOut(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    float seconds = 0.0f;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, seconds))
        return ScriptBadArgument(vm);
    handle->KillByFadeOut(seconds);
    return 0;
}

SQInteger FX_StillAlive(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)))
        return SQ_ERROR;
    return ScriptReturnBool(vm, handle->StillAlive());
}

// The colour must really be a Vec3: another class's smaller area would be over-read.
SQInteger FX_SetRGBMultiplyNthPrimitive(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    Vec3* colour = nullptr;
    int n = 0;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)) || SQ_FAILED(GetInstancePtr(vm, 2, &colour)))
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 3, n))
        return ScriptBadArgument(vm);
    handle->SetRGBMultiplyNthPrimitive(*colour, kFXParamColourMultiply, n);
    return 0;
}

SQInteger FX_SetParticleRateAddNthPrimitive(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    float value = 0.0f;
    int n = 0;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &handle)))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, value) || !ScriptArgInt(vm, 3, n))
        return ScriptBadArgument(vm);
    handle->SetParticleRateAddNthPrimitive(value, kFXParamRateAdd, n);
    return 0;
}

SQInteger FX_KillAllEffectsInstant(HSQUIRRELVM)
{
    FX::KillAllEffectsInstant();
    return 0;
}

// ---- InterpDef

SQInteger InterpDef_AddKey(HSQUIRRELVM vm)
{
    InterpDef* def = nullptr;
    float time = 0.0f, value = 0.0f;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &def)))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, time) || !ScriptArgFloat(vm, 3, value))
        return ScriptBadArgument(vm);
    def->AddKey(time, value);
    return 0;
}

// Scripts pass the begin and end keys only: the stretch repeats without end.
SQInteger InterpDef_SetLoop(HSQUIRRELVM vm)
{
    InterpDef* def = nullptr;
    int begin = 0, end = 0;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &def)))
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, begin) || !ScriptArgInt(vm, 3, end))
        return ScriptBadArgument(vm);
    def->SetLoop(begin, end, INT_MAX);
    return 0;
}

// ---- Interp

SQInteger Interp_SetDef(HSQUIRRELVM vm)
{
    Interp* cursor = nullptr;
    InterpDef* def = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &cursor)) || SQ_FAILED(GetInstancePtrOfClass(vm, 2, "InterpDef", &def)))
        return SQ_ERROR;
    sq_pushstring(vm, kHeldDefMember, -1);
    sq_push(vm, 2);
    if (SQ_FAILED(sq_set(vm, 1)))
        return sq_throwerror(vm, "the curve cannot be held");
    cursor->SetDef(def);
    return 0;
}

SQInteger Interp_GetVatT(HSQUIRRELVM vm)
{
    Interp* cursor = nullptr;
    float t = 0.0f;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &cursor)))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, t))
        return ScriptBadArgument(vm);
    return ScriptReturnFloat(vm, cursor->GetVatT(t));
}

void AddHeldDefMember(HSQUIRRELVM vm, const char* className)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, className, -1);
    if (SQ_SUCCEEDED(sq_get(vm, -2)))
    {
        sq_pushstring(vm, kHeldDefMember, -1);
        sq_pushnull(vm);
        sq_newslot(vm, -3, SQFalse);
        sq_pop(vm, 1);
    }
    sq_pop(vm, 1);
}

const ScriptVarDesc kNoMembers[] = {ScriptVarEnd()};
} // namespace

void RegisterFXScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "FX", sizeof(FX), kNoMembers, Construct<FX>)
        .AddMethod("CreateFX", FX_CreateFX, "xs")
        .AddMethod("SetPos", FX_SetPos, "xx")
        .AddMethod("SetPosWithOffset", FX_SetPosWithOffset, "xxx")
        .AddMethod("SetMat", FX_SetMat, "xx")
        .AddMethod("SetMatWithOffsets", FX_SetMatWithOffsets, "xxxf")
        .AddMethod("KillByFadeOut", FX_KillByFadeOut, "xf")
        .AddMethod("StillAlive", FX_StillAlive, "x")
        .AddMethod("SetRGBMultiplyNthPrimitive", FX_SetRGBMultiplyNthPrimitive, "xxi")
        .AddMethod("SetParticleRateAddNthPrimitive", FX_SetParticleRateAddNthPrimitive, "xni")
        .AddStaticMethod("KillAllEffectsInstant", FX_KillAllEffectsInstant);
    ScriptBindClass(handle, vm, "InterpDef", sizeof(InterpDef), kNoMembers, Construct<InterpDef>)
        .AddMethod("AddKey", InterpDef_AddKey, "xff")
        .AddMethod("SetLoop", InterpDef_SetLoop, "xii");
    ScriptBindClass(handle, vm, "Interp", sizeof(Interp), kNoMembers, Construct<Interp>)
        .AddMethod("SetDef", Interp_SetDef, "xx")
        .AddMethod("GetVatT", Interp_GetVatT, "xn");
    AddHeldDefMember(vm, "Interp");
}

#include "fx/FXScriptAPI.h"

#include "core/Hash.h"
#include "core/Interp.h"
#include "core/InterpDef.h"
#include "core/Mat4.h"
#include "fx/FX.h"
#include "fx/FXelementBase.h"
#include "script/ScriptArguments.h"
#include "script/ScriptMethodRow.h"

#include <climits>

PENDREL_SCRIPT_CLASS(FX, "FX");
PENDREL_SCRIPT_CLASS(InterpDef, "InterpDef");
PENDREL_SCRIPT_CLASS(Interp, "Interp");

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
    if (!ScriptCheckInstance(vm, 1, handle))
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    FX::CreateFX(HashString(name), *handle);
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
    if (!ScriptCheckInstance(vm, 1, handle) || !ScriptCheckInstance(vm, 2, m) ||
        !ScriptCheckInstance(vm, 3, offset))
        return SQ_ERROR;
    handle->SetPos(OffsetInAxes(*m, *offset));
    return 0;
}

SQInteger FX_SetMatWithOffsets(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    Mat4* m = nullptr;
    Vec3* offset = nullptr;
    float y = 0.0f;
    if (!ScriptCheckInstance(vm, 1, handle) || !ScriptCheckInstance(vm, 2, m) ||
        !ScriptCheckInstance(vm, 3, offset))
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

// The colour must really be a Vec3: another class's smaller area would be over-read.
SQInteger FX_SetRGBMultiplyNthPrimitive(HSQUIRRELVM vm)
{
    FX* handle = nullptr;
    Vec3* colour = nullptr;
    int n = 0;
    if (!ScriptCheckInstance(vm, 1, handle) || !ScriptCheckInstance(vm, 2, colour))
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
    if (!ScriptCheckInstance(vm, 1, handle))
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

// Scripts pass the begin and end keys only: the stretch repeats without end.
SQInteger InterpDef_SetLoop(HSQUIRRELVM vm)
{
    InterpDef* def = nullptr;
    int begin = 0, end = 0;
    if (!ScriptCheckInstance(vm, 1, def))
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
    if (!ScriptCheckInstance(vm, 1, cursor) || !ScriptCheckInstance(vm, 2, def))
        return SQ_ERROR;
    sq_pushstring(vm, kHeldDefMember, -1);
    sq_push(vm, 2);
    if (SQ_FAILED(sq_set(vm, 1)))
        return sq_throwerror(vm, "the curve cannot be held");
    cursor->SetDef(def);
    return 0;
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
    static const ScriptMethodRow kFXMethods[] = {
        {"CreateFX", FX_CreateFX, "xs"},
        {"SetPos", ScriptMethod<&FX::SetPos>, "xx"},
        {"SetPosWithOffset", FX_SetPosWithOffset, "xxx"},
        {"SetMat", ScriptMethod<&FX::SetMat>, "xx"},
        {"SetMatWithOffsets", FX_SetMatWithOffsets, "xxxf"},
        {"KillByFadeOut", ScriptMethod<&FX::KillByFadeOut>, "xf"},
        {"StillAlive", ScriptMethod<&FX::StillAlive>, "x"},
        {"SetRGBMultiplyNthPrimitive", FX_SetRGBMultiplyNthPrimitive, "xxi"},
        {"SetParticleRateAddNthPrimitive", FX_SetParticleRateAddNthPrimitive, "xni"},
    };
    static const ScriptMethodRow kInterpDefMethods[] = {
        {"AddKey", ScriptCommand<&InterpDef::AddKey>, "xff"},
        {"SetLoop", InterpDef_SetLoop, "xii"},
    };
    static const ScriptMethodRow kInterpMethods[] = {
        {"SetDef", Interp_SetDef, "xx"},
        {"GetVatT", ScriptMethod<&Interp::GetVatT>, "xn"},
    };
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "FX", sizeof(FX), kNoMembers, Construct<FX>)
        .AddStaticMethod("KillAllEffectsInstant", FX_KillAllEffectsInstant);
    ScriptAddMethods(handle, kFXMethods);
    ScriptBindClass(handle, vm, "InterpDef", sizeof(InterpDef), kNoMembers, Construct<InterpDef>);
    ScriptAddMethods(handle, kInterpDefMethods);
    ScriptBindClass(handle, vm, "Interp", sizeof(Interp), kNoMembers, Construct<Interp>);
    ScriptAddMethods(handle, kInterpMethods);
    AddHeldDefMember(vm, "Interp");
}

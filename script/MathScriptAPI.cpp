#include "script/MathScriptAPI.h"

#include "core/Mat4.h"
#include "core/Vec2.h"
#include "core/Vec3.h"
#include "script/ScriptBinding.h"

#include <cmath>
#include <cstddef>
#include <cstdio>

namespace
{
float ArgFloat(HSQUIRRELVM vm, SQInteger index)
{
    SQFloat value = 0.0f;
    sq_getfloat(vm, index, &value);
    return value;
}

int ArgumentCount(HSQUIRRELVM vm)
{
    return static_cast<int>(sq_gettop(vm)) - 1;
}

template <class T> T* OwnArea(HSQUIRRELVM vm)
{
    return static_cast<T*>(ScriptInstanceArea(vm, 1));
}

SQInteger NoNativeObject(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "the instance holds no native object");
}

// Reads `this` and the argument at index 2 as the same type.
template <class T> bool ThisAndArgument(HSQUIRRELVM vm, T*& self, T*& other)
{
    return ScriptCheckInstance(vm, 1, self) && ScriptCheckInstance(vm, 2, other);
}

template <class T> SQInteger AssignFromArgument(HSQUIRRELVM vm)
{
    T* self = nullptr;
    T* source = nullptr;
    if (!ThisAndArgument(vm, self, source))
        return SQ_ERROR;
    *self = *source;
    return 0;
}

// A clone comes without a native object of its own: it gets one, then the copy.
template <class T> SQInteger ClonedFromArgument(HSQUIRRELVM vm)
{
    T* self = nullptr;
    T* source = nullptr;
    if (!ScriptCheckInstance(vm, 1, self) || !ScriptCheckInstance(vm, 2, source))
        return SQ_ERROR;
    *self = *source;
    return 0;
}

SQInteger PushFloat(HSQUIRRELVM vm, float value)
{
    sq_pushfloat(vm, value);
    return 1;
}

template <class T> SQInteger ReturnNew(HSQUIRRELVM vm, const T& value)
{
    return ScriptPushNewValue(vm, ScriptClassOf<T>::name, value);
}

// this (op) argument, as a new value; the operands stay as they were.
template <class T, T (*Combine)(const T&, const T&)> SQInteger CombineWithArgument(HSQUIRRELVM vm)
{
    T* self = nullptr;
    T* other = nullptr;
    if (!ThisAndArgument(vm, self, other))
        return SQ_ERROR;
    return ReturnNew(vm, Combine(*self, *other));
}

template <class T, float (*Measure)(const T&, const T&)> SQInteger MeasureWithArgument(HSQUIRRELVM vm)
{
    T* self = nullptr;
    T* other = nullptr;
    if (!ThisAndArgument(vm, self, other))
        return SQ_ERROR;
    return PushFloat(vm, Measure(*self, *other));
}

template <class T, float (*Measure)(const T&)> SQInteger MeasureThis(HSQUIRRELVM vm)
{
    T* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    return PushFloat(vm, Measure(*self));
}

// ---- Vec3

float Vec3Distance(const Vec3& a, const Vec3& b)
{
    return Vec3Length(a - b);
}
float Vec3AngleInDegrees(const Vec3& a, const Vec3& b)
{
    return Vec3AngleBetween(a, b) * kRadiansToDegrees;
}

SQInteger Vec3_constructor(HSQUIRRELVM vm)
{
    Vec3* self = OwnArea<Vec3>(vm);
    if (!self)
        return NoNativeObject(vm);
    if (ArgumentCount(vm) >= 3)
        *self = Vec3(ArgFloat(vm, 2), ArgFloat(vm, 3), ArgFloat(vm, 4));
    else
        *self = Vec3(0.0f, 0.0f, 0.0f);
    return 0;
}

SQInteger Vec3_set_sub(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    Vec3* a = nullptr;
    Vec3* b = nullptr;
    if (!ScriptCheckInstance(vm, 1, self) || !ScriptCheckInstance(vm, 2, a) ||
        !ScriptCheckInstance(vm, 3, b))
        return SQ_ERROR;
    *self = *a - *b;
    return 0;
}

SQInteger Vec3_mul(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    const SQObjectType type = sq_gettype(vm, 2);
    if (type == OT_INTEGER || type == OT_FLOAT)
        return ReturnNew(vm, *self * ArgFloat(vm, 2));
    Vec3* other = nullptr;
    if (!ScriptCheckInstance(vm, 2, other))
        return SQ_ERROR;
    return ReturnNew(vm, Vec3(self->x * other->x, self->y * other->y, self->z * other->z));
}

SQInteger Vec3_unm(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    return ReturnNew(vm, -*self);
}

SQInteger Vec3_tostring(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    char text[128];
    snprintf(text, sizeof(text), "(vec3: %g, %g, %g)", static_cast<double>(self->x),
             static_cast<double>(self->y), static_cast<double>(self->z));
    sq_pushstring(vm, text, -1);
    return 1;
}

SQInteger Vec3_normalize(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    Vec3Normalize(*self);
    return 0;
}

SQInteger Vec3_getnormal(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    return ReturnNew(vm, Vec3Normalized(*self));
}

SQInteger Vec3_cross(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    Vec3* b = nullptr;
    Vec3* out = nullptr;
    if (!ScriptCheckInstance(vm, 1, self) || !ScriptCheckInstance(vm, 2, b) ||
        !ScriptCheckInstance(vm, 3, out))
        return SQ_ERROR;
    // out may be this or b: the product is whole before it is stored.
    const Vec3 product = Vec3Cross(*self, *b);
    *out = product;
    return 0;
}

SQInteger Vec3_RotateAroundPointXZ(HSQUIRRELVM vm)
{
    Vec3* self = nullptr;
    Vec3* pivot = nullptr;
    if (!ThisAndArgument(vm, self, pivot))
        return SQ_ERROR;
    const float angle = ArgFloat(vm, 3) * kDegreesToRadians;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const Vec3 d = *self - *pivot;
    self->x = pivot->x + c * d.x - s * d.z;
    self->z = pivot->z + c * d.z + s * d.x;
    return 0;
}

const ScriptVarDesc kVec3Members[] = {
    ScriptVarMember("x", kScriptVarFloat, offsetof(Vec3, x)),
    ScriptVarMember("y", kScriptVarFloat, offsetof(Vec3, y)),
    ScriptVarMember("z", kScriptVarFloat, offsetof(Vec3, z)),
    ScriptVarEnd(),
};

void RegisterVec3(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Vec3", sizeof(Vec3), kVec3Members, Vec3_constructor)
        .AddMethod("__assign", AssignFromArgument<Vec3>)
        .AddMethod("_cloned", ClonedFromArgument<Vec3>)
        .AddMethod("set", AssignFromArgument<Vec3>, "xx")
        .AddMethod("set_sub", Vec3_set_sub, "xxx")
        .AddMethod("_add", CombineWithArgument<Vec3, Vec3Sum>)
        .AddMethod("_sub", CombineWithArgument<Vec3, Vec3Subtract>)
        .AddMethod("_mul", Vec3_mul)
        .AddMethod("_unm", Vec3_unm)
        .AddMethod("_tostring", Vec3_tostring)
        .AddMethod("magnitude", MeasureThis<Vec3, Vec3Length>)
        .AddMethod("normalize", Vec3_normalize)
        .AddMethod("getnormal", Vec3_getnormal)
        .AddMethod("DistanceTo", MeasureWithArgument<Vec3, Vec3Distance>)
        .AddMethod("GetAngleBetween", MeasureWithArgument<Vec3, Vec3AngleInDegrees>)
        .AddMethod("cross", Vec3_cross)
        .AddMethod("RotateAroundPointXZ", Vec3_RotateAroundPointXZ, "xxn");
}

// ---- Vec2

Vec2 Vec2Sum(const Vec2& a, const Vec2& b)
{
    return a + b;
}
Vec2 Vec2Difference(const Vec2& a, const Vec2& b)
{
    return a - b;
}
float Vec2Magnitude(const Vec2& v)
{
    return Vec2Length(v);
}

SQInteger Vec2_constructor(HSQUIRRELVM vm)
{
    Vec2* self = OwnArea<Vec2>(vm);
    if (!self)
        return NoNativeObject(vm);
    if (ArgumentCount(vm) >= 2)
        *self = Vec2(ArgFloat(vm, 2), ArgFloat(vm, 3));
    else
        *self = Vec2(0.0f, 0.0f);
    return 0;
}

// A scale that is not a number counts as 0.
SQInteger Vec2_mul(HSQUIRRELVM vm)
{
    Vec2* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    return ReturnNew(vm, *self * ArgFloat(vm, 2));
}

SQInteger Vec2_tostring(HSQUIRRELVM vm)
{
    Vec2* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    char text[96];
    snprintf(text, sizeof(text), "(vec2: %g, %g)", static_cast<double>(self->x),
             static_cast<double>(self->y));
    sq_pushstring(vm, text, -1);
    return 1;
}

const ScriptVarDesc kVec2Members[] = {
    ScriptVarMember("x", kScriptVarFloat, offsetof(Vec2, x)),
    ScriptVarMember("y", kScriptVarFloat, offsetof(Vec2, y)),
    ScriptVarEnd(),
};

void RegisterVec2(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Vec2", sizeof(Vec2), kVec2Members, Vec2_constructor)
        .AddMethod("__assign", AssignFromArgument<Vec2>)
        .AddMethod("_cloned", ClonedFromArgument<Vec2>)
        .AddMethod("set", AssignFromArgument<Vec2>, "xx")
        .AddMethod("_add", CombineWithArgument<Vec2, Vec2Sum>)
        .AddMethod("_sub", CombineWithArgument<Vec2, Vec2Difference>)
        .AddMethod("_mul", Vec2_mul)
        .AddMethod("_tostring", Vec2_tostring)
        .AddMethod("magnitude", MeasureThis<Vec2, Vec2Magnitude>);
}

// ---- Mat4

SQInteger Mat4_constructor(HSQUIRRELVM vm)
{
    Mat4* self = OwnArea<Mat4>(vm);
    if (!self)
        return NoNativeObject(vm);
    // A new matrix starts as zeros rather than whatever the memory held.
    for (float& element : self->m)
        element = 0.0f;
    return 0;
}

SQInteger OrientTo(HSQUIRRELVM vm, Vec3& forward, const Vec3& up)
{
    Mat4* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    Vec3Normalize(forward);
    Mat4FromForwardUp(*self, forward, up);
    return 0;
}

SQInteger Mat4_orient(HSQUIRRELVM vm)
{
    Vec3* forward = nullptr;
    Vec3* up = nullptr;
    if (!ScriptCheckInstance(vm, 2, forward) || !ScriptCheckInstance(vm, 3, up))
        return SQ_ERROR;
    Vec3Normalize(*up);
    return OrientTo(vm, *forward, *up);
}

SQInteger Mat4_orientY(HSQUIRRELVM vm)
{
    Vec3* forward = nullptr;
    if (!ScriptCheckInstance(vm, 2, forward))
        return SQ_ERROR;
    return OrientTo(vm, *forward, Vec3(0.0f, 1.0f, 0.0f));
}

constexpr size_t Mat4Element(int index)
{
    return sizeof(float) * static_cast<size_t>(index);
}

const ScriptVarDesc kMat4Members[] = {
    ScriptVarNested("right", kScriptVarEmbedded, "Vec3", Mat4Element(0)),
    ScriptVarNested("up", kScriptVarEmbedded, "Vec3", Mat4Element(4)),
    ScriptVarNested("forward", kScriptVarEmbedded, "Vec3", Mat4Element(8)),
    ScriptVarNested("translation", kScriptVarEmbedded, "Vec3", Mat4Element(12)),
    ScriptVarMember("x", kScriptVarFloat, Mat4Element(12)),
    ScriptVarMember("y", kScriptVarFloat, Mat4Element(13)),
    ScriptVarMember("z", kScriptVarFloat, Mat4Element(14)),
    ScriptVarEnd(),
};

void RegisterMat4(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Mat4", sizeof(Mat4), kMat4Members, Mat4_constructor)
        .AddMethod("_cloned", ClonedFromArgument<Mat4>)
        .AddMethod("_mul", CombineWithArgument<Mat4, Mat4Multiply>)
        .AddMethod("orient", Mat4_orient, "xxx")
        .AddMethod("orientY", Mat4_orientY, "xx");
}
} // namespace

void RegisterMathScriptAPI(HSQUIRRELVM vm)
{
    RegisterVec3(vm);
    RegisterVec2(vm);
    RegisterMat4(vm);
}

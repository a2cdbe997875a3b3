#pragma once
// Reading a native's arguments and pushing its result. Each getter answers
// false when the value at the index is not of a fitting type; the native then
// fails with ScriptBadArgument.
#include "script/ScriptBinding.h"

#include <new>
#include <utility>

inline bool ScriptArgFloat(HSQUIRRELVM vm, SQInteger index, float& value)
{
    SQFloat read = 0.0f;
    if (SQ_FAILED(sq_getfloat(vm, index, &read)))
        return false;
    value = static_cast<float>(read);
    return true;
}

inline bool ScriptArgInt(HSQUIRRELVM vm, SQInteger index, int& value)
{
    SQInteger read = 0;
    if (SQ_FAILED(sq_getinteger(vm, index, &read)))
        return false;
    value = static_cast<int>(read);
    return true;
}

// The first two arguments after the instance or root table.
inline bool ScriptArgTwoInts(HSQUIRRELVM vm, int& first, int& second)
{
    return ScriptArgInt(vm, 2, first) && ScriptArgInt(vm, 3, second);
}

inline bool ScriptArgBool(HSQUIRRELVM vm, SQInteger index, bool& value)
{
    SQBool read = SQFalse;
    if (SQ_FAILED(sq_getbool(vm, index, &read)))
        return false;
    value = read != SQFalse;
    return true;
}

inline bool ScriptArgString(HSQUIRRELVM vm, SQInteger index, const char*& value)
{
    const SQChar* read = nullptr;
    if (SQ_FAILED(sq_getstring(vm, index, &read)))
        return false;
    value = read;
    return true;
}

inline SQInteger ScriptReturnBool(HSQUIRRELVM vm, bool value)
{
    sq_pushbool(vm, value ? SQTrue : SQFalse);
    return 1;
}

inline SQInteger ScriptReturnInt(HSQUIRRELVM vm, int value)
{
    sq_pushinteger(vm, value);
    return 1;
}

inline SQInteger ScriptReturnFloat(HSQUIRRELVM vm, float value)
{
    sq_pushfloat(vm, value);
    return 1;
}

inline SQInteger ScriptReturnString(HSQUIRRELVM vm, const char* text)
{
    if (text)
        sq_pushstring(vm, text, -1);
    else
        sq_pushnull(vm);
    return 1;
}

inline SQInteger ScriptBadArgument(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "wrong argument type");
}

// For a class constructor: makes the native object in the area of the
// instance at index 1 and has the instance's release hook end it. Null when
// the instance holds no area.
template <class T, class... Args> T* ScriptConstructInPlace(HSQUIRRELVM vm, Args&&... args)
{
    void* area = ScriptInstanceArea(vm, 1);
    if (!area)
        return nullptr;
    T* made = new (area) T(std::forward<Args>(args)...);
    sq_setreleasehook(vm, 1, DestroyInPlaceHook<T>);
    return made;
}

// A class's constructor that makes its native object in place, without arguments.
template <class T> SQInteger ScriptConstructDefault(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<T>(vm))
        return sq_throwerror(vm, "the instance holds no native object");
    return 0;
}

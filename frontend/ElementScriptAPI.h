#pragma once
// The script classes of the front-end elements (sprites, buttons, menus,
// sliders, drop-down menus, curve bars) and the globals of the loading
// screen and the button manager.
#include "script/ScriptArguments.h"

#include <squirrel.h>

#include <cstddef>

void RegisterElementScriptAPI(HSQUIRRELVM vm);
// Before the VM closes: the instances that menus and buttons keep alive
// (their listed and connected buttons) are let go.
void ElementScriptReleaseHolds();

class Sprite;

// The object of the instance at the index when its class is the named one
// or derives from it; null after a script error.
template <class T> T* ElementScriptArgOfClass(HSQUIRRELVM vm, SQInteger index, const char* className)
{
    T* object = nullptr;
    return SQ_SUCCEEDED(GetInstancePtrOfClass(vm, index, className, &object)) ? object : nullptr;
}
// A Sprite or an AnimSprite.
Sprite* ElementScriptSprite(HSQUIRRELVM vm, SQInteger index);
// The instance at the index stays alive while `holder` does: the release
// hook of the object that holds it calls ElementScriptDropHoldsWithin.
void ElementScriptHoldArgument(HSQUIRRELVM vm, SQInteger index, const void* holder);
void ElementScriptDropHoldsWithin(const void* begin, size_t size);
// Textures and fonts are made in GL: without a context elements keep none.
bool ElementScriptCanLoadTextures();

// The release hook of a script class's object: its holds go, then the object.
template <class T> SQInteger ElementScriptReleaseHook(SQUserPointer area, SQInteger)
{
    ElementScriptDropHoldsWithin(area, sizeof(T));
    static_cast<T*>(area)->~T();
    return 0;
}

// The constructor of a script class whose instance holds a T.
template <class T> SQInteger ElementScriptConstruct(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<T>(vm))
        return sq_throwerror(vm, "the instance holds no native object");
    sq_setreleasehook(vm, 1, ElementScriptReleaseHook<T>);
    return 0;
}

#pragma once
// Natives that run one member function on the object of `this`, once the
// instance's class is checked by name: with no argument, a number, an
// integer, a text, or the name of a font or texture file. The member may
// belong to a base of the class; a virtual one is reached through its slot.
#include "frontend/ElementScriptAPI.h"
#include "script/ScriptArguments.h"

namespace ScriptMemberCall
{
template <class T, const char* ClassName, auto Function> SQInteger Call(HSQUIRRELVM vm)
{
    T* object = ScriptThisOfClass<T>(vm, ClassName);
    if (!object)
        return SQ_ERROR;
    (object->*Function)();
    return 0;
}

template <class T, const char* ClassName, auto Function> SQInteger CallWithNumber(HSQUIRRELVM vm)
{
    T* object = ScriptThisOfClass<T>(vm, ClassName);
    if (!object)
        return SQ_ERROR;
    float value = 0.0f;
    if (!ScriptArgFloat(vm, 2, value))
        return ScriptBadArgument(vm);
    (object->*Function)(value);
    return 0;
}

template <class T, const char* ClassName, auto Function> SQInteger CallWithInt(HSQUIRRELVM vm)
{
    T* object = ScriptThisOfClass<T>(vm, ClassName);
    if (!object)
        return SQ_ERROR;
    int value = 0;
    if (!ScriptArgInt(vm, 2, value))
        return ScriptBadArgument(vm);
    (object->*Function)(value);
    return 0;
}

// What the member answers is dropped.
template <class T, const char* ClassName, auto Function> SQInteger CallWithText(HSQUIRRELVM vm)
{
    T* object = ScriptThisOfClass<T>(vm, ClassName);
    if (!object)
        return SQ_ERROR;
    const char* text = nullptr;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    (object->*Function)(text);
    return 0;
}

// Fonts and textures are made in GL: without a context the call is skipped,
// so scripts run the same in a headless host.
template <class T, const char* ClassName, auto Function> SQInteger CallWithFont(HSQUIRRELVM vm)
{
    T* object = ScriptThisOfClass<T>(vm, ClassName);
    if (!object)
        return SQ_ERROR;
    const char* path = nullptr;
    if (!ScriptArgString(vm, 2, path))
        return ScriptBadArgument(vm);
    if (ElementScriptCanLoadTextures())
        (object->*Function)(path);
    return 0;
}
} // namespace ScriptMemberCall

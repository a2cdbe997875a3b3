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

template <class Value> using ArgumentReader = bool (*)(HSQUIRRELVM, SQInteger, Value&);

// One argument read by `Read`; what the member answers is dropped. Fonts and
// textures are made in GL: without a context a call that makes them is
// skipped, so scripts run the same in a headless host.
template <class T, const char* ClassName, auto Function, class Value, ArgumentReader<Value> Read,
          bool MakesTextures>
SQInteger CallWithArgument(HSQUIRRELVM vm)
{
    T* object = ScriptThisOfClass<T>(vm, ClassName);
    if (!object)
        return SQ_ERROR;
    Value value{};
    if (!Read(vm, 2, value))
        return ScriptBadArgument(vm);
    if (!MakesTextures || ElementScriptCanLoadTextures())
        (object->*Function)(value);
    return 0;
}

template <class T, const char* ClassName, auto Function>
constexpr SQFUNCTION CallWithNumber = CallWithArgument<T, ClassName, Function, float, ScriptArgFloat, false>;
template <class T, const char* ClassName, auto Function>
constexpr SQFUNCTION CallWithInt = CallWithArgument<T, ClassName, Function, int, ScriptArgInt, false>;
template <class T, const char* ClassName, auto Function>
constexpr SQFUNCTION CallWithText =
    CallWithArgument<T, ClassName, Function, const char*, ScriptArgString, false>;
template <class T, const char* ClassName, auto Function>
constexpr SQFUNCTION CallWithFont =
    CallWithArgument<T, ClassName, Function, const char*, ScriptArgString, true>;
} // namespace ScriptMemberCall

#pragma once
// The script class "Actor" over the engine's Actor, held in the script instance.
#include <squirrel.h>

class Actor;

extern const char kActorClassName[];

void RegisterActorScriptAPI(HSQUIRRELVM vm);

// The actor behind the instance at the index; null (with a script error set)
// when the value is no instance or its actor was never constructed.
Actor* ScriptGetActor(HSQUIRRELVM vm, SQInteger index);

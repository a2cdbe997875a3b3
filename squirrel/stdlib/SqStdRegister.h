#pragma once
// Helpers every library's registration shares; only the documented embedding API is used.

#include <squirrel.h>

// Adds each function (the list ends with a null name) as a slot of the table or class on top of the stack.
void SqStdRegisterFunctions(HSQUIRRELVM v, const SQRegFunction* functions);
void SqStdSetInteger(HSQUIRRELVM v, const SQChar* name, SQInteger value);
void SqStdSetFloat(HSQUIRRELVM v, const SQChar* name, SQFloat value);

// Pushes the registry's slot `key`; pushes nothing and returns false when the slot is missing.
bool SqStdPushRegistryValue(HSQUIRRELVM v, const SQChar* key);
// Pops the value on top of the stack into the registry's slot `key`.
void SqStdSetRegistryValue(HSQUIRRELVM v, const SQChar* key);

// The userpointer of the instance at `idx` when its class (or a base) carries `tag`; null otherwise.
SQUserPointer SqStdInstance(HSQUIRRELVM v, SQInteger idx, SQUserPointer tag);

// Converts a float to an integer without overflow: NaN and out-of-range values give the lowest integer.
SQInteger SqStdFloatToInteger(SQFloat value);
// The number at `idx` as either type (integers and floats convert, floats truncate); false for non-numbers.
bool SqStdGetInteger(HSQUIRRELVM v, SQInteger idx, SQInteger* value);
bool SqStdGetFloat(HSQUIRRELVM v, SQInteger idx, SQFloat* value);

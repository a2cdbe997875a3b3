#pragma once
// The std_stream class that blob and file derive from, and what their libraries share.

#include "SqStdRegister.h"

class SqStream;

SQUserPointer SqStdStreamTag();
SQUserPointer SqStdBlobTag();
SQUserPointer SqStdFileTag();

// Frees the SqStream an instance owns.
SQInteger SqStdStreamReleaseHook(SQUserPointer p, SQInteger size);

// Declares class `name` deriving from std_stream with `methods`, keeps it in the registry under
// `registryKey` and adds it, and `globals`, to the table on top of the stack. Declaring twice only adds.
SQRESULT SqStdDeclareStreamClass(HSQUIRRELVM v, const SQChar* name, SQUserPointer tag, const SQChar* registryKey,
                                 const SQRegFunction* methods, const SQRegFunction* globals);

// Pushes the class kept under `registryKey`, ready for sq_call with root-table 'this' and arguments.
bool SqStdPushClass(HSQUIRRELVM v, const SQChar* registryKey);

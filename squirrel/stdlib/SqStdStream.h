#pragma once
// The std_stream class that blob and file derive from, and what their libraries share.

#include "SqStdRegister.h"

class SqStream;

SQUserPointer SqStdStreamTag();
SQUserPointer SqStdBlobTag();
SQUserPointer SqStdFileTag();

// Hands `stream` to the instance at 1 (the constructor's 'this'), which frees it when it dies; on failure
// the stream is freed and `failure` thrown.
SQInteger SqStdAdoptStream(HSQUIRRELVM v, SqStream* stream, const SQChar* failure);

// Declares class `name` deriving from std_stream with `methods`, keeps it in the registry under
// `registryKey` and adds it, and `globals`, to the table on top of the stack. Declaring twice only adds.
SQRESULT SqStdDeclareStreamClass(HSQUIRRELVM v, const SQChar* name, SQUserPointer tag,
                                 const SQChar* registryKey, const SQRegFunction* methods,
                                 const SQRegFunction* globals);

// Pushes the class kept under `registryKey`, ready for sq_call with root-table 'this' and arguments.
bool SqStdPushClass(HSQUIRRELVM v, const SQChar* registryKey);

#pragma once
// The one line that both error reporters (the auxiliary library's and the
// engine's script host) write for a local variable in a call-stack dump.
#include <squirrel.h>

#include <string>

// "[name] value\n" for the value on the stack top; empty for a type that
// has no description.
std::string SqLocalText(HSQUIRRELVM v, const SQChar* name);

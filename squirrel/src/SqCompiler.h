// Compiles script source into a function prototype for the register machine.
#pragma once

#include "SqObject.h"

#include <string>

struct SQCompileError
{
    std::string message;
    SQInteger line = 0;
    SQInteger column = 0;
};

// On success 'proto' holds the main function (parameters: this, vargv).
bool SQCompile(SQVM* vm, const char* source, SQInteger size, const char* sourceName, Value& proto,
               SQCompileError& error);

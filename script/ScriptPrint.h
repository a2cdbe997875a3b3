#pragma once
// The scripts' print: an array is dumped element by element, nested arrays
// indented four blanks deeper; anything else prints as its text.
#include <squirrel.h>

SQInteger sqfunc_print(HSQUIRRELVM vm);
// Dumps the array at the (absolute) stack index through the VM's print function.
void PrintArrayRecursive(HSQUIRRELVM vm, SQInteger arrayIndex, int depth);

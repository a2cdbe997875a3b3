#pragma once
// Registers every native of the program into the VM, in the one order the
// scripts rely on: later registrations of a name replace earlier ones, and
// natives returning math values find their classes already there.
#include <squirrel.h>

void RegisterAppScriptAPI(HSQUIRRELVM vm);

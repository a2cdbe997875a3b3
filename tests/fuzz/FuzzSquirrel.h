#pragma once
// A quiet VM for the Squirrel targets and bytecode images in memory.

#include <squirrel.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// A VM whose prints and compile errors go nowhere; closed by sq_close.
HSQUIRRELVM FuzzOpenVm();
// One such VM for the whole process (opening a VM costs more than most inputs), its stack emptied and
// its root table replaced by an empty one on each call, so no input sees what an earlier one left.
HSQUIRRELVM FuzzSharedVm();

// Writes the closure on the stack top into `image`; false when it cannot be written.
bool FuzzWriteClosure(HSQUIRRELVM v, std::vector<uint8_t>& image);
// Reads a closure from the bytes and pushes it; false (nothing pushed) when they do not load.
bool FuzzReadClosure(HSQUIRRELVM v, const uint8_t* bytes, size_t size);

// The Squirrel compiler: every program it accepts is written as bytecode, read back and written again,
// and the two images must be the same bytes.
#include "FuzzSquirrel.h"
#include "FuzzTarget.h"

#include <cstdlib>

FUZZ_TARGET(sqcompile)(const uint8_t* data, size_t size)
{
    HSQUIRRELVM v = FuzzSharedVm();
    if (SQ_SUCCEEDED(sq_compilebuffer(v, reinterpret_cast<const SQChar*>(data), SQInteger(size), "fuzz", SQTrue)))
    {
        std::vector<uint8_t> first;
        std::vector<uint8_t> second;
        if (!FuzzWriteClosure(v, first) || !FuzzReadClosure(v, first.data(), first.size()) ||
            !FuzzWriteClosure(v, second) || first != second)
            abort(); // the compiler wrote code its own reader refuses, or the image does not round-trip
    }
    return 0;
}

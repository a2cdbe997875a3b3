// Script files as the standard library loads them from disk: a bytecode image when the file starts with
// the bytecode tag, otherwise source text in UTF-8 (with or without its mark) or UCS-2 of either order.
#include "FuzzSquirrel.h"
#include "FuzzTarget.h"

#include <sqstdio.h>

#include <string>

FUZZ_TARGET(sqscript)(const uint8_t* data, size_t size)
{
    const std::string& folder = FuzzFreshFolder();
    if (!FuzzWriteFile(folder, "script.nut", data, size))
        return 0;
    HSQUIRRELVM v = FuzzSharedVm();
    const std::string path = folder + "/script.nut";
    sqstd_loadfile(v, path.c_str(), SQTrue);
    return 0;
}

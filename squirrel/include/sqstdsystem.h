// The system library: getenv, system, clock, time, date, remove and rename.
#ifndef SQSTDSYSTEM_H
#define SQSTDSYSTEM_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C"
{
#endif

    // Registers the library into the table on top of the stack.
    SQUIRREL_API SQRESULT sqstd_register_systemlib(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif

// The auxiliary library: default compiler and runtime error handlers and the call stack dump.
#ifndef SQSTDAUX_H
#define SQSTDAUX_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C"
{
#endif

    // Both handlers write through the VM's error function (its print function when none is set).
    SQUIRREL_API void sqstd_seterrorhandlers(HSQUIRRELVM v);
    // Prints the calling functions and then the locals of the innermost ten levels.
    SQUIRREL_API void sqstd_printcallstack(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif

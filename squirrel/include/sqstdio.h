// The I/O library: the file class, stdin/stdout/stderr, and loading, running and saving scripts.
#ifndef SQSTDIO_H
#define SQSTDIO_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C"
{
#endif

    // A C runtime FILE*.
    typedef void* SQFILE;

    // Pushes a file object over `file`; when `owns` is true the object closes the file when it dies.
    SQUIRREL_API SQRESULT sqstd_createfile(HSQUIRRELVM v, SQFILE file, SQBool owns);
    SQUIRREL_API SQRESULT sqstd_getfile(HSQUIRRELVM v, SQInteger idx, SQFILE* file);

    // Compiles a script (or reads a compiled one) and pushes it as a closure.
    SQUIRREL_API SQRESULT sqstd_loadfile(HSQUIRRELVM v, const SQChar* filename, SQBool printerror);
    // Loads and runs a script with the value on top of the stack as 'this' (left in place); with `retval`
    // the script's return value is pushed.
    SQUIRREL_API SQRESULT sqstd_dofile(HSQUIRRELVM v, const SQChar* filename, SQBool retval,
                                       SQBool printerror);
    // Writes the closure on top of the stack as bytecode, replacing any file of that name.
    SQUIRREL_API SQRESULT sqstd_writeclosuretofile(HSQUIRRELVM v, const SQChar* filename);

    // Registers the library into the table on top of the stack.
    SQUIRREL_API SQRESULT sqstd_register_iolib(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif

// The blob library: the blob class (a byte buffer behaving like a stream) and the byte-order helpers.
#ifndef SQSTDBLOB_H
#define SQSTDBLOB_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C"
{
#endif

    // Creates a blob of `size` zero bytes, pushes it and returns its payload (null on failure).
    SQUIRREL_API SQUserPointer sqstd_createblob(HSQUIRRELVM v, SQInteger size);
    SQUIRREL_API SQRESULT sqstd_getblob(HSQUIRRELVM v, SQInteger idx, SQUserPointer* ptr);
    // -1 when the value at `idx` is not a blob.
    SQUIRREL_API SQInteger sqstd_getblobsize(HSQUIRRELVM v, SQInteger idx);

    // Registers the library into the table on top of the stack.
    SQUIRREL_API SQRESULT sqstd_register_bloblib(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif

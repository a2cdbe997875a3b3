// The I/O library: the file class, stdin/stdout/stderr, and loading, running and saving scripts.
#ifndef SQSTDIO_H
#define SQSTDIO_H

#include <squirrel.h>

#ifdef __cplusplus
// What the file and blob classes offer over their bytes.
struct SQStream
{
    virtual ~SQStream() {}
    virtual SQInteger Read(void* buffer, SQInteger size) = 0;
    virtual SQInteger Write(void* buffer, SQInteger size) = 0;
    virtual SQInteger Flush() = 0;
    virtual SQInteger Tell() = 0;
    virtual SQInteger Len() = 0;
    virtual SQInteger Seek(SQInteger offset, SQInteger origin) = 0;
    virtual bool IsValid() = 0;
    virtual bool EOS() = 0;
};

extern "C"
{
#endif

    // A C runtime FILE*.
    typedef void* SQFILE;

#define SQSTD_STREAM_TYPE_TAG 0x80000000
#define SQ_SEEK_CUR 0
#define SQ_SEEK_END 1
#define SQ_SEEK_SET 2

    // Thin wrappers over the C runtime's file calls; origin is one of SQ_SEEK_*.
    SQUIRREL_API SQFILE sqstd_fopen(const SQChar* filename, const SQChar* mode);
    SQUIRREL_API SQInteger sqstd_fread(SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file);
    SQUIRREL_API SQInteger sqstd_fwrite(const SQUserPointer buffer, SQInteger size, SQInteger count,
                                        SQFILE file);
    SQUIRREL_API SQInteger sqstd_fseek(SQFILE file, SQInteger offset, SQInteger origin);
    SQUIRREL_API SQInteger sqstd_ftell(SQFILE file);
    SQUIRREL_API SQInteger sqstd_fflush(SQFILE file);
    SQUIRREL_API SQInteger sqstd_fclose(SQFILE file);
    SQUIRREL_API SQInteger sqstd_feof(SQFILE file);

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

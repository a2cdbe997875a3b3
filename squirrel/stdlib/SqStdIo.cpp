// The I/O library.
#include "SqStdStream.h"

#include "SqFileStream.h"

#include <sqstdio.h>

#include <cstring>
#include <vector>

namespace
{

const SQChar* const kFileClassKey = "std_file";

SQInteger file_constructor(HSQUIRRELVM v)
{
    SqFileStream* stream = nullptr;
    if (sq_gettype(v, 2) == OT_STRING)
    {
        const SQChar* path = nullptr;
        const SQChar* mode = nullptr;
        sq_getstring(v, 2, &path);
        if (SQ_FAILED(sq_getstring(v, 3, &mode)))
            return sq_throwerror(v, "wrong parameter");
        stream = SqFileStream::Open(path, mode);
        if (!stream)
            return sq_throwerror(v, "cannot open file");
    }
    else if (sq_gettype(v, 2) == OT_USERPOINTER)
    {
        SQUserPointer handle = nullptr;
        sq_getuserpointer(v, 2, &handle);
        SQBool owns = SQFalse;
        if (sq_gettop(v) > 2)
            sq_getbool(v, 3, &owns);
        stream = new SqFileStream(static_cast<FILE*>(handle), owns != SQFalse);
    }
    else
        return sq_throwerror(v, "wrong parameter");
    return SqStdAdoptStream(v, stream, "cannot create file");
}

// Closing a file twice, or a file made over a handle it does not own, is not an error.
SQInteger file_close(HSQUIRRELVM v)
{
    if (SqStream* stream = static_cast<SqStream*>(SqStdInstance(v, 1, SqStdFileTag())))
        stream->Close();
    return 0;
}

SQInteger file_typeof(HSQUIRRELVM v)
{
    sq_pushstring(v, "file", -1);
    return 1;
}

bool OptionalBool(HSQUIRRELVM v, SQInteger idx)
{
    SQBool b = SQFalse;
    if (sq_gettop(v) >= idx)
        sq_tobool(v, idx, &b);
    return b != SQFalse;
}

SQInteger io_loadfile(HSQUIRRELVM v)
{
    const SQChar* path = nullptr;
    sq_getstring(v, 2, &path);
    if (SQ_FAILED(sqstd_loadfile(v, path, OptionalBool(v, 3))))
        return SQ_ERROR;
    return 1;
}

SQInteger io_dofile(HSQUIRRELVM v)
{
    const SQChar* path = nullptr;
    sq_getstring(v, 2, &path);
    const bool printError = OptionalBool(v, 3); // read before 'this' is pushed above the arguments
    sq_push(v, 1);
    if (SQ_FAILED(sqstd_dofile(v, path, SQTrue, printError)))
        return SQ_ERROR;
    return 1;
}

SQInteger io_writeclosuretofile(HSQUIRRELVM v)
{
    const SQChar* path = nullptr;
    sq_getstring(v, 2, &path);
    sq_push(v, 3);
    const SQRESULT result = sqstd_writeclosuretofile(v, path);
    sq_pop(v, 1);
    return SQ_FAILED(result) ? SQ_ERROR : 0;
}

const SQRegFunction kFileMethods[] = {
    {"constructor", file_constructor, 3, "x"},
    {"_typeof", file_typeof, 1, "x"},
    {"close", file_close, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

const SQRegFunction kIoGlobals[] = {
    {"loadfile", io_loadfile, -2, ".sb"},
    {"dofile", io_dofile, -2, ".sb"},
    {"writeclosuretofile", io_writeclosuretofile, 3, ".sc"},
    {nullptr, nullptr, 0, nullptr},
};

// Feeds a bytecode image to sq_readclosure and refuses to read past its end.
struct MemoryReader
{
    const std::vector<char>* bytes;
    size_t position;
};

SQInteger ReadMemory(SQUserPointer user, SQUserPointer buffer, SQInteger size)
{
    MemoryReader* reader = static_cast<MemoryReader*>(user);
    const size_t left = reader->bytes->size() - reader->position;
    if (size < 0 || size_t(size) > left)
        return -1;
    std::memcpy(buffer, reader->bytes->data() + reader->position, size_t(size));
    reader->position += size_t(size);
    return size;
}

SQInteger WriteFile(SQUserPointer user, SQUserPointer buffer, SQInteger size)
{
    if (size <= 0)
        return 0;
    return SQInteger(std::fwrite(buffer, 1, size_t(size), static_cast<FILE*>(user)));
}

void SetStandardStream(HSQUIRRELVM v, const SQChar* name, FILE* handle)
{
    sq_pushstring(v, name, -1);
    if (SQ_FAILED(sqstd_createfile(v, handle, SQFalse)))
    {
        sq_pop(v, 1);
        return;
    }
    sq_newslot(v, -3, SQFalse);
}

} // namespace

SQRESULT sqstd_createfile(HSQUIRRELVM v, SQFILE file, SQBool owns)
{
    const SQInteger top = sq_gettop(v);
    if (!SqStdPushClass(v, kFileClassKey))
        return sq_throwerror(v, "the io library is not registered");
    sq_pushroottable(v);
    sq_pushuserpointer(v, file);
    sq_pushbool(v, owns);
    if (SQ_FAILED(sq_call(v, 3, SQTrue, SQFalse)))
    {
        sq_settop(v, top);
        return SQ_ERROR;
    }
    sq_remove(v, -2);
    return SQ_OK;
}

SQRESULT sqstd_getfile(HSQUIRRELVM v, SQInteger idx, SQFILE* file)
{
    SqStream* stream = static_cast<SqStream*>(SqStdInstance(v, idx, SqStdFileTag()));
    if (!stream)
        return sq_throwerror(v, "not a file");
    *file = static_cast<SqFileStream*>(stream)->Handle();
    return SQ_OK;
}

SQRESULT sqstd_loadfile(HSQUIRRELVM v, const SQChar* filename, SQBool printerror)
{
    std::vector<char> bytes;
    if (!SqReadWholeFile(filename, &bytes))
        return sq_throwerror(v, "cannot open the file");
    if (SqClassifyScript(bytes) == SqScriptKind::Bytecode)
    {
        MemoryReader reader{&bytes, 0};
        return sq_readclosure(v, ReadMemory, &reader);
    }
    const std::string text = SqScriptText(bytes);
    return sq_compilebuffer(v, text.c_str(), SQInteger(text.size()), filename, printerror);
}

SQRESULT sqstd_dofile(HSQUIRRELVM v, const SQChar* filename, SQBool retval, SQBool printerror)
{
    if (SQ_FAILED(sqstd_loadfile(v, filename, printerror)))
        return SQ_ERROR;
    sq_push(v, -2);
    if (SQ_FAILED(sq_call(v, 1, retval, SQTrue)))
    {
        sq_pop(v, 1);
        return SQ_ERROR;
    }
    sq_remove(v, retval ? -2 : -1);
    return SQ_OK;
}

SQRESULT sqstd_writeclosuretofile(HSQUIRRELVM v, const SQChar* filename)
{
    FILE* handle = std::fopen(filename, "wb");
    if (!handle)
        return sq_throwerror(v, "cannot open the file");
    const SQRESULT result = sq_writeclosure(v, WriteFile, handle);
    const bool closed = std::fclose(handle) == 0;
    if (SQ_FAILED(result))
        return SQ_ERROR;
    return closed ? SQ_OK : sq_throwerror(v, "io error");
}

SQRESULT sqstd_register_iolib(HSQUIRRELVM v)
{
    if (SQ_FAILED(
            SqStdDeclareStreamClass(v, "file", SqStdFileTag(), kFileClassKey, kFileMethods, kIoGlobals)))
        return SQ_ERROR;
    SetStandardStream(v, "stdout", stdout);
    SetStandardStream(v, "stdin", stdin);
    SetStandardStream(v, "stderr", stderr);
    return SQ_OK;
}

SQFILE sqstd_fopen(const SQChar* filename, const SQChar* mode)
{
    return fopen(filename, mode);
}
SQInteger sqstd_fread(SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file)
{
    if (size < 0 || count < 0)
        return 0;
    return SQInteger(fread(buffer, size_t(size), size_t(count), static_cast<FILE*>(file)));
}
SQInteger sqstd_fwrite(const SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file)
{
    if (size < 0 || count < 0)
        return 0;
    return SQInteger(fwrite(buffer, size_t(size), size_t(count), static_cast<FILE*>(file)));
}
SQInteger sqstd_fseek(SQFILE file, SQInteger offset, SQInteger origin)
{
    int whence;
    switch (origin)
    {
    case SQ_SEEK_SET:
        whence = SEEK_SET;
        break;
    case SQ_SEEK_END:
        whence = SEEK_END;
        break;
    case SQ_SEEK_CUR:
        whence = SEEK_CUR;
        break;
    default:
        return -1;
    }
    return fseek(static_cast<FILE*>(file), long(offset), whence);
}
SQInteger sqstd_ftell(SQFILE file)
{
    return SQInteger(ftell(static_cast<FILE*>(file)));
}
SQInteger sqstd_fflush(SQFILE file)
{
    return fflush(static_cast<FILE*>(file));
}
SQInteger sqstd_fclose(SQFILE file)
{
    return fclose(static_cast<FILE*>(file));
}
SQInteger sqstd_feof(SQFILE file)
{
    return feof(static_cast<FILE*>(file));
}

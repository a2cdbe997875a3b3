#include "SqStdStream.h"

#include "SqBlob.h"
#include "SqStream.h"

#include <algorithm>
#include <cstdint>

#include <sqstdblob.h>

namespace
{

const char kStreamTagAnchor = 0;
const char kBlobTagAnchor = 0;
const char kFileTagAnchor = 0;
const SQChar* const kStreamClassKey = "std_stream";

SQInteger StreamReleaseHook(SQUserPointer p, SQInteger /*size*/)
{
    delete static_cast<SqStream*>(p);
    return 1;
}

// Typed reads and writes fail with the same two texts.
SQInteger ThrowOnFailure(HSQUIRRELVM v, SqStreamResult result)
{
    switch (result)
    {
    case SqStreamResult::InvalidFormat:
        return sq_throwerror(v, "invalid format");
    case SqStreamResult::IoError:
        return sq_throwerror(v, "io error");
    case SqStreamResult::Ok:
        break;
    }
    return 0;
}

SqStream* SelfStream(HSQUIRRELVM v)
{
    SqStream* stream = static_cast<SqStream*>(SqStdInstance(v, 1, SqStdStreamTag()));
    return stream && stream->IsValid() ? stream : nullptr;
}

#define SQSTD_SETUP_STREAM(v)                                                                                \
    SqStream* self = SelfStream(v);                                                                          \
    if (!self)                                                                                               \
        return sq_throwerror(v, "the stream is invalid");

SQInteger stream_readblob(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    SQInteger size = 0;
    SqStdGetInteger(v, 2, &size);
    // Never allocate more than the stream still holds.
    const SQInteger length = self->Len();
    if (length >= 0)
        size = std::min(size, std::max<SQInteger>(length - self->Tell(), 0));
    if (size <= 0)
        return sq_throwerror(v, "no data left to read");
    SqBlob buffer(size);
    const SQInteger read = self->Read(buffer.Data(), size);
    if (read <= 0)
        return sq_throwerror(v, "no data left to read");
    SQUserPointer data = sqstd_createblob(v, read);
    if (!data)
        return SQ_ERROR;
    std::copy(buffer.Data(), buffer.Data() + read, static_cast<uint8_t*>(data));
    return 1;
}

SQInteger stream_readn(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    SQInteger type = 0;
    SqStdGetInteger(v, 2, &type);
    SqStreamNumber number;
    if (ThrowOnFailure(v, SqStreamReadNumber(*self, type, &number)) < 0)
        return SQ_ERROR;
    if (number.isFloat)
        sq_pushfloat(v, number.real);
    else
        sq_pushinteger(v, number.integer);
    return 1;
}

SQInteger stream_writeblob(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    SQUserPointer data = nullptr;
    if (SQ_FAILED(sqstd_getblob(v, 2, &data)))
        return sq_throwerror(v, "invalid parameter");
    const SQInteger size = sqstd_getblobsize(v, 2);
    if (self->Write(data, size) != size)
        return sq_throwerror(v, "io error");
    sq_pushinteger(v, size);
    return 1;
}

SQInteger stream_writen(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    SQInteger type = 0;
    SqStdGetInteger(v, 3, &type);
    SqStreamNumber number;
    number.isFloat = sq_gettype(v, 2) == OT_FLOAT;
    if (number.isFloat)
        SqStdGetFloat(v, 2, &number.real);
    else
        SqStdGetInteger(v, 2, &number.integer);
    // Integer types take the value truncated, float types take it widened; saturate rather than overflow.
    if (number.isFloat && type != 'f' && type != 'd')
        number = {false, SqStdFloatToInteger(number.real), 0};
    // as in the language's library, a typed write that the stream refuses (a file opened for reading) goes
    // unnoticed; only an unknown type letter is an error
    const SqStreamResult result = SqStreamWriteNumber(*self, type, number);
    return result == SqStreamResult::IoError ? 0 : ThrowOnFailure(v, result);
}

SQInteger stream_seek(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    SQInteger offset = 0;
    SqStdGetInteger(v, 2, &offset);
    SQInteger letter = 'b';
    if (sq_gettop(v) > 2)
        SqStdGetInteger(v, 3, &letter);
    SqSeekOrigin origin;
    if (!SqSeekOriginFromLetter(letter, &origin))
        return sq_throwerror(v, "invalid origin");
    sq_pushinteger(v, self->Seek(offset, origin) ? 0 : -1);
    return 1;
}

SQInteger stream_tell(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    sq_pushinteger(v, self->Tell());
    return 1;
}

SQInteger stream_len(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    sq_pushinteger(v, self->Len());
    return 1;
}

SQInteger stream_flush(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    if (self->Flush())
        sq_pushinteger(v, 1);
    else
        sq_pushnull(v);
    return 1;
}

SQInteger stream_eos(HSQUIRRELVM v)
{
    SQSTD_SETUP_STREAM(v);
    if (self->Eos())
        sq_pushinteger(v, 1);
    else
        sq_pushnull(v);
    return 1;
}

const SQRegFunction kStreamMethods[] = {
    {"readblob", stream_readblob, 2, "xn"},
    {"readn", stream_readn, 2, "xn"},
    {"writeblob", stream_writeblob, 2, "xx"},
    {"writen", stream_writen, 3, "xnn"},
    {"seek", stream_seek, -2, "xnn"},
    {"tell", stream_tell, 1, "x"},
    {"len", stream_len, 1, "x"},
    {"eos", stream_eos, 1, "x"},
    {"flush", stream_flush, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

void PushStreamClass(HSQUIRRELVM v)
{
    if (SqStdPushRegistryValue(v, kStreamClassKey))
        return;
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, SqStdStreamTag());
    SqStdRegisterFunctions(v, kStreamMethods);
    sq_push(v, -1);
    SqStdSetRegistryValue(v, kStreamClassKey);
}

} // namespace

SQUserPointer SqStdStreamTag()
{
    return const_cast<char*>(&kStreamTagAnchor);
}
SQUserPointer SqStdBlobTag()
{
    return const_cast<char*>(&kBlobTagAnchor);
}
SQUserPointer SqStdFileTag()
{
    return const_cast<char*>(&kFileTagAnchor);
}

SQInteger SqStdAdoptStream(HSQUIRRELVM v, SqStream* stream, const SQChar* failure)
{
    if (SQ_FAILED(sq_setinstanceup(v, 1, stream)))
    {
        delete stream;
        return sq_throwerror(v, failure);
    }
    sq_setreleasehook(v, 1, StreamReleaseHook);
    return 0;
}

SQRESULT SqStdDeclareStreamClass(HSQUIRRELVM v, const SQChar* name, SQUserPointer tag,
                                 const SQChar* registryKey, const SQRegFunction* methods,
                                 const SQRegFunction* globals)
{
    if (sq_gettype(v, -1) != OT_TABLE)
        return sq_throwerror(v, "table expected");
    const SQInteger top = sq_gettop(v);
    sq_pushstring(v, name, -1);
    if (!SqStdPushRegistryValue(v, registryKey))
    {
        PushStreamClass(v);
        if (SQ_FAILED(sq_newclass(v, SQTrue)))
        {
            sq_settop(v, top);
            return SQ_ERROR;
        }
        sq_settypetag(v, -1, tag);
        SqStdRegisterFunctions(v, methods);
        sq_push(v, -1);
        SqStdSetRegistryValue(v, registryKey);
    }
    sq_newslot(v, -3, SQFalse);
    if (globals)
        SqStdRegisterFunctions(v, globals);
    sq_settop(v, top);
    return SQ_OK;
}

bool SqStdPushClass(HSQUIRRELVM v, const SQChar* registryKey)
{
    const SQInteger top = sq_gettop(v);
    if (!SqStdPushRegistryValue(v, registryKey))
        return false;
    if (sq_gettype(v, -1) == OT_CLASS)
        return true;
    sq_settop(v, top);
    return false;
}

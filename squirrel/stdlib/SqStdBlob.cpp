// The blob library.
#include "SqStdStream.h"

#include "SqBlob.h"

#include <sqstdblob.h>

#include <algorithm>
#include <cstring>

namespace
{

const SQChar* const kBlobClassKey = "std_blob";

// Instances hold their stream as SqStream*, whatever the class.
SqBlob* BlobAt(HSQUIRRELVM v, SQInteger idx)
{
    return static_cast<SqBlob*>(static_cast<SqStream*>(SqStdInstance(v, idx, SqStdBlobTag())));
}

// For the host functions: a value that is no blob leaves the error the instance lookup reports, as in 3.0.
SqBlob* HostBlobAt(HSQUIRRELVM v, SQInteger idx)
{
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &p, SqStdBlobTag())))
        return nullptr;
    return static_cast<SqBlob*>(static_cast<SqStream*>(p));
}

SqBlob* SelfBlob(HSQUIRRELVM v)
{
    return BlobAt(v, 1);
}

#define SQSTD_SETUP_BLOB(v)                                                                                  \
    SqBlob* self = SelfBlob(v);                                                                              \
    if (!self)                                                                                               \
        return sq_throwerror(v, "the blob is invalid");

SQInteger AdoptBlob(HSQUIRRELVM v, SqBlob* blob)
{
    return SqStdAdoptStream(v, blob, "cannot create blob");
}

SQInteger blob_constructor(HSQUIRRELVM v)
{
    SQInteger size = 0;
    if (sq_gettop(v) > 1)
        SqStdGetInteger(v, 2, &size);
    if (size < 0)
        return sq_throwerror(v, "cannot create blob with negative size");
    return AdoptBlob(v, new SqBlob(size));
}

SQInteger blob_cloned(HSQUIRRELVM v)
{
    const SqBlob* original = BlobAt(v, 2);
    if (!original)
        return sq_throwerror(v, "the blob is invalid");
    SqBlob* copy = new SqBlob(0);
    copy->Write(original->Data(), original->Size());
    copy->Seek(0, SqSeekOrigin::Begin);
    return AdoptBlob(v, copy);
}

SQInteger blob_resize(HSQUIRRELVM v)
{
    SQSTD_SETUP_BLOB(v);
    SQInteger size = 0;
    SqStdGetInteger(v, 2, &size);
    if (!self->Resize(size))
        return sq_throwerror(v, "resize failed");
    return 0;
}

SQInteger blob_swap2(HSQUIRRELVM v)
{
    SQSTD_SETUP_BLOB(v);
    self->Swap2();
    return 0;
}

SQInteger blob_swap4(HSQUIRRELVM v)
{
    SQSTD_SETUP_BLOB(v);
    self->Swap4();
    return 0;
}

// A key that is not an integer fails cleanly (throw null), so the VM reports a missing index.
SQInteger ThrowMissingKey(HSQUIRRELVM v)
{
    sq_pushnull(v);
    return sq_throwobject(v);
}

// The byte the key at 2 names; null after throwing.
uint8_t* IndexedByte(HSQUIRRELVM v, SqBlob& blob)
{
    if (sq_gettype(v, 2) != OT_INTEGER)
    {
        ThrowMissingKey(v);
        return nullptr;
    }
    SQInteger index = 0;
    sq_getinteger(v, 2, &index);
    if (index < 0 || index >= blob.Size())
    {
        sq_throwerror(v, "index out of range");
        return nullptr;
    }
    return blob.Data() + index;
}

SQInteger blob_get(HSQUIRRELVM v)
{
    SQSTD_SETUP_BLOB(v);
    const uint8_t* byte = IndexedByte(v, *self);
    if (!byte)
        return SQ_ERROR;
    sq_pushinteger(v, *byte);
    return 1;
}

SQInteger blob_set(HSQUIRRELVM v)
{
    SQSTD_SETUP_BLOB(v);
    uint8_t* byte = IndexedByte(v, *self);
    if (!byte)
        return SQ_ERROR;
    SQInteger value = 0;
    SqStdGetInteger(v, 3, &value);
    *byte = static_cast<uint8_t>(value);
    sq_push(v, 3);
    return 1;
}

SQInteger blob_nexti(HSQUIRRELVM v)
{
    SQSTD_SETUP_BLOB(v);
    SQInteger next = 0;
    if (sq_gettype(v, 2) != OT_NULL)
    {
        if (sq_gettype(v, 2) != OT_INTEGER)
            return sq_throwerror(v, "internal error (_nexti) wrong argument type");
        sq_getinteger(v, 2, &next);
        ++next;
    }
    if (next < self->Len())
        sq_pushinteger(v, next);
    else
        sq_pushnull(v);
    return 1;
}

SQInteger blob_typeof(HSQUIRRELVM v)
{
    sq_pushstring(v, "blob", -1);
    return 1;
}

SQInteger PushInteger(HSQUIRRELVM v, SQInteger value)
{
    sq_pushinteger(v, value);
    return 1;
}

SQInteger IntegerArg(HSQUIRRELVM v)
{
    SQInteger n = 0;
    SqStdGetInteger(v, 2, &n);
    return n;
}

SQFloat FloatArg(HSQUIRRELVM v)
{
    SQFloat f = 0;
    SqStdGetFloat(v, 2, &f);
    return f;
}

SQInteger global_swap2(HSQUIRRELVM v)
{
    return PushInteger(v, SqSwap2(IntegerArg(v)));
}
SQInteger global_swap4(HSQUIRRELVM v)
{
    return PushInteger(v, SqSwap4(IntegerArg(v)));
}
SQInteger global_castf2i(HSQUIRRELVM v)
{
    return PushInteger(v, SqCastFloatToInt(FloatArg(v)));
}

SQInteger global_swapfloat(HSQUIRRELVM v)
{
    sq_pushfloat(v, SqSwapFloat(FloatArg(v)));
    return 1;
}

SQInteger global_casti2f(HSQUIRRELVM v)
{
    sq_pushfloat(v, SqCastIntToFloat(IntegerArg(v)));
    return 1;
}

const SQRegFunction kBlobMethods[] = {
    {"constructor", blob_constructor, -1, "xn"},
    {"resize", blob_resize, 2, "xn"},
    {"swap2", blob_swap2, 1, "x"},
    {"swap4", blob_swap4, 1, "x"},
    {"_set", blob_set, 3, "xnn"},
    {"_get", blob_get, 2, "x."},
    {"_typeof", blob_typeof, 1, "x"},
    {"_nexti", blob_nexti, 2, "x."},
    {"_cloned", blob_cloned, 2, "xx"},
    {nullptr, nullptr, 0, nullptr},
};

const SQRegFunction kBlobGlobals[] = {
    {"casti2f", global_casti2f, 2, ".n"},     {"castf2i", global_castf2i, 2, ".n"},
    {"swap2", global_swap2, 2, ".n"},         {"swap4", global_swap4, 2, ".n"},
    {"swapfloat", global_swapfloat, 2, ".n"}, {nullptr, nullptr, 0, nullptr},
};

} // namespace

SQUserPointer sqstd_createblob(HSQUIRRELVM v, SQInteger size)
{
    const SQInteger top = sq_gettop(v);
    if (!SqStdPushClass(v, kBlobClassKey))
        return nullptr;
    sq_pushroottable(v);
    sq_pushinteger(v, size);
    if (SQ_SUCCEEDED(sq_call(v, 2, SQTrue, SQFalse)))
    {
        SqBlob* blob = BlobAt(v, -1);
        if (blob)
        {
            sq_remove(v, -2);
            return blob->Data();
        }
    }
    sq_settop(v, top);
    return nullptr;
}

SQRESULT sqstd_getblob(HSQUIRRELVM v, SQInteger idx, SQUserPointer* ptr)
{
    SqBlob* blob = HostBlobAt(v, idx);
    if (!blob)
        return SQ_ERROR;
    *ptr = blob->Data();
    return SQ_OK;
}

SQInteger sqstd_getblobsize(HSQUIRRELVM v, SQInteger idx)
{
    SqBlob* blob = HostBlobAt(v, idx);
    return blob ? blob->Len() : -1;
}

SQRESULT sqstd_register_bloblib(HSQUIRRELVM v)
{
    return SqStdDeclareStreamClass(v, "blob", SqStdBlobTag(), kBlobClassKey, kBlobMethods, kBlobGlobals);
}

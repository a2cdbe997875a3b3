#include "SqStdRegister.h"

#include <cmath>
#include <limits>

void SqStdRegisterFunctions(HSQUIRRELVM v, const SQRegFunction* functions)
{
    for (const SQRegFunction* f = functions; f->name; ++f)
    {
        sq_pushstring(v, f->name, -1);
        sq_newclosure(v, f->f, 0);
        sq_setparamscheck(v, f->nparamscheck, f->typemask);
        sq_setnativeclosurename(v, -1, f->name);
        sq_newslot(v, -3, SQFalse);
    }
}

void SqStdSetInteger(HSQUIRRELVM v, const SQChar* name, SQInteger value)
{
    sq_pushstring(v, name, -1);
    sq_pushinteger(v, value);
    sq_newslot(v, -3, SQFalse);
}

void SqStdSetFloat(HSQUIRRELVM v, const SQChar* name, SQFloat value)
{
    sq_pushstring(v, name, -1);
    sq_pushfloat(v, value);
    sq_newslot(v, -3, SQFalse);
}

bool SqStdPushRegistryValue(HSQUIRRELVM v, const SQChar* key)
{
    const SQInteger top = sq_gettop(v);
    sq_pushregistrytable(v);
    sq_pushstring(v, key, -1);
    if (SQ_SUCCEEDED(sq_rawget(v, -2)))
    {
        sq_remove(v, -2);
        return true;
    }
    sq_settop(v, top);
    return false;
}

void SqStdSetRegistryValue(HSQUIRRELVM v, const SQChar* key)
{
    sq_pushregistrytable(v);
    sq_pushstring(v, key, -1);
    sq_push(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 2);
}

SQUserPointer SqStdInstance(HSQUIRRELVM v, SQInteger idx, SQUserPointer tag)
{
    SQUserPointer p = nullptr;
    if (sq_gettype(v, idx) != OT_INSTANCE || SQ_FAILED(sq_getinstanceup(v, idx, &p, tag)))
        return nullptr;
    return p;
}

SQInteger SqStdFloatToInteger(SQFloat value)
{
    // NaN and values past either end give the lowest integer, as the x86 conversion the VM's
    // tointeger() shows does, without relying on an undefined cast
    constexpr SQFloat kLow = SQFloat(std::numeric_limits<SQInteger>::min());
    constexpr SQFloat kHigh = SQFloat(std::numeric_limits<SQInteger>::max());
    if (!(value > kLow - 1 && value < kHigh + 1))
        return std::numeric_limits<SQInteger>::min();
    return SQInteger(value);
}

bool SqStdGetInteger(HSQUIRRELVM v, SQInteger idx, SQInteger* value)
{
    switch (sq_gettype(v, idx))
    {
    case OT_INTEGER:
        return SQ_SUCCEEDED(sq_getinteger(v, idx, value));
    case OT_FLOAT:
    {
        SQFloat f = 0;
        if (SQ_FAILED(sq_getfloat(v, idx, &f)))
            return false;
        *value = SqStdFloatToInteger(f);
        return true;
    }
    default:
        return false;
    }
}

bool SqStdGetFloat(HSQUIRRELVM v, SQInteger idx, SQFloat* value)
{
    switch (sq_gettype(v, idx))
    {
    case OT_FLOAT:
        return SQ_SUCCEEDED(sq_getfloat(v, idx, value));
    case OT_INTEGER:
    {
        SQInteger i = 0;
        if (SQ_FAILED(sq_getinteger(v, idx, &i)))
            return false;
        *value = SQFloat(i);
        return true;
    }
    default:
        return false;
    }
}

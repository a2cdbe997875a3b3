// The system library.
#include "SqStdRegister.h"

#include <sqstdsystem.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace
{

const SQChar* StringArg(HSQUIRRELVM v, SQInteger idx)
{
    const SQChar* text = "";
    sq_getstring(v, idx, &text);
    return text;
}

SQInteger system_getenv(HSQUIRRELVM v)
{
    const char* value = std::getenv(StringArg(v, 2));
    if (value)
        sq_pushstring(v, value, -1);
    else
        sq_pushnull(v);
    return 1;
}

SQInteger system_system(HSQUIRRELVM v)
{
    sq_pushinteger(v, std::system(StringArg(v, 2)));
    return 1;
}

SQInteger system_clock(HSQUIRRELVM v)
{
    sq_pushfloat(v, SQFloat(double(std::clock()) / CLOCKS_PER_SEC));
    return 1;
}

SQInteger system_time(HSQUIRRELVM v)
{
    sq_pushinteger(v, SQInteger(std::time(nullptr)));
    return 1;
}

SQInteger system_remove(HSQUIRRELVM v)
{
    if (std::remove(StringArg(v, 2)) != 0)
        return sq_throwerror(v, "remove() failed");
    return 0;
}

SQInteger system_rename(HSQUIRRELVM v)
{
    if (std::rename(StringArg(v, 2), StringArg(v, 3)) != 0)
        return sq_throwerror(v, "rename() failed");
    return 0;
}

void SetSlot(HSQUIRRELVM v, const SQChar* name, SQInteger value)
{
    sq_pushstring(v, name, -1);
    sq_pushinteger(v, value);
    sq_newslot(v, -3, SQFalse);
}

SQInteger system_date(HSQUIRRELVM v)
{
    SQInteger seconds = SQInteger(std::time(nullptr));
    if (sq_gettop(v) > 1)
        SqStdGetInteger(v, 2, &seconds);
    SQInteger format = 'l';
    if (sq_gettop(v) > 2)
        SqStdGetInteger(v, 3, &format);
    // every letter but 'u' means local time
    const time_t t = time_t(seconds);
    tm parts{};
    const bool ok = format == 'u' ? gmtime_r(&t, &parts) != nullptr : localtime_r(&t, &parts) != nullptr;
    if (!ok)
        return sq_throwerror(v, "crt api failure");
    sq_newtable(v);
    SetSlot(v, "sec", parts.tm_sec);
    SetSlot(v, "min", parts.tm_min);
    SetSlot(v, "hour", parts.tm_hour);
    SetSlot(v, "day", parts.tm_mday);
    SetSlot(v, "month", parts.tm_mon);
    SetSlot(v, "year", parts.tm_year + 1900);
    SetSlot(v, "wday", parts.tm_wday);
    SetSlot(v, "yday", parts.tm_yday);
    return 1;
}

const SQRegFunction kSystemFunctions[] = {
    {"getenv", system_getenv, 2, ".s"},  {"system", system_system, 2, ".s"},
    {"date", system_date, -1, ".nn"},    {"clock", system_clock, 0, nullptr},
    {"time", system_time, 1, nullptr},   {"remove", system_remove, 2, ".s"},
    {"rename", system_rename, 3, ".ss"}, {nullptr, nullptr, 0, nullptr},
};

} // namespace

SQRESULT sqstd_register_systemlib(HSQUIRRELVM v)
{
    SqStdRegisterFunctions(v, kSystemFunctions);
    return SQ_OK;
}

// The auxiliary library: what an embedding host installs to see script errors.
#include "SqStdRegister.h"

#include <sqstdaux.h>

namespace
{

constexpr SQInteger kLocalLevels = 10;

SQPRINTFUNCTION ErrorPrinter(HSQUIRRELVM v)
{
    const SQPRINTFUNCTION error = sq_geterrorfunc(v);
    return error ? error : sq_getprintfunc(v);
}

void PrintLocal(HSQUIRRELVM v, SQPRINTFUNCTION print, const SQChar* name)
{
    switch (sq_gettype(v, -1))
    {
    case OT_NULL:
        print(v, "[%s] NULL\n", name);
        break;
    case OT_INTEGER:
    {
        SQInteger i = 0;
        sq_getinteger(v, -1, &i);
        print(v, "[%s] %d\n", name, int(i));
        break;
    }
    case OT_FLOAT:
    {
        SQFloat f = 0;
        sq_getfloat(v, -1, &f);
        print(v, "[%s] %.14g\n", name, double(f));
        break;
    }
    case OT_USERPOINTER:
        print(v, "[%s] USERPOINTER\n", name);
        break;
    case OT_STRING:
    {
        const SQChar* s = "";
        sq_getstring(v, -1, &s);
        print(v, "[%s] \"%s\"\n", name, s);
        break;
    }
    case OT_TABLE:
        print(v, "[%s] TABLE\n", name);
        break;
    case OT_ARRAY:
        print(v, "[%s] ARRAY\n", name);
        break;
    case OT_CLOSURE:
        print(v, "[%s] CLOSURE\n", name);
        break;
    case OT_NATIVECLOSURE:
        print(v, "[%s] NATIVECLOSURE\n", name);
        break;
    case OT_GENERATOR:
        print(v, "[%s] GENERATOR\n", name);
        break;
    case OT_USERDATA:
        print(v, "[%s] USERDATA\n", name);
        break;
    case OT_THREAD:
        print(v, "[%s] THREAD\n", name);
        break;
    case OT_CLASS:
        print(v, "[%s] CLASS\n", name);
        break;
    case OT_INSTANCE:
        print(v, "[%s] INSTANCE\n", name);
        break;
    case OT_WEAKREF:
        print(v, "[%s] WEAKREF\n", name);
        break;
    case OT_BOOL:
    {
        SQBool b = SQFalse;
        sq_getbool(v, -1, &b);
        print(v, "[%s] %s\n", name, b ? "true" : "false");
        break;
    }
    default:
        print(v, "[%s] UNKNOWN\n", name);
        break;
    }
}

// Level 0 is the error handler itself, so the call stack starts at level 1.
void PrintFunctions(HSQUIRRELVM v, SQPRINTFUNCTION print)
{
    print(v, "\nCALLSTACK\n");
    SQStackInfos info;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &info)); ++level)
    {
        const SQChar* function = info.funcname ? info.funcname : "unknown";
        const SQChar* source = info.source ? info.source : "unknown";
        print(v, "*FUNCTION [%s()] %s line [%d]\n", function, source, int(info.line));
    }
}

void PrintLocals(HSQUIRRELVM v, SQPRINTFUNCTION print)
{
    print(v, "\nLOCALS\n");
    for (SQInteger level = 0; level < kLocalLevels; ++level)
    {
        const SQChar* name = nullptr;
        for (SQUnsignedInteger seq = 0; (name = sq_getlocal(v, SQUnsignedInteger(level), seq)) != nullptr;
             ++seq)
        {
            PrintLocal(v, print, name);
            sq_pop(v, 1);
        }
    }
}

SQInteger RuntimeErrorHandler(HSQUIRRELVM v)
{
    const SQPRINTFUNCTION print = ErrorPrinter(v);
    if (!print)
        return 0;
    const SQChar* error = nullptr;
    if (sq_gettop(v) >= 2 && sq_gettype(v, 2) == OT_STRING && SQ_SUCCEEDED(sq_getstring(v, 2, &error)))
        print(v, "\nAN ERROR HAS OCCURED [%s]\n", error);
    else
        print(v, "\nAN ERROR HAS OCCURED [unknown]\n");
    sqstd_printcallstack(v);
    return 0;
}

void CompilerErrorHandler(HSQUIRRELVM v, const SQChar* description, const SQChar* source, SQInteger line,
                          SQInteger column)
{
    if (const SQPRINTFUNCTION print = ErrorPrinter(v))
        print(v, "%s line = (%d) column = (%d) : error %s\n", source, int(line), int(column), description);
}

} // namespace

void sqstd_printcallstack(HSQUIRRELVM v)
{
    const SQPRINTFUNCTION print = ErrorPrinter(v);
    if (!print)
        return;
    PrintFunctions(v, print);
    PrintLocals(v, print);
}

void sqstd_seterrorhandlers(HSQUIRRELVM v)
{
    sq_setcompilererrorhandler(v, CompilerErrorHandler);
    sq_newclosure(v, RuntimeErrorHandler, 0);
    sq_seterrorhandler(v);
}

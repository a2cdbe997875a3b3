// The auxiliary library: what an embedding host installs to see script errors.
#include "SqLocalText.h"
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
    const std::string text = SqLocalText(v, name);
    if (text.empty())
        print(v, "[%s] UNKNOWN\n", name);
    else
        print(v, "%s", text.c_str());
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

#include "SquirrelRunner.h"

#include <cstdarg>
#include <cstdio>

namespace
{
SquirrelRun* current = nullptr;

void Append(std::string& out, const SQChar* fmt, va_list args)
{
    char buf[4096];
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(buf, sizeof buf, fmt, copy);
    va_end(copy);
    if (n < int(sizeof buf))
    {
        out += buf;
        return;
    }
    std::string big(size_t(n) + 1, '\0');
    vsnprintf(&big[0], big.size(), fmt, args);
    big.resize(size_t(n));
    out += big;
}

void PrintOut(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    Append(current->output, fmt, args);
    va_end(args);
}

void PrintErr(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    Append(current->errorOutput, fmt, args);
    va_end(args);
}

void CompileError(HSQUIRRELVM, const SQChar* desc, const SQChar* source, SQInteger line, SQInteger column)
{
    current->error = desc;
    current->errorSource = source;
    current->errorLine = int(line);
    current->errorColumn = int(column);
}
} // namespace

SquirrelRun RunSquirrel(const std::string& source, const std::string& sourceName)
{
    SquirrelRun run;
    current = &run;
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, PrintOut, PrintErr);
    sq_setcompilererrorhandler(v, CompileError);
    sq_pushroottable(v);
    sq_registerbaselib(v);
    sq_pop(v, 1);
    if (SQ_SUCCEEDED(
            sq_compilebuffer(v, source.data(), SQInteger(source.size()), sourceName.c_str(), SQTrue)))
    {
        run.compiled = true;
        sq_pushroottable(v);
        if (SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)))
        {
            run.ran = true;
        }
        else
        {
            sq_getlasterror(v);
            const SQChar* err = nullptr;
            if (SQ_SUCCEEDED(sq_tostring(v, -1)) && SQ_SUCCEEDED(sq_getstring(v, -1, &err)))
                run.error = err;
        }
    }
    sq_close(v);
    current = nullptr;
    return run;
}

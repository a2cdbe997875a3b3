// sq FILE: runs a script, printing to stdout.
#include <squirrel.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

static void PrintOut(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    vfprintf(stdout, fmt, args);
    va_end(args);
}

static void PrintErr(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    vfprintf(stderr, fmt, args);
    va_end(args);
}

static void CompileError(HSQUIRRELVM, const SQChar* desc, const SQChar* source, SQInteger line,
                         SQInteger column)
{
    fprintf(stderr, "%s line = (%d) column = (%d) : error %s\n", source, int(line), int(column), desc);
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        fprintf(stderr, "usage: sq FILE\n");
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
    {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string source = buffer.str();
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, PrintOut, PrintErr);
    sq_setcompilererrorhandler(v, CompileError);
    sq_pushroottable(v);
    sq_registerbaselib(v);
    sq_pop(v, 1);
    int status = 0;
    if (SQ_SUCCEEDED(sq_compilebuffer(v, source.data(), SQInteger(source.size()), argv[1], SQTrue)))
    {
        sq_pushroottable(v);
        if (SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)))
        {
            sq_getlasterror(v);
            const SQChar* err = "unknown";
            if (SQ_FAILED(sq_getstring(v, -1, &err)))
                err = "(non-string error)";
            fprintf(stderr, "AN ERROR HAS OCCURRED [%s]\n", err);
            status = 1;
        }
    }
    else
    {
        status = 1;
    }
    sq_close(v);
    return status;
}

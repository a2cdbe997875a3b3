#include "script/ScriptHost.h"

#include "core/Clock.h"
#include "core/FileTable.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "core/pd_ifstream.h"
#include "platform/Shell.h"
#include "script/ScriptBinding.h"
#include "script/ScriptDebugger.h"
#include "squirrel/stdlib/SqLocalText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
constexpr SQInteger kInitialStackSize = 1024;
constexpr int kLocalsLevels = 10;

HSQUIRRELVM g_vm = nullptr;
const char* g_compileBuffer = nullptr;
bool g_errorFlag = false;
char g_printBuffer[1024];
ScriptPrintSink g_printSink = nullptr;
void* g_printSinkContext = nullptr;
ScriptProfiler g_profiler;

ScriptDebugger* g_debugger = nullptr;

// Profiling leaves the debug hook alone while a debugger holds it.
bool DebuggerAttached()
{
    return g_debugger && g_debugger->Attached();
}

const char* LastErrorText(HSQUIRRELVM vm)
{
    const SQChar* text = "unknown";
    sq_getlasterror(vm);
    if (SQ_FAILED(sq_getstring(vm, -1, &text)))
        text = "unknown";
    sq_pop(vm, 1);
    return text;
}

// Start-up goes on without a debugger that can't be made or has no client.
void StartDebugger(HSQUIRRELVM vm)
{
    g_debugger = ScriptDebugger_Init(vm, DebuggerListenPort(), true);
    sq_enabledebuginfo(vm, SQTrue);
    if (g_debugger && WaitForConnections(g_debugger) == 0)
    {
        EmptyFunction("Remote debugger connected.\n");
        return;
    }
    LogError("Remote debugger: %s; going on without it.\n", LastErrorText(vm));
    ScriptDebugger_Shutdown(g_debugger);
    g_debugger = nullptr;
}

const char* SourcePath(const char* source)
{
    if (!source)
        return "unknown";
    const char* path = FileTableFind(source);
    return path ? path : source;
}

void ScriptCompileErrorHandler(HSQUIRRELVM, const SQChar* description, const SQChar* source, SQInteger line,
                               SQInteger column)
{
    LogError("compile error:\n%s(%d) : (col %d) - %s\n", SourcePath(source), static_cast<int>(line),
             static_cast<int>(column), description);
    if (g_compileBuffer)
    {
        const char* text = g_compileBuffer;
        for (SQInteger passed = 0; passed < line - 1 && *text; ++text)
            if (*text == '\n')
                ++passed;
        FixedString<256> failingLine(text);
        if (char* newline = strchr(failingLine.data(), '\n'))
            *newline = 0;
        EmptyFunction("%s\n", failingLine.c_str());
    }
    g_errorFlag = true;
}

void PrintLocal(HSQUIRRELVM vm, const char* name)
{
    const std::string text = SqLocalText(vm, name);
    if (!text.empty())
        LogError("%s", text.c_str());
}

SQInteger Sq_errorHandler(HSQUIRRELVM vm)
{
    if (sq_gettop(vm) < 1)
    {
        LogError("Squirrel error - no stack for trace.\n");
        g_errorFlag = true;
        return 0;
    }
    const SQChar* error = "unknown";
    if (sq_gettype(vm, -1) != OT_STRING || SQ_FAILED(sq_getstring(vm, -1, &error)))
        error = "unknown";
    LogError("----------------\nSquirrel error : %s.\n", error);
    ScriptPrintCallStack(vm);
    LogError("----------------\n");
    g_errorFlag = true;
    return 0;
}

bool TopString(HSQUIRRELVM vm, const SQChar*& text)
{
    return sq_gettype(vm, -1) == OT_STRING && SQ_SUCCEEDED(sq_getstring(vm, -1, &text));
}

SQInteger sqfunc_dofile(HSQUIRRELVM vm)
{
    const SQChar* path = nullptr;
    if (TopString(vm, path))
        ScriptDoFile(vm, path);
    return 0;
}

SQInteger sqfunc_SetAppTitle(HSQUIRRELVM vm)
{
    const SQChar* title = nullptr;
    if (TopString(vm, title))
        SetWindowTitle(title);
    return 0;
}

SQInteger sqfunc_ProfileHook(HSQUIRRELVM vm)
{
    SQInteger event = 0;
    sq_getinteger(vm, 2, &event);
    if (event != 'c' && event != 'r')
        return 0;
    uint64_t now = 0;
    ClockMicroseconds(now);
    if (event == 'c')
    {
        g_profiler.OnCall(now);
        return 0;
    }
    const SQChar* source = nullptr;
    const SQChar* function = nullptr;
    if (sq_gettype(vm, 3) == OT_STRING)
        sq_getstring(vm, 3, &source);
    if (sq_gettype(vm, 5) == OT_STRING)
        sq_getstring(vm, 5, &function);
    g_profiler.OnReturn(now, function, source);
    return 0;
}

void BindRootFunction(HSQUIRRELVM vm, const char* name, SQFUNCTION function, const char* closureName)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    sq_newclosure(vm, function, 0);
    sq_setnativeclosurename(vm, -1, closureName);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
}

// Starts profiling for an engine call; returns the start time.
uint64_t ProfileBegin(HSQUIRRELVM vm)
{
    uint64_t start = 0;
    if (g_profiler.EnterEngineCall())
    {
        sq_newclosure(vm, sqfunc_ProfileHook, 0);
        sq_setnativeclosurename(vm, -1, "sqfunc_ProfileHook");
        sq_setdebughook(vm);
    }
    ClockMicroseconds(start);
    return start;
}

void ProfileEnd(HSQUIRRELVM vm, const char* name, uint64_t start)
{
    if (!g_profiler.LeaveEngineCall())
        return;
    uint64_t end = 0;
    ClockMicroseconds(end);
    sq_pushnull(vm);
    sq_setdebughook(vm);
    EmptyFunction("Total time for '%s' was %lld microseconds.\n", name, static_cast<long long>(end - start));
    EmptyFunction("%s", g_profiler.Log().c_str());
}

// Moves the n arguments above the function and a copy of the root table
// as `this`: root, function, root, argument 1 ... argument n.
void ArrangeCallFrame(HSQUIRRELVM vm, int argumentCount)
{
    sq_pushroottable(vm);
    for (int i = 0; i < argumentCount; ++i)
    {
        sq_push(vm, -3 - argumentCount);
        sq_remove(vm, -4 - argumentCount);
    }
}
} // namespace

bool ScriptInit(bool debug, ScriptRegistration registration)
{
    g_vm = sq_open(kInitialStackSize);
    g_errorFlag = false;
    g_profiler = ScriptProfiler();
    HSQUIRRELVM vm = g_vm;
    if (debug)
        StartDebugger(vm);
    sq_setcompilererrorhandler(vm, ScriptCompileErrorHandler);
    ScriptInstallErrorHandler(vm);
    sq_setprintfunc(vm, ScriptPrintFunc, ScriptPrintFunc);
    sq_enablearrayprint(vm, SQTrue);
    BindRootFunction(vm, "dofile", sqfunc_dofile, "sqfunc_dofile");
    BindRootFunction(vm, "SetAppTitle", sqfunc_SetAppTitle, "sqfunc_SetAppTitle");
    if (registration)
        registration(vm);
    return true;
}

bool ScriptShutdown()
{
    ScriptDebugger_Shutdown(g_debugger);
    g_debugger = nullptr;
    if (g_vm)
    {
        ScriptReleaseViewOwners();
        sq_close(g_vm);
    }
    g_vm = nullptr;
    return true;
}

void ScriptInstallErrorHandler(HSQUIRRELVM vm)
{
    sq_newclosure(vm, Sq_errorHandler, 0);
    sq_setnativeclosurename(vm, -1, "Sq_errorHandler");
    sq_seterrorhandler(vm);
}

ScriptDebugger* ScriptGetDebugger()
{
    return g_debugger;
}

HSQUIRRELVM ScriptGetVM()
{
    return g_vm;
}

bool ScriptLoadFile(HSQUIRRELVM vm, const char* resource, const char* path)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open script %s failed.\n", path);
        return false;
    }
    // The hot-reload listener knows scripts by this kind.
    FileTableSetResource(path, const_cast<char*>(resource ? resource : ""), kResourceScript);
    std::vector<uint8_t> text;
    if (!StreamReadAll(stream, kScriptFileBound, text))
        return false;
    const SQInteger length = static_cast<SQInteger>(text.size());
    text.push_back(0);
    return ScriptCompileAndRun(vm, resource, reinterpret_cast<const char*>(text.data()), length, path);
}

bool ScriptDoFile(HSQUIRRELVM vm, const char* path)
{
    return ScriptLoadFile(vm, nullptr, path);
}

bool ScriptCompileAndRun(HSQUIRRELVM vm, const char*, const char* text, SQInteger length, const char* source)
{
    g_compileBuffer = text;
    const SQRESULT compiled = sq_compilebuffer(vm, text, length, source, SQTrue);
    g_compileBuffer = nullptr;
    if (SQ_FAILED(compiled))
    {
        LogError("Script compile '%s' failed.\n", source);
        return true;
    }
    sq_pushroottable(vm);
    sq_call(vm, 1, SQFalse, SQTrue);
    sq_pop(vm, 1);
    return true;
}

bool ScriptRunString(HSQUIRRELVM vm, const char* text, SQInteger length, const char* source)
{
    return ScriptCompileAndRun(vm, nullptr, text, length, source);
}

bool ScriptCall(HSQUIRRELVM vm, const char*, const char* function, int argumentCount, bool wantResult,
                bool profile)
{
    return ScriptCallFunction(vm, function, argumentCount, wantResult, profile);
}

bool ScriptCallFunction(HSQUIRRELVM vm, const char* function, int argumentCount, bool wantResult,
                        bool profile)
{
    if (g_errorFlag)
    {
        sq_pop(vm, argumentCount);
        return false;
    }
    sq_pushroottable(vm);
    sq_pushstring(vm, function, -1);
    if (SQ_FAILED(sq_get(vm, -2)))
    {
        sq_pop(vm, 1 + argumentCount);
        return false;
    }
    const bool profiling = profile && !DebuggerAttached();
    const uint64_t start = profiling ? ProfileBegin(vm) : 0;
    ArrangeCallFrame(vm, argumentCount);
    const SQInteger functionSlot = sq_gettop(vm) - argumentCount - 1;
    const SQRESULT called = sq_call(vm, argumentCount + 1, wantResult ? SQTrue : SQFalse, SQTrue);
    if (SQ_FAILED(called))
    {
        // The caller pops a result it wanted either way: null stands in for it.
        sq_settop(vm, functionSlot);
        if (wantResult)
            sq_pushnull(vm);
    }
    const SQInteger result = wantResult ? 1 : 0;
    sq_remove(vm, -1 - result);
    sq_remove(vm, -1 - result);
    if (profiling)
        ProfileEnd(vm, function, start);
    return true;
}

bool ScriptCallMethod(HSQUIRRELVM vm, SQInteger objectIndex, const char* method, int argumentCount,
                      bool profile)
{
    const SQInteger objectSlot = sq_gettop(vm) + objectIndex + 1;
    const bool profiling = profile && !DebuggerAttached();
    const uint64_t start = profiling ? ProfileBegin(vm) : 0;
    sq_pushstring(vm, method, -1);
    const bool found = SQ_SUCCEEDED(sq_get(vm, objectSlot));
    if (found)
    {
        for (int i = 0; i <= argumentCount; ++i)
            sq_push(vm, objectIndex - 1);
        sq_call(vm, argumentCount + 1, SQFalse, SQTrue);
    }
    sq_settop(vm, objectSlot);
    if (profiling)
        ProfileEnd(vm, method, start);
    return found;
}

bool ScriptGetErrorFlag()
{
    return g_errorFlag;
}
void ScriptSetErrorFlag(bool value)
{
    g_errorFlag = value;
}
const char* ScriptGetProfileLog()
{
    return g_profiler.Log().c_str();
}

void ScriptPrintCallStack(HSQUIRRELVM vm)
{
    LogError("        CALLSTACK:\n");
    SQStackInfos info;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(vm, level, &info)); ++level)
        LogError("%s(%d) : %s()\n", SourcePath(info.source), static_cast<int>(info.line),
                 info.funcname ? info.funcname : "unknown");
    LogError("        LOCALS:\n");
    for (SQUnsignedInteger level = 0; level < kLocalsLevels; ++level)
    {
        SQUnsignedInteger index = 0;
        while (const SQChar* name = sq_getlocal(vm, level, index++))
        {
            PrintLocal(vm, name);
            sq_pop(vm, 1);
        }
    }
}

void ScriptPrintFunc(HSQUIRRELVM, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(g_printBuffer, sizeof(g_printBuffer), format, args);
    va_end(args);
    EmptyFunction("%s", g_printBuffer);
    if (g_printSink)
        g_printSink(g_printSinkContext, g_printBuffer);
}

void ScriptSetPrintSink(ScriptPrintSink sink, void* context)
{
    g_printSink = sink;
    g_printSinkContext = context;
}

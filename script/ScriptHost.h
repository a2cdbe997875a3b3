#pragma once
// The one script VM of the process: its life, loading and running script
// files and console lines, the error reports, the script error flag that stops
// the engine's calls into scripts after an error, and the engine's calls into
// script functions by name, optionally profiled.
#include "core/StreamBytes.h"
#include "script/ScriptProfiler.h"

#include <squirrel.h>

using ScriptRegistration = void (*)(HSQUIRRELVM vm);

// Opens the VM, installs the handlers and the host's globals, then runs the
// registration callback. With the debug flag the VM keeps debug information
// and a remote debugger waits for its client on port 1234 first; start-up
// goes on without one that can't come.
bool ScriptInit(bool debug, ScriptRegistration registration);
bool ScriptShutdown();
HSQUIRRELVM ScriptGetVM();
class ScriptDebugger;
// Null without "sqdebug" or when its client never came.
ScriptDebugger* ScriptGetDebugger();
// The host's run-time error reporter, installed as the VM's error handler.
void ScriptInstallErrorHandler(HSQUIRRELVM vm);

// Half a million lines of thirty characters fill this.
constexpr FileSizeBound kScriptFileBound = {"script", 16ull << 20};

// Loads a file through the file table and runs it; false when it can't be
// opened or read whole.
bool ScriptLoadFile(HSQUIRRELVM vm, const char* resource, const char* path);
bool ScriptDoFile(HSQUIRRELVM vm, const char* path);
// Compiles the text under the source name and runs it; errors are reported,
// not returned.
bool ScriptCompileAndRun(HSQUIRRELVM vm, const char* resource, const char* text, SQInteger length,
                         const char* source);
bool ScriptRunString(HSQUIRRELVM vm, const char* text, SQInteger length, const char* source);

// Calls the root-table function over the n arguments the caller pushed. The
// arguments are always consumed; a wanted result is left on the stack top
// (null when the call failed at run time). False when the error flag is up or
// the name is missing, and then nothing is left.
bool ScriptCall(HSQUIRRELVM vm, const char* table, const char* function, int argumentCount, bool wantResult,
                bool profile);
bool ScriptCallFunction(HSQUIRRELVM vm, const char* function, int argumentCount, bool wantResult,
                        bool profile);
// Calls a method of the object lying below the n pushed arguments (object
// index -1 - n). The arguments are consumed; the object stays for the caller.
bool ScriptCallMethod(HSQUIRRELVM vm, SQInteger objectIndex, const char* method, int argumentCount,
                      bool profile);

bool ScriptGetErrorFlag();
void ScriptSetErrorFlag(bool value);
const char* ScriptGetProfileLog();

// The run-time error report: the call stack and the locals of the ten
// innermost levels, each line through the error reporter.
void ScriptPrintCallStack(HSQUIRRELVM vm);
void ScriptPrintFunc(HSQUIRRELVM vm, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Where script prints go besides the debug print, while a sink is set (the
// console shows the output of the lines typed into it); null clears it.
using ScriptPrintSink = void (*)(void* context, const char* text);
void ScriptSetPrintSink(ScriptPrintSink sink, void* context);

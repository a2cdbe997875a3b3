// The remote debugger's incoming messages: bytes assembled into lines and
// each line parsed as a command, with no client to answer.
#include "FuzzSquirrel.h"
#include "FuzzTarget.h"

#include "script/ScriptDebugger.h"

FUZZ_TARGET(sqdebug)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    ScriptDebugger debugger(FuzzSharedVm(), false);
    debugger.Receive(reinterpret_cast<const char*>(data), size);
    return 0;
}

#pragma once
// The profile of one engine call into the scripts: the debug hook reports
// each script call and return, and every return adds a line with its time,
// indented one tab per enclosing call, to the profile log.
#include "core/FixedString.h"
#include <cstdint>

constexpr int kProfileMaxDepth = 256;
// 65356, as the log has always been sized.
using ScriptProfileLog = FixedString<65356>;

class ScriptProfiler
{
public:
    // Profiled engine calls may nest (a native run by one makes another):
    // true for the outermost, which alone installs the hook, starts an empty
    // log and, at its end, takes the hook away again.
    bool EnterEngineCall();
    bool LeaveEngineCall();
    bool IsProfiling() const { return m_engineCalls > 0; }

    // Empties the log and the call stack for a new profiled call.
    void Begin();
    void OnCall(uint64_t now);
    void OnReturn(uint64_t now, const char* function, const char* source);

    int Depth() const { return m_depth; }
    const ScriptProfileLog& Log() const { return m_log; }
    ScriptProfileLog& Log() { return m_log; }

private:
    uint64_t m_startTimes[kProfileMaxDepth] = {};
    char m_indent[kProfileMaxDepth] = {};
    // Calls deeper than the stack holds are counted, not timed, so their
    // returns pair up with the right calls again on the way out.
    int m_depth = 0;
    int m_engineCalls = 0;
    ScriptProfileLog m_log;
};

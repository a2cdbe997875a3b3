#include "script/ScriptProfiler.h"

bool ScriptProfiler::EnterEngineCall()
{
    if (m_engineCalls++ > 0)
        return false;
    Begin();
    return true;
}

bool ScriptProfiler::LeaveEngineCall()
{
    if (m_engineCalls == 0)
        return false;
    return --m_engineCalls == 0;
}

void ScriptProfiler::Begin()
{
    m_depth = 0;
    m_indent[0] = 0;
    m_log.Clear();
}

void ScriptProfiler::OnCall(uint64_t now)
{
    if (m_depth < kProfileMaxDepth - 1)
    {
        m_startTimes[m_depth] = now;
        m_indent[m_depth] = '\t';
        m_indent[m_depth + 1] = 0;
    }
    ++m_depth;
}

void ScriptProfiler::OnReturn(uint64_t now, const char* function, const char* source)
{
    // A return whose call came before profiling began has nothing to pair with.
    if (m_depth == 0)
        return;
    --m_depth;
    if (m_depth >= kProfileMaxDepth - 1)
        return;
    m_indent[m_depth] = 0;
    m_log.AppendFormat("%s%s (%s) took %lld microseconds\n", m_indent, function ? function : "?func?",
                       source ? source : "?file?", static_cast<long long>(now - m_startTimes[m_depth]));
}

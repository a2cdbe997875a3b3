#include "script/AppConsoleListener.h"

#include "script/ScriptHost.h"

#include <cstring>

void AppConsoleListener::ForwardPrint(void* context, const char* text)
{
    const AppConsoleListener* listener = static_cast<const AppConsoleListener*>(context);
    listener->m_print(listener->m_running, text);
}

void AppConsoleListener::OnLine(Console* console, const char* line)
{
    const bool errorFlag = ScriptGetErrorFlag();
    if (m_print)
    {
        m_running = console;
        ScriptSetPrintSink(ForwardPrint, this);
    }
    ScriptRunString(ScriptGetVM(), line, static_cast<SQInteger>(strlen(line)), "console");
    if (m_print)
    {
        ScriptSetPrintSink(nullptr, nullptr);
        m_running = nullptr;
    }
    ScriptSetErrorFlag(errorFlag);
}

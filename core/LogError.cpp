#include "core/LogError.h"

#include <cstdarg>
#include <cstdio>

namespace
{
LogErrorHandler g_handler = nullptr;
char g_message[kLogErrorBufferSize];
// The message buffer is shared, so a handler that reports again would
// overwrite the text it is still handling: such a nested report is dropped.
bool g_reporting = false;
} // namespace

void SetLogErrorHandler(LogErrorHandler handler)
{
    g_handler = handler;
}

LogErrorHandler GetLogErrorHandler()
{
    return g_handler;
}

void LogError(const char* format, ...)
{
    if (g_reporting)
        return;
    va_list args;
    va_start(args, format);
    vsnprintf(g_message, sizeof g_message, format, args);
    va_end(args);
    g_message[kLogErrorBufferSize - 1] = 0;
    if (!g_handler)
        return;
    g_reporting = true;
    g_handler(g_message);
    g_reporting = false;
}

void EmptyFunction(const char*, ...) {}

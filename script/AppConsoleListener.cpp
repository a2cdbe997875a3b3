#include "script/AppConsoleListener.h"

#include "script/ScriptHost.h"

#include <cstring>

void AppConsoleListener::OnLine(Console*, const char* line)
{
    const bool errorFlag = ScriptGetErrorFlag();
    ScriptRunString(ScriptGetVM(), line, static_cast<SQInteger>(strlen(line)), "console");
    ScriptSetErrorFlag(errorFlag);
}

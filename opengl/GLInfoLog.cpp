#include "opengl/GLInfoLog.h"

#include "core/pd_ofstream.h"

#include <cstring>
#include <memory>

namespace
{
std::unique_ptr<pd_ofstream> g_log;
bool g_opened = false;
} // namespace

void GLInfoLogOpen()
{
    g_log = std::make_unique<pd_ofstream>("tolvanGFX.log", 0, kOutWrite);
    g_opened = true;
}

void GLInfoLogClose()
{
    g_log.reset();
}

void GLInfoLogWrite(const char* text)
{
    // Opened once per run: a write after the close at exit must not truncate it.
    if (!g_opened)
        GLInfoLogOpen();
    if (!g_log)
        return;
    g_log->Write(text, strlen(text));
    g_log->Flush();
}

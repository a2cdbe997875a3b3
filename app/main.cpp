#include "game/App.h"
#include "opengl/GLInfoLog.h"
#include "platform/Shell.h"

int main(int argc, char** argv)
{
    // Both logs open before start-up, in the working folder.
    AppOpenPerformanceLog();
    GLInfoLogOpen();
    const int exitCode = ShellMain(argc, argv, ShellApplication{AppInit, AppFrame, AppShutdown});
    GLInfoLogClose();
    AppClosePerformanceLog();
    return exitCode;
}

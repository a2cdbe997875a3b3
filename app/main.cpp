#include "game/App.h"
#include "platform/Shell.h"

int main(int argc, char** argv)
{
    AppOpenPerformanceLog();
    const int exitCode = ShellMain(argc, argv, ShellApplication{AppInit, AppFrame, AppShutdown});
    AppClosePerformanceLog();
    return exitCode;
}

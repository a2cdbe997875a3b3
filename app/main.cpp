#include "game/App.h"
#include "platform/Shell.h"

int main(int argc, char** argv)
{
    return ShellMain(argc, argv, ShellApplication{AppInit, AppFrame, AppShutdown, AppOpenLogs, AppCloseLogs});
}

#pragma once
// The application spine: init, the frame, the per-frame game update, the
// loading pump and shutdown. It owns the order of every service's start, step
// and stop, and the moments of every call into the game script.

#include "game/AppOptions.h"

class pd_ofstream;

int AppInit();
int ScriptStartUp();
void AppFrame();
float GameUpdate(float dt);
void AppViewUpdate(float dt);
void LoadingPump();
void AppDisplayStart();
void AppShutdown();
// What the engine holds of the script VM's objects, let go before the VM
// closes (part of AppShutdown).
void AppReleaseScriptObjects();

void LogFileErrorHandler(const char* text);

// The performance log and the GL information log, opened before start-up
// once this is the one running instance, and closed after shutdown.
void AppOpenLogs();
void AppCloseLogs();
// Opens "tolvanPerf.log" with the start date and time; closed at exit.
void AppOpenPerformanceLog();
void AppClosePerformanceLog();

const AppOptions& AppGetOptions();
pd_ofstream* AppLogFile();
float AppTotalGameTime();
void AppGetRenderSize(unsigned& width, unsigned& height);

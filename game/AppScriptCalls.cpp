#include "game/AppScriptCalls.h"

// Until the script host is up there is no VM: nothing is found.
bool AppCallScript(const char*, bool) { return false; }
bool AppCallScriptFloat(const char*, float, bool) { return false; }
bool AppCallScriptString(const char*, const char*) { return false; }
bool AppCallScriptStringInt(const char*, const char*, int) { return false; }
bool AppCallScriptIntInt(const char*, int, int) { return false; }
const char* AppScriptProfileLog() { return ""; }

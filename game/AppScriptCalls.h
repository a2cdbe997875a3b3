#pragma once
// The engine's calls into the game script by name, one helper per argument
// shape. Each returns whether the function was found and run.

bool AppCallScript(const char* name, bool profile = false);
bool AppCallScriptFloat(const char* name, float value, bool profile = false);
bool AppCallScriptString(const char* name, const char* text);
bool AppCallScriptStringInt(const char* name, const char* text, int value);
bool AppCallScriptIntInt(const char* name, int first, int second);

// The profile of the last profiled call, one line per script call.
const char* AppScriptProfileLog();

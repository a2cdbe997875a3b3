#pragma once
// The node layer's calls into the game script, by name in the root table.
// Without a script VM they do nothing and answer false.

bool NetCallScript(const char* name);
bool NetCallScriptInt(const char* name, int value);
bool NetCallScriptFloat(const char* name, float value);
// The function's result taken as a bool; false when it is missing or fails.
bool NetAskScript(const char* name);

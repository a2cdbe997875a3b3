#pragma once
// The script class Sound: statics over the voices, and music streams whose
// next piece a script function (named by the script) chooses.
#include <squirrel.h>

#include <cstdint>

constexpr int kStreamCallbackNameCount = 64;
constexpr int kStreamCallbackNameSize = 64;

void RegisterSoundScriptAPI(HSQUIRRELVM vm);

// The entry of a stream callback name; the same name always gives the same
// entry. -1 (after a report) when all 64 are taken by other names.
int StreamCallbackNameIntern(const char* name);
// The stream callback the audio layer calls: runs the root-table function of
// the entry's name and gives the hash of the string it returns, else 0.
uint32_t ScriptStreamCallback(uint32_t entry);

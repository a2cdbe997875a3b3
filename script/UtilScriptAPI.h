#pragma once
// The general script classes and globals: the file table, the input map and
// its commands, game and real timers, game strings, time and number text,
// screen-edge placement, message boxes and a few platform answers.
#include <squirrel.h>

// Writes the platform user's persona name into the buffer (size bytes with
// the terminator); false when there is none to give.
using PersonaNameHook = bool (*)(char* buffer, int size);
// Installed by the online layer; null falls back to the login name.
void ScriptSetPersonaNameHook(PersonaNameHook hook);

void RegisterUtilScriptAPI(HSQUIRRELVM vm);

// The pieces of a time in seconds as two-digit text ("%02d"). Seconds beyond
// the integer range count as its nearest end.
void TimeMinutesPart(float seconds, char* text, int size);
void TimeSecondsPart(float seconds, char* text, int size);
void TimeHundredthsPart(float seconds, char* text, int size);
// The number in decimal with commas between groups of three digits ("-1,000").
void FormatWithCommas(int value, char* text, int size);

#pragma once
// The sound definition file: entries of four tokens (name, wave file below
// "sound", looping word, volume word), split by the shared tokenizer with
// its default separators, so an entry may stand on one line with tabs or
// across several lines; '#' starts a comment.

#include "core/StreamBytes.h"

#include <functional>

constexpr int kSoundDefTokenSize = 128;
// Every definition the table holds, in tokens of the longest kept, takes a
// thirtieth of this.
constexpr FileSizeBound kSoundDefFileBound = {"sound definition file", 4ull << 20};

struct SoundDefEntry
{
    const char* name;
    const char* file;
    const char* looping; // exactly "TRUE" loops
    const char* volume;  // empty when the file ended before it
};

// Hands every entry that has a name and a file to the visitor, in file order.
// An entry cut short after its file still counts; one without a file does not.
void SoundDefFileRead(const char* text, int length, const std::function<void(const SoundDefEntry&)>& visit);

#pragma once
// Sound definitions: each sound is known by the hash of its name and plays
// one OpenAL buffer filled from its wave file. Definition files add sounds;
// unloading the same file removes them again. The definitions and their
// buffer records are two arrays kept in step (same index, same count).

#include "core/FixedString.h"

#include <cstdint>

constexpr int kMaxSoundDefinitions = 256;

struct SoundDefinition
{
    uint32_t nameHash = 0;
    FixedString64 fileName;
    uint32_t looping = 0;
    float volume = 1.0f;
};

struct SoundBufferRecord
{
    uint8_t looping = 0;
    uint32_t buffer = 0; // OpenAL buffer name; 0 when there is no device
    float volume = 1.0f;
    // The format of the samples in the buffer; 0 channels when it holds none.
    uint16_t channels = 0;
    uint32_t rate = 0;
};

uint32_t SoundHash(const char* name);

// Loads or unloads the definition file folder/file; false when it does not open.
bool SoundDefLoadPath(const char* folder, const char* file);
bool SoundDefUnloadPath(const char* folder, const char* file);
// The world's calls: the file below the folder "sound".
bool SoundDefLoad(const char* file);
bool SoundDefUnload(const char* file);

// Appends a definition and fills its buffer from "sound/<file>"; false when
// the table is full. A volume word that is empty means 1.0.
bool SoundDefAdd(const char* name, const char* file, const char* loopingWord, const char* volumeWord);
// Removes the first definition of that name, after stopping the voices that
// play its buffer; an unknown name is ignored.
void SoundDefRemove(const char* name);

// The index of the first definition with the hash; 0 when there is none.
int SoundDefFind(uint32_t hash);
int SoundDefCount();
const SoundDefinition& SoundDefGet(int index);
const SoundBufferRecord& SoundBufferGet(int index);

// Deletes every buffer and empties the table (the device is closing).
void SoundDefClearAll();

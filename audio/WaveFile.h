#pragma once
// The engine's sound files: 16-bit PCM RIFF/WAVE, mono or stereo. The chunks
// are walked to find "fmt " (plain PCM, or WAVE_FORMAT_EXTENSIBLE with the PCM
// sub-format) and "data", so the chunks editors add (LIST, fact, JUNK and
// others, before or after the samples) are stepped over.

#include "core/StreamBytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The plain header our writer and the oldest tools write: "fmt " of 16 bytes
// straight before "data", the samples from byte 44.
constexpr size_t kWaveHeaderSize = 44;
// Twenty-five minutes of 44.1 kHz 16-bit stereo; a sound is played from one
// buffer, so no real one comes near.
constexpr FileSizeBound kWaveFileBound = {"sound", 256ull << 20};

struct WaveData
{
    uint16_t channels = 0; // 1 or 2
    uint32_t rate = 0;
    const uint8_t* samples = nullptr; // inside the parsed bytes
    uint32_t size = 0;                // whole frames only
};

// Finds the format and the samples of the bytes. The data size is cut to the
// bytes present and to whole frames. A file the engine cannot play gets one
// report naming the file, and false.
bool WaveParse(const uint8_t* bytes, size_t count, const char* name, WaveData& wave);

// Reads the whole file through the file table; false when it does not open
// (nothing reported: the caller decides what a missing file means), and
// after one report when it is larger than the bound or cannot be read whole.
bool WaveReadFile(const char* path, std::vector<uint8_t>& bytes);

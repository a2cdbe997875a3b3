#pragma once
// The engine's sound files: 16-bit PCM RIFF/WAVE with the plain 44-byte
// header (format fields at 20 to 35, the "data" chunk at 36, its size at 40,
// the samples from 44). No other chunk layout is read.

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t kWaveHeaderSize = 44;

struct WaveData
{
    uint16_t channels = 0; // 1 or 2
    uint32_t rate = 0;
    const uint8_t* samples = nullptr; // inside the parsed bytes
    uint32_t size = 0;                // whole frames only
};

// Checks the header of the bytes and finds the samples. The data size is cut
// to the bytes present and to whole frames. A header the engine cannot play
// gets one report naming the file, and false.
bool WaveParse(const uint8_t* bytes, size_t count, const char* name, WaveData& wave);

// Reads the whole file through the file table; false when it does not open
// (nothing reported: the caller decides what a missing file means).
bool WaveReadFile(const char* path, std::vector<uint8_t>& bytes);

#pragma once
// Writes 16-bit PCM WAV files with the plain 44-byte header the engine reads:
// tones, noise and silence at any rate, mono or stereo, and damaged variants
// of the header for refusal tests.

#include <cstdint>
#include <vector>

enum class WavSignal
{
    kTone,
    kNoise,
    kSilence,
};

struct WavSignalSpec
{
    WavSignal signal = WavSignal::kTone;
    uint16_t channels = 1;
    uint32_t rate = 44100;
    float seconds = 1.0f;
    float amplitude = 0.5f;                    // of full scale
    std::vector<float> frequencies = {420.0f}; // tones: played one after another in equal parts
    float decay = 0.0f;                        // per second: amplitude x exp(-decay x t)
    uint32_t seed = 1;                         // noise
};

// Interleaved samples of the signal, the same on every channel.
std::vector<int16_t> WavSynthesize(const WavSignalSpec& spec);

// A whole file: header then the samples as given (interleaved).
std::vector<uint8_t> WavWrite(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate);
std::vector<uint8_t> WavWriteSignal(const WavSignalSpec& spec);

// Ways a file can be damaged, each alone.
enum class WavFault
{
    kRiffTag,      // "RIFX" in place of "RIFF"
    kWaveTag,      // "WAVX" in place of "WAVE"
    kNotPcm,       // format tag 3 (float)
    kEightBits,    // 8 bits per sample in the header
    kNoChannels,   // channel count 0
    kSixChannels,  // channel count 6
    kZeroRate,     // sample rate 0
    kDataTag,      // "LIST" where "data" belongs
    kSizePastEnd,  // the data size claims 1000000 bytes more than follow
    kPartialFrame, // one byte of a frame more than whole frames (data and size)
    kHeaderCut,    // the file ends inside the header (30 bytes)
    kEmpty,        // no bytes at all
};
std::vector<uint8_t> WavDamage(std::vector<uint8_t> file, WavFault fault);
// The fault by its word ("riff", "wave", "notpcm", "bits8", "channels0",
// "channels6", "rate0", "datatag", "pastend", "partial", "headercut", "empty");
// false when the word names none.
bool WavFaultByName(const char* name, WavFault& fault);

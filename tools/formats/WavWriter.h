#pragma once
// Writes 16-bit PCM WAV files: tones, noise and silence at any rate, mono or
// stereo, with the plain 44-byte header or laid out the way common editors
// write them (extra chunks, fact, the extensible header), and damaged variants
// of the plain header for refusal tests.

#include <cstdint>
#include <string>
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

// One RIFF chunk; an odd-sized body is followed by its pad byte.
struct WavChunk
{
    std::string tag; // four characters
    std::vector<uint8_t> body;
};

// Where the chunks stand and what the fmt chunk says. The default is the
// plain 44-byte header; the samples written are always 16-bit.
struct WavLayout
{
    bool extensible = false;    // fmt of 40 bytes, format 0xFFFE with a sub-format
    bool formatSizeField = false; // plain fmt of 18 bytes ending in an extension size of 0
    uint16_t format = 1;        // format tag, or the sub-format's leading code when extensible
    uint16_t bits = 16;         // bits per sample as the fmt chunk states them
    bool fact = false;          // a fact chunk holding the frame count, after fmt
    std::vector<WavChunk> beforeFormat, beforeData, afterData;
};

// A LIST chunk of type INFO with one ISFT entry, as an encoder signs its file.
WavChunk WavInfoChunk(const std::string& software);

// A whole file: header then the samples as given (interleaved).
std::vector<uint8_t> WavWrite(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate);
std::vector<uint8_t> WavWriteLaidOut(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate,
                                     const WavLayout& layout);
std::vector<uint8_t> WavWriteSignal(const WavSignalSpec& spec);
// The layouts by word, comma-separated: "info" (a LIST/INFO chunk before the
// data), "fact", "extensible", "trailer" (a LIST/INFO chunk after the data),
// "junk" (a JUNK chunk before fmt), "odd" (an odd-sized chunk before the
// data); false when a word names none.
bool WavLayoutByNames(const char* names, WavLayout& layout);

// Ways a file with the plain header can be damaged, each alone.
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

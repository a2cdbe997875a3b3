#include "tools/formats/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr size_t kHeaderSize = 44;
constexpr float kTwoPi = 6.28318531f;

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value)
{
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = uint8_t(value >> (8 * i));
}

void PutTag(std::vector<uint8_t>& bytes, size_t at, const char* tag)
{
    memcpy(&bytes[at], tag, 4);
}

// The same 0..32767 sequence the engine's generator gives, so noise is repeatable.
float NextNoise(uint32_t& state)
{
    state = state * 214013u + 2531011u;
    const int value = int((state >> 16) & 0x7FFF);
    return float(value) / 16383.5f - 1.0f;
}

float SignalAt(const WavSignalSpec& spec, uint32_t frame, uint32_t frames, uint32_t& noise)
{
    const float t = float(frame) / float(spec.rate);
    float value = 0.0f;
    if (spec.signal == WavSignal::kNoise)
        value = NextNoise(noise);
    else if (spec.signal == WavSignal::kTone && !spec.frequencies.empty())
    {
        const size_t part =
            std::min(spec.frequencies.size() - 1, size_t(frame) * spec.frequencies.size() / frames);
        value = std::sin(kTwoPi * spec.frequencies[part] * t);
    }
    return value * spec.amplitude * std::exp(-spec.decay * t);
}

int16_t ToSample(float value)
{
    const float scaled = std::round(value * 32767.0f);
    return int16_t(std::max(-32768.0f, std::min(32767.0f, scaled)));
}
} // namespace

std::vector<int16_t> WavSynthesize(const WavSignalSpec& spec)
{
    const uint32_t frames = uint32_t(std::max(0.0f, spec.seconds) * float(spec.rate));
    std::vector<int16_t> samples;
    samples.reserve(size_t(frames) * spec.channels);
    uint32_t noise = spec.seed;
    for (uint32_t frame = 0; frame < frames; ++frame)
    {
        const int16_t sample = ToSample(SignalAt(spec, frame, frames, noise));
        for (uint16_t c = 0; c < spec.channels; ++c)
            samples.push_back(sample);
    }
    return samples;
}

std::vector<uint8_t> WavWrite(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate)
{
    const uint32_t dataSize = uint32_t(samples.size() * 2);
    std::vector<uint8_t> bytes(kHeaderSize + dataSize);
    PutTag(bytes, 0, "RIFF");
    PutU32(bytes, 4, 36 + dataSize);
    PutTag(bytes, 8, "WAVE");
    PutTag(bytes, 12, "fmt ");
    PutU32(bytes, 16, 16);
    PutU16(bytes, 20, 1);
    PutU16(bytes, 22, channels);
    PutU32(bytes, 24, rate);
    PutU32(bytes, 28, rate * channels * 2);
    PutU16(bytes, 32, uint16_t(channels * 2));
    PutU16(bytes, 34, 16);
    PutTag(bytes, 36, "data");
    PutU32(bytes, 40, dataSize);
    for (size_t i = 0; i < samples.size(); ++i)
        PutU16(bytes, kHeaderSize + 2 * i, uint16_t(samples[i]));
    return bytes;
}

std::vector<uint8_t> WavWriteSignal(const WavSignalSpec& spec)
{
    return WavWrite(WavSynthesize(spec), spec.channels, spec.rate);
}

std::vector<uint8_t> WavDamage(std::vector<uint8_t> file, WavFault fault)
{
    if (file.size() < kHeaderSize)
        return file;
    switch (fault)
    {
    case WavFault::kRiffTag:
        PutTag(file, 0, "RIFX");
        break;
    case WavFault::kWaveTag:
        PutTag(file, 8, "WAVX");
        break;
    case WavFault::kNotPcm:
        PutU16(file, 20, 3);
        break;
    case WavFault::kEightBits:
        PutU16(file, 34, 8);
        break;
    case WavFault::kNoChannels:
        PutU16(file, 22, 0);
        break;
    case WavFault::kSixChannels:
        PutU16(file, 22, 6);
        break;
    case WavFault::kZeroRate:
        PutU32(file, 24, 0);
        break;
    case WavFault::kDataTag:
        PutTag(file, 36, "LIST");
        break;
    case WavFault::kSizePastEnd:
        PutU32(file, 40, uint32_t(file.size() - kHeaderSize) + 1000000u);
        break;
    case WavFault::kPartialFrame:
        file.push_back(0x7F);
        PutU32(file, 40, uint32_t(file.size() - kHeaderSize));
        break;
    case WavFault::kHeaderCut:
        file.resize(30);
        break;
    case WavFault::kEmpty:
        file.clear();
        break;
    }
    return file;
}

bool WavFaultByName(const char* name, WavFault& fault)
{
    static const struct
    {
        const char* name;
        WavFault fault;
    } kFaults[] = {
        {"riff", WavFault::kRiffTag},         {"wave", WavFault::kWaveTag},
        {"notpcm", WavFault::kNotPcm},        {"bits8", WavFault::kEightBits},
        {"channels0", WavFault::kNoChannels}, {"channels6", WavFault::kSixChannels},
        {"rate0", WavFault::kZeroRate},       {"datatag", WavFault::kDataTag},
        {"pastend", WavFault::kSizePastEnd},  {"partial", WavFault::kPartialFrame},
        {"headercut", WavFault::kHeaderCut},  {"empty", WavFault::kEmpty},
    };
    for (const auto& entry : kFaults)
        if (strcmp(entry.name, name) == 0)
        {
            fault = entry.fault;
            return true;
        }
    return false;
}

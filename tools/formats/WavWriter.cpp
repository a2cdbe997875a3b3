#include "tools/formats/WavWriter.h"

#include "tools/formats/ByteWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr size_t kHeaderSize = 44;
constexpr float kTwoPi = 6.28318531f;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The sub-format GUID after its leading 16-bit format code (the Microsoft
// audio base GUID 0000xxxx-0000-0010-8000-00AA00389B71 as it lies in a file).
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

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

// The pad byte of an odd-sized body is not counted in the chunk's size.
void PutChunk(ByteWriter& file, const WavChunk& chunk)
{
    file.Raw(chunk.tag.data(), 4);
    file.U32(uint32_t(chunk.body.size()));
    file.Raw(chunk.body.data(), chunk.body.size());
    if (chunk.body.size() % 2)
        file.U8(0);
}

WavChunk FormatChunk(const WavLayout& layout, uint16_t channels, uint32_t rate)
{
    const uint16_t frameBytes = uint16_t(channels * layout.bits / 8);
    ByteWriter format;
    format.U16(layout.extensible ? kFormatExtensible : layout.format);
    format.U16(channels);
    format.U32(rate);
    format.U32(rate * frameBytes);
    format.U16(frameBytes);
    format.U16(layout.bits);
    if (layout.extensible)
    {
        format.U16(22); // the extension's size
        format.U16(layout.bits); // valid bits
        format.U32(channels == 1 ? 0x4 : 0x3); // front centre, or front left and right
        format.U16(layout.format);
        format.Raw(kSubFormatTail, sizeof kSubFormatTail);
    }
    else if (layout.formatSizeField)
        format.U16(0);
    return {"fmt ", format.Bytes()};
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
    return WavWriteLaidOut(samples, channels, rate, WavLayout());
}

std::vector<uint8_t> WavWriteLaidOut(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate,
                                     const WavLayout& layout)
{
    ByteWriter file;
    file.Raw("RIFF", 4);
    file.U32(0); // the RIFF size, filled in below
    file.Raw("WAVE", 4);
    for (const WavChunk& chunk : layout.beforeFormat)
        PutChunk(file, chunk);
    PutChunk(file, FormatChunk(layout, channels, rate));
    if (layout.fact)
    {
        ByteWriter frames;
        frames.U32(uint32_t(channels ? samples.size() / channels : 0));
        PutChunk(file, {"fact", frames.Bytes()});
    }
    for (const WavChunk& chunk : layout.beforeData)
        PutChunk(file, chunk);
    ByteWriter data;
    for (int16_t sample : samples)
        data.U16(uint16_t(sample));
    PutChunk(file, {"data", data.Bytes()});
    for (const WavChunk& chunk : layout.afterData)
        PutChunk(file, chunk);
    std::vector<uint8_t>& bytes = file.Bytes();
    PutU32(bytes, 4, uint32_t(bytes.size() - 8));
    return bytes;
}

WavChunk WavInfoChunk(const std::string& software)
{
    ByteWriter list;
    list.Raw("INFO", 4);
    std::vector<uint8_t> text(software.begin(), software.end());
    text.push_back(0);
    PutChunk(list, {"ISFT", text});
    return {"LIST", list.Bytes()};
}

bool WavLayoutByNames(const char* names, WavLayout& layout)
{
    std::string list(names);
    size_t start = 0;
    while (start <= list.size())
    {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string word = list.substr(start, comma - start);
        if (word == "info")
            layout.beforeData.push_back(WavInfoChunk("Lavf58.76.100"));
        else if (word == "fact")
            layout.fact = true;
        else if (word == "extensible")
            layout.extensible = true;
        else if (word == "trailer")
            layout.afterData.push_back(WavInfoChunk("Pendrel wavgen"));
        else if (word == "junk")
            layout.beforeFormat.push_back({"JUNK", std::vector<uint8_t>(28, 0)});
        else if (word == "odd")
            layout.beforeData.push_back({"note", {'o', 'd', 'd'}});
        else
            return false;
        start = comma + 1;
    }
    return true;
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

#include "audio/WaveFile.h"

#include "core/LogError.h"
#include "core/pd_ifstream.h"

#include <cstring>

namespace
{
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kBitsPerSample = 16;
// Above any rate a sound card plays; OpenAL takes the rate as a signed int.
constexpr uint32_t kMaxRate = 768000;

uint16_t U16At(const uint8_t* bytes, size_t at)
{
    return uint16_t(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t U32At(const uint8_t* bytes, size_t at)
{
    return uint32_t(bytes[at]) | (uint32_t(bytes[at + 1]) << 8) | (uint32_t(bytes[at + 2]) << 16) |
           (uint32_t(bytes[at + 3]) << 24);
}

bool TagAt(const uint8_t* bytes, size_t at, const char* tag)
{
    return memcmp(bytes + at, tag, 4) == 0;
}

// What is wrong with the header, or null when it is playable.
const char* HeaderFault(const uint8_t* bytes, size_t count)
{
    if (count < kWaveHeaderSize)
        return "is shorter than its header";
    if (!TagAt(bytes, 0, "RIFF") || !TagAt(bytes, 8, "WAVE"))
        return "is not a RIFF WAVE file";
    if (U16At(bytes, 20) != kFormatPcm || U16At(bytes, 34) != kBitsPerSample)
        return "is not 16-bit PCM";
    const uint16_t channels = U16At(bytes, 22);
    if (channels != 1 && channels != 2)
        return "has neither 1 nor 2 channels";
    const uint32_t rate = U32At(bytes, 24);
    if (rate == 0 || rate > kMaxRate)
        return "has no usable sample rate";
    if (!TagAt(bytes, 36, "data"))
        return "has no data chunk after a plain header";
    return nullptr;
}
} // namespace

bool WaveParse(const uint8_t* bytes, size_t count, const char* name, WaveData& wave)
{
    wave = WaveData();
    if (const char* fault = bytes ? HeaderFault(bytes, count) : "is empty")
    {
        LogError("Pendrel Audio sound file %s %s.\n", name, fault);
        return false;
    }
    wave.channels = U16At(bytes, 22);
    wave.rate = U32At(bytes, 24);
    const size_t present = count - kWaveHeaderSize;
    size_t size = U32At(bytes, 40);
    if (size > present)
        size = present;
    const size_t frameBytes = size_t(wave.channels) * 2;
    wave.size = uint32_t(size - size % frameBytes);
    wave.samples = bytes + kWaveHeaderSize;
    return true;
}

bool WaveReadFile(const char* path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
        return false;
    bytes.resize(stream.Size());
    bytes.resize(bytes.empty() ? 0 : stream.Read(bytes.data(), bytes.size()));
    return true;
}

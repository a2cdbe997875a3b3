#include "audio/WaveFile.h"

#include "core/LogError.h"
#include "core/pd_ifstream.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t kRiffHeaderSize = 12;
constexpr size_t kChunkHeaderSize = 8;
constexpr uint32_t kPlainFormatSize = 16;
constexpr uint32_t kExtensibleFormatSize = 40;
constexpr uint16_t kExtensionSize = 22;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint16_t kBitsPerSample = 16;
// The PCM sub-format GUID 00000001-0000-0010-8000-00AA00389B71 as it lies in a file.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
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

struct Chunk
{
    const uint8_t* body = nullptr;
    size_t size = 0;
};

struct Chunks
{
    Chunk format;
    Chunk data;
};

// Walks the chunks after the RIFF header until both are found; the first of
// each kind counts. Every size is checked against the bytes present, except
// that a data chunk cut short (a recording that was interrupted) keeps the
// samples that are there. What is wrong, or null.
const char* FindChunks(const uint8_t* bytes, size_t count, Chunks& found)
{
    size_t at = kRiffHeaderSize;
    while (!found.format.body || !found.data.body)
    {
        if (at > count || count - at < kChunkHeaderSize)
            return found.format.body ? "has no data chunk" : "has no fmt chunk";
        const size_t size = U32At(bytes, at + 4);
        const size_t present = count - at - kChunkHeaderSize;
        const Chunk chunk{bytes + at + kChunkHeaderSize, std::min(size, present)};
        if (TagAt(bytes, at, "data"))
        {
            if (!found.data.body)
                found.data = chunk;
        }
        else if (size > present)
            return "has a chunk that runs past the end of the file";
        else if (TagAt(bytes, at, "fmt ") && !found.format.body)
            found.format = chunk;
        at += kChunkHeaderSize + size + (size & 1); // odd sizes are padded to even
    }
    return nullptr;
}

bool IsPcm(const Chunk& format)
{
    const uint16_t tag = U16At(format.body, 0);
    if (tag == kFormatPcm)
        return true;
    return tag == kFormatExtensible && format.size >= kExtensibleFormatSize &&
           U16At(format.body, 16) >= kExtensionSize && memcmp(format.body + 24, kPcmSubFormat, 16) == 0;
}

const char* FormatFault(const Chunk& format)
{
    if (format.size < kPlainFormatSize)
        return "has a fmt chunk too short for its fields";
    if (!IsPcm(format) || U16At(format.body, 14) != kBitsPerSample)
        return "is not 16-bit PCM";
    const uint16_t channels = U16At(format.body, 2);
    if (channels != 1 && channels != 2)
        return "has neither 1 nor 2 channels";
    const uint32_t rate = U32At(format.body, 4);
    if (rate == 0 || rate > kMaxRate)
        return "has no usable sample rate";
    return nullptr;
}

const char* FileFault(const uint8_t* bytes, size_t count, Chunks& found)
{
    if (!bytes)
        return "is empty";
    if (count < kRiffHeaderSize)
        return "is shorter than its header";
    if (!TagAt(bytes, 0, "RIFF") || !TagAt(bytes, 8, "WAVE"))
        return "is not a RIFF WAVE file";
    if (const char* fault = FindChunks(bytes, count, found))
        return fault;
    return FormatFault(found.format);
}
} // namespace

bool WaveParse(const uint8_t* bytes, size_t count, const char* name, WaveData& wave)
{
    wave = WaveData();
    Chunks found;
    if (const char* fault = FileFault(bytes, count, found))
    {
        LogError("Pendrel Audio sound file %s %s.\n", name, fault);
        return false;
    }
    wave.channels = U16At(found.format.body, 2);
    wave.rate = U32At(found.format.body, 4);
    const size_t frameBytes = size_t(wave.channels) * 2;
    wave.size = uint32_t(found.data.size - found.data.size % frameBytes);
    wave.samples = found.data.body;
    return true;
}

bool WaveReadFile(const char* path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
        return false;
    return StreamReadAll(stream, kWaveFileBound, bytes);
}

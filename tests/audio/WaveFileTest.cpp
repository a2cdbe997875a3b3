// The wave reader over writer-made files, sound and damaged.
#include "audio/WaveFile.h"
#include "support/LogCapture.h"
#include "tools/formats/WavWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
std::vector<uint8_t> Tone(uint16_t channels, uint32_t rate, float seconds)
{
    WavSignalSpec spec;
    spec.channels = channels;
    spec.rate = rate;
    spec.seconds = seconds;
    return WavWriteSignal(spec);
}
} // namespace

TEST(WaveFileTest, PlayableFilesGiveTheirFormatAndSamples)
{
    struct Case
    {
        uint16_t channels;
        uint32_t rate;
    };
    for (const Case& c : {Case{1, 44100}, Case{2, 44100}, Case{1, 8000}, Case{2, 96000}, Case{1, 11025}})
    {
        const std::vector<uint8_t> file = Tone(c.channels, c.rate, 0.1f);
        WaveData wave;
        ASSERT_TRUE(WaveParse(file.data(), file.size(), "tone.wav", wave)) << c.channels << " " << c.rate;
        EXPECT_EQ(wave.channels, c.channels);
        EXPECT_EQ(wave.rate, c.rate);
        EXPECT_EQ(wave.size, file.size() - kWaveHeaderSize);
        EXPECT_EQ(wave.samples, file.data() + kWaveHeaderSize);
    }
}

TEST(WaveFileTest, ADataSizeIsCutToTheBytesPresentAndToWholeFrames)
{
    struct Case
    {
        uint16_t channels;
        WavFault fault;
    };
    for (const Case& c : {Case{1, WavFault::kSizePastEnd}, Case{2, WavFault::kSizePastEnd},
                          Case{1, WavFault::kPartialFrame}, Case{2, WavFault::kPartialFrame}})
    {
        const std::vector<uint8_t> sound = Tone(c.channels, 22050, 0.05f);
        const std::vector<uint8_t> file = WavDamage(sound, c.fault);
        LogCapture log;
        WaveData wave;
        ASSERT_TRUE(WaveParse(file.data(), file.size(), "cut.wav", wave));
        EXPECT_EQ(wave.size, sound.size() - kWaveHeaderSize);
        EXPECT_EQ(wave.size % (2u * c.channels), 0u);
        EXPECT_TRUE(log.Lines().empty());
    }
}

TEST(WaveFileTest, AHeaderTheEngineCannotPlayIsReportedOnce)
{
    const WavFault faults[] = {WavFault::kRiffTag,   WavFault::kWaveTag,    WavFault::kNotPcm,
                               WavFault::kEightBits, WavFault::kNoChannels, WavFault::kSixChannels,
                               WavFault::kZeroRate,  WavFault::kDataTag,    WavFault::kHeaderCut,
                               WavFault::kEmpty};
    for (WavFault fault : faults)
    {
        const std::vector<uint8_t> file = WavDamage(Tone(1, 44100, 0.05f), fault);
        LogCapture log;
        WaveData wave;
        EXPECT_FALSE(WaveParse(file.empty() ? nullptr : file.data(), file.size(), "bad.wav", wave))
            << int(fault);
        EXPECT_EQ(wave.size, 0u);
        ASSERT_EQ(log.Lines().size(), 1u) << int(fault);
        EXPECT_NE(log.Lines()[0].find("bad.wav"), std::string::npos);
    }
}

namespace
{
std::vector<uint8_t> LaidOut(const std::vector<int16_t>& samples, uint16_t channels, const WavLayout& layout)
{
    return WavWriteLaidOut(samples, channels, 22050, layout);
}

WavLayout Extensible(uint16_t format = 1, uint16_t bits = 16)
{
    WavLayout layout;
    layout.extensible = true;
    layout.format = format;
    layout.bits = bits;
    return layout;
}

WavLayout WithChunks(std::vector<WavChunk> beforeFormat, std::vector<WavChunk> beforeData)
{
    WavLayout layout;
    layout.beforeFormat = std::move(beforeFormat);
    layout.beforeData = std::move(beforeData);
    return layout;
}
} // namespace

TEST(WaveFileTest, FilesLaidOutAsEditorsWriteThemPlayExactlyTheirSamples)
{
    const WavChunk oddNote{"note", {'o', 'd', 'd', '!', '!'}};
    const WavChunk junk{"JUNK", std::vector<uint8_t>(28, 0)};
    WavLayout fact;
    fact.formatSizeField = true;
    fact.fact = true;
    fact.afterData = {WavInfoChunk("Sound Tool 10.0")};
    WavLayout everything = Extensible();
    everything.fact = true;
    everything.beforeFormat = {junk};
    everything.beforeData = {oddNote, WavInfoChunk("Lavf58.76.100")};
    everything.afterData = {oddNote, WavInfoChunk("Recorder")};
    struct Case
    {
        const char* what;
        uint16_t channels;
        WavLayout layout;
    };
    const Case cases[] = {
        {"an encoder's LIST/INFO before the data", 2, WithChunks({}, {WavInfoChunk("Lavf58.76.100")})},
        {"an 18-byte fmt, a fact chunk and LIST/INFO after the data", 1, fact},
        {"the extensible header, stereo", 2, Extensible()},
        {"the extensible header, mono", 1, Extensible()},
        {"an odd-sized chunk and its pad byte before the data", 1, WithChunks({}, {oddNote})},
        {"a JUNK chunk before fmt", 2, WithChunks({junk}, {})},
        {"all of them at once", 2, everything},
    };
    for (const Case& c : cases)
    {
        WavSignalSpec spec;
        spec.channels = c.channels;
        spec.signal = WavSignal::kNoise;
        spec.seconds = 0.01f;
        const std::vector<int16_t> samples = WavSynthesize(spec);
        const std::vector<uint8_t> file = LaidOut(samples, c.channels, c.layout);
        LogCapture log;
        WaveData wave;
        ASSERT_TRUE(WaveParse(file.data(), file.size(), "edited.wav", wave)) << c.what;
        EXPECT_TRUE(log.Lines().empty()) << c.what;
        EXPECT_EQ(wave.channels, c.channels) << c.what;
        EXPECT_EQ(wave.rate, 22050u) << c.what;
        ASSERT_EQ(wave.size, samples.size() * 2) << c.what;
        EXPECT_EQ(memcmp(wave.samples, samples.data(), wave.size), 0) << c.what;
        EXPECT_TRUE(wave.samples >= file.data() && wave.samples + wave.size <= file.data() + file.size());
    }
}

TEST(WaveFileTest, EverythingButSixteenBitPcmAndEveryOverlongChunkIsRefusedOnce)
{
    const std::vector<int16_t> samples(200, 1000);
    std::vector<uint8_t> noFormat = WavWrite(samples, 1, 22050);
    memcpy(&noFormat[12], "fmx ", 4);
    std::vector<uint8_t> infoCut = LaidOut(samples, 1, WithChunks({}, {WavInfoChunk("Lavf58.76.100")}));
    infoCut.resize(kWaveHeaderSize + 10); // inside the LIST chunk, before the data
    WavLayout floats;
    floats.format = 3;
    WavLayout extensibleTagOnly;
    extensibleTagOnly.format = 0xFFFE; // the extensible tag on a 16-byte fmt chunk
    std::vector<uint8_t> extensionCut = LaidOut(samples, 2, Extensible());
    extensionCut[36] = 21; // the extension's size, one short of what it must hold
    struct Case
    {
        const char* what;
        std::vector<uint8_t> file;
    };
    const Case cases[] = {
        {"8-bit, extensible", LaidOut(samples, 1, Extensible(1, 8))},
        {"24-bit, extensible", LaidOut(samples, 2, Extensible(1, 24))},
        {"float, extensible", LaidOut(samples, 2, Extensible(3))},
        {"float, plain", LaidOut(samples, 1, floats)},
        {"the extensible tag without its extension", LaidOut(samples, 1, extensibleTagOnly)},
        {"an extension too short for the sub-format", extensionCut},
        {"no fmt chunk", noFormat},
        {"a chunk before the data runs past the end", infoCut},
        {"only the RIFF header", std::vector<uint8_t>(noFormat.begin(), noFormat.begin() + 12)},
    };
    for (const Case& c : cases)
    {
        LogCapture log;
        WaveData wave;
        EXPECT_FALSE(WaveParse(c.file.data(), c.file.size(), "odd.wav", wave)) << c.what;
        EXPECT_EQ(wave.size, 0u) << c.what;
        ASSERT_EQ(log.Lines().size(), 1u) << c.what;
        EXPECT_NE(log.Lines()[0].find("odd.wav"), std::string::npos) << c.what;
    }
}

// The wave reader over writer-made files, sound and damaged.
#include "audio/WaveFile.h"
#include "support/LogCapture.h"
#include "tools/formats/WavWriter.h"

#include <gtest/gtest.h>

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

#include "LoopbackAudio.h"

#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "core/FileTable.h"

#include <cmath>

WavSignalSpec ToneSpec(float amplitude, float seconds, uint16_t channels, uint32_t rate)
{
    WavSignalSpec spec;
    spec.signal = WavSignal::kTone;
    spec.amplitude = amplitude;
    spec.seconds = seconds;
    spec.channels = channels;
    spec.rate = rate;
    spec.frequencies = {420.0f};
    return spec;
}

float ChannelRms(const std::vector<float>& stereo, int channel)
{
    double sum = 0.0;
    const size_t frames = stereo.size() / 2;
    for (size_t i = 0; i < frames; ++i)
        sum += double(stereo[2 * i + channel]) * stereo[2 * i + channel];
    return frames ? float(std::sqrt(sum / double(frames))) : 0.0f;
}

void LoopbackAudioTest::SetUp()
{
    ASSERT_TRUE(dir.MakeFolder("data/sound"));
    FileTableMountDataTree(dir.Root().c_str());
    ASSERT_TRUE(AudioOpenLoopbackDevice(kLoopbackRate));
}

void LoopbackAudioTest::TearDown()
{
    AudioCloseDevice();
    FileWatchInit("");
    FileTableRebuild("no such folder");
}

void LoopbackAudioTest::WriteWave(const std::string& file, const std::vector<uint8_t>& bytes)
{
    ASSERT_TRUE(dir.WriteFile("data/sound/" + file, bytes.data(), bytes.size()));
    FileTableMountDataTree(dir.Root().c_str());
}

void LoopbackAudioTest::WriteTone(const std::string& file, float amplitude, float seconds, uint16_t channels)
{
    WriteWave(file, WavWriteSignal(ToneSpec(amplitude, seconds, channels)));
}

void LoopbackAudioTest::WriteText(const std::string& relative, const std::string& text)
{
    ASSERT_TRUE(dir.WriteFile(relative, text));
    FileTableMountDataTree(dir.Root().c_str());
}

bool LoopbackAudioTest::LoadDefinitions(const std::string& text, const std::string& file)
{
    WriteText("data/sound/" + file, text);
    return SoundDefLoad(file.c_str());
}

std::vector<float> LoopbackAudioTest::Render(int frames)
{
    std::vector<float> stereo(size_t(frames) * 2);
    AudioRenderSamples(stereo.data(), frames);
    return stereo;
}

float LoopbackAudioTest::RenderRms(int frames, int channel)
{
    return ChannelRms(Render(frames), channel);
}

std::vector<float> LoopbackAudioTest::RunSteps(int steps)
{
    std::vector<float> levels;
    for (int i = 0; i < steps; ++i)
    {
        levels.push_back(RenderRms(kStepFrames));
        AudioStep(kStepSeconds);
    }
    return levels;
}

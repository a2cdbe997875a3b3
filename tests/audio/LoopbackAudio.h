#pragma once
// Audio tests run on a loopback device at 44.1 kHz: the test renders the mix
// itself, so time advances only as samples are rendered and every level can
// be measured. Sounds and definition files are written into a temporary data
// tree by our WAV writer.
#include "support/TempDir.h"
#include "tools/formats/WavWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

constexpr int kLoopbackRate = 44100;
// One game step at 60 steps per second: 735 frames, seven periods of a 420 Hz tone.
constexpr int kStepFrames = kLoopbackRate / 60;
constexpr float kStepSeconds = 1.0f / 60.0f;

// A mono or stereo 420 Hz tone of the amplitude, lasting the seconds.
WavSignalSpec ToneSpec(float amplitude, float seconds, uint16_t channels = 1, uint32_t rate = kLoopbackRate);

// Root mean square of one channel (0 left, 1 right) of interleaved stereo.
float ChannelRms(const std::vector<float>& stereo, int channel = 0);

class LoopbackAudioTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes data/sound/<file> and mounts the tree again.
    void WriteWave(const std::string& file, const std::vector<uint8_t>& bytes);
    void WriteTone(const std::string& file, float amplitude, float seconds, uint16_t channels = 1);
    void WriteText(const std::string& relative, const std::string& text);
    // Writes the text as data/sound/<file> and loads it.
    bool LoadDefinitions(const std::string& text, const std::string& file = "defs.txt");

    std::vector<float> Render(int frames);
    // Left-channel RMS of the next frames.
    float RenderRms(int frames, int channel = 0);
    // Renders one step's frames, then runs AudioStep; the left RMS of each step.
    std::vector<float> RunSteps(int steps);

    TempDir dir;
};

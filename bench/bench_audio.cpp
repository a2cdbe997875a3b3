// The cost of sound: a loopback device rendering one second of sound per
// iteration in 60 steps, with no voices and with all 16 busy (positional mono
// voices moving, stereo voices under a moving listener, fades, streams),
// against our per-step work alone and a plain mixing loop of the same voices.

#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "core/FileTable.h"
#include "tools/formats/WavWriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr int kRate = 44100;
constexpr int kStepsPerSecond = 60;
constexpr int kStepFrames = kRate / kStepsPerSecond;
constexpr float kStepSeconds = 1.0f / kStepsPerSecond;

std::string g_root;

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file)
    {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
}

WavSignalSpec Tone(uint16_t channels, float seconds, float frequency)
{
    WavSignalSpec spec;
    spec.channels = channels;
    spec.seconds = seconds;
    spec.amplitude = 0.1f;
    spec.frequencies = {frequency};
    return spec;
}

// A data tree with the bench's sounds, mounted once for the whole program.
void MountSounds()
{
    if (!g_root.empty())
        return;
    char folder[] = "/tmp/pendrel-bench-audio-XXXXXX";
    g_root = std::string(mkdtemp(folder)) + "/";
    mkdir((g_root + "data").c_str(), 0755);
    mkdir((g_root + "data/sound").c_str(), 0755);
    WriteBytes(g_root + "data/sound/mono.wav", WavWriteSignal(Tone(1, 2.0f, 330.0f)));
    WriteBytes(g_root + "data/sound/stereo.wav", WavWriteSignal(Tone(2, 2.0f, 440.0f)));
    WriteBytes(g_root + "data/sound/piece.wav", WavWriteSignal(Tone(1, 0.25f, 550.0f)));
    FILE* definitions = fopen((g_root + "data/sound/bench.txt").c_str(), "wb");
    fputs("mono\tmono.wav\tTRUE\t1\nstereo\tstereo.wav\tTRUE\t1\npiece\tpiece.wav\tFALSE\t1\n", definitions);
    fclose(definitions);
    FileTableMountDataTree(g_root.c_str());
}

uint32_t NextPiece(uint32_t)
{
    return SoundHash("piece");
}

struct BenchVoices
{
    SoundVoiceId moving[4];
    SoundVoiceId stereo[4];
    SoundVoiceId fading[4];
    SoundVoiceId streams[4];
};

void StartVoices(BenchVoices& voices)
{
    for (int i = 0; i < 4; ++i)
    {
        voices.moving[i] = Sound::PlaySound(SoundHash("mono"), 0.0f, 0, SST_SOUNDFX);
        VoiceSet3D(voices.moving[i]);
        VoiceSetDistance(voices.moving[i], 2000.0f);
        voices.stereo[i] = Sound::PlaySound(SoundHash("stereo"), 0.0f, 0, SST_SOUNDFX);
        VoiceSet3D(voices.stereo[i]);
        VoiceSetDistance(voices.stereo[i], 2000.0f);
        Sound::SetPosition(voices.stereo[i], Vec3(100.0f * i, 0.0f, -200.0f));
        voices.fading[i] = SOUNDID_INVALID;
        voices.streams[i] = Sound::PlayStreamWithCallback(NextPiece, 0, 0.0f, SST_MUSIC);
        VoiceSet2D(voices.streams[i]);
    }
}

// What a game does in a step: moves sounds and the listener, fades some out, starts others.
void GameStepWork(BenchVoices& voices, int step)
{
    const float t = float(step) * kStepSeconds;
    for (int i = 0; i < 4; ++i)
        Sound::SetPosition(voices.moving[i], Vec3(300.0f * std::cos(t + i), 0.0f, 300.0f * std::sin(t + i)));
    Sound::SetListenerPosition(Vec3(50.0f * std::sin(t), 0.0f, 50.0f * std::cos(t)));
    for (SoundVoiceId& id : voices.fading)
        if (!Sound::IsAlive(id))
        {
            id = PlaySoundByName("mono", SST_SOUNDFX);
            Sound::KillSound(id, 0.5f);
        }
}

class AudioFixture : public benchmark::Fixture
{
public:
    void SetUp(const benchmark::State&) override
    {
        MountSounds();
        AudioOpenLoopbackDevice(kRate);
        SoundDefLoad("bench.txt");
        mix.resize(size_t(kStepFrames) * 2);
    }
    void TearDown(const benchmark::State&) override { AudioCloseDevice(); }

    std::vector<float> mix;
};

// One second of sound with nothing playing: the device's own cost.
BENCHMARK_F(AudioFixture, DeviceWithoutVoices)(benchmark::State& state)
{
    for (auto _ : state)
        for (int step = 0; step < kStepsPerSecond; ++step)
        {
            AudioRenderSamples(mix.data(), kStepFrames);
            AudioStep(kStepSeconds);
        }
    state.SetLabel("per second of sound");
}

// One second of game steps over 16 busy voices, with or without the mixing.
void RunSecond(BenchVoices& voices, int& step, std::vector<float>* mix)
{
    for (int i = 0; i < kStepsPerSecond; ++i, ++step)
    {
        GameStepWork(voices, step);
        AudioStep(kStepSeconds);
        if (mix)
            AudioRenderSamples(mix->data(), kStepFrames);
    }
}

// One second of sound with all 16 voices busy, our per-step calls included.
BENCHMARK_F(AudioFixture, SixteenVoices)(benchmark::State& state)
{
    BenchVoices voices;
    StartVoices(voices);
    int step = 0;
    for (auto _ : state)
        RunSecond(voices, step, &mix);
    state.SetLabel("per second of sound");
}

// Our per-step work alone (the game's calls and AudioStep), 60 steps, no mixing.
BENCHMARK_F(AudioFixture, StepWorkOfSixteenVoices)(benchmark::State& state)
{
    BenchVoices voices;
    StartVoices(voices);
    int step = 0;
    for (auto _ : state)
        RunSecond(voices, step, nullptr);
    state.SetLabel("60 steps");
}

// The floor of mixing: 16 voices of 16-bit samples, each scaled by a left and
// a right gain into a float stereo buffer, one second of sound.
void PlainMixingLoop(benchmark::State& state)
{
    const int voiceCount = int(state.range(0));
    std::vector<std::vector<int16_t>> sources;
    for (int v = 0; v < voiceCount; ++v)
        sources.push_back(WavSynthesize(Tone(1, 1.0f, 200.0f + 50.0f * v)));
    std::vector<float> out(size_t(kRate) * 2);
    for (auto _ : state)
    {
        std::fill(out.begin(), out.end(), 0.0f);
        for (int v = 0; v < voiceCount; ++v)
        {
            const float left = 0.5f + 0.01f * v;
            const float right = 0.5f - 0.01f * v;
            const int16_t* samples = sources[v].data();
            for (int i = 0; i < kRate; ++i)
            {
                const float s = float(samples[i]) * (1.0f / 32768.0f);
                out[2 * i] += s * left;
                out[2 * i + 1] += s * right;
            }
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel("per second of sound");
}
BENCHMARK(PlainMixingLoop)->Arg(1)->Arg(16);
} // namespace

BENCHMARK_MAIN();

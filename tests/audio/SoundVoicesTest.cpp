// Voices on the loopback device: slots, fades, volumes, mute and distance.
#include "LoopbackAudio.h"

#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/SoundDefinition.h"

#include <AL/al.h>

#include <cmath>
#include <limits>

namespace
{
// A mono tone of amplitude 0.5 at gain 1, centred, measured on one channel.
constexpr float kMonoUnitRms = 0.2106f;
constexpr float kReference = 100.0f; // the reference distance the distance tests use

float Ratio(float measured, float reference)
{
    return reference > 0.0f ? measured / reference : 0.0f;
}
} // namespace

class SoundVoicesTest : public LoopbackAudioTest
{
protected:
    void SetUp() override
    {
        LoopbackAudioTest::SetUp();
        WriteTone("long.wav", 0.5f, 4.0f);
        WriteTone("short.wav", 0.5f, 0.1f);
        WriteTone("stereo.wav", 0.5f, 4.0f, 2);
        ASSERT_TRUE(LoadDefinitions("long\tlong.wav\tFALSE\t1.0\n"
                                    "short\tshort.wav\tFALSE\t1.0\n"
                                    "stereo\tstereo.wav\tFALSE\t1.0\n"
                                    "quieter\tlong.wav\tFALSE\t0.8\n"));
    }

    // The level of what plays now, against the level of the same voice at gain 1.
    // OpenAL ramps a changed gain over the next mix, so that step is passed over.
    float Level(float unit)
    {
        Render(kStepFrames);
        return Ratio(RenderRms(3 * kStepFrames), unit);
    }
};

TEST_F(SoundVoicesTest, TheSeventeenthPlayIsRefusedAndAnEndedSoundsSlotIsReused)
{
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(Sound::PlaySound(SoundHash("long"), 0.0f, 0, SST_SOUNDFX), i + 1);
    const SoundVoiceId shortId = Sound::PlaySound(SoundHash("short"), 0.0f, 0, SST_SOUNDFX);
    EXPECT_EQ(shortId, 16);
    EXPECT_EQ(Sound::PlaySound(SoundHash("long"), 0.0f, 0, SST_SOUNDFX), SOUNDID_INVALID);
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), 16);

    Render(kLoopbackRate / 5); // the short sound (0.1 s) has ended
    EXPECT_FALSE(Sound::IsAlive(shortId));
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), 15);
    const SoundVoiceId reused = Sound::PlaySound(SoundHash("long"), 0.0f, 0, SST_SOUNDFX);
    EXPECT_EQ(reused, 17) << "a refused play takes no id";
    EXPECT_TRUE(Sound::IsAlive(reused));
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), 16);
    EXPECT_EQ(Sound::PlaySound(SoundHash("long"), 0.0f, 0, SST_SOUNDFX), SOUNDID_INVALID);
}

TEST_F(SoundVoicesTest, AFadeFallsAtItsRateAndThenStops)
{
    const SoundVoiceId id = PlaySoundByName("quieter", SST_SOUNDFX);
    Render(kStepFrames);
    const float unit = RenderRms(kStepFrames) / 0.8f;
    Sound::KillSound(id, 0.5f); // 0.8 over 0.5 s: 1.6 per second
    std::vector<float> levels;
    int stoppedAtStep = -1;
    for (int step = 1; step <= 40 && stoppedAtStep < 0; ++step)
    {
        AudioStep(kStepSeconds);
        levels.push_back(Ratio(RenderRms(kStepFrames), unit));
        if (!Sound::IsAlive(id))
            stoppedAtStep = step;
    }
    for (int step : {6, 15, 24})
        EXPECT_NEAR(levels[step - 1], 0.8f - 1.6f * (step - 0.5f) / 60.0f, 0.02f) << "after step " << step;
    EXPECT_TRUE(stoppedAtStep == 30 || stoppedAtStep == 31) << stoppedAtStep;
    EXPECT_LT(RenderRms(kStepFrames), 1e-4f);
}

TEST_F(SoundVoicesTest, AFadeOnASilentVoiceStopsItAtOnce)
{
    struct Case
    {
        const char* what;
        void (*silence)(SoundVoiceId id);
    };
    const Case cases[] = {
        {"muted", [](SoundVoiceId) { AudioSetMute(true); }},
        {"volume 0", [](SoundVoiceId id) { Sound::SetVolume(id, 0.0f); }},
        {"master volume 0", [](SoundVoiceId) { Sound::SetTypeMasterVolume(SST_SOUNDFX, 0.0f); }},
    };
    for (const Case& c : cases)
    {
        const SoundVoiceId id = PlaySoundByName("long", SST_SOUNDFX);
        c.silence(id);
        Sound::KillSound(id, 1.0f);
        AudioStep(kStepSeconds);
        EXPECT_FALSE(Sound::IsAlive(id)) << c.what;
        AudioSetMute(false);
        Sound::SetTypeMasterVolume(SST_SOUNDFX, 1.0f);
    }
}

TEST_F(SoundVoicesTest, KillWithoutTimeStopsAtOnceAndUnknownIdsAreIgnored)
{
    const SoundVoiceId id = PlaySoundByName("long", SST_SOUNDFX);
    for (SoundVoiceId unknown : {SOUNDID_INVALID, 0, id + 1, 1000})
    {
        Sound::KillSound(unknown, 0.0f);
        Sound::SetVolume(unknown, 0.0f);
        EXPECT_FALSE(Sound::IsAlive(unknown));
    }
    EXPECT_NEAR(Level(kMonoUnitRms), 1.0f, 0.02f);
    Sound::KillSound(id, 0.0f);
    EXPECT_FALSE(Sound::IsAlive(id));
    EXPECT_LT(RenderRms(kStepFrames), 1e-4f);
}

TEST_F(SoundVoicesTest, MuteAndMasterVolumesScaleTheirTypeAndRestoreGains)
{
    for (int type = SST_SOUNDFX; type <= SST_FEFX; ++type)
        for (int changed = SST_SOUNDFX; changed <= SST_FEFX; ++changed)
        {
            const SoundVoiceId id = PlaySoundByName("long", type);
            const float expected = type == changed ? 0.5f : 1.0f;
            Sound::SetTypeMasterVolume(changed, 0.5f);
            EXPECT_NEAR(Level(kMonoUnitRms), expected, 0.02f) << type << " " << changed;
            AudioSetMute(true);
            EXPECT_NEAR(Level(kMonoUnitRms), 0.0f, 0.01f);
            AudioSetMute(false);
            EXPECT_NEAR(Level(kMonoUnitRms), expected, 0.02f) << "unmuted";
            Sound::SetTypeMasterVolume(changed, 1.0f);
            EXPECT_NEAR(Level(kMonoUnitRms), 1.0f, 0.02f) << "restored";
            Sound::KillSound(id, 0.0f);
        }
}

TEST_F(SoundVoicesTest, TypesOutsideTheThreeAreIgnoredOrPlayAsEffects)
{
    PlaySoundByName("long", 7);
    for (int type : {-1, 3, 1000})
        Sound::SetTypeMasterVolume(type, 0.0f);
    EXPECT_NEAR(Level(kMonoUnitRms), 1.0f, 0.02f);
    Sound::SetTypeMasterVolume(SST_SOUNDFX, 0.5f);
    EXPECT_NEAR(Level(kMonoUnitRms), 0.5f, 0.02f) << "type 7 plays as a sound effect";
}

TEST_F(SoundVoicesTest, NegativeAndNonFiniteValuesCountAsZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {-1.0f, nan, -inf, inf})
    {
        const SoundVoiceId id = Sound::PlaySound(SoundHash("long"), 0.0f, 0, SST_SOUNDFX);
        VoiceSet3D(id);
        VoiceSetDistance(id, bad);
        Sound::SetPosition(id, Vec3(0.0f, 0.0f, -10.0f));
        Sound::SetVolume(id, bad);
        Sound::SetTypeMasterVolume(SST_MUSIC, bad);
        EXPECT_EQ(alGetError(), AL_NO_ERROR) << bad;
        EXPECT_NEAR(Level(kMonoUnitRms), 0.0f, 0.01f) << bad;
        Sound::KillSound(id, bad); // a nonsense fade time stops at once
        EXPECT_FALSE(Sound::IsAlive(id)) << bad;
    }
}

// Levels against the same sound two-dimensional: OpenAL's rule for mono, ours for stereo.
TEST_F(SoundVoicesTest, DistanceAttenuatesMonoAndStereoAlike)
{
    struct Case
    {
        const char* sound;
        Vec3 position;
        Vec3 listener;
        float expected;
    };
    const float r = kReference;
    const float m = kReference / kSoundReferencePerDistance;
    const float atMax = r / (r + kSoundRolloff * (m - r));
    const Case cases[] = {
        {"long", Vec3(0, 0, -2 * r), Vec3(0, 0, 0), 1 / 1.5f},
        {"long", Vec3(0, 0, -0.5f * r), Vec3(0, 0, 0), 1.0f},
        {"long", Vec3(30, 0, -2 * r), Vec3(30, 0, 0), 1 / 1.5f},
        {"long", Vec3(0, 0, -2 * m), Vec3(0, 0, 0), atMax},
        {"stereo", Vec3(0, 0, 0), Vec3(0, 0, 0), 1.0f},
        {"stereo", Vec3(40, 5, 0), Vec3(40, 5, 0), 1.0f},
        {"stereo", Vec3(0, 0, -2 * r), Vec3(0, 0, 0), 1 / 1.5f},
        {"stereo", Vec3(2 * r, 0, 0), Vec3(0, 0, 0), 1 / 1.5f},
        {"stereo", Vec3(0, 0, -4 * r), Vec3(0, 0, 0), 1 / 2.5f},
        {"stereo", Vec3(0, 0, -2 * m), Vec3(0, 0, 0), atMax},
    };
    for (const Case& c : cases)
    {
        Sound::SetListenerPosition(Vec3(0, 0, 0));
        const SoundVoiceId flat = PlaySoundByName(c.sound, SST_SOUNDFX);
        const float unit = RenderRms(4 * kStepFrames);
        Sound::KillSound(flat, 0.0f);

        const SoundVoiceId id = Sound::PlaySound(SoundHash(c.sound), 0.0f, 0, SST_SOUNDFX);
        VoiceSet3D(id);
        VoiceSetDistance(id, m);
        Sound::SetPosition(id, c.position);
        Sound::SetListenerPosition(c.listener);
        EXPECT_NEAR(Level(unit), c.expected, 0.02f)
            << c.sound << " at " << c.position.x << "," << c.position.y << "," << c.position.z;
        Sound::KillSound(id, 0.0f);
    }
}

TEST_F(SoundVoicesTest, APositionalCallOnATwoDimensionalVoiceChangesNothing)
{
    for (const char* sound : {"long", "stereo"})
    {
        const SoundVoiceId id = PlaySoundByName(sound, SST_SOUNDFX);
        const float unit = RenderRms(4 * kStepFrames);
        VoiceSetDistance(id, 10.0f);
        Sound::SetPosition(id, Vec3(0.0f, 0.0f, -5000.0f));
        EXPECT_NEAR(Level(unit), 1.0f, 0.02f) << sound;
        VoiceSet3D(id);
        Sound::SetPosition(id, Vec3(0.0f, 0.0f, -5000.0f));
        EXPECT_LT(Level(unit), 0.1f) << sound << " once positional";
        Sound::KillSound(id, 0.0f);
    }
}

TEST_F(SoundVoicesTest, SettingTheDistanceModelAgainStopsAndFreesLiveVoices)
{
    const SoundVoiceId id = PlaySoundByName("long", SST_SOUNDFX);
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_INVERSE_DISTANCE_CLAMPED);
    AudioSetDistanceModel();
    EXPECT_FALSE(Sound::IsAlive(id));
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), 0);
    EXPECT_LT(RenderRms(kStepFrames), 1e-4f);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

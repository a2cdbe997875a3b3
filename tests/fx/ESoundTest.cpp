// Sound elements on the loopback device: the voice starts with the effect,
// follows the instance and stops when the instance ends.
#include "SceneKindsFixture.h"
#include "audio/LoopbackAudio.h"

#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "fx/ESound.h"

namespace
{
class ESoundTest : public LoopbackAudioTest, protected SceneKindsEffects
{
protected:
    void SetUp() override
    {
        LoopbackAudioTest::SetUp();
        SetUpEffects();
        WriteTone("hum.wav", 0.5f, 4.0f);
        ASSERT_TRUE(LoadDefinitions("hum\thum.wav\tTRUE\t1.0\n"));
        FXEffectDef& effect = AddEffect("humming");
        m_def = &AddElement(effect, kFXSound, 3.0f);
        m_def->soundHash = HashString("hum");
        m_def->soundMaxVolume = 1.0f;
        m_def->quietDistance = 100.0f;
        m_def->soundLooping = 1;
    }
    void TearDown() override
    {
        TearDownEffects();
        LoopbackAudioTest::TearDown();
    }

    ESound* Start()
    {
        m_effect = Create("humming");
        EXPECT_TRUE(m_effect.IsValid());
        return m_effect.IsValid() ? static_cast<ESound*>(m_effect.instance->elements->element) : nullptr;
    }

    // Right over left level once the voice stands at x: OpenAL pans a mono
    // source by its direction from the listener at the origin facing -Z.
    float RightOverLeftAt(float x)
    {
        m_effect.SetPos(Vec3(x, 0, 0));
        FXStep(kStepSeconds);
        Render(kStepFrames);
        const std::vector<float> mix = Render(2 * kStepFrames);
        return ChannelRms(mix, 1) / ChannelRms(mix, 0);
    }

    FXElementDef* m_def = nullptr;
    FX m_effect;
};
} // namespace

TEST_F(ESoundTest, TheVoiceFollowsTheInstance)
{
    ESound* sound = Start();
    ASSERT_NE(sound, nullptr);
    ASSERT_TRUE(Sound::IsAlive(sound->Voice()));
    EXPECT_GT(RightOverLeftAt(20.0f), 1.5f);
    EXPECT_LT(RightOverLeftAt(-20.0f), 1.0f / 1.5f);
    EXPECT_GT(RightOverLeftAt(20.0f), 1.5f);
}

TEST_F(ESoundTest, TheVoiceStopsWhenTheInstanceEnds)
{
    struct Case
    {
        const char* how;
        void (*end)(const FX& effect);
    };
    const Case cases[] = {
        {"instant kill", [](const FX& effect) { effect.KillInstant(); FXStep(kStepSeconds); }},
        {"life time over", [](const FX&) { FXStep(3.5f); }},
        {"all effects killed", [](const FX&) { FX::KillAllEffectsInstant(); }},
    };
    for (const Case& c : cases)
    {
        FX::KillAllEffectsInstant();
        ESound* sound = Start();
        ASSERT_NE(sound, nullptr);
        const SoundVoiceId voice = sound->Voice();
        FXStep(kStepSeconds);
        ASSERT_TRUE(Sound::IsAlive(voice)) << c.how;
        c.end(m_effect);
        EXPECT_FALSE(Sound::IsAlive(voice)) << c.how;
        EXPECT_EQ(Sound::GetCurrentVoiceCount(), 0) << c.how;
        EXPECT_LT(RenderRms(kStepFrames), 1e-4f) << c.how;
    }
}

TEST_F(ESoundTest, AFadeOutKeepsTheVoiceUntilTheInstanceDies)
{
    ESound* sound = Start();
    ASSERT_NE(sound, nullptr);
    const SoundVoiceId voice = sound->Voice();
    m_effect.KillByFadeOut(0.5f);
    FXStep(0.3f);
    EXPECT_TRUE(Sound::IsAlive(voice));
    EXPECT_GT(RenderRms(kStepFrames), 0.01f);
    FXStep(0.3f);
    EXPECT_FALSE(m_effect.StillAlive());
    EXPECT_FALSE(Sound::IsAlive(voice));
}

TEST_F(ESoundTest, WithEveryVoiceBusyTheEffectRunsSilently)
{
    for (int i = 0; i < kSoundVoiceCount; ++i)
        ASSERT_NE(Sound::PlaySound(SoundHash("hum"), 0.0f, 0, SST_SOUNDFX), SOUNDID_INVALID);
    ESound* sound = Start();
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->Voice(), SOUNDID_INVALID);
    FXStep(0.5f);
    EXPECT_TRUE(m_effect.StillAlive());
    m_effect.KillInstant();
    FXStep(0.1f);
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), kSoundVoiceCount) << "the other voices play on";
}

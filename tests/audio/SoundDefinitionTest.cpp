// Definition files, buffers and their removal, on the loopback device.
#include "LoopbackAudio.h"

#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "support/LogCapture.h"

#include <AL/al.h>

#include <string>
#include <vector>

namespace
{
struct Expected
{
    const char* name;
    const char* file;
    uint32_t looping;
    float volume;
};

void ExpectDefinitions(const std::vector<Expected>& expected, const std::string& what)
{
    ASSERT_EQ(SoundDefCount(), int(expected.size())) << what;
    for (size_t i = 0; i < expected.size(); ++i)
    {
        const SoundDefinition& definition = SoundDefGet(int(i));
        EXPECT_EQ(definition.nameHash, SoundHash(expected[i].name)) << what << " #" << i;
        EXPECT_STREQ(definition.fileName, expected[i].file) << what << " #" << i;
        EXPECT_EQ(definition.looping, expected[i].looping) << what << " #" << i;
        EXPECT_FLOAT_EQ(definition.volume, expected[i].volume) << what << " #" << i;
    }
}
} // namespace

class SoundDefinitionTest : public LoopbackAudioTest
{
protected:
    void SetUp() override
    {
        LoopbackAudioTest::SetUp();
        WriteTone("a.wav", 0.5f, 2.0f);
        WriteTone("b.wav", 0.5f, 2.0f, 2);
    }

    void UnloadAll()
    {
        while (SoundDefCount() > 0)
            SoundDefRemove("a"), SoundDefRemove("b"), SoundDefRemove("c");
    }
};

TEST_F(SoundDefinitionTest, EntriesAreReadAsTheFileLaysThemOut)
{
    struct Case
    {
        const char* what;
        const char* text;
        std::vector<Expected> expected;
    };
    const Case cases[] = {
        {"tabs", "a\ta.wav\tTRUE\t0.5\n", {{"a", "a.wav", 1, 0.5f}}},
        {"one token a line, no final line end", "a\na.wav\nFALSE\n0.75", {{"a", "a.wav", 0, 0.75f}}},
        {"lower-case true does not loop", "a\ta.wav\ttrue\t1\n", {{"a", "a.wav", 0, 1.0f}}},
        {"a volume that is no number", "a\ta.wav\tTRUE\tloud\n", {{"a", "a.wav", 1, 0.0f}}},
        {"a negative volume", "a\ta.wav\tTRUE\t-2\n", {{"a", "a.wav", 1, 0.0f}}},
        {"cut short after the looping word", "a\ta.wav\tTRUE", {{"a", "a.wav", 1, 1.0f}}},
        {"CR LF and comments",
         "# sounds\r\na\ta.wav\tFALSE\t1\t# first\r\nb\tb.wav\tTRUE\t0.25\r\n",
         {{"a", "a.wav", 0, 1.0f}, {"b", "b.wav", 1, 0.25f}}},
        {"a trailing name alone adds nothing", "a\ta.wav\tFALSE\t1\nb\n", {{"a", "a.wav", 0, 1.0f}}},
        {"empty", "", {}},
        {"only a comment", "# nothing here\n", {}},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(LoadDefinitions(c.text)) << c.what;
        ExpectDefinitions(c.expected, c.what);
        UnloadAll();
    }
}

TEST_F(SoundDefinitionTest, BuffersHoldTheWaveAndOldExtensionsLoadTheirWaveTwins)
{
    WriteTone("foot.wav", 0.5f, 0.1f, 2);
    WriteTone("v1.music.wav", 0.5f, 0.1f);
    ASSERT_TRUE(LoadDefinitions("a\ta.wav\tFALSE\t1\nfoot\tfoot.vag\tFALSE\t1\n"
                                "music\tv1.music.msf\tFALSE\t1\nmissing\tnone.wav\tFALSE\t1\n"));
    const uint16_t channels[] = {1, 2, 1, 0};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(SoundBufferGet(i).channels, channels[i]) << i;
        EXPECT_NE(SoundBufferGet(i).buffer, 0u);
    }
    ALint size = 0;
    alGetBufferi(SoundBufferGet(0).buffer, AL_SIZE, &size);
    EXPECT_EQ(size, 2 * 2 * kLoopbackRate);
}

TEST_F(SoundDefinitionTest, LoadingTwiceAddsTwiceAndUnloadingOnceRemovesTheFirstCopies)
{
    const std::string text = "a\ta.wav\tFALSE\t0.5\nb\tb.wav\tFALSE\t0.25\n";
    ASSERT_TRUE(LoadDefinitions(text));
    const uint32_t firstBuffer = SoundBufferGet(0).buffer;
    ASSERT_TRUE(LoadDefinitions(text));
    EXPECT_EQ(SoundDefCount(), 4);
    EXPECT_EQ(SoundDefFind(SoundHash("b")), 1);
    ASSERT_TRUE(SoundDefUnload("defs.txt"));
    EXPECT_EQ(SoundDefCount(), 2);
    EXPECT_EQ(SoundDefFind(SoundHash("a")), 0);
    EXPECT_NE(SoundBufferGet(0).buffer, firstBuffer);
    EXPECT_FALSE(alIsBuffer(firstBuffer));
    SoundDefRemove("not loaded");
    EXPECT_EQ(SoundDefCount(), 2);
}

TEST_F(SoundDefinitionTest, TheTableRefusesTheTwoHundredFiftySeventhSound)
{
    std::string text;
    for (int i = 0; i < kMaxSoundDefinitions + 1; ++i)
        text += "s" + std::to_string(i) + "\tnone.wav\tFALSE\t1\n";
    LogCapture log;
    ASSERT_TRUE(LoadDefinitions(text));
    EXPECT_EQ(SoundDefCount(), kMaxSoundDefinitions);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("s256"), std::string::npos) << log.Lines()[0];
    EXPECT_EQ(SoundDefFind(SoundHash("s255")), 255);
}

TEST_F(SoundDefinitionTest, AMissingFileIsReportedAndFails)
{
    LogCapture log;
    EXPECT_FALSE(SoundDefLoad("none.txt"));
    EXPECT_FALSE(SoundDefUnload("none.txt"));
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[0], "Open sound def sound/none.txt failed.\n");
}

TEST_F(SoundDefinitionTest, PlaysFindTheirSoundOrTheFirstAndNothingWithoutSounds)
{
    EXPECT_EQ(PlaySoundByName("a", SST_SOUNDFX), SOUNDID_INVALID) << "no definitions: nothing plays";
    EXPECT_LT(RenderRms(kStepFrames), 1e-4f);
    ASSERT_TRUE(LoadDefinitions("a\ta.wav\tFALSE\t0.5\nb\tb.wav\tFALSE\t1\n"));
    const SoundVoiceId unknown = PlaySoundByName("no such sound", SST_SOUNDFX);
    EXPECT_NE(unknown, SOUNDID_INVALID);
    EXPECT_NEAR(RenderRms(kStepFrames), 0.5f * 0.2106f, 0.005f) << "the first definition plays";
}

TEST_F(SoundDefinitionTest, UnloadingStopsTheVoicesOnItsBuffersAndFreesThem)
{
    WriteTone("c.wav", 0.3f, 0.25f);
    ASSERT_TRUE(LoadDefinitions("a\ta.wav\tTRUE\t1\nc\tc.wav\tFALSE\t1\n"));
    ASSERT_TRUE(LoadDefinitions("b\tb.wav\tTRUE\t1\nd\tc.wav\tFALSE\t1\n", "more.txt"));
    const uint32_t buffers[] = {SoundBufferGet(0).buffer, SoundBufferGet(1).buffer};
    const SoundVoiceId looping = PlaySoundByName("a", SST_SOUNDFX);
    // A stream whose queue holds c behind a piece of the other file.
    static int asked = 0;
    asked = 0;
    const SoundVoiceId stream = Sound::PlayStreamWithCallback(
        [](uint32_t) { return ++asked == 1 ? SoundHash("d") : SoundHash("c"); }, 0, 0.0f, SST_MUSIC);
    const SoundVoiceId other = PlaySoundByName("b", SST_SOUNDFX);
    Render(kStepFrames);
    ASSERT_TRUE(Sound::IsAlive(looping) && Sound::IsAlive(stream) && Sound::IsAlive(other));

    LogCapture log;
    ASSERT_TRUE(SoundDefUnload("defs.txt"));
    EXPECT_FALSE(Sound::IsAlive(looping));
    EXPECT_FALSE(Sound::IsAlive(stream));
    EXPECT_TRUE(Sound::IsAlive(other));
    for (uint32_t buffer : buffers)
        EXPECT_FALSE(alIsBuffer(buffer)) << buffer;
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(SoundDefCount(), 2);
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), 1);
}

TEST_F(SoundDefinitionTest, DamagedWavesGiveSilentSoundsAndOneReportEach)
{
    const WavFault faults[] = {WavFault::kRiffTag, WavFault::kNotPcm,    WavFault::kSixChannels,
                               WavFault::kDataTag, WavFault::kHeaderCut, WavFault::kEmpty};
    std::string text;
    int n = 0;
    for (WavFault fault : faults)
    {
        const std::string file = "bad" + std::to_string(n) + ".wav";
        WriteWave(file, WavDamage(WavWriteSignal(ToneSpec(0.5f, 0.5f)), fault));
        text += "bad" + std::to_string(n++) + "\t" + file + "\tTRUE\t1\n";
    }
    LogCapture log;
    ASSERT_TRUE(LoadDefinitions(text));
    EXPECT_EQ(log.Lines().size(), std::size(faults));
    EXPECT_EQ(SoundDefCount(), int(std::size(faults)));
    for (int i = 0; i < n; ++i)
        PlaySoundByName(("bad" + std::to_string(i)).c_str(), SST_SOUNDFX);
    EXPECT_LT(RenderRms(kStepFrames), 1e-4f);
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundDefinitionTest, WavesLaidOutAsEditorsWriteThemPlayTheirWholeToneAndNothingElse)
{
    struct Case
    {
        const char* layout;
        uint16_t channels;
    };
    const Case cases[] = {{"info", 2}, {"fact,trailer", 1}, {"extensible", 2}, {"extensible,fact", 1},
                          {"junk,odd,info,trailer", 1}};
    for (const Case& c : cases)
    {
        WavLayout layout;
        ASSERT_TRUE(WavLayoutByNames(c.layout, layout)) << c.layout;
        const WavSignalSpec tone = ToneSpec(0.5f, 1.0f, c.channels);
        WriteWave("edited.wav", WavWriteLaidOut(WavSynthesize(tone), c.channels, tone.rate, layout));
        LogCapture log;
        ASSERT_TRUE(LoadDefinitions("e\tedited.wav\tFALSE\t1\n")) << c.layout;
        EXPECT_TRUE(log.Lines().empty()) << c.layout;
        EXPECT_EQ(SoundBufferGet(0).channels, c.channels) << c.layout;
        ALint size = 0;
        alGetBufferi(SoundBufferGet(0).buffer, AL_SIZE, &size);
        EXPECT_EQ(size, 2 * c.channels * kLoopbackRate) << c.layout;
        PlaySoundByName("e", SST_SOUNDFX);
        EXPECT_GT(RenderRms(kStepFrames), 0.1f) << c.layout;
        Render(kLoopbackRate);
        EXPECT_LT(RenderRms(kStepFrames), 1e-4f) << c.layout << ": the chunks after the samples stay silent";
        ASSERT_TRUE(SoundDefUnload("defs.txt"));
    }
}

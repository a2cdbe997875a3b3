// Without a device the audio layer runs on silently and calls no OpenAL
// function: definitions load without buffers and nothing gets a voice.
#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "core/FileTable.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "tools/formats/WavWriter.h"

#include <gtest/gtest.h>

namespace
{
int g_asked = 0;
uint32_t CountingCallback(uint32_t)
{
    ++g_asked;
    return SoundHash("a");
}
} // namespace

TEST(NoDeviceTest, EveryCallRunsOnSilently)
{
    TempDir dir;
    const std::vector<uint8_t> wave = WavWriteSignal(WavSignalSpec());
    ASSERT_TRUE(dir.WriteFile("data/sound/a.wav", wave.data(), wave.size()));
    ASSERT_TRUE(dir.WriteFile("data/sound/defs.txt", std::string("a\ta.wav\tTRUE\t1\n")));
    FileTableMountDataTree(dir.Root().c_str());
    ASSERT_FALSE(AudioHasDevice());
    LogCapture log;

    AudioSetDistanceModel();
    ASSERT_TRUE(SoundDefLoad("defs.txt"));
    ASSERT_EQ(SoundDefCount(), 1);
    EXPECT_EQ(SoundBufferGet(0).buffer, 0u);
    EXPECT_EQ(PlaySoundByName("a", SST_SOUNDFX), SOUNDID_INVALID);
    EXPECT_EQ(Sound::PlayStreamWithCallback(CountingCallback, 0, 0.0f, SST_MUSIC), SOUNDID_INVALID);
    EXPECT_EQ(g_asked, 0);
    Sound::SetListenerPosition(Vec3(1.0f, 2.0f, 3.0f));
    Sound::SetListenerOrientation(Vec3(0.0f, 0.0f, -1.0f), Vec3(0.0f, 1.0f, 0.0f));
    Sound::SetTypeMasterVolume(SST_MUSIC, 0.5f);
    AudioSetMute(true);
    EXPECT_TRUE(AudioIsMuted());
    AudioStep(1.0f / 30.0f);
    EXPECT_FALSE(Sound::IsAlive(1));
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), 0);
    SoundDefUnload("defs.txt");
    EXPECT_EQ(SoundDefCount(), 0);
    EXPECT_TRUE(log.Lines().empty());

    AudioCloseDevice();
    EXPECT_FALSE(AudioIsMuted());
    FileWatchInit("");
    FileTableRebuild("no such folder");
}

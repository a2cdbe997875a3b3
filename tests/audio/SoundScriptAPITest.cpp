// The script class Sound and the definition globals, called from scripts on
// the loopback device.
#include "LoopbackAudio.h"
#include "script/ScriptTestFixture.h"

#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "audio/SoundScriptAPI.h"
#include "game/WorldSoundDefScriptAPI.h"

#include <string>
#include <vector>

namespace
{
class SoundScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterSoundScriptAPI(vm);
        RegisterWorldSoundDefScriptAPI(vm);
    }

    void SetUp() override
    {
        ScriptTest::SetUp();
        for (int n = 1; n <= 3; ++n)
            WriteWave("piece" + std::to_string(n) + ".wav", WavWriteSignal(ToneSpec(0.1f * n, 0.25f)));
        WriteWave("long.wav", WavWriteSignal(ToneSpec(0.5f, 4.0f)));
        WriteScript("sound/defs.txt", "piece1\tpiece1.wav\tFALSE\t1\npiece2\tpiece2.wav\tFALSE\t1\n"
                                      "piece3\tpiece3.wav\tFALSE\t1\nlong\tlong.wav\tFALSE\t1\n");
        ASSERT_TRUE(AudioOpenLoopbackDevice(kLoopbackRate));
    }

    void TearDown() override
    {
        AudioCloseDevice();
        ScriptTest::TearDown();
    }

    void WriteWave(const std::string& file, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(dir.WriteFile("data/sound/" + file, bytes.data(), bytes.size()));
    }

    float RenderSteps(int steps)
    {
        std::vector<float> stereo(size_t(kStepFrames) * 2);
        float last = 0.0f;
        for (int i = 0; i < steps; ++i)
        {
            AudioRenderSamples(stereo.data(), kStepFrames);
            last = ChannelRms(stereo);
            AudioStep(kStepSeconds);
        }
        return last;
    }
};

TEST_F(SoundScriptAPITest, ConstantsAndPlainCalls)
{
    Run("Load_SoundDef(\"defs.txt\");"
        "constants <- [SOUNDID_INVALID, SST_SOUNDFX, SST_MUSIC, SST_FEFX];"
        "maxVoices <- Sound.GetMaxVoices();"
        "id <- Sound.PlaySound(\"long\");"
        "alive <- Sound.IsAlive(id) ? 1 : 0;"
        "count <- Sound.GetCurrentVoiceCount();"
        "Sound.SetVolume(id, 0.5); Sound.SetTypeMasterVolume(SST_SOUNDFX, 0.5);"
        "Sound.SetPosition(id, Vec3(1, 2, 3)); Sound.SetListenerPosition(Vec3(0, 0, 5));"
        "Sound.SetListenerOrientation(Vec3(0, 0, -1), Vec3(0, 1, 0)); Sound.Dump();"
        "positional <- Sound.PlayPositionalSound(\"long\", Vec3(0, 0, -100), 500.0);"
        "Sound.KillSound(id); Sound.KillSound(positional, 0.25);"
        "afterKill <- Sound.IsAlive(id) ? 1 : 0;"
        "fading <- Sound.IsAlive(positional) ? 1 : 0;");
    EXPECT_EQ(Reports(), "");
    Run("c0 <- constants[0]; c1 <- constants[1]; c2 <- constants[2]; c3 <- constants[3];");
    EXPECT_EQ(GlobalInt("c0"), -1);
    EXPECT_EQ(GlobalInt("c1"), 0);
    EXPECT_EQ(GlobalInt("c2"), 1);
    EXPECT_EQ(GlobalInt("c3"), 2);
    EXPECT_EQ(GlobalInt("maxVoices"), 16);
    EXPECT_EQ(GlobalInt("id"), 1);
    EXPECT_EQ(GlobalInt("alive"), 1);
    EXPECT_EQ(GlobalInt("count"), 1);
    EXPECT_EQ(GlobalInt("positional"), 2);
    EXPECT_EQ(GlobalInt("afterKill"), 0);
    EXPECT_EQ(GlobalInt("fading"), 1);
    RenderSteps(20);
    EXPECT_FALSE(Sound::IsAlive(2)) << "faded out over 0.25 s";
}

TEST_F(SoundScriptAPITest, DefinitionGlobalsTakeTheirLastArgumentAndIgnoreOthers)
{
    Run("Load_SoundDef(12); Load_SoundDef(\"none\", \"defs.txt\");");
    EXPECT_EQ(SoundDefCount(), 4);
    Run("Unload_SoundDef(null); Unload_SoundDef(\"defs.txt\");");
    EXPECT_EQ(SoundDefCount(), 0);
    Run("id <- Sound.PlaySound(\"long\");");
    EXPECT_EQ(GlobalInt("id"), -1);
}

TEST_F(SoundScriptAPITest, AStreamPlaysThePiecesItsScriptFunctionNames)
{
    Run("Load_SoundDef(\"defs.txt\");"
        "pieces <- [\"piece1\", \"piece2\", \"piece3\", 5];"
        "asked <- 0;"
        "function NextPiece() { local piece = asked < pieces.len() ? pieces[asked] : null; asked++; return "
        "piece; }"
        "stream <- Sound.PlayStreamWithCallback(\"NextPiece\", SST_MUSIC);"
        "other <- Sound.PlayStreamWithCallback(\"NextPiece\", SST_MUSIC);");
    EXPECT_EQ(Reports(), "");
    EXPECT_EQ(GlobalInt("stream"), 1);
    EXPECT_EQ(GlobalInt("other"), 2) << "piece3 then the integer 5, which ends it";
    EXPECT_EQ(StreamCallbackNameIntern("NextPiece"), 0) << "both streams share one entry";
    Run("Sound.KillSound(other);");
    std::vector<int> levels;
    for (int window = 0; window < 50; ++window)
        levels.push_back(int(RenderSteps(1) / 0.04212f + 0.5f));
    EXPECT_EQ(levels[5], 1);
    EXPECT_EQ(levels[22], 2);
    EXPECT_EQ(levels[49], 0);
    EXPECT_FALSE(Sound::IsAlive(GlobalInt("stream")));
}

TEST_F(SoundScriptAPITest, TheSixtyFifthCallbackNameIsRefused)
{
    for (int i = 1; i < kStreamCallbackNameCount; ++i)
        ASSERT_EQ(StreamCallbackNameIntern(("Name" + std::to_string(i)).c_str()), i - 1) << i;
    Run("Load_SoundDef(\"defs.txt\");"
        "function Last() { return \"long\"; }"
        "last <- Sound.PlayStreamWithCallback(\"Last\", SST_MUSIC);"
        "refused <- Sound.PlayStreamWithCallback(\"OneTooMany\", SST_MUSIC);");
    EXPECT_GE(GlobalInt("last"), 1);
    EXPECT_EQ(GlobalInt("refused"), -1);
    EXPECT_TRUE(ReportsContain("OneTooMany"));
}

TEST_F(SoundScriptAPITest, WrongArgumentsAreScriptErrors)
{
    const char* calls[] = {"Sound.PlaySound(12);", "Sound.SetPosition(1, 2);", "Sound.KillSound(\"x\");",
                           "Sound.PlayPositionalSound(\"long\", Vec3(0, 0, 0));"};
    for (const char* call : calls)
    {
        ClearReports();
        Run(std::string("reached <- 0;") + call + "reached <- 1;");
        EXPECT_TRUE(ReportsContain("Squirrel error")) << call;
        EXPECT_EQ(GlobalInt("reached"), 0) << call;
    }
}
} // namespace

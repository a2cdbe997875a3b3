// Streams: a callback picks each next piece; pieces are tones at distinct
// levels, so the order of what plays can be read back from the mix.
#include "LoopbackAudio.h"

#include "audio/Sound.h"
#include "audio/SoundDefinition.h"
#include "support/LogCapture.h"

#include <cmath>
#include <string>
#include <vector>

namespace
{
constexpr float kPieceSeconds = 0.25f; // 15 steps
// A mono tone of amplitude 0.1 x n is piece n: its one-channel RMS is n x this.
constexpr float kPieceUnitRms = 0.04212f;

// What the stream's callback answers, in order; 0 once the list is used up.
struct StreamScript
{
    std::vector<uint32_t> answers;
    size_t asked = 0;
    void (*onAsk)(size_t asked) = nullptr;
};
StreamScript g_script;
SoundVoiceId g_streamId = SOUNDID_INVALID;

uint32_t ScriptedCallback(uint32_t user)
{
    EXPECT_EQ(user, 77u);
    const size_t index = g_script.asked++;
    if (g_script.onAsk)
        g_script.onAsk(g_script.asked);
    return index < g_script.answers.size() ? g_script.answers[index] : 0;
}

uint32_t Piece(int n)
{
    return SoundHash(("piece" + std::to_string(n)).c_str());
}

// Which piece a window holds: 0 for silence, -1 for a window across a change.
int PieceOf(float rms)
{
    const float n = rms / kPieceUnitRms;
    const float nearest = std::round(n);
    return std::fabs(n - nearest) < 0.05f ? int(nearest) : -1;
}

// The pieces heard, in order, each counted once however many windows it lasts.
std::vector<int> Heard(const std::vector<float>& levels)
{
    std::vector<int> heard;
    for (float rms : levels)
    {
        const int piece = PieceOf(rms);
        if (piece > 0 && (heard.empty() || heard.back() != piece))
            heard.push_back(piece);
    }
    return heard;
}
} // namespace

class SoundStreamTest : public LoopbackAudioTest
{
protected:
    void SetUp() override
    {
        LoopbackAudioTest::SetUp();
        g_script = StreamScript();
        g_streamId = SOUNDID_INVALID;
        std::string definitions;
        for (int n = 1; n <= 4; ++n)
        {
            const std::string file = "piece" + std::to_string(n) + ".wav";
            WriteWave(file, WavWriteSignal(ToneSpec(0.1f * n, kPieceSeconds)));
            definitions += "piece" + std::to_string(n) + "\t" + file + "\tFALSE\t1\n";
        }
        WriteWave("stereo.wav", WavWriteSignal(ToneSpec(0.5f, kPieceSeconds, 2)));
        WriteWave("slow.wav", WavWriteSignal(ToneSpec(0.5f, kPieceSeconds, 1, 22050)));
        WriteWave("quiet.wav", WavWriteSignal(ToneSpec(0.0f, 4.0f)));
        definitions += "stereo\tstereo.wav\tFALSE\t1\nslow\tslow.wav\tFALSE\t1\n"
                       "looped\tpiece1.wav\tTRUE\t1\nquiet\tquiet.wav\tTRUE\t1\n";
        ASSERT_TRUE(LoadDefinitions(definitions));
    }

    SoundVoiceId Start(std::vector<uint32_t> answers)
    {
        g_script.answers = std::move(answers);
        g_streamId = Sound::PlayStreamWithCallback(ScriptedCallback, 77, 0.0f, SST_MUSIC);
        VoiceSet2D(g_streamId);
        return g_streamId;
    }
};

TEST_F(SoundStreamTest, PiecesPlayInTheOrderTheCallbackGives)
{
    const SoundVoiceId id = Start({Piece(2), Piece(4), Piece(1), Piece(3)});
    ASSERT_NE(id, SOUNDID_INVALID);
    const std::vector<float> levels = RunSteps(75);
    EXPECT_EQ(Heard(levels), (std::vector<int>{2, 4, 1, 3}));
    int windowsOfFour = 0;
    for (float rms : levels)
        windowsOfFour += PieceOf(rms) == 4;
    EXPECT_GE(windowsOfFour, 13) << "each piece plays whole";
    EXPECT_FALSE(Sound::IsAlive(id));
    EXPECT_EQ(g_script.asked, 6u) << "two at the start, one per finished piece";
    RunSteps(30);
    EXPECT_EQ(g_script.asked, 6u) << "an ended stream is not asked again";
}

TEST_F(SoundStreamTest, AStreamThatRanDryDuringAStallGoesOnAfterIt)
{
    const SoundVoiceId id = Start({Piece(1), Piece(2), Piece(3), Piece(4), Piece(1)});
    RunSteps(10);
    const std::vector<float> gap = {RenderRms(2 * kLoopbackRate)}; // 2 s without a step
    EXPECT_LT(RenderRms(kStepFrames), 1e-4f) << "the queue ran dry";
    const std::vector<float> after = RunSteps(40);
    EXPECT_EQ(Heard(after), (std::vector<int>{3, 4, 1}));
    EXPECT_EQ(PieceOf(after[1]), 3) << "it starts again at the first step";
    EXPECT_TRUE(Sound::IsAlive(id));
}

TEST_F(SoundStreamTest, ZeroAnswersStartNothingFirstAndQueueNothingLater)
{
    EXPECT_EQ(Start({0, Piece(1)}), SOUNDID_INVALID);
    EXPECT_EQ(g_script.asked, 1u);
    EXPECT_EQ(Sound::GetCurrentVoiceCount(), 0);

    g_script = StreamScript();
    const SoundVoiceId id = Start({Piece(1), 0, Piece(3)});
    ASSERT_NE(id, SOUNDID_INVALID);
    const std::vector<float> levels = RunSteps(45);
    EXPECT_EQ(Heard(levels), (std::vector<int>{1, 3})) << "the 0 queued nothing; the next answer played";
    EXPECT_EQ(g_script.asked, 4u);
}

TEST_F(SoundStreamTest, AKilledOrFadedStreamIsNeverAskedAgain)
{
    for (float fade : {0.0f, 0.1f})
    {
        g_script = StreamScript();
        const SoundVoiceId id = Start({Piece(1), Piece(2), Piece(3), Piece(4), Piece(1), Piece(2)});
        RunSteps(5);
        Sound::KillSound(id, fade);
        RunSteps(10);
        EXPECT_FALSE(Sound::IsAlive(id)) << fade;
        const size_t asked = g_script.asked;
        RunSteps(60);
        EXPECT_EQ(g_script.asked, asked) << fade;
        EXPECT_LT(RenderRms(kStepFrames), 1e-4f);
    }
}

TEST_F(SoundStreamTest, ACallbackThatStopsOrReusesItsVoiceIsHonoured)
{
    // The callback kills its own stream when asked the third time.
    Start({Piece(1), Piece(2), Piece(3), Piece(4)});
    g_script.onAsk = [](size_t asked)
    {
        if (asked == 3)
            Sound::KillSound(g_streamId, 0.0f);
    };
    RunSteps(60);
    EXPECT_EQ(g_script.asked, 3u);
    EXPECT_LT(RenderRms(kStepFrames), 1e-4f);

    // With the other 15 voices busy, a sound the callback starts takes the stream's own slot.
    for (int i = 0; i < 15; ++i)
        ASSERT_NE(PlaySoundByName("quiet", SST_SOUNDFX), SOUNDID_INVALID);
    g_script = StreamScript();
    Start({Piece(1), Piece(2), Piece(3), Piece(4)});
    g_script.onAsk = [](size_t asked)
    {
        if (asked == 3)
        {
            Sound::KillSound(g_streamId, 0.0f);
            EXPECT_NE(PlaySoundByName("piece4", SST_SOUNDFX), SOUNDID_INVALID);
        }
    };
    const std::vector<float> levels = RunSteps(60);
    EXPECT_EQ(Heard(levels), (std::vector<int>{1, 4}))
        << "the new sound plays alone, nothing queued behind it";
    EXPECT_EQ(g_script.asked, 3u);
}

TEST_F(SoundStreamTest, APieceOfAnotherFormatIsReportedAndSkipped)
{
    LogCapture log;
    const SoundVoiceId id = Start({Piece(1), SoundHash("stereo"), SoundHash("slow"), Piece(2), Piece(3)});
    const std::vector<float> levels = RunSteps(60);
    EXPECT_EQ(Heard(levels), (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_NE(log.Lines()[0].find("stereo.wav"), std::string::npos) << log.Lines()[0];
    EXPECT_NE(log.Lines()[1].find("slow.wav"), std::string::npos) << log.Lines()[1];
    EXPECT_FALSE(Sound::IsAlive(id));
}

TEST_F(SoundStreamTest, AStreamNeverLoopsItsFirstPiece)
{
    Start({SoundHash("looped"), Piece(3)});
    const std::vector<float> levels = RunSteps(45);
    EXPECT_EQ(Heard(levels), (std::vector<int>{1, 3}));
}

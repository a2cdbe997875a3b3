#include "core/GameTimer.h"
#include "core/Hash.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXElementPool.h"
#include "fx/FxAnchorTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// An element kind that records what the instance asks of it.
class RecordingElement : public FXelementBase
{
public:
    void Update(float dt) override { log->push_back("update " + Name() + " " + std::to_string(dt)); }
    void Render(const Mat4&) override {}
    void Start() override { log->push_back("start " + Name()); }
    void Stop() override { log->push_back("stop " + Name()); }
    void SetParamScalar(float value, int32_t kind) override
    {
        log->push_back("scalar " + Name() + " " + std::to_string(value) + " " + std::to_string(kind));
    }
    void KillInstant() override { log->push_back("kill " + Name()); }
    void KillByFadeOut(float seconds) override { log->push_back("fade " + Name() + " " + std::to_string(seconds)); }

    // The element's life time names it in the log.
    std::string Name() const { return std::to_string(static_cast<int>(def->lifeTime * 10.0f)); }

    static std::vector<std::string>* log;
};
std::vector<std::string>* RecordingElement::log = nullptr;

class FXInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RecordingElement::log = &m_log;
        FXClearDefinitions();
        FXSetElementPool(kFXBillboard, &m_pool);
        FXSetElementPool(kFXLight, &m_smallPool);
        FXSystemReset();
        GameTimeChannelsReset();
        SetAnchor(Vec3(0, 0, 0));
    }
    void TearDown() override
    {
        FXSystemShutdown();
        FXSetElementPool(kFXBillboard, nullptr);
        FXSetElementPool(kFXLight, nullptr);
        FxAnchorTable_Update(nullptr, 0, 0.0f);
    }

    // An effect of elements of the given life times (type billboard unless given).
    static uint32_t AddEffect(const char* name, std::vector<float> lifeTimes, int32_t type = kFXBillboard)
    {
        FXDefinitionTables& tables = FXGetDefinitionTables();
        FXEffectDef& effect = tables.effects[tables.effectCount++];
        effect = FXEffectDef();
        effect.nameHash = HashString(name);
        effect.firstElement = tables.elementCount;
        effect.elementCount = static_cast<int32_t>(lifeTimes.size());
        effect.lodHighDistance = 10;
        effect.lodLowDistance = 20;
        effect.fadeInDistance = 30;
        effect.fadeOutDistance = 40;
        effect.maxRadius = 1;
        effect.updateWhenFaded = 1;
        for (float life : lifeTimes)
        {
            FXElementDef& element = tables.elements[tables.elementCount++];
            element.Reset();
            element.type = type;
            element.lifeTime = life;
        }
        return effect.nameHash;
    }
    static FXEffectDef& LastEffect() { return FXGetDefinitionTables().effects[FXGetDefinitionTables().effectCount - 1]; }

    // A view matrix whose eye stands at the point.
    static void SetAnchor(const Vec3& eye)
    {
        Mat4 view = Mat4Identity();
        Mat4SetTranslation(view, -eye);
        const FxAnchorPair pair{&view, nullptr};
        FxAnchorTable_Update(&pair, 1, 0.0f);
    }

    static FX Create(uint32_t hash)
    {
        FX handle;
        FX::CreateFX(hash, handle);
        return handle;
    }

    std::vector<std::string> m_log;
    FXElementPoolOf<RecordingElement, 2048> m_pool;
    FXElementPoolOf<RecordingElement, 1> m_smallPool;
};

TEST_F(FXInstanceTest, HandlesOutliveTheirInstances)
{
    const uint32_t hash = AddEffect("spark", {0.5f});
    FX first = Create(hash);
    ASSERT_TRUE(first.StillAlive());
    // Serials run on for the whole process (earlier tests took some).
    EXPECT_EQ(first.instance->serial, first.serial);
    FXStep(0.3f);
    EXPECT_TRUE(first.StillAlive());
    FXStep(0.3f);
    EXPECT_FALSE(first.StillAlive());
    const FX second = Create(hash);
    // The slot is reused; the old handle must not reach the new instance.
    EXPECT_EQ(second.instance, first.instance);
    EXPECT_EQ(second.serial, first.serial + 1);
    EXPECT_FALSE(first.IsValid());
    first.SetPos(Vec3(5, 5, 5));
    EXPECT_TRUE(Vec3Equals(second.instance->position, Vec3(0, 0, 0)));
    EXPECT_FALSE(FX().StillAlive());
}

TEST_F(FXInstanceTest, UnknownNamesAndFullPoolsLeaveEmptyHandles)
{
    FX handle;
    handle.instance = reinterpret_cast<FXInstance*>(&handle);
    FX::CreateFX(HashString("nothing"), handle);
    EXPECT_EQ(handle.instance, nullptr);
    EXPECT_EQ(handle.serial, kFXNoSerial);
    EXPECT_EQ(FXLiveInstanceCount(), 0);

    const uint32_t hash = AddEffect("empty", {});
    for (int i = 0; i < kFXMaxInstances; ++i)
        ASSERT_TRUE(Create(hash).IsValid()) << i;
    const FX extra = Create(hash);
    EXPECT_FALSE(extra.IsValid());
    EXPECT_EQ(extra.instance, nullptr);
    // Effects without elements die in their first step.
    FXStep(0.01f);
    EXPECT_EQ(FXLiveInstanceCount(), 0);
}

TEST_F(FXInstanceTest, ElementsStartUpdateAndStopInOrder)
{
    const uint32_t hash = AddEffect("pair", {1.0f, 0.2f});
    FX handle = Create(hash);
    EXPECT_EQ(m_log, (std::vector<std::string>{"start 10", "start 2"}));
    m_log.clear();
    FXStep(0.25f);
    // The short element is past its life: no longer updated.
    EXPECT_EQ(m_log, (std::vector<std::string>{"update 10 0.250000"}));
    m_log.clear();
    handle.KillInstant();
    FXStep(0.1f);
    // The list runs in reverse definition order.
    EXPECT_EQ(m_log, (std::vector<std::string>{"kill 2", "kill 10", "update 10 0.100000", "stop 2", "stop 10"}));
    EXPECT_EQ(FXLiveNodeCount(), 0);
}

TEST_F(FXInstanceTest, StartDelayHoldsUpdatesButKeepsTheInstance)
{
    const uint32_t hash = AddEffect("late", {0.5f});
    FXGetDefinitionTables().elements[0].startDelay = 1.0f;
    FX handle = Create(hash);
    m_log.clear();
    FXStep(0.5f);
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(handle.StillAlive());
    FXStep(0.75f);
    EXPECT_EQ(m_log, (std::vector<std::string>{"update 5 0.750000"}));
}

TEST_F(FXInstanceTest, NthElementCallsFollowDefinitionOrder)
{
    const uint32_t hash = AddEffect("three", {1.0f, 2.0f, 3.0f});
    const FX handle = Create(hash);
    m_log.clear();
    handle.SetParticleRateAddNthPrimitive(4.0f, 2, 1);
    handle.SetParticleRateAddNthPrimitive(4.0f, 2, 3);
    EXPECT_EQ(m_log, (std::vector<std::string>{"scalar 20 4.000000 2"}));

    // With an element missing the list no longer matches: nothing is called.
    const uint32_t lights = AddEffect("lights", {1.0f, 2.0f}, kFXLight);
    const FX partial = Create(lights);
    EXPECT_EQ(partial.instance->CountElements(), 1);
    m_log.clear();
    partial.SetParticleRateAddNthPrimitive(1.0f, 2, 0);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(FXInstanceTest, AnElementOfUnknownTypeMakesNothingAndTheOthersRun)
{
    const uint32_t hash = AddEffect("gap", {1.0f, 2.0f, 3.0f});
    FXGetDefinitionTables().elements[LastEffect().firstElement + 1].type = -1;
    const FX handle = Create(hash);
    ASSERT_TRUE(handle.IsValid());
    EXPECT_EQ(handle.instance->CountElements(), 2);
    EXPECT_EQ(m_log, (std::vector<std::string>{"start 10", "start 30"}));
    // The list is shorter than the definition, so no element answers in another's place.
    m_log.clear();
    for (int n = 0; n < 3; ++n)
        handle.SetParticleRateAddNthPrimitive(1.0f, 2, n);
    EXPECT_TRUE(m_log.empty());
    FXStep(0.5f);
    EXPECT_EQ(handle.instance->dead, 0);
    EXPECT_EQ(FXLiveNodeCount(), 2);
}

TEST_F(FXInstanceTest, EmptyAndMissingPoolsGiveNoElement)
{
    const uint32_t ribbon = AddEffect("ribbon", {1.0f}, kFXRibbon);
    const uint32_t bad = AddEffect("bad", {1.0f}, 9);
    for (const uint32_t hash : {ribbon, bad})
    {
        const FX handle = Create(hash);
        ASSERT_TRUE(handle.IsValid());
        EXPECT_EQ(handle.instance->dead, 1);
    }
    FXStep(0.01f);
    EXPECT_EQ(FXLiveInstanceCount(), 0);
    EXPECT_EQ(FXLiveNodeCount(), 0);
}

TEST_F(FXInstanceTest, FadeOutKillFollowsTheRamp)
{
    const uint32_t hash = AddEffect("smoke", {100.0f});
    const FX handle = Create(hash);
    handle.KillByFadeOut(2.0f);
    handle.KillByFadeOut(50.0f); // ignored: a fade-out already runs
    for (int i = 0; i < 10; ++i)
        FXStep(0.1f);
    EXPECT_LE(handle.instance->GetFade(), 0.5f + 1e-5f);
    EXPECT_GT(handle.instance->GetFade(), 0.4f);
    for (int i = 0; i < 9; ++i)
        FXStep(0.1f);
    EXPECT_TRUE(handle.StillAlive());
    FXStep(0.11f);
    EXPECT_FALSE(handle.StillAlive());
    EXPECT_EQ(FXLiveInstanceCount(), 0);
}

TEST_F(FXInstanceTest, FadeOutOfZeroKillsAtOnce)
{
    const FX handle = Create(AddEffect("flash", {100.0f}));
    m_log.clear();
    handle.KillByFadeOut(0.0f);
    EXPECT_EQ(m_log, (std::vector<std::string>{"kill 1000"}));
    FXStep(0.01f);
    EXPECT_FALSE(handle.StillAlive());
}

struct DistanceCase
{
    float start;      // distance at creation
    float later;      // distance after the first evaluation
    float fadeAfter;  // fade after a second of steps
    float lodAfter;
};

TEST_F(FXInstanceTest, DistanceDecidesFadeAndLodWithHysteresis)
{
    // HIGH 10, LOW 20, IN 30, OUT 40.
    const uint32_t hash = AddEffect("far", {100.0f});
    const DistanceCase cases[] = {
        {5, 5, 1.0f, 1.0f},    {15, 15, 1.0f, 0.5f}, {25, 25, 1.0f, 0.0f},
        {35, 35, 0.0f, 0.0f},  // between IN and OUT: starts hidden and stays
        {35, 25, 1.0f, 0.0f},  // comes inside IN: fades in
        {5, 35, 1.0f, 0.0f},   // shown, moves between IN and OUT: stays shown
        {5, 45, 0.0f, 0.0f},   // beyond OUT: fades out
    };
    for (const DistanceCase& c : cases)
    {
        FXSystemReset();
        const FX handle = Create(hash);
        handle.SetPos(Vec3(c.start, 0, 0));
        FXStep(1.0f / 30.0f);
        EXPECT_EQ(handle.instance->GetFade(), c.start < 30 ? 1.0f : 0.0f) << c.start;
        handle.SetPos(Vec3(c.later, 0, 0));
        for (int i = 0; i < 30; ++i)
            FXStep(1.0f / 30.0f);
        EXPECT_FLOAT_EQ(handle.instance->GetFade(), c.fadeAfter) << c.start << " -> " << c.later;
        EXPECT_NEAR(handle.instance->lod, c.lodAfter, 1e-5f) << c.start << " -> " << c.later;
    }
}

TEST_F(FXInstanceTest, LowNotAboveHighIsAStep)
{
    const uint32_t hash = AddEffect("step", {100.0f});
    LastEffect().lodLowDistance = 10.0f;
    for (const float distance : {5.0f, 10.0f, 15.0f})
    {
        FXSystemReset();
        const FX handle = Create(hash);
        handle.SetPos(Vec3(distance, 0, 0));
        FXStep(0.2f);
        FXStep(0.2f);
        EXPECT_EQ(handle.instance->lod, distance < 10.0f ? 1.0f : 0.0f) << distance;
    }
}

TEST_F(FXInstanceTest, WithoutAnAnchorEffectsAreHidden)
{
    FxAnchorTable_Update(nullptr, 0, 0.0f);
    const FX kept = Create(AddEffect("kept", {100.0f}));
    const FX dropped = Create(AddEffect("dropped", {100.0f}));
    LastEffect().dieWhenFaded = 1;
    FXStep(0.01f);
    EXPECT_TRUE(kept.StillAlive());
    EXPECT_EQ(kept.instance->GetFade(), 0.0f);
    EXPECT_FALSE(dropped.StillAlive());
}

TEST_F(FXInstanceTest, FadedInstancesWithoutUpdatesStillDie)
{
    const uint32_t hash = AddEffect("distant", {1.0f});
    LastEffect().updateWhenFaded = 0;
    const FX handle = Create(hash);
    handle.SetPos(Vec3(100, 0, 0));
    m_log.clear();
    for (int i = 0; i < 20 && handle.StillAlive(); ++i)
        FXStep(0.1f);
    EXPECT_TRUE(m_log.empty() || m_log == (std::vector<std::string>{"stop 10"}));
    EXPECT_FALSE(handle.StillAlive());
}

TEST_F(FXInstanceTest, VelocityMovesThePosition)
{
    const FX handle = Create(AddEffect("moving", {100.0f}));
    handle.SetPos(Vec3(1, 2, 3));
    handle.SetVelocity(Vec3(2, 0, 0));
    FXStep(0.5f);
    EXPECT_TRUE(Vec3Equals(handle.instance->position, Vec3(2, 2, 3)));
}

TEST(FxAnchors, EyeVelocityAndTies)
{
    Mat4 view = Mat4Identity();
    Mat4SetRotationAxisAngle(view, 1.5707964f, Vec3(0, 1, 0));
    const Vec3 eye(3, 4, 5);
    Mat4SetTranslation(view, -Mat4RotateVec3(view, eye));
    FxAnchorPair pairs[6] = {{&view, nullptr}};
    FxAnchorTable_Update(pairs, 1, 0.0f);
    const Vec3 p = FxAnchorGetPosition(0);
    EXPECT_NEAR(p.x, 3, 1e-4f);
    EXPECT_NEAR(p.y, 4, 1e-4f);
    EXPECT_NEAR(p.z, 5, 1e-4f);

    Mat4SetTranslation(view, -Mat4RotateVec3(view, Vec3(4, 4, 5)));
    FxAnchorTable_Update(pairs, 1, 0.5f);
    EXPECT_NEAR(FxGetAnchorTable().anchors[0].velocity.x, 2.0f, 1e-3f);
    // Absent first matrix: the position stays and the anchor still counts.
    pairs[0] = {nullptr, nullptr};
    FxAnchorTable_Update(pairs, 1, 0.5f);
    EXPECT_EQ(FxGetAnchorTable().anchors[0].matrixA, nullptr);
    EXPECT_EQ(FxAnchorFindNearest(Vec3(100, 0, 0)), 0);

    Mat4 a = Mat4Identity(), b = Mat4Identity();
    Mat4SetTranslation(a, Vec3(-1, 0, 0));
    Mat4SetTranslation(b, Vec3(1, 0, 0));
    for (FxAnchorPair& pair : pairs)
        pair = {&b, nullptr};
    pairs[1] = {&a, nullptr};
    FxAnchorTable_Update(pairs, 6, 0.0f);
    EXPECT_EQ(FxGetAnchorTable().count, kFxMaxAnchors);
    // Anchors at -1 and +1: from 0 both are as near; the lower index wins.
    EXPECT_EQ(FxAnchorFindNearest(Vec3(0, 0, 0)), 0);
    EXPECT_EQ(FxAnchorFindNearest(Vec3(0.9f, 0, 0)), 1);
    FxAnchorTable_Update(pairs, 0, 0.0f);
    EXPECT_EQ(FxAnchorFindNearest(Vec3(0, 0, 0)), -1);
}
} // namespace

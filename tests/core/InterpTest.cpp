#include "core/Interp.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace
{
InterpDef MakeCurve(std::initializer_list<std::pair<float, float>> keys)
{
    InterpDef def;
    for (const auto& key : keys)
        def.AddKey(key.first, key.second);
    return def;
}

struct TimeValue
{
    float t;
    float expected;
};

TEST(Interp, PiecewiseLinearAndClamped)
{
    const InterpDef def = MakeCurve({{0, 0}, {1, 10}, {2, 30}});
    Interp curve;
    curve.SetDef(&def);
    for (const TimeValue& c : {TimeValue{-1, 0}, {0, 0}, {0.5f, 5}, {1, 10}, {1.5f, 20}, {2, 30}, {5, 30}})
        EXPECT_FLOAT_EQ(curve.EvaluateAt(c.t), c.expected) << "t = " << c.t;
}

TEST(Interp, FallingTimesSearchFromTheStart)
{
    const InterpDef def = MakeCurve({{0, 0}, {1, 10}, {2, 30}, {3, 0}});
    Interp curve;
    curve.SetDef(&def);
    EXPECT_FLOAT_EQ(curve.EvaluateAt(2.5f), 15.0f);
    EXPECT_EQ(curve.GetSegment(), 2);
    EXPECT_FLOAT_EQ(curve.EvaluateAt(1.5f), 20.0f);
    EXPECT_FLOAT_EQ(curve.EvaluateAt(0.25f), 2.5f);
    EXPECT_EQ(curve.GetSegment(), 0);
}

TEST(Interp, EmptyOneKeyAndUnboundCurves)
{
    const InterpDef empty;
    const InterpDef single = MakeCurve({{3, 7}});
    Interp curve;
    EXPECT_EQ(curve.EvaluateAt(1.0f), 0.0f);
    EXPECT_EQ(curve.GetVatT(1.0f), 0.0f);
    curve.SetDef(&empty);
    EXPECT_EQ(curve.EvaluateAt(1.0f), 0.0f);
    curve.SetDef(&single);
    EXPECT_EQ(curve.GetSlope(), 0.0f);
    for (const float t : {-5.0f, 3.0f, 100.0f})
        EXPECT_EQ(curve.EvaluateAt(t), 7.0f);
}

TEST(Interp, TwoKeysAtOneTimeMakeAJumpNotNaN)
{
    const InterpDef def = MakeCurve({{0, 0}, {1, 10}, {1, 20}, {2, 30}});
    Interp curve;
    curve.SetDef(&def);
    for (const TimeValue& c : {TimeValue{0.5f, 5}, {1, 10}, {1.5f, 25}, {0.25f, 2.5f}, {1, 10}, {2, 30}})
    {
        const float v = curve.EvaluateAt(c.t);
        EXPECT_FALSE(std::isnan(v)) << "t = " << c.t;
        EXPECT_FLOAT_EQ(v, c.expected) << "t = " << c.t;
    }
}

TEST(Interp, LoopedEvaluation)
{
    InterpDef def = MakeCurve({{0, 0}, {1, 10}, {2, 20}, {3, 50}});
    def.SetLoop(1, 2, 2);
    Interp curve;
    curve.SetDef(&def);
    for (const TimeValue& c : {TimeValue{1.5f, 15}, {2.5f, 15}, {3, 20}, {3.5f, 35}, {0.5f, 5}})
        EXPECT_FLOAT_EQ(curve.GetVatT(c.t), c.expected) << "t = " << c.t;

    def.SetLoop(1, 2, 1);
    for (const TimeValue& c : {TimeValue{2.5f, 35}, {2.75f, 42.5f}})
        EXPECT_FLOAT_EQ(curve.GetVatTLooped(c.t), c.expected) << "t = " << c.t;
}

TEST(Interp, UnusableLoopsEvaluatePlainly)
{
    InterpDef def = MakeCurve({{0, 0}, {1, 10}, {1, 20}, {3, 40}});
    struct BadLoop
    {
        int begin, end;
    };
    // Outside the keys, reversed, and zero-length (keys 1 and 2 share a time).
    for (const BadLoop& loop : {BadLoop{-1, 2}, {1, 4}, {1, 40}, {2, 1}, {1, 1}, {1, 2}})
    {
        def.SetLoop(loop.begin, loop.end, 3);
        Interp curve;
        curve.SetDef(&def);
        EXPECT_FLOAT_EQ(curve.GetVatT(2.0f), 30.0f) << loop.begin << ".." << loop.end;
    }
}

TEST(Interp, ThirtyThirdKeyIsRefusedAndReported)
{
    InterpDef def;
    for (int i = 0; i < InterpDef::kMaxKeys; ++i)
        ASSERT_TRUE(def.AddKey(static_cast<float>(i), static_cast<float>(i)));
    LogCapture log;
    EXPECT_FALSE(def.AddKey(99.0f, 99.0f));
    EXPECT_EQ(def.keyCount, InterpDef::kMaxKeys);
    EXPECT_TRUE(log.Contains("Curve full"));
    Interp curve;
    curve.SetDef(&def);
    EXPECT_FLOAT_EQ(curve.EvaluateAt(100.0f), 31.0f);
}

TEST(Interp, ARefilledDefinitionDoesNotStrandTheCursor)
{
    InterpDef def = MakeCurve({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}});
    Interp curve;
    curve.SetDef(&def);
    EXPECT_FLOAT_EQ(curve.EvaluateAt(3.5f), 3.5f);
    def.Clear();
    def.AddKey(0, 0);
    def.AddKey(10, 100);
    EXPECT_FLOAT_EQ(curve.EvaluateAt(5.0f), 50.0f);
}
} // namespace

#include "script/ScriptProfiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{
TEST(ScriptProfilerTest, ReturnsAreIndentedByTheirEnclosingCalls)
{
    ScriptProfiler profiler;
    profiler.Begin();
    profiler.OnCall(100);
    profiler.OnCall(110);
    profiler.OnReturn(150, "Inner", "game.nut");
    profiler.OnReturn(200, nullptr, nullptr);
    EXPECT_STREQ(profiler.Log().c_str(), "\tInner (game.nut) took 40 microseconds\n"
                                         "?func? (?file?) took 100 microseconds\n");
    EXPECT_EQ(profiler.Depth(), 0);
}

TEST(ScriptProfilerTest, ReturnWithoutACallChangesNothing)
{
    ScriptProfiler profiler;
    profiler.Begin();
    profiler.OnReturn(10, "Stray", "game.nut");
    EXPECT_EQ(profiler.Depth(), 0);
    EXPECT_STREQ(profiler.Log().c_str(), "");
    profiler.OnCall(20);
    profiler.OnReturn(25, "Next", "game.nut");
    EXPECT_STREQ(profiler.Log().c_str(), "Next (game.nut) took 5 microseconds\n");
}

TEST(ScriptProfilerTest, CallsDeeperThanTheStackAreCountedAndPairUpAgain)
{
    ScriptProfiler profiler;
    profiler.Begin();
    const int deep = kProfileMaxDepth + 40;
    for (int i = 0; i < deep; ++i)
        profiler.OnCall(static_cast<uint64_t>(i));
    for (int i = 0; i < deep; ++i)
        profiler.OnReturn(1000, "f", "s");
    EXPECT_EQ(profiler.Depth(), 0);
    const std::string log = profiler.Log().c_str();
    // The levels the stack holds are timed; the outermost call's line comes
    // last, without indent, timed from its own start.
    const std::string outermost = "\nf (s) took 1000 microseconds\n";
    EXPECT_EQ(log.rfind(outermost), log.size() - outermost.size());
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), kProfileMaxDepth - 1);
}

TEST(ScriptProfilerTest, BeginStartsAnEmptyLog)
{
    ScriptProfiler profiler;
    profiler.Begin();
    profiler.OnCall(1);
    profiler.Begin();
    EXPECT_EQ(profiler.Depth(), 0);
    EXPECT_STREQ(profiler.Log().c_str(), "");
}

TEST(ScriptProfilerTest, NestedEngineCallsKeepTheOutermostProfile)
{
    ScriptProfiler profiler;
    EXPECT_TRUE(profiler.EnterEngineCall());
    profiler.OnCall(0);
    EXPECT_FALSE(profiler.EnterEngineCall());
    profiler.OnCall(5);
    profiler.OnReturn(7, "Inner", "game.nut");
    EXPECT_FALSE(profiler.LeaveEngineCall());
    EXPECT_TRUE(profiler.IsProfiling());
    profiler.OnReturn(9, "Outer", "game.nut");
    EXPECT_TRUE(profiler.LeaveEngineCall());
    EXPECT_FALSE(profiler.IsProfiling());
    EXPECT_STREQ(profiler.Log().c_str(), "\tInner (game.nut) took 2 microseconds\n"
                                         "Outer (game.nut) took 9 microseconds\n");
    // An end without a start changes nothing.
    EXPECT_FALSE(profiler.LeaveEngineCall());
    EXPECT_TRUE(profiler.EnterEngineCall());
}
} // namespace

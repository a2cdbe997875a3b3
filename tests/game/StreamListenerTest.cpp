// The loading pump driven by reads, and the reload dispatch of changed files
// by the kind their file-table entry records.

#include "game/StreamListener.h"

#include "../script/ScriptTestFixture.h"
#include "core/FileTable.h"
#include "game/AppScriptAPI.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
int g_pumps = 0;
StreamListener* g_reentered = nullptr;

void CountPump()
{
    ++g_pumps;
}

// Drawing the loading frame reads files too.
void PumpThatReads()
{
    ++g_pumps;
    g_reentered->BytesRead(3 * kLoadingPumpBytes);
}

struct PumpCase
{
    std::vector<unsigned> reads;
    int pumps;
    uint32_t left;
};

TEST(StreamListener, PumpsOnlyWhenTheCountPassesTenThousand)
{
    const PumpCase cases[] = {
        {{5000, 5000, 5000, 5000, 5000}, 1, 10000}, // pumps at 15000, then counts afresh
        {{10000}, 0, 10000},
        {{10001}, 1, 0},
        {{9999, 1, 1}, 1, 0},
        {{40000, 40000}, 2, 0},
    };
    for (const PumpCase& c : cases)
    {
        g_pumps = 0;
        StreamListener listener(CountPump);
        for (unsigned n : c.reads)
            listener.BytesRead(n);
        EXPECT_EQ(g_pumps, c.pumps) << c.reads.size() << " reads";
        EXPECT_EQ(listener.BytesSincePump(), c.left) << c.reads.size() << " reads";
    }
}

TEST(StreamListener, AReadWhileThePumpDrawsDoesNotPumpAgain)
{
    g_pumps = 0;
    StreamListener listener(PumpThatReads);
    g_reentered = &listener;
    listener.BytesRead(kLoadingPumpBytes + 1);
    EXPECT_EQ(g_pumps, 1);
    listener.BytesRead(kLoadingPumpBytes + 1);
    EXPECT_EQ(g_pumps, 2) << "the pump stays usable after a nested read";
}

// The game script records what reaches its FileChanged, and a script file
// counts how often it has run.
class ReloadDispatchTest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override { RegisterAppScriptAPI(vm); }

    void SetUp() override
    {
        ScriptTest::SetUp();
        WriteScript("count.nut", "runs <- (\"runs\" in getroottable()) ? runs + 1 : 1;\n");
        ASSERT_TRUE(dir.WriteFile("data/dragon.chanim", "anim"));
        ASSERT_TRUE(dir.WriteFile("data/font.btxt", "font"));
        ASSERT_TRUE(dir.WriteFile("data/wall.tga", "tga"));
        ASSERT_TRUE(dir.WriteFile("data/hill.tcol", "tcol"));
        ASSERT_TRUE(dir.WriteFile("data/never.chanim", "anim"));
        FileTableMountDataTree(dir.Root().c_str());
        Run("changed <- \"\"; function FileChanged(name) { ::changed += name + \",\"; }");
        ASSERT_TRUE(ScriptDoFile(vm(), "count.nut"));
        SetKind("dragon.chanim", kResourceAnimation, 1);
        SetKind("font.btxt", kResourceBasicText, 2);
        SetKind("wall.tga", kResourceTexture, 1);
        SetKind("hill.tcol", kResourceTerrainCollision, 1);
        SetKind("never.chanim", kResourceAnimation, 0);
    }

    static void SetKind(const char* name, uint32_t kind, uint32_t references)
    {
        FileTableSetResource(name, nullptr, kind);
        FileTableFindEntry(name)->refCount = references;
    }

    void Changed(const char* name) { GetAppStreamListener().FileChanged(name, *FileTableFindEntry(name)); }
};

TEST_F(ReloadDispatchTest, EachKindGoesToItsReloadOrToTheScript)
{
    Changed("count.nut");
    EXPECT_EQ(GlobalInt("runs"), 2) << "a changed script runs again";
    Changed("dragon.chanim");
    Changed("font.btxt");
    EXPECT_EQ(GlobalString("changed"), "dragon.chanim,font.btxt,");
    // Kinds with a reload of their own but no resource do nothing at all.
    Changed("wall.tga");
    Changed("hill.tcol");
    EXPECT_EQ(GlobalString("changed"), "dragon.chanim,font.btxt,");
    EXPECT_EQ(Reports(), "");
}

TEST_F(ReloadDispatchTest, HotloadReloadsOnlyLoadedFilesThatMatch)
{
    Run("Hotload(\"[.]chanim$\");");
    EXPECT_EQ(GlobalString("changed"), "dragon.chanim,") << "never.chanim was never loaded";
    Run("changed <- \"\"; Hotload(\"nothing matches this\");");
    EXPECT_EQ(GlobalString("changed"), "");
    Run("Hotload();");
    EXPECT_EQ(GlobalString("changed"), "dragon.chanim,font.btxt,") << "in name order";
}

// A reload that loads more files must not disturb the walk that asked for it.
TEST_F(ReloadDispatchTest, HotloadWalksTheNamesItFoundFirst)
{
    ASSERT_TRUE(dir.WriteFile("data/extra.btxt", "more"));
    Run("function FileChanged(name) { ::changed += name + \",\"; if (name == \"dragon.chanim\") MountAgain(); }");
    HSQUIRRELVM v = vm();
    sq_pushroottable(v);
    sq_pushstring(v, "MountAgain", -1);
    sq_newclosure(
        v,
        [](HSQUIRRELVM) -> SQInteger {
            FileTableAddDirectory("data", "", false);
            FileTableSetResource("extra.btxt", nullptr, kResourceBasicText);
            FileTableFindEntry("extra.btxt")->refCount = 1;
            return 0;
        },
        0);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    Run("Hotload();");
    EXPECT_EQ(GlobalString("changed"), "dragon.chanim,font.btxt,");
}
} // namespace

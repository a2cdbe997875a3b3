// The script class "Locator" and the locator globals over files written by
// our locator writer: queries, handles across a clear, a reload and an
// append, attribute indices, and paths filled from locator paths.
#include "ScriptWorldFixture.h"

#include "game/LocatorScriptAPI.h"
#include "game/LocatorStore.h"
#include "game/PathScriptAPI.h"
#include "tools/formats/LocatorWriter.h"

namespace
{
class LocatorScriptAPITest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterPathScriptAPI(vm);
        RegisterLocatorScriptAPI(vm);
    }

    void SetUp() override
    {
        ScriptWorldTest::SetUp();
        LocatorFileSpec spawns;
        spawns.locators.push_back(
            LocatorAt(kLocatorTypeSnorrikEnemySpawner, "gate", Vec3(-200, 0, 150), {3, 8}, {"knight"}));
        spawns.locators.push_back(LocatorAt(7, "crate", Vec3(50, 40, -120)));
        spawns.locators.push_back(LocatorAt(kLocatorTypeSnorrikEnemySpawner, "tower", Vec3(250, 0, 200)));
        Write("spawns.loc", LocatorWrite(spawns));
        LocatorFileSpec flight;
        flight.version = 5;
        LocatorAddPath(flight, "loop", {Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(10, 0, 10)});
        Write("flight.loc", LocatorWrite(flight));
    }

    void TearDown() override
    {
        LocatorsClear();
        ScriptWorldTest::TearDown();
    }

    void Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        WriteScript(name, std::string(bytes.begin(), bytes.end()));
    }
};

TEST_F(LocatorScriptAPITest, FoundLocatorAnswersItsQueries)
{
    Run(R"(
Locator_Create("flight.loc", "spawns.loc");
local loc = Locator();
::empty <- loc.GetName();
::second <- Locator_GetByType(loc, LOCATOR_TYPE_SNORRIK_ENEMY_SPAWNER, 1);
::secondName <- loc.GetName();
::found <- Locator_GetByType(loc, LOCATOR_TYPE_SNORRIK_ENEMY_SPAWNER, 0);
::name <- loc.GetName();
::type <- loc.GetType();
::x <- loc.GetPosition().x;
::numeric <- loc.GetNumberOfNumericExtraAttributes();
::eight <- loc.GetNumericExtraAttribute(1);
::pastNumeric <- loc.GetNumericExtraAttribute(2);
::negative <- loc.GetNumericExtraAttribute(-1);
::text <- loc.GetStringExtraAttribute(0);
::negativeText <- loc.GetStringExtraAttribute(-1);
::missing <- Locator_GetByType(loc, 99, 0);
::afterMissing <- loc.GetName();
)");
    EXPECT_EQ(GlobalType("empty"), "null");
    EXPECT_EQ(GlobalInt("second"), 1);
    EXPECT_EQ(GlobalString("secondName"), "tower");
    EXPECT_EQ(GlobalInt("found"), 1);
    EXPECT_EQ(GlobalString("name"), "gate");
    EXPECT_EQ(GlobalInt("type"), kLocatorTypeSnorrikEnemySpawner);
    EXPECT_FLOAT_EQ(GlobalFloat("x"), -200.0f);
    EXPECT_EQ(GlobalInt("numeric"), 2);
    EXPECT_FLOAT_EQ(GlobalFloat("eight"), 8.0f);
    EXPECT_EQ(GlobalType("pastNumeric"), "null");
    EXPECT_EQ(GlobalType("negative"), "null");
    EXPECT_EQ(GlobalString("text"), "knight");
    EXPECT_EQ(GlobalType("negativeText"), "null");
    EXPECT_EQ(GlobalInt("missing"), 0);
    EXPECT_EQ(GlobalType("afterMissing"), "null");
}

TEST_F(LocatorScriptAPITest, HandlesAnswerNullAfterAClearOrAReloadButNotAfterAnAppend)
{
    Run(R"(
Locator_Create("spawns.loc");
::loc <- Locator();
Locator_GetByType(loc, LOCATOR_TYPE_SNORRIK_ENEMY_SPAWNER, 0);
::copy <- clone loc;
::copyName <- copy.GetName();
)");
    EXPECT_EQ(GlobalString("copyName"), "gate");
    LocatorsLoad("flight.loc");
    Run("::afterAppend <- loc.GetName();");
    EXPECT_EQ(GlobalString("afterAppend"), "gate");
    Run(R"(Locator_Create("spawns.loc"); ::afterReload <- loc.GetName(); ::copyAfter <- copy.GetType();)");
    EXPECT_EQ(GlobalType("afterReload"), "null");
    EXPECT_EQ(GlobalType("copyAfter"), "null");
    Run(R"(
Locator_GetByType(loc, LOCATOR_TYPE_SNORRIK_ENEMY_SPAWNER, 0);
Locator_Destroy();
::afterClear <- loc.GetPosition();
)");
    EXPECT_EQ(GlobalType("afterClear"), "null");
}

TEST_F(LocatorScriptAPITest, PathsFillFromLocatorPathsByName)
{
    Run(R"(
Locator_Create("flight.loc");
local path = Path();
path.AddPoint(Vec3(5, 5, 5));
path.SetPointsByName("loop");
::count <- path.GetPointCount();
::total <- path.GetTotalDistance();
path.SetPointsByName("nowhere");
::afterMissing <- path.GetPointCount();
path.AddLinesToDebug();
)");
    EXPECT_EQ(GlobalInt("count"), 3);
    EXPECT_FLOAT_EQ(GlobalFloat("total"), 20.0f);
    EXPECT_EQ(GlobalInt("afterMissing"), 0);
    EXPECT_TRUE(ReportsContain("Could not load path of name: nowhere"));
}

// Objects of another class in a handle's place are refused before they are read.
TEST_F(LocatorScriptAPITest, ArgumentsOfTheWrongClassAreScriptErrors)
{
    EXPECT_TRUE(RaisesError("Locator_GetByType(Vec2(0, 0), 1, 0);"));
    EXPECT_TRUE(RaisesError("Locator_GetByType(Locator(), \"one\", 0);"));
    EXPECT_TRUE(RaisesError("Locator().GetNumericExtraAttribute(\"one\");"));
}
} // namespace

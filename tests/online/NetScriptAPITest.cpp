#include "online/NetRecords.h"
#include "online/NetScriptAPI.h"
#include "online/PlatformServices.h"
#include "online/SaveDataScriptAPI.h"
#include "online/ScriptPacket.h"
#include "online/DataPacker.h"

#include "core/FileTable.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptBinding.h"
#include "script/ScriptHost.h"
#include "script/UtilScriptAPI.h"

#include "PlatformFolderTest.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace
{
uint32_t Word(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

struct DragonCase
{
    const char* name;
    NetDragonInfoUnCompressed record;
    uint32_t posXBits;   // w0 bits 3-19
    uint32_t angleBits;  // w1 bits 17-26
    uint32_t breathBits; // w2 bits 0-8
};

class DragonPackingTest : public ::testing::TestWithParam<DragonCase>
{
};

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

std::vector<std::string> g_records;

SQInteger Record(HSQUIRRELVM vm)
{
    const SQChar* text = nullptr;
    if (SQ_SUCCEEDED(sq_getstring(vm, 2, &text)))
        g_records.push_back(text);
    return 0;
}

void RegisterForTest(HSQUIRRELVM vm)
{
    RegisterMathScriptAPI(vm);
    RegisterUtilScriptAPI(vm);
    RegisterSaveDataScriptAPI(vm);
    RegisterNetScriptAPI(vm);
    ScriptBindGlobalFunction(vm, "Record", Record);
}

class NetScriptAPITest : public PlatformFolderTest
{
protected:
    NetScriptAPITest() : PlatformFolderTest("Dragon Rider") {}

    void SetUp() override
    {
        PlatformFolderTest::SetUp();
        previousRoot = FileTableGetRoot();
        GetFileTable().SetRoot(dir.Root().c_str());
        g_records.clear();
        ASSERT_TRUE(ScriptInit(false, RegisterForTest));
    }
    void TearDown() override
    {
        ScriptPacketAttach(nullptr, nullptr);
        ScriptShutdown();
        GetFileTable().SetRoot(previousRoot.c_str());
        PlatformFolderTest::TearDown();
    }
    void Run(const char* script)
    {
        ASSERT_TRUE(ScriptRunString(ScriptGetVM(), script, static_cast<SQInteger>(strlen(script)), "test"));
        ASSERT_FALSE(ScriptGetErrorFlag());
    }

    std::string previousRoot;
};
} // namespace

TEST_P(DragonPackingTest, FieldsLandInTheirBits)
{
    uint8_t bytes[NetDragonInfoUnCompressed::kBytes];
    GetParam().record.Pack(bytes);
    EXPECT_EQ((Word(bytes) >> 3) & 0x1FFFFu, GetParam().posXBits);
    EXPECT_EQ((Word(bytes + 4) >> 17) & 0x3FFu, GetParam().angleBits);
    EXPECT_EQ(Word(bytes + 8), GetParam().breathBits);
    EXPECT_EQ(Word(bytes) >> 20, 0u);
    EXPECT_EQ(Word(bytes + 4) >> 29, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Records, DragonPackingTest,
    ::testing::Values(DragonCase{"Origin", {0, 0.0f, 0.0f, 0.0f, 0, 0.0f}, 41600, 0, 0},
                      DragonCase{"NegativeAngleWraps", {0, 0.0f, 0.0f, -1.57079637f, 0, 1.0f}, 41600, 706, 400},
                      DragonCase{"LowestPosition", {0, -320.0f, 0.0f, 6.0f, 0, 0.5f}, 0, 900, 200},
                      DragonCase{"NaNPacksAsZero", {0, kNaN, 0.0f, kNaN, 0, kNaN}, 0, 0, 0},
                      DragonCase{"InfinityPacksAsZeroAngle", {0, 0.0f, 0.0f, kInfinity, 0, 0.0f}, 41600, 0, 0},
                      // A huge angle wraps at once instead of stepping by 2 pi for ever.
                      DragonCase{"HugeAngle", {0, 0.0f, 0.0f, 1e30f, 0, 0.0f}, 41600,
                                 static_cast<uint32_t>(WrapAngle(1e30f) * 150.0f), 0},
                      DragonCase{"HugePositionWrapsInItsBits", {0, 1e30f, 0.0f, 0.0f, 0, 0.0f}, 0, 0, 0}),
    [](const ::testing::TestParamInfo<DragonCase>& info) { return std::string(info.param.name); });

TEST(NetRecordsTest, RecordsComeBackFromTheirBytes)
{
    NetDragonInfoUnCompressed dragon{5, 12.5f, -40.25f, 3.0f, 2, 0.75f};
    uint8_t bytes[NetDragonInfoUnCompressed::kBytes];
    dragon.Pack(bytes);
    NetDragonInfoUnCompressed back;
    back.Unpack(bytes);
    EXPECT_EQ(back.controlerIndex, 5);
    EXPECT_NEAR(back.posX, 12.5f, 1.0f / 130.0f);
    EXPECT_NEAR(back.posZ, -40.25f, 1.0f / 130.0f);
    EXPECT_NEAR(back.angle, 3.0f, 1.0f / 150.0f);
    EXPECT_EQ(back.bBREATHING, 2);
    EXPECT_FLOAT_EQ(back.breathRatio, 0.75f);

    ParentDamageStruct damage{6, 70000, 3, 12.5f};
    uint8_t damageBytes[ParentDamageStruct::kBytes];
    damage.Pack(damageBytes);
    ParentDamageStruct damageBack;
    damageBack.Unpack(damageBytes);
    EXPECT_EQ(damageBack.weapon, 6);
    EXPECT_EQ(damageBack.attackernetid, 70000 & 0xFFFF);
    EXPECT_EQ(damageBack.washitnetid, 3);
    EXPECT_FLOAT_EQ(damageBack.newhp, 12.5f);

    Vec3 position(-230.0f, 7.0f, 10.0f);
    const uint32_t packed = PackVec3Quarn(position);
    EXPECT_EQ(packed & 0xFFFFu, 0u);
    Vec3 unpacked(0.0f, 7.0f, 0.0f);
    UnpackVec3Quarn(packed, unpacked);
    EXPECT_FLOAT_EQ(unpacked.x, -230.0f);
    EXPECT_FLOAT_EQ(unpacked.y, 7.0f);
    EXPECT_NEAR(unpacked.z, 10.0f, 1.0f / 130.0f);
}

TEST_F(NetScriptAPITest, DroppedPackersStayAliveWhileAttached)
{
    Run(R"(
        function Attach() {
            local send = DataPacker();
            local receive = DataPacker();
            ConnectionMaker_ScriptSetSendRecvDataPackers(send, receive);
        }
        Attach();
        collectgarbage();
        local dragon = NetDragonInfoUnCompressed();
        dragon.posX = 0.0;
        dragon.breathRatio = 1.0;
        dragon.PackToNetwork();
        local damage = ParentDamageStruct();
        damage.weapon = 3;
        damage.PackToNetwork();
    )");
    ASSERT_NE(ScriptSendPacker(), nullptr);
    EXPECT_EQ(ScriptSendPacker()->ByteSize(), NetDragonInfoUnCompressed::kBytes + ParentDamageStruct::kBytes);
    EXPECT_EQ((Word(ScriptPacketBuffer()) >> 3) & 0x1FFFFu, 41600u);
}

TEST_F(NetScriptAPITest, PackersCarryEveryKindOfValue)
{
    Run(R"(
        local buffer = DataPacker();
        local receive = DataPacker();
        ConnectionMaker_ScriptSetSendRecvDataPackers(buffer, receive);
        buffer.PackBool(true);
        buffer.PackInt(-7);
        buffer.PackFloat(2.5);
        buffer.PackString("hello");
        buffer.PackVec3Quarn(Vec3(-230.0, 1.0, 0.0));
        receive.SetToBegin();
        Record(receive.UnPackBool() + " " + receive.UnPackInt() + " " + receive.UnPackFloat() + " " +
               receive.UnPackString());
        local v = Vec3(5.0, 9.0, 5.0);
        receive.UnPackVec3Quarn(v);
        Record(v.x + " " + v.y + " " + v.z);
    )");
    EXPECT_EQ(g_records, (std::vector<std::string>{"true -7 2.5 hello", "-230 9 0"}));
}

TEST_F(NetScriptAPITest, SavesRunFromTheScript)
{
    Run(R"(
        local saver = SaveLoadFunctions();
        local text = composer();
        text.Init(4);
        text.AddToken("runs", 0, "3", 0);
        text.AddToken("name", 0, "Small Dragon", 0);
        saver.WriteToFile(text, "progress.sav", false);
        saver.m_composer.Init(8);
        saver.m_composer.AddToken("inner", 0, "yes", 0);
        saver.WriteToFile(saver.m_composer, "inner.sav", false);
        Record("" + saver.IsStillSave() + saver.StartLoading() + saver.IsFinishedLoading());
        Record("" + saver.SetupFileAndInitParser("progress.sav", false));
        Record(saver.GetToken() + "=" + saver.GetToken() + "," + saver.GetToken() + "=" + saver.GetToken());
        Record("[" + saver.GetToken() + "]");
        saver.CleanUpParser();
        Record("" + saver.SetupFileAndInitParser("missing.sav", false));
        Record("" + saver.SetupFileAndInitParser("inner.sav", false) + saver.GetToken());
    )");
    EXPECT_EQ(g_records, (std::vector<std::string>{"113", "1", "runs=3,name=Small Dragon", "[]", "3", "1inner"}));
}

TEST_F(NetScriptAPITest, ObjectsOfOtherClassesAreRefusedAsArguments)
{
    // Each is large enough to be taken by size alone; read as a composer or
    // a packer, its bytes would be freed or written as pointers.
    Run(R"(
        local saver = SaveLoadFunctions();
        foreach (stranger in [DataPacker(), NetDragonInfoUnCompressed(), SteamLeaderboards()]) {
            try { saver.WriteToFile(stranger, "stranger.sav", false); Record("written"); }
            catch (e) { Record("refused"); }
        }
        try { ConnectionMaker_ScriptSetSendRecvDataPackers(composer(), composer()); Record("attached"); }
        catch (e) { Record("refused"); }
    )");
    EXPECT_EQ(g_records, (std::vector<std::string>{"refused", "refused", "refused", "refused"}));
}

TEST_F(NetScriptAPITest, OfflineAnswersAndBadIndexes)
{
    setenv("PENDREL_PLATFORM", "off", 1);
    ASSERT_FALSE(PlatformInit());
    Run(R"(
        Record(MatchingService_GetMap());
        Record("[" + MatchingService_GetNameFromNetID(5) + "]");
        Record("" + ConnectionMaker_GetNThNodeNetID(9) + " " + ConnectionMaker_GetMyNetID());
        Record("[" + MatchingService_GetFriendName(3) + "]");
        Record("" + CheckIfOnline() + " " + WaitingForAnsycToFinish(0) + " " + SetUpLeaderBoardsSystem());
        Record("" + Steam_IsAchievementUnlocked(64) + " " + Steam_GetStat(1));
        Record("" + MatchingService_IsConnected() + " " + MatchingService_WasGameBootedFromInvite());
        local entry = SteamLeaderboardEntry();
        Record("[" + entry.GetString() + "]" + entry.GlobalRank);
    )");
    EXPECT_EQ(g_records, (std::vector<std::string>{"Unknown Map", "[]", "-1 -1", "[]", "3 -1 0", "false 0",
                                                   "true false", "[]0"}));
}

TEST_F(NetScriptAPITest, StatisticsAndTheUserNameComeFromThePlatform)
{
    ASSERT_TRUE(PlatformInit());
    PlatformRunCallbacks();
    Run(R"(
        Steam_SetStat(1, 12);
        Steam_SetAchievement(64);
        Record("" + Steam_GetStat(1) + " " + Steam_IsAchievementUnlocked(64) + " " + Steam_IsAchievementUnlocked(65));
        Record(GetUserName());
        local boards = SteamLeaderboards();
        boards.UploadScore(30, "9");
        Record("" + boards.nLeaderboardEntries + " " + boards.IsDownloadScoresDone(0));
    )");
    EXPECT_EQ(g_records, (std::vector<std::string>{"12 true false", "Dragon Rider", "0 true"}));
}

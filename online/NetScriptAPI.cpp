#include "online/NetScriptAPI.h"

#include "online/ConnectionMaker.h"
#include "online/DataPacker.h"
#include "online/LeaderboardFacade.h"
#include "online/MatchingService.h"
#include "online/NetRecords.h"
#include "online/NetworkCommunicator.h"
#include "online/ScriptPacket.h"
#include "online/SteamAchievements.h"
#include "online/SteamLeaderboards.h"
#include "script/ScriptArguments.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace
{
struct SteamLeaderboardEntry
{
    int32_t GlobalRank = 0;
    int32_t Score = 0;
    char name[128] = {};
};

char g_serverAddress[256];
} // namespace

PENDREL_SCRIPT_CLASS(DataPacker, "DataPacker");
PENDREL_SCRIPT_CLASS(NetDragonInfoUnCompressed, "NetDragonInfoUnCompressed");
PENDREL_SCRIPT_CLASS(ParentDamageStruct, "ParentDamageStruct");
PENDREL_SCRIPT_CLASS(CSteamLeaderboards, "SteamLeaderboards");
PENDREL_SCRIPT_CLASS(SteamLeaderboardEntry, "SteamLeaderboardEntry");

namespace
{
template <class T> SQInteger Construct(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<T>(vm) ? 0 : sq_throwerror(vm, "the instance holds no native object");
}

// DataPacker -----------------------------------------------------------------

SQInteger DataPacker_SetToBegin(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    if (!packer)
        return SQ_ERROR;
    packer->SetBitPos(0);
    return 0;
}

SQInteger DataPacker_PackBool(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    bool value = false;
    if (!packer)
        return SQ_ERROR;
    if (!ScriptArgBool(vm, 2, value))
        return ScriptBadArgument(vm);
    packer->WriteBit(value ? 1 : 0);
    return 0;
}

SQInteger DataPacker_UnPackBool(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    return packer ? ScriptReturnBool(vm, packer->ReadBit() != 0) : SQ_ERROR;
}

SQInteger DataPacker_PackInt(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    int value = 0;
    if (!packer)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, value))
        return ScriptBadArgument(vm);
    packer->WriteInt(value);
    return 0;
}

SQInteger DataPacker_UnPackInt(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    return packer ? ScriptReturnInt(vm, packer->ReadInt()) : SQ_ERROR;
}

SQInteger DataPacker_PackFloat(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    float value = 0.0f;
    if (!packer)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, value))
        return ScriptBadArgument(vm);
    packer->WriteFloat(value);
    return 0;
}

SQInteger DataPacker_UnPackFloat(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    return packer ? ScriptReturnFloat(vm, packer->ReadFloat()) : SQ_ERROR;
}

SQInteger DataPacker_PackVec3(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    const Vec3* value = ScriptCheckInstance<Vec3>(vm, 2);
    if (!packer)
        return SQ_ERROR;
    if (!value)
        return ScriptBadArgument(vm);
    packer->WriteVec3(*value);
    return 0;
}

SQInteger DataPacker_UnPackVec3(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    Vec3* value = ScriptCheckInstance<Vec3>(vm, 2);
    if (!packer)
        return SQ_ERROR;
    if (!value)
        return ScriptBadArgument(vm);
    packer->ReadVec3(*value);
    return 0;
}

SQInteger DataPacker_PackVec3Quarn(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    const Vec3* value = ScriptCheckInstance<Vec3>(vm, 2);
    if (!packer)
        return SQ_ERROR;
    if (!value)
        return ScriptBadArgument(vm);
    uint8_t bytes[4];
    const uint32_t packed = PackVec3Quarn(*value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(packed >> (8 * i));
    packer->WriteBytes(bytes, 4);
    return 0;
}

SQInteger DataPacker_UnPackVec3Quarn(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    Vec3* value = ScriptCheckInstance<Vec3>(vm, 2);
    if (!packer)
        return SQ_ERROR;
    if (!value)
        return ScriptBadArgument(vm);
    uint8_t bytes[4] = {};
    packer->ReadBytes(bytes, 4);
    UnpackVec3Quarn(static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                        (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24),
                    *value);
    return 0;
}

SQInteger DataPacker_PackString(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    const char* text = nullptr;
    if (!packer)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    packer->WriteString(text);
    return 0;
}

SQInteger DataPacker_UnPackString(HSQUIRRELVM vm)
{
    DataPacker* packer = ScriptCheckThis<DataPacker>(vm);
    if (!packer)
        return SQ_ERROR;
    char text[DataPacker::kMaxStringLength + 1] = {};
    packer->ReadString(text);
    return ScriptReturnString(vm, text);
}

// The packed records -----------------------------------------------------------

template <class Record> SQInteger Record_PackToNetwork(HSQUIRRELVM vm)
{
    Record* record = ScriptCheckThis<Record>(vm);
    if (!record)
        return SQ_ERROR;
    if (DataPacker* packer = ScriptSendPacker())
        record->PackToNetwork(*packer);
    return 0;
}

template <class Record> SQInteger Record_UnPackFromNetwork(HSQUIRRELVM vm)
{
    Record* record = ScriptCheckThis<Record>(vm);
    if (!record)
        return SQ_ERROR;
    if (DataPacker* packer = ScriptReceivePacker())
        record->UnPackFromNetwork(*packer);
    return 0;
}

// Leaderboards -------------------------------------------------------------------

SQInteger SteamLeaderboards_FindLeaderboard(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    const char* name = nullptr;
    if (!boards)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    boards->FindLeaderboard(name);
    return 0;
}

SQInteger SteamLeaderboards_UpdateLeaderboard(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    if (!boards)
        return SQ_ERROR;
    boards->UpdateLeaderboard();
    return 0;
}

SQInteger SteamLeaderboards_UploadScore(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    int score = 0;
    const char* name = nullptr;
    if (!boards)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, score) || !ScriptArgString(vm, 3, name))
        return ScriptBadArgument(vm);
    boards->UploadScore(name, score);
    return 0;
}

SQInteger SteamLeaderboards_DownloadGlobalScores(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    int start = 0;
    int count = 0;
    if (!boards)
        return SQ_ERROR;
    if (!ScriptArgTwoInts(vm, start, count))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, boards->DownloadGlobalScores(start, count));
}

SQInteger SteamLeaderboards_DownloadMyScores(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    int before = 0;
    int after = 0;
    if (!boards)
        return SQ_ERROR;
    if (!ScriptArgTwoInts(vm, before, after))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, boards->DownloadMyScores(before, after));
}

SQInteger SteamLeaderboards_DownloadMyFriendsScores(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    return boards ? ScriptReturnBool(vm, boards->DownloadMyFriendsScores()) : SQ_ERROR;
}

using RowGetter = bool (CSteamLeaderboards::*)(int, LeaderboardRow&) const;

template <RowGetter getter> SQInteger SteamLeaderboards_GetScores(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    int index = 0;
    SteamLeaderboardEntry* entry = ScriptCheckInstance<SteamLeaderboardEntry>(vm, 3);
    if (!boards)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, index) || !entry)
        return ScriptBadArgument(vm);
    LeaderboardRow row;
    if (!(boards->*getter)(index, row))
        return ScriptReturnBool(vm, false);
    entry->GlobalRank = row.rank;
    entry->Score = row.score;
    snprintf(entry->name, sizeof entry->name, "%s", row.name);
    return ScriptReturnBool(vm, true);
}

SQInteger SteamLeaderboards_IsDownloadScoresDone(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    int kind = 0;
    if (!boards)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, kind))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, boards->IsDownloadScoresDone(kind));
}

SQInteger SteamLeaderboards_GetTotalNumberOfScore(HSQUIRRELVM vm)
{
    CSteamLeaderboards* boards = ScriptCheckThis<CSteamLeaderboards>(vm);
    return boards ? ScriptReturnInt(vm, boards->GetTotalNumberOfScore()) : SQ_ERROR;
}

SQInteger SteamLeaderboardEntry_GetString(HSQUIRRELVM vm)
{
    SteamLeaderboardEntry* entry = ScriptCheckThis<SteamLeaderboardEntry>(vm);
    return entry ? ScriptReturnString(vm, entry->name) : SQ_ERROR;
}

size_t DownloadedCountOffset()
{
    static const size_t offset = [] {
        static CSteamLeaderboards probe;
        return static_cast<size_t>(reinterpret_cast<const char*>(&probe.DownloadedCountField()) -
                                   reinterpret_cast<const char*>(&probe));
    }();
    return offset;
}

// Globals ------------------------------------------------------------------------

SQInteger AnswerTrue(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, true);
}

SQInteger AnswerFalse(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, false);
}

SQInteger AnswerZero(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, 0);
}

SQInteger DoNothing(HSQUIRRELVM)
{
    return 0;
}

SQInteger SpecifyServerIP(HSQUIRRELVM vm)
{
    const char* address = nullptr;
    if (!ScriptArgString(vm, 2, address))
        return ScriptBadArgument(vm);
    snprintf(g_serverAddress, sizeof g_serverAddress, "%s", address);
    return 0;
}

SQInteger UpdateFriendInfo(HSQUIRRELVM)
{
    GetMatchingService().UpdateFriendInfo();
    return 0;
}

SQInteger IsFriendInfoUpdated(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, GetMatchingService().IsFriendInfoUpdated());
}

SQInteger GetFriendCount(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, GetMatchingService().GetFriendCount());
}

SQInteger GetFriendName(HSQUIRRELVM vm)
{
    int n = 0;
    if (!ScriptArgInt(vm, 2, n))
        return ScriptBadArgument(vm);
    return ScriptReturnString(vm, GetMatchingService().GetFriendName(n));
}

SQInteger SendInvitationToFriend(HSQUIRRELVM vm)
{
    int n = 0;
    if (!ScriptArgInt(vm, 2, n))
        return ScriptBadArgument(vm);
    GetMatchingService().SendInvitationToFriend(n);
    return 0;
}

SQInteger MakeMyGame(HSQUIRRELVM)
{
    ConnectionMaker& maker = GetConnectionMaker();
    maker.SetMaxNodes(4);
    maker.SetAsParent(true);
    GetMatchingService().MakeMyGame();
    return 0;
}

SQInteger IsMyGameCreated(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, GetMatchingService().IsMyGameCreated());
}

template <void (MatchingService::*setter)(int)> SQInteger SetInt(HSQUIRRELVM vm)
{
    int value = 0;
    if (!ScriptArgInt(vm, 2, value))
        return ScriptBadArgument(vm);
    (GetMatchingService().*setter)(value);
    return 0;
}

SQInteger SetPrivateGame(HSQUIRRELVM vm)
{
    bool value = false;
    if (!ScriptArgBool(vm, 2, value))
        return ScriptBadArgument(vm);
    GetMatchingService().SetPrivateGame(value);
    return 0;
}

template <void (MatchingService::*action)()> SQInteger Act(HSQUIRRELVM)
{
    (GetMatchingService().*action)();
    return 0;
}

SQInteger GetAvailableGameCount(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, GetMatchingService().GetAvailableGameCount());
}

SQInteger HasJoinedGame(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, GetMatchingService().HasJoinedGame());
}

SQInteger GetGameType(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, GetMatchingService().GetGameType());
}

SQInteger GetMap(HSQUIRRELVM vm)
{
    return ScriptReturnString(vm, GetMatchingService().GetMap());
}

SQInteger GetNameFromNetID(HSQUIRRELVM vm)
{
    int id = 0;
    if (!ScriptArgInt(vm, 2, id))
        return ScriptBadArgument(vm);
    return ScriptReturnString(vm, GetMatchingService().GetNameFromNetID(id));
}

SQInteger SetBootableInviteCallbacks(HSQUIRRELVM vm)
{
    const char* canJoin = nullptr;
    const char* join = nullptr;
    if (!ScriptArgString(vm, 2, canJoin) || !ScriptArgString(vm, 3, join))
        return ScriptBadArgument(vm);
    GetMatchingService().SetBootableInviteCallbacks(canJoin, join);
    return 0;
}

SQInteger SetStartOverErrorCallback(HSQUIRRELVM vm)
{
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    GetMatchingService().SetStartOverErrorCallback(name);
    return 0;
}

SQInteger IamInGame(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, GetConnectionMaker().GetGameNodeCount() >= 1);
}

SQInteger IamParent(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, GetConnectionMaker().IsParent());
}

SQInteger GetGameNodeCount(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, GetConnectionMaker().GetGameNodeCount());
}

SQInteger IsNThNodeValid(HSQUIRRELVM vm)
{
    int n = 0;
    if (!ScriptArgInt(vm, 2, n))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, GetConnectionMaker().IsNthNodeValid(n));
}

SQInteger GetNThNodeNetID(HSQUIRRELVM vm)
{
    int n = 0;
    if (!ScriptArgInt(vm, 2, n))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, GetConnectionMaker().GetNthNodeNetID(n));
}

SQInteger GetMyNetID(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, GetConnectionMaker().GetMyNetID());
}

SQInteger SendToNodeWithNetID(HSQUIRRELVM vm)
{
    int id = 0;
    bool flag = false;
    DataPacker* packer = ScriptCheckInstance<DataPacker>(vm, 3);
    if (!ScriptArgInt(vm, 2, id) || !packer || !ScriptArgBool(vm, 4, flag))
        return ScriptBadArgument(vm);
    if (packer->Buffer())
        GetConnectionMaker().SendToNodeWithNetID(id, packer->Buffer(), packer->ByteSize(), flag);
    return 0;
}

SQInteger QuitGame(HSQUIRRELVM)
{
    GetConnectionMaker().QuitGame();
    return 0;
}

SQInteger ClearStepUpdater(HSQUIRRELVM)
{
    GetConnectionMaker().ClearStepUpdater();
    return 0;
}

SQInteger SetStepDelta(HSQUIRRELVM vm)
{
    float stepDelta = 0.0f;
    float scriptStepDelta = 0.0f;
    if (!ScriptArgFloat(vm, 2, stepDelta) || !ScriptArgFloat(vm, 3, scriptStepDelta))
        return ScriptBadArgument(vm);
    GetConnectionMaker().SetStepDelta(stepDelta, scriptStepDelta);
    return 0;
}

SQInteger OnStepNumber(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, GetConnectionMaker().OnStepNumber());
}

SQInteger ResetConnections(HSQUIRRELVM)
{
    GetConnectionMaker().ResetConnections();
    return 0;
}

SQInteger RestartNetworking(HSQUIRRELVM)
{
    GetConnectionMaker().ResetConnections();
    NetworkCommunicator::Close();
    NetworkCommunicator::Init();
    GetMatchingService().LeaveGame();
    return 0;
}

// The packers stay referenced from the registry while they are attached, so
// a script that drops its own references leaves no dangling packer behind.
void KeepReferenced(HSQUIRRELVM vm, const char* key, SQInteger index)
{
    const SQInteger object = sq_gettop(vm) >= index ? index : 0;
    sq_pushregistrytable(vm);
    sq_pushstring(vm, key, -1);
    if (object)
        sq_push(vm, object);
    else
        sq_pushnull(vm);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
}

SQInteger ScriptSetSendRecvDataPackers(HSQUIRRELVM vm)
{
    DataPacker* send = ScriptCheckInstance<DataPacker>(vm, 2);
    DataPacker* receive = ScriptCheckInstance<DataPacker>(vm, 3);
    if (!send)
        return SQ_ERROR;
    if (!receive)
        return ScriptBadArgument(vm);
    KeepReferenced(vm, "pendrel.sendpacker", 2);
    KeepReferenced(vm, "pendrel.receivepacker", 3);
    ScriptPacketAttach(send, receive);
    receive->Attach(ScriptPacketBuffer(), kScriptPacketBytes);
    return 0;
}

SQInteger NetworkInit(HSQUIRRELVM)
{
    NetworkCommunicator::Init();
    return 0;
}

SQInteger NetworkClose(HSQUIRRELVM)
{
    NetworkCommunicator::Close();
    return 0;
}

SQInteger IsNetworkingInitialized(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, NetworkCommunicator::IsInitialised());
}

SQInteger Steam_SetAchievement(HSQUIRRELVM vm)
{
    int id = 0;
    if (!ScriptArgInt(vm, 2, id))
        return ScriptBadArgument(vm);
    SteamSetAchievement(id);
    return 0;
}

SQInteger Steam_IsAchievementUnlocked(HSQUIRRELVM vm)
{
    int id = 0;
    if (!ScriptArgInt(vm, 2, id))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, SteamIsAchievementUnlocked(id));
}

SQInteger Steam_SetStat(HSQUIRRELVM vm)
{
    int id = 0;
    int value = 0;
    if (!ScriptArgTwoInts(vm, id, value))
        return ScriptBadArgument(vm);
    SteamSetStat(id, value);
    return 0;
}

SQInteger Steam_GetStat(HSQUIRRELVM vm)
{
    int id = 0;
    if (!ScriptArgInt(vm, 2, id))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, SteamGetStat(id));
}

struct GlobalNative
{
    const char* name;
    SQFUNCTION function;
    const char* mask;
};

const GlobalNative kGlobals[] = {
    {"MatchingService_Connect", AnswerTrue, nullptr},
    {"MatchingService_IsConnected", AnswerTrue, nullptr},
    {"MatchingService_IsChatRestricted", AnswerTrue, nullptr},
    {"MatchingService_DisConnect", DoNothing, nullptr},
    {"MatchingService_PrintDebugInfo", DoNothing, nullptr},
    {"MatchingService_CheckMailbox", DoNothing, nullptr},
    {"MatchingService_ClearInviteFlag", DoNothing, nullptr},
    {"MatchingService_SetMap", DoNothing, nullptr},
    {"MatchingService_MutePlayerWithNetID", DoNothing, nullptr},
    {"MatchingService_UnmutePlayerWithNetID", DoNothing, nullptr},
    {"MatchingService_WasGameBootedFromInvite", AnswerFalse, nullptr},
    {"MatchingService_IsOnlineRestricted", AnswerFalse, nullptr},
    {"MatchingService_GetUserAge", AnswerZero, nullptr},
    {"MatchingService_SpecifyServerIP", SpecifyServerIP, nullptr},
    {"MatchingService_UpdateFriendInfo", UpdateFriendInfo, nullptr},
    {"MatchingService_IsFriendInfoUpdated", IsFriendInfoUpdated, nullptr},
    {"MatchingService_GetFriendCount", GetFriendCount, nullptr},
    {"MatchingService_GetFriendName", GetFriendName, nullptr},
    {"MatchingService_SendInvitiationToFriend", SendInvitationToFriend, nullptr},
    {"MatchingService_MakeMyGame", MakeMyGame, nullptr},
    {"MatchingService_IsMyGameCreated", IsMyGameCreated, nullptr},
    {"MatchingService_SetGameType", SetInt<&MatchingService::SetGameType>, nullptr},
    {"MatchingService_SetPrivateGame", SetPrivateGame, nullptr},
    {"MatchingService_SetOpenSlots", SetInt<&MatchingService::SetOpenSlots>, nullptr},
    {"MatchingService_SetMaxSlots", SetInt<&MatchingService::SetMaxSlots>, nullptr},
    {"MatchingService_RemoveMyGame", Act<&MatchingService::RemoveMyGame>, nullptr},
    {"MatchingService_OnGameStart", Act<&MatchingService::OnGameStart>, nullptr},
    {"MatchingService_AfterGameReopen", Act<&MatchingService::AfterGameReopen>, nullptr},
    {"MatchingService_LeaveGame", Act<&MatchingService::LeaveGame>, nullptr},
    {"MatchingService_AskForGames", SetInt<&MatchingService::AskForGames>, nullptr},
    {"MatchingService_GetAvailableGameCount", GetAvailableGameCount, nullptr},
    {"MatchingService_JoinNthGame", SetInt<&MatchingService::JoinNthGame>, ".n"},
    {"MatchingService_HasJoinedGame", HasJoinedGame, nullptr},
    {"MatchingService_GetGameType", GetGameType, nullptr},
    {"MatchingService_GetMap", GetMap, nullptr},
    {"MatchingService_GetNameFromNetID", GetNameFromNetID, nullptr},
    {"MatchingService_JoinGameFromInvite", Act<&MatchingService::JoinGameFromInvite>, nullptr},
    {"MatchingService_SetBootableInviteCallbacks", SetBootableInviteCallbacks, nullptr},
    {"MatchingService_SetStartOverErrorCallback", SetStartOverErrorCallback, nullptr},
    {"MatchingServiceSteam_BringUpInviteDialog", Act<&MatchingService::BringUpInviteDialog>, nullptr},
    {"ConnectionMaker_IamInGame", IamInGame, nullptr},
    {"ConnectionMaker_IamParent", IamParent, nullptr},
    {"ConnectionMaker_GetGameNodeCount", GetGameNodeCount, nullptr},
    {"ConnectionMaker_IsNThNodeValid", IsNThNodeValid, ".n"},
    {"ConnectionMaker_GetNThNodeNetID", GetNThNodeNetID, ".n"},
    {"ConnectionMaker_GetMyNetID", GetMyNetID, nullptr},
    {"ConnectionMaker_GetParentNetID", AnswerZero, nullptr},
    {"ConnectionMaker_GameBeginNoMoreJoining", DoNothing, nullptr},
    {"ConnectionMaker_ScriptReleaseSendRecvDataPackers", DoNothing, nullptr},
    {"ConnectionMaker_SendToNodeWithNetID", SendToNodeWithNetID, ".nxb"},
    {"ConnectionMaker_QuitGame", QuitGame, nullptr},
    {"ConnectionMaker_ClearStepUpdater", ClearStepUpdater, nullptr},
    {"ConnectionMaker_SetStepDelta", SetStepDelta, nullptr},
    {"ConnectionMaker_OnStepNumber", OnStepNumber, nullptr},
    {"ConnectionMaker_ResetConnections", ResetConnections, nullptr},
    {"RestartNetworking", RestartNetworking, nullptr},
    {"ConnectionMaker_ScriptSetSendRecvDataPackers", ScriptSetSendRecvDataPackers, ".xx"},
    {"NetworkCommunicator_Init", NetworkInit, nullptr},
    {"NetworkCommunicator_Close", NetworkClose, nullptr},
    {"NetworkCommunicator_IsNetworkingInitialized", IsNetworkingInitialized, nullptr},
    {"Steam_SetAchievement", Steam_SetAchievement, ".i"},
    {"Steam_IsAchievementUnlocked", Steam_IsAchievementUnlocked, ".i"},
    {"Steam_SetStat", Steam_SetStat, ".ii"},
    {"Steam_GetStat", Steam_GetStat, ".i"},
    {"QUARNHACKcellSysutilCheckCallback", DoNothing, nullptr},
};

void RegisterClasses(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "DataPacker", sizeof(DataPacker), nullptr, Construct<DataPacker>)
        .AddMethod("SetToBegin", DataPacker_SetToBegin, "x")
        .AddMethod("PackBool", DataPacker_PackBool, "xb")
        .AddMethod("UnPackBool", DataPacker_UnPackBool, "x")
        .AddMethod("PackInt", DataPacker_PackInt, "xi")
        .AddMethod("UnPackInt", DataPacker_UnPackInt, "x")
        .AddMethod("PackIntQuarnNetID", DataPacker_PackInt, "xi")
        .AddMethod("UnPackIntQuarnNetID", DataPacker_UnPackInt, "x")
        .AddMethod("PackFloat", DataPacker_PackFloat, "xf")
        .AddMethod("UnPackFloat", DataPacker_UnPackFloat, "x")
        .AddMethod("PackVec3", DataPacker_PackVec3, "xx")
        .AddMethod("UnPackVec3", DataPacker_UnPackVec3, "xx")
        .AddMethod("PackVec3Quarn", DataPacker_PackVec3Quarn, "xx")
        .AddMethod("UnPackVec3Quarn", DataPacker_UnPackVec3Quarn, "xx")
        .AddMethod("PackString", DataPacker_PackString, "xs")
        .AddMethod("UnPackString", DataPacker_UnPackString, "x");

    static const ScriptVarDesc kDragonMembers[] = {
        ScriptVarMember("controlerIndex", kScriptVarInt, offsetof(NetDragonInfoUnCompressed, controlerIndex)),
        ScriptVarMember("posX", kScriptVarFloat, offsetof(NetDragonInfoUnCompressed, posX)),
        ScriptVarMember("posZ", kScriptVarFloat, offsetof(NetDragonInfoUnCompressed, posZ)),
        ScriptVarMember("angle", kScriptVarFloat, offsetof(NetDragonInfoUnCompressed, angle)),
        ScriptVarMember("bBREATHING", kScriptVarInt, offsetof(NetDragonInfoUnCompressed, bBREATHING)),
        ScriptVarMember("breathRatio", kScriptVarFloat, offsetof(NetDragonInfoUnCompressed, breathRatio)),
        ScriptVarEnd()};
    ScriptBindClass(handle, vm, "NetDragonInfoUnCompressed", sizeof(NetDragonInfoUnCompressed), kDragonMembers,
                    Construct<NetDragonInfoUnCompressed>)
        .AddMethod("PackToNetwork", Record_PackToNetwork<NetDragonInfoUnCompressed>, "x")
        .AddMethod("UnPackFromNetwork", Record_UnPackFromNetwork<NetDragonInfoUnCompressed>, "x");

    static const ScriptVarDesc kDamageMembers[] = {
        ScriptVarMember("weapon", kScriptVarInt, offsetof(ParentDamageStruct, weapon)),
        ScriptVarMember("attackernetid", kScriptVarInt, offsetof(ParentDamageStruct, attackernetid)),
        ScriptVarMember("washitnetid", kScriptVarInt, offsetof(ParentDamageStruct, washitnetid)),
        ScriptVarMember("newhp", kScriptVarFloat, offsetof(ParentDamageStruct, newhp)),
        ScriptVarEnd()};
    ScriptBindClass(handle, vm, "ParentDamageStruct", sizeof(ParentDamageStruct), kDamageMembers,
                    Construct<ParentDamageStruct>)
        .AddMethod("PackToNetwork", Record_PackToNetwork<ParentDamageStruct>, "x")
        .AddMethod("UnPackFromNetwork", Record_UnPackFromNetwork<ParentDamageStruct>, "x");

    static const ScriptVarDesc kBoardMembers[] = {
        ScriptVarMember("nLeaderboardEntries", kScriptVarInt, DownloadedCountOffset()), ScriptVarEnd()};
    ScriptBindClass(handle, vm, "SteamLeaderboards", sizeof(CSteamLeaderboards), kBoardMembers,
                    Construct<CSteamLeaderboards>)
        .AddMethod("FindLeaderboard", SteamLeaderboards_FindLeaderboard, "xs")
        .AddMethod("UpdateLeaderboard", SteamLeaderboards_UpdateLeaderboard, "x")
        .AddMethod("UploadScore", SteamLeaderboards_UploadScore, "xis")
        .AddMethod("DownloadGlobalScores", SteamLeaderboards_DownloadGlobalScores, "xii")
        .AddMethod("DownloadMyScores", SteamLeaderboards_DownloadMyScores, "xii")
        .AddMethod("DownloadMyFriendsScores", SteamLeaderboards_DownloadMyFriendsScores, "x")
        .AddMethod("GetGlobalScores", SteamLeaderboards_GetScores<&CSteamLeaderboards::GetGlobalScores>, "xix")
        .AddMethod("GetMyScore", SteamLeaderboards_GetScores<&CSteamLeaderboards::GetMyScore>, "xix")
        .AddMethod("GetMyFriendsScores", SteamLeaderboards_GetScores<&CSteamLeaderboards::GetMyFriendsScores>,
                   "xix")
        .AddMethod("IsDownloadScoresDone", SteamLeaderboards_IsDownloadScoresDone, "xi")
        .AddMethod("GetTotalNumberOfScore", SteamLeaderboards_GetTotalNumberOfScore, "x");

    static const ScriptVarDesc kEntryMembers[] = {
        ScriptVarMember("GlobalRank", kScriptVarInt, offsetof(SteamLeaderboardEntry, GlobalRank)),
        ScriptVarMember("Score", kScriptVarInt, offsetof(SteamLeaderboardEntry, Score)), ScriptVarEnd()};
    ScriptBindClass(handle, vm, "SteamLeaderboardEntry", sizeof(SteamLeaderboardEntry), kEntryMembers,
                    Construct<SteamLeaderboardEntry>)
        .AddMethod("GetString", SteamLeaderboardEntry_GetString, "x");
}
} // namespace

void RegisterNetScriptAPI(HSQUIRRELVM vm)
{
    RegisterClasses(vm);
    for (const GlobalNative& global : kGlobals)
        ScriptBindGlobalFunction(vm, global.name, global.function, global.mask);
}

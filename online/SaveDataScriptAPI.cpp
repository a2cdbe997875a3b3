#include "online/SaveDataScriptAPI.h"

#include "online/LeaderboardFacade.h"
#include "online/SaveLoadFunctions.h"
#include "script/ScriptArguments.h"

PENDREL_SCRIPT_CLASS(composer, "composer");
PENDREL_SCRIPT_CLASS(SaveLoadFunctions, "SaveLoadFunctions");

namespace
{
SQInteger composer_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<composer>(vm) ? 0 : sq_throwerror(vm, "composer: the instance holds no composer");
}

SQInteger composer_Init(HSQUIRRELVM vm)
{
    composer* text = ScriptCheckThis<composer>(vm);
    int size = 0;
    if (!text)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, size))
        return ScriptBadArgument(vm);
    text->Init(size);
    return 0;
}

// The two integers the script passes between the texts are not used.
SQInteger composer_AddToken(HSQUIRRELVM vm)
{
    composer* text = ScriptCheckThis<composer>(vm);
    const char* key = nullptr;
    const char* value = nullptr;
    if (!text)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, key) || !ScriptArgString(vm, 4, value))
        return ScriptBadArgument(vm);
    text->AddToken(key, value);
    return 0;
}

SQInteger SaveLoadFunctions_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<SaveLoadFunctions>(vm) ? 0
                                                         : sq_throwerror(vm, "SaveLoadFunctions: no native object");
}

SQInteger SaveLoadFunctions_WriteToFile(HSQUIRRELVM vm)
{
    SaveLoadFunctions* saver = ScriptCheckThis<SaveLoadFunctions>(vm);
    composer* text = nullptr;
    const char* name = nullptr;
    bool toCloud = false;
    if (!saver)
        return SQ_ERROR;
    if (!ScriptCheckInstance(vm, 2, text))
        return SQ_ERROR;
    if (!ScriptArgString(vm, 3, name) || !ScriptArgBool(vm, 4, toCloud))
        return ScriptBadArgument(vm);
    saver->WriteToFile(*text, name, toCloud);
    return 0;
}

SQInteger SaveLoadFunctions_AnswerOne(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, 1);
}

SQInteger SaveLoadFunctions_IsFinishedLoading(HSQUIRRELVM vm)
{
    SaveLoadFunctions* loader = ScriptCheckThis<SaveLoadFunctions>(vm);
    return loader ? ScriptReturnInt(vm, loader->IsFinishedLoading()) : SQ_ERROR;
}

SQInteger SaveLoadFunctions_SetupFileAndInitParser(HSQUIRRELVM vm)
{
    SaveLoadFunctions* loader = ScriptCheckThis<SaveLoadFunctions>(vm);
    const char* name = nullptr;
    bool fromCloud = false;
    if (!loader)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, name) || !ScriptArgBool(vm, 3, fromCloud))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, loader->SetupFileAndInitParser(name, fromCloud));
}

SQInteger SaveLoadFunctions_GetToken(HSQUIRRELVM vm)
{
    SaveLoadFunctions* loader = ScriptCheckThis<SaveLoadFunctions>(vm);
    return loader ? ScriptReturnString(vm, loader->GetToken()) : SQ_ERROR;
}

SQInteger SaveLoadFunctions_CleanUpParser(HSQUIRRELVM vm)
{
    SaveLoadFunctions* loader = ScriptCheckThis<SaveLoadFunctions>(vm);
    if (!loader)
        return SQ_ERROR;
    loader->CleanUpParser();
    return 0;
}

SQInteger SetUpLeaderBoardsSystem(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, LeaderboardsSetUp());
}

SQInteger CheckIfOnline(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, LeaderboardsCheckIfOnline());
}

SQInteger FinishLeaderboardsSetup(HSQUIRRELVM)
{
    LeaderboardsCreate();
    return 0;
}

SQInteger CleanUpLeaderBoards(HSQUIRRELVM)
{
    LeaderboardsCleanUp();
    return 0;
}

SQInteger RecordScore(HSQUIRRELVM vm)
{
    int level = 0;
    int score = 0;
    if (!ScriptArgTwoInts(vm, level, score))
        return ScriptBadArgument(vm);
    LeaderboardsRecordScore(score, level);
    return 0;
}

SQInteger WaitingForAnsycToFinish(HSQUIRRELVM vm)
{
    int mode = 0;
    if (!ScriptArgInt(vm, 2, mode))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, LeaderboardsWaitForAsync(mode));
}

// The loader's composer is a member the script reaches as m_composer.
intptr_t ComposerOffset()
{
    static const SaveLoadFunctions probe;
    return reinterpret_cast<const char*>(&probe.m_composer) - reinterpret_cast<const char*>(&probe);
}
} // namespace

void RegisterSaveDataScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "composer", sizeof(composer), nullptr, composer_constructor)
        .AddMethod("Init", composer_Init)
        .AddMethod("AddToken", composer_AddToken);
    static const ScriptVarDesc kLoaderMembers[] = {
        ScriptVarNested("m_composer", kScriptVarEmbedded, "composer", static_cast<size_t>(ComposerOffset())),
        ScriptVarEnd()};
    ScriptBindClass(handle, vm, "SaveLoadFunctions", sizeof(SaveLoadFunctions), kLoaderMembers,
                    SaveLoadFunctions_constructor)
        .AddMethod("WriteToFile", SaveLoadFunctions_WriteToFile)
        .AddMethod("IsStillSave", SaveLoadFunctions_AnswerOne)
        .AddMethod("StartLoading", SaveLoadFunctions_AnswerOne)
        .AddMethod("IsFinishedLoading", SaveLoadFunctions_IsFinishedLoading)
        .AddMethod("SetupFileAndInitParser", SaveLoadFunctions_SetupFileAndInitParser)
        .AddMethod("GetToken", SaveLoadFunctions_GetToken)
        .AddMethod("CleanUpParser", SaveLoadFunctions_CleanUpParser);
    ScriptBindGlobalFunction(vm, "SetUpLeaderBoardsSystem", SetUpLeaderBoardsSystem);
    ScriptBindGlobalFunction(vm, "CheckIfOnline", CheckIfOnline);
    ScriptBindGlobalFunction(vm, "FinishLeaderboardsSetup", FinishLeaderboardsSetup);
    ScriptBindGlobalFunction(vm, "CleanUpLeaderBoards", CleanUpLeaderBoards);
    ScriptBindGlobalFunction(vm, "RecordScore", RecordScore);
    ScriptBindGlobalFunction(vm, "WaitingForAnsycToFinish", WaitingForAnsycToFinish);
}

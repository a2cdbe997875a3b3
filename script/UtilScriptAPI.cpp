#include "script/UtilScriptAPI.h"

#include "core/Clock.h"
#include "core/FileTable.h"
#include "core/GameTimer.h"
#include "core/RealTimer.h"
#include "core/StringKeeper.h"
#include "core/Vec2.h"
#include "core/Vec3.h"
#include "platform/InputMap.h"
#include "platform/MessageBox.h"
#include "platform/UserLocale.h"
#include "script/ScriptArguments.h"
#include "script/ScriptMethodRow.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <limits>

PENDREL_SCRIPT_CLASS(InputMap, "InputMap");
PENDREL_SCRIPT_CLASS(InputCommand, "InputCommand");
PENDREL_SCRIPT_CLASS(GameTimer, "GameTimer");
PENDREL_SCRIPT_CLASS(RealTimer, "RealTimer");

namespace
{
PersonaNameHook g_personaNameHook = nullptr;

constexpr int kUserNameSize = 256;

// ---- constants

const ScriptVarDesc kInputMapEnumConstants[] = {
    ScriptVarConstantValue("ANALOG_STICK_LEFT", ANALOG_STICK_LEFT),
    ScriptVarConstantValue("ANALOG_STICK_RIGHT", ANALOG_STICK_RIGHT),
    ScriptVarConstantValue("ANALOG_STICK_DPAD", ANALOG_STICK_DPAD),
    ScriptVarConstantValue("USER_0", 0),
    ScriptVarConstantValue("USER_1", 1),
    ScriptVarConstantValue("USER_2", 2),
    ScriptVarConstantValue("USER_3", 3),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_KEY", INPUT_COMMAND_TYPE_KEY),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_KEY_ASCII", INPUT_COMMAND_TYPE_KEY_ASCII),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_CURSOR", INPUT_COMMAND_TYPE_CURSOR),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_CURSOR_DELTA", INPUT_COMMAND_TYPE_CURSOR_DELTA),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_BUTTON", INPUT_COMMAND_TYPE_BUTTON),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_ANALOG_STICK", INPUT_COMMAND_TYPE_ANALOG_STICK),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_MOTION_CONTROLLER", INPUT_COMMAND_TYPE_MOTION_CONTROLLER),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_DPAD", INPUT_COMMAND_TYPE_DPAD),
    ScriptVarConstantValue("INPUT_COMMAND_TYPE_NONE", INPUT_COMMAND_TYPE_NONE),
    ScriptVarConstantValue("NONE", INPUT_COMMAND_CONDITION_NONE),
    ScriptVarConstantValue("INPUT_COMMAND_CONDITION_IS_DOWN", INPUT_COMMAND_CONDITION_IS_DOWN),
    ScriptVarConstantValue("INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN", INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN),
    ScriptVarConstantValue("INPUT_COMMAND_CONDITION_IS_NEWLY_UP", INPUT_COMMAND_CONDITION_IS_NEWLY_UP),
    ScriptVarConstantValue("BAR_TYPE_REGULAR", 0),
    ScriptVarConstantValue("BAR_TYPE_STRING", 1),
    ScriptVarConstantValue("BAR_TYPE_PICTURE", 2),
    ScriptVarEnd(),
};

// ---- UTIL

// The pattern is the last argument; without one every entry matches.
SQInteger UTIL_FileTable(HSQUIRRELVM vm)
{
    const char* pattern = nullptr;
    const SQInteger top = sq_gettop(vm);
    if (top >= 2 && !ScriptArgString(vm, top, pattern))
        return ScriptBadArgument(vm);
    sq_newtable(vm);
    FileTableIterator it;
    for (it.Begin(pattern); it.NotEqual(FileTableEnd()); it.Next())
    {
        sq_pushstring(vm, it.Name(), -1);
        sq_pushstring(vm, it.Name(), -1);
        sq_newslot(vm, -3, SQFalse);
    }
    return 1;
}

// ---- InputCommand and InputMap

SQInteger InputCommand_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<InputCommand>(vm) ? 0 : sq_throwerror(vm, "the instance holds no native object");
}

const ScriptVarDesc kInputCommandMembers[] = {
    ScriptVarMember("UserIndex", kScriptVarInt, offsetof(InputCommand, userIndex)),
    ScriptVarMember("InputCommandType", kScriptVarInt, offsetof(InputCommand, type)),
    ScriptVarMember("InputCommandCondition", kScriptVarInt, offsetof(InputCommand, condition)),
    ScriptVarMember("Data", kScriptVarInt, offsetof(InputCommand, data)),
    ScriptVarEnd(),
};

SQInteger InputMap_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<InputMap>(vm) ? 0 : sq_throwerror(vm, "the instance holds no native object");
}

// this and the command id at index 2.
bool MapAndId(HSQUIRRELVM vm, InputMap*& map, int& id)
{
    return ScriptCheckInstance(vm, 1, map) && ScriptArgInt(vm, 2, id);
}

SQInteger InputMap_GetIsInputCommandConditionExecuted(HSQUIRRELVM vm)
{
    InputMap* map = nullptr;
    int id = 0;
    if (!MapAndId(vm, map, id))
        return SQ_ERROR;
    return ScriptReturnInt(vm, map->GetIsInputCommandConditionExecuted(id) ? 1 : 0);
}

// ---- GameTimer and RealTimer

// An optional channel: 0 the game's fixed step, 1 the effects step.
SQInteger GameTimer_constructor(HSQUIRRELVM vm)
{
    int channel = 0;
    if (sq_gettop(vm) >= 2 && !ScriptArgInt(vm, 2, channel))
        return ScriptBadArgument(vm);
    if (channel < 0 || channel >= kGameTimeChannels)
        return sq_throwerror(vm, "no such game-time channel");
    return ScriptConstructInPlace<GameTimer>(vm, static_cast<uint32_t>(channel))
               ? 0
               : sq_throwerror(vm, "the instance holds no native object");
}

SQInteger RealTimer_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<RealTimer>(vm) ? 0 : sq_throwerror(vm, "the instance holds no native object");
}

// A fresh timer on the same clock is a stopped one.
SQInteger GameTimer_Stop(HSQUIRRELVM vm)
{
    GameTimer* timer = nullptr;
    if (!ScriptCheckInstance(vm, 1, timer))
        return SQ_ERROR;
    *timer = GameTimer(timer->GetChannel());
    return 0;
}

SQInteger RealTimer_Stop(HSQUIRRELVM vm)
{
    RealTimer* timer = nullptr;
    if (!ScriptCheckInstance(vm, 1, timer))
        return SQ_ERROR;
    *timer = RealTimer();
    return 0;
}

template <class Timer> void RegisterTimer(HSQUIRRELVM vm, const char* name, SQFUNCTION constructor, SQFUNCTION stop)
{
    static const ScriptMethodRow kMethods[] = {
        {"Start", ScriptMethod<&Timer::Start>, "x"},
        {"Stop", stop, "x"},
        {"IsStarted", ScriptMethod<&Timer::IsStarted>, "x"},
        {"GetTime", ScriptMethod<&Timer::GetTime>, "x"},
        {"AddTime", ScriptMethod<&Timer::AddTime>, "xn"},
    };
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, name, sizeof(Timer), nullptr, constructor);
    ScriptAddMethods(handle, kMethods);
}

// ---- strings and numbers

SQInteger GetStringFromIDString(HSQUIRRELVM vm)
{
    const char* id = nullptr;
    if (!ScriptArgString(vm, 2, id))
        return ScriptBadArgument(vm);
    return ScriptReturnString(vm, StringKeeperGetString(id));
}

SQInteger StringKeeper_GetLang(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, StringKeeperGetLang());
}

int ClampToInt(double seconds)
{
    if (std::isnan(seconds))
        return 0;
    if (seconds >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (seconds <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(seconds);
}

void TwoDigits(int value, char* text, int size)
{
    snprintf(text, static_cast<size_t>(size), "%02d", value);
}

typedef void (*TimePartFormat)(float seconds, char* text, int size);

template <TimePartFormat Format> SQInteger TimePart(HSQUIRRELVM vm)
{
    float seconds = 0.0f;
    if (!ScriptArgFloat(vm, 2, seconds))
        return ScriptBadArgument(vm);
    char text[32];
    Format(seconds, text, sizeof(text));
    return ScriptReturnString(vm, text);
}

SQInteger AddCommas(HSQUIRRELVM vm)
{
    float number = 0.0f;
    if (!ScriptArgFloat(vm, 2, number))
        return ScriptBadArgument(vm);
    SQInteger whole = 0;
    if (sq_gettype(vm, 2) == OT_INTEGER)
        sq_getinteger(vm, 2, &whole);
    else
        whole = ClampToInt(number);
    char text[32];
    FormatWithCommas(static_cast<int>(whole), text, sizeof(text));
    return ScriptReturnString(vm, text);
}

SQInteger GetMicroSeconds(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, static_cast<int>(static_cast<uint32_t>(ClockNow())));
}

// ---- screen edge

// Where the ray from the centre toward d (relative to the centre) meets the
// rectangle of half sizes hx, hy.
Vec2 EdgeTowards(float dx, float dy, float hx, float hy)
{
    if (dx == 0.0f)
        return Vec2(0.0f, dy < 0.0f ? -hy : hy);
    if (dy == 0.0f)
        return Vec2(dx < 0.0f ? -hx : hx, 0.0f);
    const float sideX = dx < 0.0f ? -hx : hx;
    const Vec2 onSide(sideX, sideX * dy / dx);
    const float sideY = dy < 0.0f ? -hy : hy;
    const Vec2 onTopOrBottom(sideY * dx / dy, sideY);
    const float sideLength = onSide.x * onSide.x + onSide.y * onSide.y;
    const float topLength = onTopOrBottom.x * onTopOrBottom.x + onTopOrBottom.y * onTopOrBottom.y;
    return sideLength <= topLength ? onSide : onTopOrBottom;
}

SQInteger FindScreenEdgeLocation(HSQUIRRELVM vm)
{
    Vec2* out = nullptr;
    Vec2* point = nullptr;
    float inset = 0.0f, width = 0.0f, height = 0.0f;
    if (!ScriptCheckInstance(vm, 2, out) || !ScriptCheckInstance(vm, 3, point))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 4, inset) || !ScriptArgFloat(vm, 5, width) || !ScriptArgFloat(vm, 6, height))
        return ScriptBadArgument(vm);
    const float hw = width / 2.0f;
    const float hh = height / 2.0f;
    const Vec2 edge = EdgeTowards(point->x - hw, point->y - hh, hw - inset, hh - inset);
    *out = Vec2(hw + edge.x, hh + edge.y);
    return 0;
}

// ---- platform answers

SQInteger MessageBoxOk(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    MessageBoxShowWarning(text, false);
    return ScriptReturnBool(vm, true);
}

SQInteger MessageBoxOkBlocking(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    MessageBoxShowWarning(text, true);
    return ScriptReturnBool(vm, true);
}

SQInteger GetUserName(HSQUIRRELVM vm)
{
    char name[kUserNameSize] = {};
    if (!g_personaNameHook || !g_personaNameHook(name, kUserNameSize))
        GetLoginUserName(name, kUserNameSize);
    name[kUserNameSize - 1] = 0;
    return ScriptReturnString(vm, name);
}

SQInteger GetPlatformName(HSQUIRRELVM vm)
{
    return ScriptReturnString(vm, "win");
}

// Natives that read their one argument (by the mask) and do nothing else.
SQInteger Ignored(HSQUIRRELVM)
{
    return 0;
}

template <int Value> SQInteger ReturnInt(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, Value);
}

template <bool Value> SQInteger ReturnBool(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, Value);
}

struct GlobalRow
{
    const char* name;
    SQFUNCTION function;
    const char* mask;
};

const GlobalRow kGlobals[] = {
    {"GetStringFromIDString", GetStringFromIDString, ".s"},
    {"GetMinutesPartFromTime", TimePart<TimeMinutesPart>, ".n"},
    {"GetSecondsPartFromTime", TimePart<TimeSecondsPart>, ".n"},
    {"GetHundredsOfSecondsPartFromTime", TimePart<TimeHundredthsPart>, ".n"},
    {"GetMicroSeconds", GetMicroSeconds, nullptr},
    {"AddCommas", AddCommas, ".n"},
    {"UnlockTrophy", Ignored, ".n"},
    {"FindScreenEdgeLocation", FindScreenEdgeLocation, ".xxnnn"},
    {"LanuchSignInPrompt", ReturnBool<false>, nullptr},
    {"UserCancelledSignIn", ReturnBool<false>, nullptr},
    {"SignInPromptIsDone", ReturnInt<1>, nullptr},
    {"SignInPromptReset", Ignored, nullptr},
    {"GetUserName", GetUserName, nullptr},
    {"MessageBoxOk", MessageBoxOk, ".s"},
    {"MessageBoxOkBlocking", MessageBoxOkBlocking, ".s"},
    {"GetPlatformName", GetPlatformName, nullptr},
    {"MemTrack", ReturnInt<0>, nullptr},
    {"StringKeeper_GetLang", StringKeeper_GetLang, nullptr},
};

void RegisterClasses(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "UTIL", 0, nullptr, nullptr).AddStaticMethod("FileTable", UTIL_FileTable);
    ScriptBindClass(handle, vm, "InputMapEnum", 0, kInputMapEnumConstants, nullptr);
    ScriptBindClass(handle, vm, "InputCommand", sizeof(InputCommand), kInputCommandMembers, InputCommand_constructor);
    ScriptBindClass(handle, vm, "InputMap", sizeof(InputMap), nullptr, InputMap_constructor)
        .AddMethod("AddInputCommand", ScriptMethod<&InputMap::AddInputCommand>, "xx")
        .AddMethod("GetIsInputCommandConditionExecuted", InputMap_GetIsInputCommandConditionExecuted, "xi")
        .AddMethod("GetAxis", ScriptMethod<&InputMap::GetAxis>, "xi");
    RegisterTimer<GameTimer>(vm, "GameTimer", GameTimer_constructor, GameTimer_Stop);
    RegisterTimer<RealTimer>(vm, "RealTimer", RealTimer_constructor, RealTimer_Stop);
}
} // namespace

void ScriptSetPersonaNameHook(PersonaNameHook hook)
{
    g_personaNameHook = hook;
}

void TimeMinutesPart(float seconds, char* text, int size)
{
    TwoDigits(ClampToInt(seconds) / 60, text, size);
}

void TimeSecondsPart(float seconds, char* text, int size)
{
    const int whole = ClampToInt(seconds);
    TwoDigits(whole - 60 * (whole / 60), text, size);
}

void TimeHundredthsPart(float seconds, char* text, int size)
{
    const double value = seconds;
    const double fraction = value - std::trunc(value);
    TwoDigits(ClampToInt(fraction * 100.0), text, size);
}

void FormatWithCommas(int value, char* text, int size)
{
    char digits[16];
    const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    const int count = snprintf(digits, sizeof(digits), "%lld", magnitude);
    char grouped[32];
    int length = 0;
    if (value < 0)
        grouped[length++] = '-';
    for (int i = 0; i < count; ++i)
    {
        if (i > 0 && (count - i) % 3 == 0)
            grouped[length++] = ',';
        grouped[length++] = digits[i];
    }
    grouped[length] = 0;
    snprintf(text, static_cast<size_t>(size), "%s", grouped);
}

void RegisterUtilScriptAPI(HSQUIRRELVM vm)
{
    RegisterClasses(vm);
    for (const GlobalRow& row : kGlobals)
        ScriptBindGlobalFunction(vm, row.name, row.function, row.mask);
}

#include "ScriptTestFixture.h"

#include "core/GameTimer.h"
#include "platform/Input.h"
#include "platform/MessageBox.h"
#include "platform/UserLocale.h"
#include "script/InputScriptAPI.h"
#include "script/MathScriptAPI.h"
#include "script/UtilScriptAPI.h"
#include "support/ManualClock.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
class UtilScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        RegisterMathScriptAPI(vm);
        RegisterUtilScriptAPI(vm);
        RegisterInputScriptAPI(vm);
    }

    std::string Text(const std::string& expression)
    {
        Run("text <- " + expression + ";");
        return GlobalString("text");
    }
};

struct ConstantCase
{
    const char* name;
    int value;
};

TEST_F(UtilScriptAPITest, ConstantsOfEveryGroupAreBareNames)
{
    const ConstantCase cases[] = {
        {"ANALOG_STICK_LEFT", 0}, {"ANALOG_STICK_DPAD", 2}, {"USER_0", 0}, {"USER_3", 3},
        {"INPUT_COMMAND_TYPE_KEY", 0}, {"INPUT_COMMAND_TYPE_KEY_ASCII", 1}, {"INPUT_COMMAND_TYPE_BUTTON", 4},
        {"INPUT_COMMAND_TYPE_DPAD", 7}, {"INPUT_COMMAND_TYPE_NONE", 8}, {"NONE", 0},
        {"INPUT_COMMAND_CONDITION_IS_DOWN", 1}, {"INPUT_COMMAND_CONDITION_IS_NEWLY_UP", 3},
        {"BAR_TYPE_REGULAR", 0}, {"BAR_TYPE_PICTURE", 2}, {"JOY_X", 0}, {"JOY_ALT_Z", 5},
        {"JOY_ButtonA", 0}, {"JOY_L1", 3}, {"JOY_ButtonY", 8}, {"BUMP_LEFT", 11}, {"TRIG_RIGHT", 16},
        {"JOY_SELECT", 21}, {"THUMB_RIGHT", 26}, {"DPAD_UP", 29}, {"DPAD_RIGHT", 32},
        {"INITIALIZE_BUTTON_MODE_DEFAULT", 0}, {"INITIALIZE_BUTTON_MODE_MAX", 3},
    };
    for (const ConstantCase& c : cases)
    {
        Run(std::string("value <- ") + c.name + ";");
        EXPECT_EQ(GlobalInt("value"), c.value) << c.name << Reports();
    }
}

TEST_F(UtilScriptAPITest, KeyAndMouseConstantsAreScanCodes)
{
    const ConstantCase cases[] = {
        {"KEY_ESCAPE", 1},       {"KEY_TAB", 15},        {"KEY_BACKSPACE", 14},   {"KEY_SPACE", 57},
        {"KEY_RETURN", 28},      {"KEY_PRINTSCREEN", 183}, {"KEY_SCROLLLOCK", 70}, {"KEY_PAUSE", 197},
        {"KEY_F1", 59},          {"KEY_F2", 60},         {"KEY_F3", 61},          {"KEY_F4", 62},
        {"KEY_F5", 63},          {"KEY_F6", 64},         {"KEY_F7", 65},          {"KEY_F8", 66},
        {"KEY_F9", 67},          {"KEY_F10", 68},        {"KEY_F11", 87},         {"KEY_F12", 88},
        {"KEY_UP", 200},         {"KEY_DOWN", 208},      {"KEY_LEFT", 203},       {"KEY_RIGHT", 205},
        {"KEY_INSERT", 210},     {"KEY_NUMINSERT", 82},  {"KEY_DELETE", 211},     {"KEY_HOME", 199},
        {"KEY_END", 207},        {"KEY_PAGEUP", 201},    {"KEY_PAGEDOWN", 209},   {"KEY_LCONTROL", 29},
        {"KEY_LALT", 56},        {"KEY_LSHIFT", 42},     {"KEY_RCONTROL", 157},   {"KEY_RALT", 184},
        {"KEY_RSHIFT", 54},      {"KEY_CAPSLOCK", 58},   {"MOUSE_BUTTON1", 240},  {"MOUSE_BUTTON2", 241},
        {"MOUSE_BUTTON3", 242},  {"MOUSE_BUTTON4", 243}, {"MOUSE_BUTTON5", 244},  {"MOUSE_WHEELUP", 245},
        {"MOUSE_WHEELDOWN", 246},
    };
    for (const ConstantCase& c : cases)
    {
        Run(std::string("value <- ") + c.name + ";");
        EXPECT_EQ(GlobalInt("value"), c.value) << c.name << Reports();
    }
}

struct TextCase
{
    const char* expression;
    const char* text;
};

TEST_F(UtilScriptAPITest, TimePartsAndCommas)
{
    const TextCase cases[] = {
        {"GetMinutesPartFromTime(125.5)", "02"},
        {"GetSecondsPartFromTime(125.5)", "05"},
        {"GetHundredsOfSecondsPartFromTime(125.5)", "50"},
        {"GetMinutesPartFromTime(3599)", "59"},
        {"GetSecondsPartFromTime(3599)", "59"},
        {"GetHundredsOfSecondsPartFromTime(7)", "00"},
        {"GetHundredsOfSecondsPartFromTime(1.0e12)", "00"},
        // Beyond the integer range the count stops at its end.
        {"GetMinutesPartFromTime(1.0e12)", "35791394"},
        {"GetSecondsPartFromTime(1.0e12)", "07"},
        {"GetMinutesPartFromTime(-1.0e12)", "-35791394"},
        {"AddCommas(0)", "0"},
        {"AddCommas(999)", "999"},
        {"AddCommas(1000)", "1,000"},
        {"AddCommas(1234567)", "1,234,567"},
        {"AddCommas(1500.75)", "1,500"},
        {"AddCommas(-100)", "-100"},
        {"AddCommas(-1000)", "-1,000"},
        {"AddCommas(-100000)", "-100,000"},
        {"AddCommas(-2147483647 - 1)", "-2,147,483,648"},
        {"GetPlatformName()", "win"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(Text(c.expression), c.text) << c.expression << Reports();
    EXPECT_FALSE(ScriptGetErrorFlag());
}

struct EdgeCase
{
    const char* point;
    float x, y;
};

TEST_F(UtilScriptAPITest, ScreenEdgeLocationOnEachSide)
{
    // A 200 x 100 screen with an inset of 10: the edge box runs 10..190 by 10..90.
    const EdgeCase cases[] = {
        {"Vec2(300, 50)", 190.0f, 50.0f}, {"Vec2(-5, 50)", 10.0f, 50.0f},   {"Vec2(100, -40)", 100.0f, 10.0f},
        {"Vec2(100, 400)", 100.0f, 90.0f}, {"Vec2(200, 100)", 180.0f, 90.0f}, {"Vec2(400, 60)", 190.0f, 53.0f},
        {"Vec2(0, 0)", 20.0f, 10.0f},
    };
    for (const EdgeCase& c : cases)
    {
        Run(std::string("out <- Vec2(); FindScreenEdgeLocation(out, ") + c.point +
            ", 10, 200, 100); x <- out.x; y <- out.y;");
        EXPECT_FLOAT_EQ(GlobalFloat("x"), c.x) << c.point << Reports();
        EXPECT_FLOAT_EQ(GlobalFloat("y"), c.y) << c.point;
    }
}

TEST_F(UtilScriptAPITest, GameTimerFollowsItsChannel)
{
    GameTimeChannelsReset();
    Run("game <- GameTimer(); effects <- GameTimer(1); before <- game.GetTime(); started <- game.IsStarted() ? 1 : 0;"
        "game.Start(); effects.Start();");
    EXPECT_FLOAT_EQ(GlobalFloat("before"), 0.0f);
    EXPECT_EQ(GlobalInt("started"), 0);
    GameTimeChannelAdvance(0, 1.5f);
    Run("a <- game.GetTime(); e <- effects.GetTime(); game.AddTime(2); b <- game.GetTime();"
        "game.Stop(); stopped <- game.IsStarted() ? 1 : 0; c <- game.GetTime();");
    EXPECT_FLOAT_EQ(GlobalFloat("a"), 1.5f);
    EXPECT_FLOAT_EQ(GlobalFloat("e"), 0.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("b"), 3.5f);
    EXPECT_EQ(GlobalInt("stopped"), 0);
    EXPECT_FLOAT_EQ(GlobalFloat("c"), 0.0f);
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    Run("GameTimer(2);");
    EXPECT_TRUE(ReportsContain("no such game-time channel")) << Reports();
    GameTimeChannelsReset();
}

TEST_F(UtilScriptAPITest, RealTimerReadsTheReplaceableClock)
{
    ManualClock clock;
    Run("timer <- RealTimer(); timer.Start();");
    clock.Advance(250000);
    Run("a <- timer.GetTime(); timer.AddTime(1); b <- timer.GetTime(); timer.Stop();"
        "running <- timer.IsStarted() ? 1 : 0;");
    EXPECT_FLOAT_EQ(GlobalFloat("a"), 0.25f);
    EXPECT_FLOAT_EQ(GlobalFloat("b"), 1.25f);
    EXPECT_EQ(GlobalInt("running"), 0);
    Run("micro <- GetMicroSeconds();");
    EXPECT_EQ(GlobalInt("micro"), static_cast<int>(static_cast<uint32_t>(clock.Now())));
}

void InjectKey(SDL_Scancode scancode, bool down)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    InputHandleEvent(event);
}

TEST_F(UtilScriptAPITest, InputMapAndInputStaticsSeeInjectedKeys)
{
    InputInit();
    Run("map <- InputMap(); cmd <- InputCommand(); cmd.InputCommandType = INPUT_COMMAND_TYPE_KEY;"
        "cmd.Data = KEY_SPACE; cmd.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN;"
        "first <- map.AddInputCommand(cmd); cmd.InputCommandCondition = INPUT_COMMAND_CONDITION_IS_DOWN;"
        "second <- map.AddInputCommand(cmd);");
    EXPECT_EQ(GlobalInt("first"), 0) << Reports();
    EXPECT_EQ(GlobalInt("second"), 1);
    const char* read = "newly <- map.GetIsInputCommandConditionExecuted(first);"
                       "held <- map.GetIsInputCommandConditionExecuted(second);"
                       "key <- Input.IsKeyNewlyDown(KEY_SPACE) ? 1 : 0;"
                       "wide <- Input.IsKeyNewlyDown(0x100 | KEY_SPACE) ? 1 : 0;";
    InjectKey(SDL_SCANCODE_SPACE, true);
    InputUpdate();
    Run(read);
    EXPECT_EQ(GlobalInt("newly"), 1);
    EXPECT_EQ(GlobalInt("held"), 1);
    EXPECT_EQ(GlobalInt("key"), 1);
    EXPECT_EQ(GlobalInt("wide"), 1);
    InputUpdate();
    Run(read);
    EXPECT_EQ(GlobalInt("newly"), 0);
    EXPECT_EQ(GlobalInt("held"), 1);
    EXPECT_EQ(GlobalInt("key"), 0);
    Run("axis <- map.GetAxis(first); unknown <- map.GetIsInputCommandConditionExecuted(7);"
        "pad <- Input.IsControllerAvailable(3) ? 1 : 0; SetLastUsed(1); last <- GetLastUsed();");
    EXPECT_EQ(GlobalType("axis"), "instance");
    EXPECT_EQ(GlobalInt("unknown"), 0);
    EXPECT_EQ(GlobalInt("pad"), 0);
    EXPECT_EQ(GlobalInt("last"), 1);
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    InputShutdown();
}

TEST_F(UtilScriptAPITest, UnknownStringIdentifierGivesNull)
{
    Run("text <- GetStringFromIDString(\"NO_SUCH_STRING\");");
    EXPECT_EQ(GlobalType("text"), "null");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
}

TEST_F(UtilScriptAPITest, UserNameFromPersonaHookElseLogin)
{
    char login[256] = {};
    GetLoginUserName(login, sizeof(login));
    ScriptSetPersonaNameHook(nullptr);
    EXPECT_EQ(Text("GetUserName()"), login);
    ScriptSetPersonaNameHook([](char* buffer, int size) {
        snprintf(buffer, static_cast<size_t>(size), "%s", "Skyrider");
        return true;
    });
    EXPECT_EQ(Text("GetUserName()"), "Skyrider");
    ScriptSetPersonaNameHook([](char*, int) { return false; });
    EXPECT_EQ(Text("GetUserName()"), login);
    ScriptSetPersonaNameHook(nullptr);
}

std::vector<std::pair<std::string, bool>> g_shown;

TEST_F(UtilScriptAPITest, MessageBoxesGoThroughThePresenter)
{
    g_shown.clear();
    MessageBoxSetPresenter([](const char* text, bool modal) {
        g_shown.emplace_back(text, modal);
        return false;
    });
    Run("a <- MessageBoxOk(\"Disk full\"); b <- MessageBoxOkBlocking(\"Saved game lost\");");
    MessageBoxSetPresenter(nullptr);
    ASSERT_EQ(g_shown.size(), 2u);
    EXPECT_EQ(g_shown[0], std::make_pair(std::string("Disk full"), false));
    EXPECT_EQ(g_shown[1], std::make_pair(std::string("Saved game lost"), true));
    // The scripts hear true whatever the box answered.
    Run("both <- (a && b) ? 1 : 0;");
    EXPECT_EQ(GlobalInt("both"), 1);
}

std::string g_logged;

// Without a display nothing may wait for a person: the child would hang
// until the alarm ends it if the box blocked.
TEST(MessageBoxTest, WithoutDisplayTheTextGoesToTheLog)
{
    EXPECT_EXIT(
        {
            alarm(20);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            SetLogErrorHandler([](const char* text) { g_logged += text; });
            const bool answered = MessageBoxShowWarning("No display here", true);
            exit(answered && g_logged == "No display here\n" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
} // namespace

#include "game/App.h"

#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "core/Clock.h"
#include "core/DateStamp.h"
#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/Random.h"
#include "core/StringKeeper.h"
#include "core/pd_ifstream.h"
#include "core/pd_ofstream.h"
#include "cross/AnimBuffer.h"
#include "cross/CameraBase.h"
#include "cross/CameraController.h"
#include "cross/Render.h"
#include "fx/FX.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXEffectFile.h"
#include "fx/FXRenderPass.h"
#include "frontend/BillboardBars.h"
#include "frontend/ButtonManager.h"
#include "frontend/Console.h"
#include "frontend/ElementScriptAPI.h"
#include "frontend/LoadingScreen.h"
#include "frontend/SystemUserMessageQueue.h"
#include "game/AppConsole.h"
#include "game/AppScriptAPI.h"
#include "game/AppUI.h"
#include "game/CollisionScriptAPI.h"
#include "game/AppScriptCalls.h"
#include "game/BufferModelTable.h"
#include "game/DebugKeys.h"
#include "game/EntityRegistry.h"
#include "game/InstanceTable.h"
#include "game/MessageManager.h"
#include "game/StreamListener.h"
#include "game/TileTerrain.h"
#include "game/TolvanFixedUpdate.h"
#include "game/World.h"
#include "game/WorldPhysics.h"
#include "online/MatchingService.h"
#include "online/NetworkCommunicator.h"
#include "online/PlatformServices.h"
#include "online/SteamAchievements.h"
#include "opengl/GLCaps.h"
#include "opengl/GLInfoLog.h"
#include "opengl/GLState.h"
#include "platform/CommandLine.h"
#include "platform/DisplayModeManager.h"
#include "platform/Input.h"
#include "platform/Shell.h"
#include "platform/UserLocale.h"
#include "script/ScriptHost.h"

#include <cstring>
#include <memory>
#include <string>

namespace
{
constexpr const char* kOptionFile = "OptionData.txt";
constexpr float kMaxFrameSeconds = 0.1f;
constexpr float kLoadingFrameSeconds = 0.033333335f;

AppOptions g_options;
std::unique_ptr<pd_ofstream> g_logFile;
std::unique_ptr<pd_ofstream> g_performanceLog;
// Reports raised before "tolvan.log" opens (mounting the data tree reports
// damaged archives and names too long), written first when it does.
std::string g_reportsBeforeLog;
constexpr size_t kReportsBeforeLogLimit = 64 * 1024;
// On a first run the display starts before the scripts, and the option file
// the script then writes must not start it again: a second start would
// replace the context that everything made so far lives in.
bool g_displayStarted = false;
float g_totalGameTime = 0.0f;
uint64_t g_lastFrameTime = 0;
uint64_t g_lastLoadingFrameTime = 0;

void LoadStrings()
{
    if (!StringKeeperInit(g_options.language, LanguageStringFolder(g_options.language)))
        StringKeeperInit(kLanguageEnglish, LanguageStringFolder(kLanguageEnglish));
}

void StartAudio()
{
    if (g_options.sound)
    {
        AudioSetDistanceModel();
        AudioOpenDevice();
    }
    else
    {
        AudioSetMute(true);
    }
}

void CallOptionCallbacks()
{
    if (g_options.netQuickStartParent)
        AppCallScript("SetUpForNetQuickStartParent");
    if (g_options.netQuickStartChild)
        AppCallScript("SetUpForNetQuickStartChild");
    if (g_options.quickStart)
        AppCallScriptStringInt("SetUpForQuickStart", g_options.quickStartName, g_options.quickStartNumber);
    if (g_options.e3)
        AppCallScript("SetUpForE3");
    if (g_options.useMouse)
        AppCallScript("UseMouse");
}

// The options that act as soon as they are read.
void ApplyImmediateOptions()
{
    if (g_options.wimpy)
        GLCapsSetWimpy();
    if (g_options.connectLobby)
        GetMatchingService().SetPendingInvite(g_options.connectLobbyId);
    if (g_options.resetAchievementsAndStats)
        SteamResetAchievementsAndStats();
}

bool LoadingScreenActive()
{
    return GetLoadingScreen().IsActive();
}

void DrawLoadingScreen(float)
{
    GetLoadingScreen().Render();
}

// The frame calls both with the view loaded as the model-view matrix.
void SubmitEffects(const Frustum& world)
{
    Mat4 view;
    GLGetModelView(view);
    FXRenderPass(view, 0, world, 0);
}

void DrawEffects(const Frustum& world)
{
    Mat4 view;
    GLGetModelView(view);
    FXRenderPass(view, 0, world, 1);
}

// The frame's pieces that belong to the game; those whose services have not
// landed stay empty.
void InstallRenderHooks()
{
    RenderHooks hooks;
    hooks.loadingScreenActive = LoadingScreenActive;
    hooks.drawLoadingScreen = DrawLoadingScreen;
    hooks.submitTerrain = TerrainSubmitRender;
    hooks.tileTerrainTileCount = TileTerrainTileCount;
    hooks.tileTerrainTile = TileTerrainTile;
    hooks.submitEntities = EntitiesSubmitRender;
    hooks.submitEffects = SubmitEffects;
    hooks.drawEffects = DrawEffects;
    hooks.flushEffects = FXDrawBatchFlush;
    hooks.resetEffects = FXSystemReset;
    hooks.shutdownEffects = FXSystemShutdown;
    hooks.drawSystemMessages = SysMsgDraw;
    hooks.drawConsole = AppConsoleDrawIfVisible;
    hooks.drawScreens = AppUIDraw;
    hooks.drawBars = BillboardBarsDraw;
    RenderSetHooks(hooks);
}

void RunFixedSteps()
{
    if (g_options.fixedStepCount != 0)
        g_fixedUpdate.Run(kFixedStepSeconds, g_options.fixedStepCount, true, true);
    else
        g_fixedUpdate.Run(kFixedStepSeconds, kMaxStepsPerFrame, true, false);
}
void OpenLogFile()
{
    g_logFile = std::make_unique<pd_ofstream>("tolvan.log", 0, kOutWrite);
    if (g_logFile->IsOpen() && !g_reportsBeforeLog.empty())
    {
        g_logFile->Write(g_reportsBeforeLog.data(), g_reportsBeforeLog.size());
        g_logFile->Flush();
    }
    g_reportsBeforeLog.clear();
}
} // namespace

int AppInit()
{
    BufferModelTableFill();
    PlatformInit();
    GetDisplayModeManager().Init();
    g_options = AppOptions();
    g_displayStarted = false;
    g_options.language = GetSystemLanguage();
    AppReadOptions(g_options);
    ApplyImmediateOptions();
    RandSeed(static_cast<uint32_t>(ClockNow()));
    AppConsoleCreate();
    SysMsgCreate();
    SetLogErrorHandler(LogFileErrorHandler);
    FileTableMountDataTree("../");
    OpenLogFile();
    LoadStrings();
    InputInit();
    ScriptInit(g_options.scriptDebugger, RegisterAppScriptAPI);
    if (!FileExists(kOptionFile, kOpenRoot))
    {
        CommandLineAppend(" -fullscreen");
        AppDisplayStart();
    }
    SetStreamListener(&GetAppStreamListener());
    StartAudio();
    if (!g_options.runFile.IsEmpty())
        ScriptDoFile(ScriptGetVM(), g_options.runFile);
    g_lastFrameTime = ClockNow();
    return ScriptStartUp();
}

int ScriptStartUp()
{
    AddEngineInputCommands();
    SetGravity(0.0f);
    if (!g_options.startupFile.IsEmpty())
    {
        ScriptLoadFile(ScriptGetVM(), "game", g_options.startupFile);
    }
    else
    {
        ScriptLoadFile(ScriptGetVM(), "game", "enums.nut");
        ScriptLoadFile(ScriptGetVM(), "game", "game.nut");
    }
    CallOptionCallbacks();
    AppCallScriptString("InitOptionData", kOptionFile);
    if (FileExists(kOptionFile, kOpenRoot))
    {
        AppCallScript("LoadOptionData");
        if (!g_displayStarted)
            AppDisplayStart();
    }
    unsigned width = 0;
    unsigned height = 0;
    RenderGetSize(width, height);
    AppCallScriptIntInt("SetScreenSize", static_cast<int>(width), static_cast<int>(height));
    AppCallScript("GameCreate");
    g_fixedUpdate.Reset();
    GetGlobalCamera().SetViewMatrix(Mat4Identity());
    GetMessageManager().Bind(ScriptGetVM());
    return 0;
}

void AppDisplayStart()
{
    g_displayStarted = true;
    SetWindowTitle("Tolvan");
    InstallRenderHooks();
    // A window nothing can be drawn in shows nothing: the game is not run
    // unseen (the start-up finishes and the loop ends before a frame).
    if (!InitializeRenderSystem())
    {
        const std::string reason = std::string("no OpenGL context could be made on a window of the ") +
                                   ShellWindowSystemName() + " window system";
        ShellRefuseStart(reason.c_str());
    }
    FXInit("effects");
    // Fonts need the display; without one, messages still queue and expire.
    if (RenderIsInitialised())
        Console::CreateDefaultFont();
    if (RenderIsInitialised())
        AppUIStart();
    if (RenderIsInitialised())
        SysMsgLoadFont("fonts/QuarnVinqueSpecial15.fnt");
}

void AppFrame()
{
    PlatformRunCallbacks();
    const uint64_t now = ClockNow();
    float dt = static_cast<float>(now - g_lastFrameTime) / 1000000.0f;
    g_lastFrameTime = now;
    if (dt > kMaxFrameSeconds)
        dt = kMaxFrameSeconds;
    GameUpdate(dt);
    // The script's ViewUpdate has moved the controller; the camera follows
    // before the frame is drawn from it.
    GetGlobalCameraController().Update();
    // While a level loads behind the loading screen, it is what the frame shows.
    if (LoadingScreenActive())
    {
        GetLoadingScreen().Update(dt);
        RenderLoadingFrame(dt);
    }
    else
        RenderAll(g_fixedUpdate.IsPaused() ? 0.0f : dt);
    NetworkFrame();
}

float GameUpdate(float dt)
{
    AppCallScript("QUARNFINALHACKMESSAGES");
    NetworkServiceLostConnection();
    RunFixedSteps();
    g_totalGameTime += dt;
    AppViewUpdate(dt);
    AudioStep(dt);
    SysMsgStep();
    return g_totalGameTime;
}

void AppViewUpdate(float dt)
{
    AppCallScriptFloat("ViewUpdate", dt);
}

void LoadingPump()
{
    if (!LoadingScreenActive())
        return;
    const uint64_t now = ClockNow();
    const float elapsed = static_cast<float>(now - g_lastLoadingFrameTime) / 1000000.0f;
    if (elapsed > kLoadingFrameSeconds)
    {
        NetworkFrame();
        GetLoadingScreen().Update(elapsed);
        RenderLoadingFrame(elapsed);
        g_lastLoadingFrameTime = now;
    }
}

void AppReleaseScriptObjects()
{
    CollisionScriptShutdown();
    // The VM frees only what nothing outside it holds.
    MessageManagerClear();
    ElementScriptReleaseHolds();
    // Bars hold script fonts and pool textures: both go while VM and GL are up.
    BillboardBarsShutdown();
    GetInstanceTable().Release(ScriptGetVM());
}

void AppShutdown()
{
    GetDisplayModeManager().Reset();
    NetworkCommunicator::Close();
    TileTerrain::Clear();
    GetLoadingScreen().Finish();
    GetLoadingScreen().Clear();
    AppConsoleDestroy();
    AppReleaseScriptObjects();
    ScriptShutdown();
    simFinalize();
    Console::DestroyDefaultFont();
    AppUIShutdown();
    SysMsgDestroy();
    ButtonManager::DropAlphaPlanes();
    RenderShutdown();
    // Animation buffers outlive their holders and go only now: after the
    // renderer, whose shutdown clears the effect definitions that hold some.
    AnimFreeAll();
    InputShutdown();
    AudioCloseDevice();
    if (g_logFile)
        g_logFile->Close();
    g_logFile.reset();
    PlatformShutdown();
    DestroyMainWindow();
}

void LogFileErrorHandler(const char* text)
{
    if (!g_logFile)
    {
        if (g_reportsBeforeLog.size() + strlen(text) <= kReportsBeforeLogLimit)
            g_reportsBeforeLog += text;
        return;
    }
    if (!g_logFile->IsOpen())
        return;
    g_logFile->Write(text, strlen(text));
    g_logFile->Flush();
}

void AppOpenLogs()
{
    AppOpenPerformanceLog();
    GLInfoLogOpen();
}

void AppCloseLogs()
{
    GLInfoLogClose();
    AppClosePerformanceLog();
}

void AppOpenPerformanceLog()
{
    g_performanceLog = std::make_unique<pd_ofstream>("tolvanPerf.log", 0, kOutWrite);
    const char* stamp = FormatDateStamp();
    g_performanceLog->Write(stamp, strlen(stamp));
    g_performanceLog->Flush();
    g_performanceLog->Write("\n\n", 2);
    g_performanceLog->Flush();
}

void AppClosePerformanceLog()
{
    g_performanceLog.reset();
}

const AppOptions& AppGetOptions()
{
    return g_options;
}
pd_ofstream* AppLogFile()
{
    return g_logFile.get();
}
float AppTotalGameTime()
{
    return g_totalGameTime;
}

void AppGetRenderSize(unsigned& width, unsigned& height)
{
    RenderGetSize(width, height);
}

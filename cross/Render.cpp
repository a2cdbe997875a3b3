#include "cross/Render.h"

#include "core/Clock.h"
#include "core/LogError.h"
#include "cross/CameraBase.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/ObjAnim.h"
#include "cross/RenderInstance.h"
#include "cross/RenderQueue.h"
#include "cross/UVAnim.h"
#include "opengl/GLCaps.h"
#include "opengl/GLCheckError.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/RenderTarget.h"
#include "opengl/Screenshot.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "opengl/VertexMap.h"
#include "platform/CommandLine.h"
#include "platform/Display.h"
#include "script/ScriptHost.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr uint32_t kClearColour = 0xFF929292; // grey 146, opaque
constexpr float kDefaultAspect = 1.7777778f;
constexpr float kAspectTolerance = 0.01f;
constexpr float kQuadDepthRange = 1111.1111f;
constexpr uint32_t kColourMaskAll = 15;

struct RenderState
{
    bool initialised = false;
    bool deferred = false;
    unsigned width = 1280;
    unsigned height = 720;
    unsigned viewWidth = 1280;
    unsigned viewHeight = 720;
    float aspect = kDefaultAspect;
    float nearPlane = 100.0f;
    float farPlane = 1700.0f;
    ShaderProgram* programs[kRenderProgramCount] = {};
    GlobalLight light;
    int lightMode = LIGHT_MODE_TYPE_DAY;
    bool lightModeReported = false;
    bool ambientOcclusion = true;
    float sceneTime = 0.0f;
    float frameTimes[kRenderTimeRing] = {};
    float overlayTimes[kRenderTimeRing] = {};
    int frameCursor = 0;
    int overlayCursor = 0;
    uint64_t lastFrameClock = 0;
    float overlayScale = 1.0f;
    Vec3 overlayOffset = Vec3(0.0f, 0.0f, 0.0f);
    Mat4 projection = Mat4Identity();
    RenderHooks hooks;
};

RenderState g_render;

struct ProgramNames
{
    const char* withVertexArrays;
    const char* withoutVertexArrays; // null: not loaded without them
    bool deferredOnly;
};

const ProgramNames kProgramNames[kRenderProgramCount] = {
    {"hud", "hud_Non_VAO", false},
    {"fx", "fx_Non_VAO", false},
    {"basic", "basic_Non_VAOUniBone", false},
    {"basic", "basicStatic_Non_VAO", false},
    {"basic16", "basic16_Non_VAO", false},
    {"basic16ActorFade", "basic_Non_VAOUniBone", false},
    {"ssao", nullptr, false},
    {"blurX", nullptr, false},
    {"blurY", nullptr, false},
    {"mix", "mix", true},
    {"copy", "copy", true},
    {"point", nullptr, false},
    {"directional", nullptr, false},
    {"sample", "sample", true},
};

// The programs the deferred frame cannot run without.
const int kDeferredPrograms[] = {
    kRenderProgramDeferredGeometry,
    kRenderProgramActorFade,
    kRenderProgramSsao,
    kRenderProgramBlurX,
    kRenderProgramBlurY,
    kRenderProgramMix,
    kRenderProgramCopy,
    kRenderProgramPoint,
};

ShaderProgram* Program(int role)
{
    return g_render.programs[role];
}

void RecordTime(float* ring, int& cursor, float milliseconds)
{
    cursor = (cursor + 1) % kRenderTimeRing;
    ring[cursor] = milliseconds;
}

float MillisecondsSince(uint64_t start)
{
    return float(ClockNow() - start) / 1000.0f;
}

int ReadNumber(const char* text, int fallback)
{
    return text ? atoi(text) : fallback;
}

struct AttributeWriter
{
    uint32_t* list;
    int count = 0;
    void Add(uint32_t code)
    {
        // One slot stays for the terminating zero.
        if (count < kRenderDisplayAttributesMax - 1)
            list[count++] = code;
    }
    bool HasRoom(int codes) const { return count + codes < kRenderDisplayAttributesMax; }
};

void ReadSizeOption(int& width, int& height)
{
    const char* w = CommandLineNextArgument();
    const char* h = w ? CommandLineNextArgument() : nullptr;
    if (w && h && atoi(w) > 0 && atoi(h) > 0)
    {
        width = atoi(w);
        height = atoi(h);
    }
}

void LoadPrograms()
{
    ShaderSetRoot("shaders/GLSL/");
    const bool vertexArrays = GLCapsUsable(kGLCapVertexArrayObjects);
    const bool framebuffers = GLCapsUsable(kGLCapDeferred);
    for (int role = 0; role < kRenderProgramCount; ++role)
    {
        const ProgramNames& names = kProgramNames[role];
        if (names.deferredOnly && !framebuffers)
            continue;
        const char* name = vertexArrays ? names.withVertexArrays : names.withoutVertexArrays;
        g_render.programs[role] = name ? ShaderLoad(name) : nullptr;
    }
}

bool DeferredProgramsLoaded()
{
    for (int role : kDeferredPrograms)
        if (!Program(role))
            return false;
    return true;
}

void ChooseFrameShape()
{
    g_render.deferred = false;
    if (!GLCapsUsable(kGLCapDeferred))
        return;
    const bool targets = RenderTargetsInit(int(g_render.width), int(g_render.height));
    g_render.deferred = targets && DeferredProgramsLoaded();
    if (!g_render.deferred)
        LogError("Pendrel Render cannot draw the deferred frame; drawing the forward frame.\n");
}

// The preset of the light mode into the global light. An invalid mode keeps
// the last light and is reported once, not every frame.
void ApplyLightMode()
{
    if (LightGetPresetForMode(g_render.lightMode, g_render.light))
        return;
    if (!g_render.lightModeReported)
        LogError("Error: Invalid Light Type \n");
    g_render.lightModeReported = true;
}

void CallOverlayScript(const char* name, float frameTime)
{
    HSQUIRRELVM vm = ScriptGetVM();
    if (!vm)
        return;
    sq_pushfloat(vm, frameTime);
    ScriptCall(vm, "game", name, 1, false, false);
}

void SetOrthoForOverlay()
{
    GLOrtho(0.0f, float(g_render.width), float(g_render.height), 0.0f, -1.0f, 1.0f);
}

void SetScreenQuadParams()
{
    const float w = float(g_render.width);
    const float h = float(g_render.height);
    RenderTargetSetQuadParams(Vec4(w, h, 1.0f / w, 1.0f / h),
                              Vec4(RenderTargetsBlurScale(), kQuadDepthRange, g_render.nearPlane, g_render.farPlane));
}

void DrawQuadPass(int role)
{
    ShaderBind(Program(role));
    RenderTargetDrawQuad();
}

void AmbientOcclusionPasses()
{
    RenderTargetBegin(kRenderTargetOcclusion, 0, kColourMaskAll, 0, 0);
    RenderTargetBindTextures(kRenderTargetDepth, 0, 0, 0, 0, 0, 0, 0);
    RenderTargetBindTexture(TextureBuiltin(kTextureSsaoRandom), 1);
    DrawQuadPass(kRenderProgramSsao);

    RenderTargetBegin(kRenderTargetBlur, 0, kColourMaskAll, 0, 0);
    RenderTargetBindTextures(kRenderTargetOcclusion, 0, 0, 0, 0, 0, 0, 0);
    DrawQuadPass(kRenderProgramBlurX);

    RenderTargetBegin(kRenderTargetOcclusion, 0, kColourMaskAll, 0, 0);
    RenderTargetBindTextures(kRenderTargetBlur, 0, 0, 0, 0, 0, 0, 0);
    DrawQuadPass(kRenderProgramBlurY);
}

void PointLightPass(const Mat4& view)
{
    RenderTargetBegin(kRenderTargetPointLights, 0, kColourMaskAll, 0, 0);
    RenderTargetClear();
    RenderTargetBindTextures(kRenderTargetSceneColour, kRenderTargetDepth, 0, 0, 0, 0, 0, 0);
    ShaderBind(Program(kRenderProgramPoint));
    ShaderSetUniformFloat(Program(kRenderProgramPoint), "aspect", g_render.aspect);
    GLBlendOneOne();
    LightManagerInstance().DrawLightVolumes(view, g_render.projection);
    GLBlendOff();
}

// The mix draws into the scene colour, so it reads a copy of it.
void MixPass()
{
    RenderTargetCopy(kRenderTargetSceneColour, kRenderTargetSceneCopy);
    RenderTargetBegin(kRenderTargetSceneColour, 0, kColourMaskAll, 0, 0);
    // The depth on unit 3 gives the mix each surface's facing for the global
    // light, which the deferred geometry does not apply.
    RenderTargetBindTextures(kRenderTargetSceneCopy, kRenderTargetPointLights, kRenderTargetOcclusion,
                             kRenderTargetDepth, 0, 0, 1, 0);
    ShaderProgram* mix = Program(kRenderProgramMix);
    ShaderBind(mix);
    ShaderSetUniformFloat(mix, "aspect", g_render.aspect);
    SetLightUniforms(mix);
    RenderTargetDrawQuad();
    // What follows binds its own textures and must not sample the targets.
    RenderTargetBindTextures(0, 0, 0, 0, 0, 0, 0, 0);
    RenderTargetBegin(kRenderTargetDefault, 0, kColourMaskAll, 0, kRenderTargetDepth);
    GLCullBack();
}

void DeferredScreenPasses(const Mat4& view)
{
    GLBlendOff();
    GLAlphaTestOff();
    GLCullOff();
    SetScreenQuadParams();
    AmbientOcclusionPasses();
    PointLightPass(view);
    MixPass();
}

void SubmitScene(float frameTime, const Frustum& world, const Frustum& viewSpace)
{
    if (g_render.hooks.submitTerrain)
        g_render.hooks.submitTerrain();
    RenderTileTerrain();
    if (g_render.hooks.submitEffects)
        g_render.hooks.submitEffects(world);
    if (g_render.hooks.submitEntities)
        g_render.hooks.submitEntities(frameTime, viewSpace);
}

void SetUseLight(int role, float value)
{
    ShaderSetUniformFloat(Program(role), "useLight", value);
}

void BindForOpaque(int role, bool lit)
{
    ShaderProgram* program = Program(role);
    ShaderBind(program);
    if (lit)
        SetLightUniforms(program);
    ShaderSetUniformInt(program, "numjoints", 0);
}

// The fading list blends over the scene colour, which the actor-fade
// program reads on unit 1: it reads a copy, as it draws into the scene.
void DrawDeferredFadingList()
{
    if (RenderQueueFadingList().empty())
        return;
    RenderTargetCopy(kRenderTargetSceneColour, kRenderTargetSceneCopy);
    RenderTargetBegin(kRenderTargetDefault, 0, kColourMaskAll, 0, kRenderTargetDepth);
    RenderTargetBindTextures(0, kRenderTargetSceneCopy, 0, 0, 0, 0, 0, 0);
    ShaderBind(Program(kRenderProgramActorFade));
    DrawFadingList();
}

void OpaquePasses()
{
    if (g_render.deferred)
    {
        BindForOpaque(kRenderProgramDeferredGeometry, false);
        DrawOpaque(kRenderSetStatic);
        BindForOpaque(kRenderProgramDeferredGeometry, false);
        DrawOpaque(kRenderSetSkinned);
        DrawDeferredFadingList();
        return;
    }
    SetUseLight(kRenderProgramStatic, 1.0f);
    SetUseLight(kRenderProgramSkinned, 1.0f);
    BindForOpaque(kRenderProgramStatic, true);
    DrawOpaque(kRenderSetStatic);
    BindForOpaque(kRenderProgramSkinned, true);
    DrawOpaque(kRenderSetSkinned);
    ShaderBind(Program(kRenderProgramActorFade));
    SetLightUniforms(Program(kRenderProgramActorFade));
    GLBlendAlpha();
    DrawFadingList();
}

void TransparentPasses(int role, int set)
{
    ShaderProgram* program = Program(role);
    ShaderBind(program);
    ShaderSetUniformInt(program, "numjoints", 0);
    ShaderSetUniformFloat(program, "useLight", 0.0f);
    DrawAlpha(set);
    DrawAdditive(set);
    DrawSubtractive(set);
}

void EffectsPass(const Mat4& view, const Frustum& world)
{
    GLCullOff();
    if (g_render.hooks.drawEffects)
        g_render.hooks.drawEffects(world);
    GLLoadMatrix(view);
    ShaderBind(Program(kRenderProgramFx));
    GLCullOff();
    if (g_render.hooks.flushEffects)
        g_render.hooks.flushEffects();
}

void BarsPass(const Mat4& view)
{
    GLLoadMatrix(view);
    ShaderBind(Program(kRenderProgramHud));
    GLDepthTestOff();
    GLDepthWriteOff();
    GLBlendAlpha();
    if (g_render.hooks.drawBars)
        g_render.hooks.drawBars(view);
}

void BeginFrameTarget()
{
    if (g_render.deferred)
        RenderTargetBegin(kRenderTargetDefault, 0, kColourMaskAll, 0, kRenderTargetDepth);
    else
        glViewport(0, 0, GLsizei(g_render.width), GLsizei(g_render.height));
}

void PresentFrameTarget()
{
    if (!g_render.deferred)
        return;
    ShaderBind(Program(kRenderProgramCopy));
    RenderTargetPresent();
}
} // namespace

RenderDisplayOptions RenderReadDisplayOptions(int screenWidth, int screenHeight)
{
    RenderDisplayOptions options;
    options.renderWidth = screenWidth;
    options.renderHeight = screenHeight;
    AttributeWriter attributes{options.attributes};
    CommandLineReset();
    while (const char* option = CommandLineNextOption())
    {
        if (strcmp(option, "rsize") == 0)
            ReadSizeOption(options.renderWidth, options.renderHeight);
        else if (strcmp(option, "vsize") == 0)
            ReadSizeOption(options.viewWidth, options.viewHeight);
        else if (strcmp(option, "windowed") == 0)
            attributes.Add(kDisplayAttributeWindowed);
        else if (strcmp(option, "fullscreen") == 0)
            attributes.Add(kDisplayAttributeFullScreen);
        else if (strcmp(option, "threadgl") == 0)
            attributes.Add(kDisplayAttributeThreadGL);
        else if (strcmp(option, "sync") == 0)
        {
            int interval = ReadNumber(CommandLineNextArgument(), 1);
            interval =
                interval < 0 ? 0 : (interval > kDisplayMaxSwapInterval ? kDisplayMaxSwapInterval : interval);
            attributes.Add(kDisplayAttributeSwapInterval + uint32_t(interval));
        }
        else if (strcmp(option, "msaa") == 0)
        {
            // A sample count of 0 would end the list early: no count, no code.
            const int samples = ReadNumber(CommandLineNextArgument(), 0);
            if (samples > 0 && attributes.HasRoom(2))
            {
                attributes.Add(kDisplayAttributeMultisample);
                attributes.Add(uint32_t(samples));
            }
        }
    }
    return options;
}

void RenderSetHooks(const RenderHooks& hooks)
{
    g_render.hooks = hooks;
}

bool InitializeRenderSystem()
{
    int screenWidth = 0;
    int screenHeight = 0;
    DisplayGetScreenSize(screenWidth, screenHeight);
    const RenderDisplayOptions options = RenderReadDisplayOptions(screenWidth, screenHeight);
    g_render.viewWidth = unsigned(options.viewWidth);
    g_render.viewHeight = unsigned(options.viewHeight);
    if (!DisplayCreate(options.renderWidth, options.renderHeight, options.attributes))
        return false;
    g_render.width = unsigned(DisplayGetWidth());
    g_render.height = unsigned(DisplayGetHeight());
    g_render.aspect = DisplayGetAspect();

    GLCapsInit();
    GLCapsSetClient(kGLCapDeferred, g_render.ambientOcclusion);
    GLClearStencil(0);
    GLDefaultState();
    GLDepthTestOff();
    GLStencilMask(0xFFFFFFFFu);
    GLBlendAlpha();
    PrimSetColor4ub(255, 255, 255, 255);
    TextureBuiltinsCreate();
    LoadPrograms();
    ModelSetFoliageShaderBucket(RenderQueueStaticShaderBucket());
    ChooseFrameShape();
    GLClearColorPacked(kClearColour);
    if (g_render.hooks.resetEffects)
        g_render.hooks.resetEffects();
    LightManagerInstance().CreateBuffers();
    g_render.lastFrameClock = ClockNow();
    g_render.initialised = true;
    GL_CHECK_ERROR("InitializeRenderSystem");
    return true;
}

void RenderResize()
{
    if (!g_render.initialised)
        return;
    g_render.width = unsigned(DisplayGetWidth());
    g_render.height = unsigned(DisplayGetHeight());
    g_render.aspect = DisplayGetAspect();
    if (g_render.deferred)
        ChooseFrameShape();
}

void RenderAll(float frameTime)
{
    ApplyLightMode();
    if (!g_render.initialised)
        return;
    if (g_render.hooks.loadingScreenActive && g_render.hooks.loadingScreenActive())
        return;
    const uint64_t now = ClockNow();
    RecordTime(g_render.frameTimes, g_render.frameCursor, float(now - g_render.lastFrameClock) / 1000.0f);
    g_render.lastFrameClock = now;

    BeginFrameTarget();
    GLDepthWriteOn();
    GLClearAll();
    VertexMapBind(0);
    GLCullBack();
    GLBindTexture(0, nullptr);
    GLBindTexture(1, nullptr);
    RenderStatsClear();
    RenderScene(frameTime, GetGlobalCamera().GetViewMatrix());
    RenderOverlay(frameTime);
    PresentFrameTarget();
    ScreenshotTakeIfRequested();
    GL_CHECK_ERROR("RenderAll");
    DisplayPresent();
}

void RenderScene(float frameTime, const Mat4& view)
{
    g_render.sceneTime += frameTime;
    GLBlendAlpha();
    RenderQueueClear();
    GLPerspective(GetGlobalCamera().GetFOV(), g_render.aspect, g_render.nearPlane, g_render.farPlane);
    GLGetProjection(g_render.projection);
    GLDepthTestFunc(3);
    GL_CHECK_ERROR("RenderScene");

    GLLoadMatrix(view);
    GLFixedLightsApply();
    Frustum world;
    Frustum viewSpace;
    FrustumFromProjectionModelView(world);
    FrustumFromProjection(viewSpace);
    SubmitScene(frameTime, world, viewSpace);
    GL_CHECK_ERROR("RenderScene");

    OpaquePasses();
    if (g_render.deferred)
        DeferredScreenPasses(view);
    TransparentPasses(kRenderProgramSkinned, kRenderSetSkinned);
    TransparentPasses(kRenderProgramStatic, kRenderSetStatic);
    GLLoadMatrix(view);
    GLFixedLightsOff();
    EffectsPass(view, world);
    BarsPass(view);
    UVAnimUpdateAll(g_render.sceneTime);
    ObjAnimUpdateAll(g_render.sceneTime);
    GL_CHECK_ERROR("RenderScene");
}

void RenderOverlay(float frameTime)
{
    const uint64_t start = ClockNow();
    GLDepthTestOff();
    GLAlphaTestOff();
    GL_CHECK_ERROR("RenderOverlay");
    ShaderBind(Program(kRenderProgramHud));
    SetOrthoForOverlay();
    GLBlendAlpha();
    PrimSetColor4ub(255, 255, 255, 255);
    GLLoadMatrix(RenderOverlayMatrix());
    CallOverlayScript("RenderOverlayStepScaled", frameTime);
    PrimFlush();
    GLLoadMatrix(Mat4Identity());
    if (g_render.hooks.drawScreens)
        g_render.hooks.drawScreens();
    CallOverlayScript("RenderOverlayStep", frameTime);
    if (g_render.hooks.drawSystemMessages)
        g_render.hooks.drawSystemMessages();
    PrimFlush();
    if (g_render.hooks.drawConsole)
        g_render.hooks.drawConsole();
    RecordTime(g_render.overlayTimes, g_render.overlayCursor, MillisecondsSince(start));
    GL_CHECK_ERROR("RenderOverlay");
}

void RenderLoadingFrame(float frameTime)
{
    if (!g_render.initialised)
        return;
    BeginFrameTarget();
    GLClearAll();
    GLDepthTestOff();
    GLAlphaTestOff();
    GLBlendOff();
    GLBindTexture(0, TextureBuiltin(kTextureDefaultWhite));
    VertexMapBind(0);
    SetOrthoForOverlay();
    GLLoadMatrix(Mat4Identity());
    ShaderBind(Program(kRenderProgramHud));
    GLBlendAlpha();
    PrimSetColor4ub(255, 255, 255, 255);
    if (g_render.hooks.drawLoadingScreen)
        g_render.hooks.drawLoadingScreen(frameTime);
    PrimFlush();
    if (g_render.hooks.drawConsole)
        g_render.hooks.drawConsole();
    PresentFrameTarget();
    GL_CHECK_ERROR("RenderLoadingFrame");
    DisplayPresent();
}

void RenderShutdown()
{
    if (g_render.hooks.shutdownEffects)
        g_render.hooks.shutdownEffects();
    if (!g_render.initialised)
        return;
    ShaderUnbindGL();
    ShaderBind(nullptr);
    for (ShaderProgram*& program : g_render.programs)
    {
        ShaderRelease(program);
        program = nullptr;
    }
    RenderQueueReleasePrograms();
    RenderQueueClear();
    VertexMapBind(0);
    LightManagerInstance().DestroyBuffers();
    RenderTargetsShutdown();
    PrimBatchDestroy();
    TextureBuiltinsDestroy();
    GLBindTextureCacheReset();
    g_render.initialised = false;
    g_render.deferred = false;
    DisplayDestroy();
}

bool RenderIsDeferred()
{
    return g_render.deferred;
}

bool RenderIsInitialised()
{
    return g_render.initialised;
}

void RenderGetSize(unsigned& width, unsigned& height)
{
    width = g_render.width;
    height = g_render.height;
}

float RenderGetAspect()
{
    return g_render.aspect;
}

ShaderProgram* RenderGetProgram(int role)
{
    return role >= 0 && role < kRenderProgramCount ? g_render.programs[role] : nullptr;
}

void RenderSetNearFarPlanes(float nearPlane, float farPlane)
{
    g_render.nearPlane = nearPlane;
    g_render.farPlane = farPlane;
}

void RenderGetNearFarPlanes(float& nearPlane, float& farPlane)
{
    nearPlane = g_render.nearPlane;
    farPlane = g_render.farPlane;
}

void RenderSetLightMode(int mode)
{
    g_render.lightMode = mode;
    g_render.lightModeReported = false;
}

int RenderGetLightMode()
{
    return g_render.lightMode;
}

void RenderSetAmbientOcclusion(bool on)
{
    g_render.ambientOcclusion = on;
}

bool RenderGetAmbientOcclusion()
{
    return g_render.ambientOcclusion;
}

const GlobalLight& RenderGetGlobalLight()
{
    return g_render.light;
}

void SetLightUniforms(ShaderProgram* program)
{
    const GlobalLight& light = g_render.light;
    ShaderSetUniformVec3(program, "l_direction", light.direction);
    ShaderSetUniformVec3(program, "l_diffuse", light.diffuse);
    ShaderSetUniformVec3(program, "l_specular", light.specular);
    ShaderSetUniformVec3(program, "l_ambient", light.ambient);
    ShaderSetUniformFloat(program, "l_power", light.power);
    ShaderSetUniformVec3(program, "l_point", light.point);
}

void RenderTileTerrain()
{
    const RenderHooks& hooks = g_render.hooks;
    if (!hooks.tileTerrainTileCount || !hooks.tileTerrainTile)
        return;
    Frustum world;
    FrustumFromProjectionModelView(world);
    const int count = hooks.tileTerrainTileCount();
    for (int i = 0; i < count; ++i)
    {
        RenderTile tile;
        if (!hooks.tileTerrainTile(i, tile) || !tile.model)
            continue;
        const Vec3 centre = tile.model->Centre() + tile.position;
        if (!SphereInFrustum(centre.x, centre.y, centre.z, tile.model->Radius(), &world))
            continue;
        GLPushMatrix();
        GLMultMatrix(tile.transform);
        RenderInstance::Submit(tile.instance, tile.model, nullptr, nullptr, -1.0f);
        GLPopMatrix();
    }
}

bool RenderOverlaySetOffset(const Vec2& topLeft, const Vec2& bottomRight)
{
    const float width = bottomRight.x - topLeft.x;
    const float height = bottomRight.y - topLeft.y;
    if (!(width > 0.0f) || !(height > 0.0f))
    {
        LogError("SetRenderOverlayOffset needs a rectangle with width and height; not changing the render "
                 "overlay\n");
        return false;
    }
    if (std::fabs(width / height - g_render.aspect) >= kAspectTolerance)
    {
        LogError(
            "Aspect ratio should not change when calling SetRenderOverlayOffset, Not changing offset or size "
            "of render overlay");
        return false;
    }
    const float renderDiagonal = std::sqrt(float(g_render.width) * float(g_render.width) +
                                           float(g_render.height) * float(g_render.height));
    g_render.overlayScale = std::sqrt(width * width + height * height) / renderDiagonal;
    g_render.overlayOffset.x = topLeft.x;
    g_render.overlayOffset.y = topLeft.y;
    return true;
}

float RenderOverlayScale()
{
    return g_render.overlayScale;
}

Vec3 RenderOverlayOffset()
{
    return g_render.overlayOffset;
}

Mat4 RenderOverlayMatrix()
{
    Mat4 m = Mat4Identity();
    m[0] = g_render.overlayScale;
    m[5] = g_render.overlayScale;
    m[12] = g_render.overlayOffset.x;
    m[13] = g_render.overlayOffset.y;
    m[14] = g_render.overlayOffset.z;
    return m;
}

const float* RenderFrameTimes()
{
    return g_render.frameTimes;
}

const float* RenderOverlayTimes()
{
    return g_render.overlayTimes;
}

float RenderSceneTime()
{
    return g_render.sceneTime;
}

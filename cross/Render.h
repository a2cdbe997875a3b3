#pragma once
// The renderer's entry points: bring the display and every GL resource of
// the frame up, draw one frame from the global camera, draw the 2D overlay
// through the script's callbacks, draw a loading frame, and let it all go.
//
// The frame has one of two shapes, chosen once at start-up: the deferred
// frame draws the scene into render targets, adds ambient occlusion and
// point-light volumes, mixes them and copies the result into the window; the
// forward frame draws straight into the window, lit by the programs' light
// uniforms. The deferred frame runs only when its targets and all of its
// programs were made.
//
// What the scene holds (terrain, effects, entities) and the 2D layers above
// it (bars, screens, system messages, the loading screen) belong to the game:
// it installs hooks for them, and a hook left empty draws nothing.

#include "core/Mat4.h"
#include "core/Vec2.h"
#include "cross/LightManager.h"
#include "opengl/Frustum.h"

#include <cstdint>

class Model;
class RenderInstance;
struct ShaderProgram;

// One tile of the tile terrain as the scene draws it.
struct RenderTile
{
    Mat4 transform;
    Vec3 position;
    RenderInstance* instance;
    const Model* model;
};

enum RenderProgramRole
{
    kRenderProgramHud,
    kRenderProgramFx,
    kRenderProgramSkinned,
    kRenderProgramStatic,
    kRenderProgramDeferredGeometry,
    kRenderProgramActorFade,
    kRenderProgramSsao,
    kRenderProgramBlurX,
    kRenderProgramBlurY,
    kRenderProgramMix,
    kRenderProgramCopy,
    kRenderProgramPoint,
    kRenderProgramDirectional,
    kRenderProgramSample,
    kRenderProgramCount,
};

// The size and display attributes the command line asks for.
constexpr int kRenderDisplayAttributesMax = 32;
struct RenderDisplayOptions
{
    int renderWidth = 0;
    int renderHeight = 0;
    int viewWidth = 1280;
    int viewHeight = 720;
    // Zero-terminated.
    uint32_t attributes[kRenderDisplayAttributesMax] = {};
};

// Reads "rsize", "vsize", "windowed", "fullscreen", "msaa", "sync" and
// "threadgl" from the stored command line, starting from the screen size.
RenderDisplayOptions RenderReadDisplayOptions(int screenWidth, int screenHeight);

struct RenderHooks
{
    bool (*loadingScreenActive)() = nullptr;
    void (*drawLoadingScreen)(float frameTime) = nullptr;
    // Scene submissions, in this order: terrain (no planes, time -1), tile
    // terrain (through RenderTileTerrain), effects pass 0 in world space,
    // then every entity's instance with the view-space planes.
    void (*submitTerrain)() = nullptr;
    int (*tileTerrainTileCount)() = nullptr;
    bool (*tileTerrainTile)(int index, RenderTile& out) = nullptr;
    void (*submitEffects)(const Frustum& world) = nullptr;
    void (*submitEntities)(float time, const Frustum& view) = nullptr;
    // Effects: the draw pass, then the batch flush under the fx program.
    void (*drawEffects)(const Frustum& world) = nullptr;
    void (*flushEffects)() = nullptr;
    void (*drawBars)(const Mat4& view) = nullptr;
    void (*drawScreens)() = nullptr;
    void (*drawSystemMessages)() = nullptr;
    void (*resetEffects)() = nullptr;
    void (*shutdownEffects)() = nullptr;
};

void RenderSetHooks(const RenderHooks& hooks);

// Creates the display at the command line's size and everything the frame
// draws with. False after a report when no display could be made.
bool InitializeRenderSystem();
// The display's new size becomes the render size; the deferred frame's
// targets are made again at it.
void RenderResize();
void RenderAll(float frameTime);
void RenderScene(float frameTime, const Mat4& view);
void RenderOverlay(float frameTime);
void RenderLoadingFrame(float frameTime);
void RenderShutdown();

bool RenderIsDeferred();
bool RenderIsInitialised();
void RenderGetSize(unsigned& width, unsigned& height);
float RenderGetAspect();
ShaderProgram* RenderGetProgram(int role);
void RenderSetNearFarPlanes(float nearPlane, float farPlane);
void RenderGetNearFarPlanes(float& nearPlane, float& farPlane);

// The scripts' settings: the light mode picks the global light every frame;
// ambient occlusion (default on) chooses the deferred frame at the next start.
void RenderSetLightMode(int mode);
int RenderGetLightMode();
void RenderSetAmbientOcclusion(bool on);
bool RenderGetAmbientOcclusion();
const GlobalLight& RenderGetGlobalLight();
void SetLightUniforms(ShaderProgram* program);
// Submits the tiles of the tile terrain whose models are in view.
void RenderTileTerrain();

// The overlay's rectangle on the screen: its shape must be the display's
// (within 0.01 of its aspect) and not empty; false after a report otherwise.
bool RenderOverlaySetOffset(const Vec2& topLeft, const Vec2& bottomRight);
float RenderOverlayScale();
Vec3 RenderOverlayOffset();
Mat4 RenderOverlayMatrix();

// Milliseconds of the last 30 frames and overlays.
constexpr int kRenderTimeRing = 30;
const float* RenderFrameTimes();
const float* RenderOverlayTimes();
float RenderSceneTime();

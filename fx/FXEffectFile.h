#pragma once
// Reading the effect definition files into the definition tables.

#include "core/KeywordTable.h"
#include "core/StreamBytes.h"

#include <cstdint>

struct ShaderProgram;
class Model;
class AnimBuffer;

// The keywords in identifier order (47; "INITAL" is spelled so).
enum FXKeyword : int
{
    kFXKwBeginEffect,
    kFXKwEndEffect,
    kFXKwFxName,
    kFXKwLodHighDistance,
    kFXKwLodLowDistance,
    kFXKwFadeInDistance,
    kFXKwFadeOutDistance,
    kFXKwMaxRadius,
    kFXKwUpdateWhenFaded,
    kFXKwDieWhenFaded,
    kFXKwBeginElement,
    kFXKwElementType,
    kFXKwLifeTime,
    kFXKwStartDelay,
    kFXKwTexture,
    kFXKwSizeInitialAddRandomMax,
    kFXKwBeginInterpolator,
    kFXKwKey,
    kFXKwLoopBegin,
    kFXKwLoopCount,
    kFXKwEndInterpolator,
    kFXKwRandomStartRotation,
    kFXKwEndElement,
    kFXKwParticleLifeTime,
    kFXKwAbsoluteParticlePositions,
    kFXKwInitalParticleCount,
    kFXKwTwoPoint,
    kFXKwRibbonElementLifeTime,
    kFXKwTextureUseLength,
    kFXKwBillboard,
    kFXKwLowLodMultiply,
    kFXKwShader,
    kFXKwSoundName,
    kFXKwSoundMaxVolume,
    kFXKwSoundLooping,
    kFXKwQuietDistance,
    kFXKwSpawnFx,
    kFXKwSpawnOnce,
    kFXKwBlend,
    kFXKwUsePosForVelDirection,
    kFXKwModelName,
    kFXKwAnimName,
    kFXKwScalingDistanceFinishMultiplySize,
    kFXKwScalingDistanceStart,
    kFXKwScalingDistanceFinish,
    kFXKwSegmentsBetween,
    kFXKwLodSegmentsBetween,
    kFXKeywordCount
};

const char* FXKeywordName(int keyword);

struct FXKeywordTables
{
    KeywordTable keywords;
    KeywordTable elementTypes;
    KeywordTable booleans;
    KeywordTable blendModes;
    KeywordTable billboardModes;
};

const FXKeywordTables& FXGetKeywordTables();
void FXBuildKeywordTables();

// How SHADER, MODEL_NAME and ANIM_NAME load what they name: the shader and
// model caches by default; readers without GL (the fuzz target) load nothing.
struct FXResourceLoaders
{
    ShaderProgram* (*shader)(const char* name);
    Model* (*model)(const char* path);
    AnimBuffer* (*anim)(const char* path, uint32_t identifier);
};
void FXSetResourceLoaders(const FXResourceLoaders& loaders);
FXResourceLoaders FXDefaultResourceLoaders();

// Every element the tables hold, each with all its curves full, takes a
// fifth of this.
constexpr FileSizeBound kEffectFileBound = {"effect definition", 16ull << 20};

// Textures of "<folder>/textures", then every definition file of the folder.
void FXInit(const char* folder);
void FXLoadEffectDefs(const char* folder);
const char* FXGetEffectFolder();
// Opens and parses one file; false (reported) when it does not open or
// cannot be read whole.
bool FXParseEffectFile(const char* fileName);
// Parses one definition held in memory (the keyword tables must be built);
// whatever it holds that is whole and fits goes into the tables.
void FXParseEffectText(const char* fileName, const char* text, int length);

#pragma once
// The effect and element definition tables, filled from the effect files at
// start-up and read-only while effects run: instances hold plain pointers
// into them.

#include "core/InterpDef.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct ShaderProgram;
class Model;
class AnimBuffer;

enum FXElementType : int32_t
{
    kFXBillboard = 0,
    kFXParticleSystem = 1,
    kFXRibbon = 2,
    kFXSound = 3,
    kFXMesh = 4,
    kFXSpawn = 5,
    kFXLight = 6,
    kFXElementTypeCount = 7,
};

constexpr int kFXMaxEffectDefs = 100;
constexpr int kFXMaxElementDefs = 500;
constexpr int kFXParticleCurves = 21;
constexpr int kFXSpawnCurves = 11;
constexpr int kFXLightCurves = 8;
constexpr int kFXLowLodMultiplies = 3;

struct FXEffectDef
{
    uint32_t nameHash = 0;
    int32_t firstElement = 0;
    int32_t elementCount = 0;
    float lodHighDistance = 0.0f;
    float lodLowDistance = 0.0f;
    float fadeInDistance = 0.0f;
    float fadeOutDistance = 0.0f;
    float maxRadius = 0.0f;
    uint8_t updateWhenFaded = 0;
    uint8_t dieWhenFaded = 0;
};

struct FXElementDef
{
    int32_t type = kFXElementTypeCount;
    float lifeTime = 0.0f;
    float startDelay = 0.0f;
    int32_t texture = -1;
    uint32_t shaderHash = 0;
    ShaderProgram* shader = nullptr;
    InterpDef sizeCurve;
    InterpDef stretchCurve;
    float sizeRandomAddMax = 0.0f;
    InterpDef redCurve, greenCurve, blueCurve, alphaCurve, spinSpeedCurve;
    uint8_t randomStartRotation = 0;
    int32_t billboardMode = 1;
    int32_t blend = 0;
    float scalingDistanceStart = 0.0f;
    float scalingDistanceFinish = 0.0f;
    float scalingDistanceFinishMultiplySize = 1.0f;

    float particleLifeTime = 0.0f;
    InterpDef particleCurves[kFXParticleCurves];
    float lowLodMultiply[kFXLowLodMultiplies] = {};
    uint8_t absoluteParticlePositions = 0;
    int32_t initialParticleCount = 0;
    uint8_t usePosForVelDirection = 0;

    uint8_t twoPoint = 0;
    InterpDef textureScrollCurve;
    float ribbonElementLifeTime = 0.0f;
    float textureUseLength = 0.0f;
    float segmentsBetween = 0.0f;
    float lodSegmentsBetween = 0.0f;

    uint32_t soundHash = 0;
    float soundMaxVolume = 0.0f;
    float quietDistance = 0.0f;
    uint8_t soundLooping = 0;

    Model* model = nullptr;
    AnimBuffer* anim = nullptr;

    uint32_t spawnHash = 0;
    uint8_t spawnOnce = 0;
    InterpDef spawnCurves[kFXSpawnCurves];
    InterpDef lightCurves[kFXLightCurves];

    // Releases the shader, model and animation and returns every field to
    // its reset value.
    void Reset();
};

// The element definitions, indexed 0 to kFXMaxElementDefs - 1 like an array
// whose every entry starts at its reset value. An entry is made when first
// reached, so the megabytes of curves behind the unused ones are never
// touched; the room is reserved once, so entries never move.
class FXElementDefTable
{
public:
    FXElementDefTable() { m_made.reserve(kFXMaxElementDefs); }
    FXElementDef& operator[](int index) const
    {
        if (index >= int(m_made.size()))
            m_made.resize(size_t(index) + 1);
        return m_made[size_t(index)];
    }

private:
    mutable std::vector<FXElementDef> m_made;
};

struct FXDefinitionTables
{
    FXEffectDef effects[kFXMaxEffectDefs];
    int32_t effectCount = 0;
    FXElementDefTable elements;
    int32_t elementCount = 0;
};

FXDefinitionTables& FXGetDefinitionTables();

// The first definition in load order with the name hash, or null.
const FXEffectDef* FXFindEffectDef(uint32_t nameHash);
// Null outside the elements in use.
const FXElementDef* FXGetElementDef(int index);
void FXClearDefinitions();

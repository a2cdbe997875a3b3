#pragma once
// Writes effect definition files: the header keywords, then each element's
// block in the fixed order its type asks for. Curves left unset are written
// as one key of value 1, so every element has every curve it needs.

#include <string>
#include <utility>
#include <vector>

struct EffectCurveText
{
    std::vector<std::pair<float, float>> keys; // (time, value)
    int loopBeginBeforeKey = -1;               // LOOP_BEGIN written before this key; -1 for none
    int loopCount = 0;                         // LOOP_COUNT written after the keys when above 0
};

struct EffectElementText
{
    std::string type = "BILLBOARD";
    float lifeTime = 1.0f;
    float startDelay = 0.0f;
    std::string texture = "white.tga";
    std::string shader = "fx_billboard";
    std::string blend = "ALPHA";
    float sizeRandomAddMax = 0.0f;
    bool randomStartRotation = false;
    std::string billboard = "NORMAL";
    float scaleMultiply = 1.0f;
    float scaleStart = 0.0f;
    float scaleFinish = 0.0f;
    float particleLifeTime = 1.0f;
    float lowLodMultiply[3] = {1.0f, 1.0f, 1.0f};
    bool absoluteParticlePositions = false;
    int initialParticleCount = 0;
    bool usePosForVelDirection = false;
    bool twoPoint = false;
    float ribbonElementLifeTime = 1.0f;
    float textureUseLength = 1.0f;
    float segmentsBetween = 2.0f;
    float lodSegmentsBetween = 1.0f;
    std::string soundName = "fx_sound";
    float soundMaxVolume = 1.0f;
    bool soundLooping = false;
    float quietDistance = 10.0f;
    std::string modelName = "fx_mesh";
    std::string animName = "NONE";
    std::string spawnFx = "child";
    bool spawnOnce = true;
    // In the order the type's block reads them; missing ones get the default curve.
    std::vector<EffectCurveText> curves;
};

struct EffectDefText
{
    std::string name = "effect";
    float lodHighDistance = 50.0f;
    float lodLowDistance = 100.0f;
    float fadeInDistance = 150.0f;
    float fadeOutDistance = 200.0f;
    float maxRadius = 5.0f;
    bool updateWhenFaded = true;
    bool dieWhenFaded = false;
    std::vector<EffectElementText> elements;
};

// How many curves the block of an element type word holds (0 for an unknown word).
int EffectCurveCount(const std::string& type);
std::string EffectDefToText(const EffectDefText& effect);

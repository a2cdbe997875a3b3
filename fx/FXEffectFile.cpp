#include "fx/FXEffectFile.h"

#include "core/FileTable.h"
#include "core/FixedString.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/StringUtil.h"
#include "core/Tokenizer.h"
#include "core/pd_ifstream.h"
#include "cross/AnimBuffer.h"
#include "cross/ModelCache.h"
#include "fx/FXDefinitions.h"
#include "fx/FXElementKinds.h"
#include "fx/FXTextureSet.h"
#include "opengl/ShaderProgram.h"

#include <cstdlib>
#include <vector>

namespace
{
const char* const kKeywordNames[kFXKeywordCount] = {
    "BEGIN_EFFECT", "END_EFFECT", "FX_NAME", "LOD_HIGH_DISTANCE", "LOD_LOW_DISTANCE", "FADE_IN_DISTANCE",
    "FADE_OUT_DISTANCE", "MAX_RADIUS", "UPDATE_WHEN_FADED", "DIE_WHEN_FADED", "BEGIN_ELEMENT", "ELEMENT_TYPE",
    "LIFE_TIME", "START_DELAY", "TEXTURE", "SIZE_INITIAL_ADD_RANDOM_MAX", "BEGIN_INTERPOLATOR", "KEY",
    "LOOP_BEGIN", "LOOP_COUNT", "END_INTERPOLATOR", "RANDOM_START_ROTATION", "END_ELEMENT", "PARTICLE_LIFE_TIME",
    "ABSOLUTE_PARTICLE_POSITIONS", "INITAL_PARTICLE_COUNT", "TWOPOINT", "RIBBON_ELEMENT_LIFE_TIME",
    "TEXTURE_USE_LENGTH", "BILLBOARD", "LOW_LOD_MULTIPLY", "SHADER", "SOUND_NAME", "SOUND_MAX_VOLUME",
    "SOUND_LOOPING", "QUIET_DISTANCE", "SPAWN_FX", "SPAWN_ONCE", "BLEND", "USE_POS_FOR_VEL_DIRECTION", "MODEL_NAME",
    "ANIM_NAME", "SCALING_DISTANCE_FINISH_MULTIPLY_SIZE", "SCALING_DISTANCE_START", "SCALING_DISTANCE_FINISH",
    "SEGMENTS_BETWEEN", "LOD_SEGMENTS_BETWEEN"};
const char* const kElementTypeNames[] = {"BILLBOARD", "PARTICLE_SYSTEM", "RIBBON", "SOUND", "MESH", "SPAWN", "LIGHT"};
const char* const kBooleanNames[] = {"FALSE", "TRUE"};
const char* const kBlendNames[] = {"NONE", "ALPHA", "ADDITIVE", "SUBTRACTIVE"};
const char* const kBillboardNames[] = {"NONE", "NORMAL", "PSEUDO"};

constexpr int kTokenSize = 128;

AnimBuffer* LoadAnimation(const char* path, uint32_t identifier)
{
    return AnimCache(path, kAnimCacheScriptMaximum, identifier);
}

struct FXFileState
{
    FXKeywordTables tables;
    FXResourceLoaders loaders = FXDefaultResourceLoaders();
    FixedString128 folder;
    FixedString256 currentFile{"NOT VALID"};
    FXElementDef overflow; // parsed into when the element table is full, then dropped
};

FXFileState& State()
{
    static FXFileState state;
    return state;
}

class FXEffectParser
{
public:
    explicit FXEffectParser(const char* fileName) : m_fileName(fileName) {}
    void ParseEffect();

private:
    bool NextToken();
    void Fail();
    int ReadWord(const KeywordTable& table);
    void Expect(int keyword);
    float ReadNumber();
    float ReadNumberAfter(int keyword);
    void Check(bool condition);
    int32_t ReadBoolAfter(int keyword);
    bool ParseHeader(FXEffectDef& effect);
    bool ParseElement();
    void SkipElement();
    void ReadCurve(InterpDef& curve);
    void ReadCurveEntries(InterpDef& curve);
    void ReadLifeHeader(FXElementDef& element);
    void ReadShader(FXElementDef& element);
    void ReadTextured(FXElementDef& element);
    void ReadDistanceScaling(FXElementDef& element);
    void ReadBlock(FXElementDef& element);
    void ReadParticleBlock(FXElementDef& element);
    void ReadRibbonBlock(FXElementDef& element);
    void ReadSoundBlock(FXElementDef& element);
    void ReadMeshBlock(FXElementDef& element);
    void ReadSpawnBlock(FXElementDef& element);

    const char* m_fileName;
    char m_token[kTokenSize] = {};
    bool m_exhausted = false;
    bool m_lastToken = false;
};

bool FXEffectParser::NextToken()
{
    m_token[0] = 0;
    if (m_exhausted || m_lastToken || !TokenNext(&m_lastToken, m_token, kTokenSize))
    {
        m_token[0] = 0;
        m_exhausted = true;
        return false;
    }
    return true;
}

void FXEffectParser::Fail()
{
    if (m_exhausted)
        EmptyFunction("Error file %s on character number %d \n", m_fileName, TokenGetPosition());
    else
        EmptyFunction("Error file %s on character number %d %s\n", m_fileName, TokenGetPosition(), m_token);
}

void FXEffectParser::Check(bool condition)
{
    if (!condition)
        Fail();
}

int FXEffectParser::ReadWord(const KeywordTable& table)
{
    if (!NextToken())
    {
        Fail();
        return -1;
    }
    char upper[kTokenSize];
    StringCopyN(upper, m_token, kTokenSize);
    StringToUpper(upper);
    const int id = table.Find(HashString(upper));
    Check(id >= 0);
    return id;
}

void FXEffectParser::Expect(int keyword)
{
    if (ReadWord(State().tables.keywords) != keyword && !m_exhausted)
        Fail();
}

float FXEffectParser::ReadNumber()
{
    if (!NextToken())
    {
        Fail();
        return 0.0f;
    }
    return static_cast<float>(std::strtod(m_token, nullptr));
}

float FXEffectParser::ReadNumberAfter(int keyword)
{
    Expect(keyword);
    return ReadNumber();
}

int32_t FXEffectParser::ReadBoolAfter(int keyword)
{
    Expect(keyword);
    return ReadWord(State().tables.booleans);
}

// A word not in the boolean table reads as -1, which counts as true.
uint8_t AsBool(int32_t word)
{
    return word != 0 ? 1 : 0;
}

bool FXEffectParser::ParseHeader(FXEffectDef& effect)
{
    Expect(kFXKwBeginEffect);
    Expect(kFXKwFxName);
    if (NextToken())
    {
        StringToLower(m_token);
        effect.nameHash = HashString(m_token);
    }
    effect.lodHighDistance = ReadNumberAfter(kFXKwLodHighDistance);
    Check(effect.lodHighDistance > 0.0f);
    effect.lodLowDistance = ReadNumberAfter(kFXKwLodLowDistance);
    Check(effect.lodLowDistance > effect.lodHighDistance);
    effect.fadeInDistance = ReadNumberAfter(kFXKwFadeInDistance);
    Check(effect.fadeInDistance > 0.0f);
    effect.fadeOutDistance = ReadNumberAfter(kFXKwFadeOutDistance);
    Check(effect.fadeOutDistance > effect.fadeInDistance);
    effect.maxRadius = ReadNumberAfter(kFXKwMaxRadius);
    Check(effect.maxRadius > 0.0f);
    effect.updateWhenFaded = AsBool(ReadBoolAfter(kFXKwUpdateWhenFaded));
    effect.dieWhenFaded = AsBool(ReadBoolAfter(kFXKwDieWhenFaded));
    return !m_exhausted;
}

void FXEffectParser::ParseEffect()
{
    FXDefinitionTables& tables = FXGetDefinitionTables();
    FXEffectDef effect;
    effect.firstElement = tables.elementCount;
    if (!ParseHeader(effect))
    {
        LogError("Effect file %s ends inside its header; no effect kept.\n", m_fileName);
        return;
    }
    while (!m_exhausted)
    {
        const int keyword = ReadWord(State().tables.keywords);
        if (m_exhausted || keyword == kFXKwEndEffect)
            break;
        Check(keyword == kFXKwBeginElement);
        if (ParseElement())
            ++effect.elementCount;
    }
    if (tables.effectCount >= kFXMaxEffectDefs)
    {
        LogError("Effect table full: %s left out (%d effects)\n", m_fileName, kFXMaxEffectDefs);
        for (int i = effect.firstElement; i < tables.elementCount; ++i)
            tables.elements[i].Reset();
        tables.elementCount = effect.firstElement;
        return;
    }
    tables.effects[tables.effectCount++] = effect;
}

void FXEffectParser::SkipElement()
{
    while (ReadWord(State().tables.keywords) != kFXKwEndElement && !m_exhausted)
    {
    }
}

bool FXEffectParser::ParseElement()
{
    FXDefinitionTables& tables = FXGetDefinitionTables();
    Expect(kFXKwElementType);
    int type = ReadWord(State().tables.elementTypes);
    const bool known = type >= 0 && type < kFXElementTypeCount;
    if (!known)
    {
        // It keeps its place, so the elements after it keep their numbers;
        // no pool takes type -1, so it makes nothing in an instance.
        LogError("Effect file %s: unknown element type %s kept as an element that makes nothing\n", m_fileName,
                 m_token);
        type = -1;
    }
    const bool fits = tables.elementCount < kFXMaxElementDefs;
    FXElementDef& element = fits ? tables.elements[tables.elementCount] : State().overflow;
    element.Reset();
    element.type = type;
    if (known)
    {
        ReadBlock(element);
        Expect(kFXKwEndElement);
    }
    else
        SkipElement();
    if (m_exhausted)
    {
        LogError("Effect file %s ends inside an element; the element is left out.\n", m_fileName);
        element.Reset();
        return false;
    }
    if (!fits)
    {
        LogError("Effect element table full: an element of %s left out (%d elements)\n", m_fileName,
                 kFXMaxElementDefs);
        element.Reset();
        return false;
    }
    ++tables.elementCount;
    return true;
}

void FXEffectParser::ReadCurveEntries(InterpDef& curve)
{
    bool loopBegun = false;
    bool loopCounted = false;
    int dropped = 0;
    while (!m_exhausted)
    {
        const int keyword = ReadWord(State().tables.keywords);
        if (keyword == kFXKwEndInterpolator || m_exhausted)
            break;
        if (keyword == kFXKwKey)
        {
            const float time = ReadNumber();
            Check(time >= 0.0f);
            const float value = ReadNumber();
            // Counted, not added: a full curve would report every key refused.
            if (curve.keyCount < InterpDef::kMaxKeys)
                curve.AddKey(time, value);
            else
                ++dropped;
        }
        else if (keyword == kFXKwLoopBegin)
        {
            Check(!loopBegun);
            loopBegun = true;
            curve.loop = 1;
            curve.loopBegin = curve.keyCount;
        }
        else if (keyword == kFXKwLoopCount)
        {
            Check(loopBegun && !loopCounted);
            loopCounted = true;
            curve.loopEnd = curve.keyCount - 1;
            Check(curve.loopEnd > curve.loopBegin);
            curve.loopCount = NextToken() ? StringToInt(m_token) : 0;
            Check(curve.loopCount >= 1);
        }
        else
        {
            Fail();
        }
    }
    if (dropped > 0)
        LogError("Effect file %s: a curve has more than %d keys; the last %d are left out\n", m_fileName,
                 InterpDef::kMaxKeys, dropped);
    // A loop that failed its checks would divide by nothing or read past the keys.
    if (curve.loop && (!loopCounted || curve.loopCount < 1 || !curve.HasUsableLoop()))
    {
        curve.loop = 0;
        curve.loopBegin = curve.loopEnd = curve.loopCount = 0;
    }
}

void FXEffectParser::ReadCurve(InterpDef& curve)
{
    curve.Clear();
    Expect(kFXKwBeginInterpolator);
    ReadCurveEntries(curve);
}

void FXEffectParser::ReadLifeHeader(FXElementDef& element)
{
    element.lifeTime = ReadNumberAfter(kFXKwLifeTime);
    Check(element.lifeTime >= 0.0f);
    element.startDelay = ReadNumberAfter(kFXKwStartDelay);
    Check(element.startDelay >= 0.0f);
}

void FXEffectParser::ReadShader(FXElementDef& element)
{
    Expect(kFXKwShader);
    if (!NextToken())
        return Fail();
    element.shaderHash = HashString(m_token);
    element.shader = State().loaders.shader(m_token);
    Check(element.shader != nullptr);
}

void FXEffectParser::ReadTextured(FXElementDef& element)
{
    ReadLifeHeader(element);
    Expect(kFXKwTexture);
    if (NextToken())
    {
        element.texture = FXFindTexture(m_token);
        if (element.texture < 0)
            EmptyFunction("FX texture not loaded %s\n", m_token);
    }
    ReadShader(element);
    Expect(kFXKwBlend);
    element.blend = ReadWord(State().tables.blendModes);
    ReadCurve(element.sizeCurve);
    element.sizeRandomAddMax = ReadNumberAfter(kFXKwSizeInitialAddRandomMax);
    for (InterpDef* curve : {&element.redCurve, &element.greenCurve, &element.blueCurve, &element.alphaCurve,
                             &element.spinSpeedCurve})
        ReadCurve(*curve);
    element.randomStartRotation = AsBool(ReadBoolAfter(kFXKwRandomStartRotation));
    Expect(kFXKwBillboard);
    element.billboardMode = ReadWord(State().tables.billboardModes);
}

void FXEffectParser::ReadDistanceScaling(FXElementDef& element)
{
    element.scalingDistanceFinishMultiplySize = ReadNumberAfter(kFXKwScalingDistanceFinishMultiplySize);
    Check(element.scalingDistanceFinishMultiplySize >= 0.0f);
    element.scalingDistanceStart = ReadNumberAfter(kFXKwScalingDistanceStart);
    element.scalingDistanceFinish = ReadNumberAfter(kFXKwScalingDistanceFinish);
    if (element.scalingDistanceFinishMultiplySize != 1.0f)
        Check(element.scalingDistanceStart >= 0.0f &&
              element.scalingDistanceFinish > element.scalingDistanceStart);
}

void FXEffectParser::ReadParticleBlock(FXElementDef& element)
{
    element.particleLifeTime = ReadNumberAfter(kFXKwParticleLifeTime);
    Check(element.particleLifeTime >= 0.0f);
    ReadCurve(element.particleCurves[0]);
    element.lowLodMultiply[0] = ReadNumberAfter(kFXKwLowLodMultiply);
    Check(element.lowLodMultiply[0] >= 1.0f);
    element.absoluteParticlePositions = AsBool(ReadBoolAfter(kFXKwAbsoluteParticlePositions));
    for (int i = 1; i <= 8; ++i)
        ReadCurve(element.particleCurves[i]);
    Expect(kFXKwInitalParticleCount);
    element.initialParticleCount = NextToken() ? StringToInt(m_token) : 0;
    element.lowLodMultiply[1] = ReadNumberAfter(kFXKwLowLodMultiply);
    Check(element.lowLodMultiply[1] >= 0.0f && element.lowLodMultiply[1] <= 1.0f);
    ReadCurve(element.particleCurves[9]);
    element.lowLodMultiply[2] = ReadNumberAfter(kFXKwLowLodMultiply);
    Check(element.lowLodMultiply[2] >= 0.0f && element.lowLodMultiply[2] <= 1.0f);
    for (int i = 10; i <= 13; ++i)
        ReadCurve(element.particleCurves[i]);
    element.usePosForVelDirection = AsBool(ReadBoolAfter(kFXKwUsePosForVelDirection));
    for (int i = 14; i < kFXParticleCurves; ++i)
        ReadCurve(element.particleCurves[i]);
}

void FXEffectParser::ReadRibbonBlock(FXElementDef& element)
{
    element.twoPoint = AsBool(ReadBoolAfter(kFXKwTwoPoint));
    ReadCurve(element.textureScrollCurve);
    element.ribbonElementLifeTime = ReadNumberAfter(kFXKwRibbonElementLifeTime);
    Check(element.ribbonElementLifeTime >= 0.0f);
    element.textureUseLength = ReadNumberAfter(kFXKwTextureUseLength);
    Check(element.textureUseLength > 0.0f && element.textureUseLength <= 1.0f);
    element.segmentsBetween = ReadNumberAfter(kFXKwSegmentsBetween);
    Check(element.segmentsBetween >= 0.0f);
    element.lodSegmentsBetween = ReadNumberAfter(kFXKwLodSegmentsBetween);
    Check(element.lodSegmentsBetween >= 0.0f && element.lodSegmentsBetween <= element.segmentsBetween);
}

void FXEffectParser::ReadSoundBlock(FXElementDef& element)
{
    ReadLifeHeader(element);
    Expect(kFXKwSoundName);
    if (NextToken())
        element.soundHash = HashString(m_token);
    element.soundMaxVolume = ReadNumberAfter(kFXKwSoundMaxVolume);
    Check(element.soundMaxVolume >= 0.0f && element.soundMaxVolume <= 1.0f);
    element.soundLooping = AsBool(ReadBoolAfter(kFXKwSoundLooping));
    element.quietDistance = ReadNumberAfter(kFXKwQuietDistance);
    Check(element.quietDistance > 0.0f);
}

void FXEffectParser::ReadMeshBlock(FXElementDef& element)
{
    ReadLifeHeader(element);
    ReadShader(element);
    FixedString256 path;
    Expect(kFXKwModelName);
    if (NextToken())
    {
        path.Format("%s/%s/%s.chmodel", State().folder.c_str(), "models", m_token);
        element.model = State().loaders.model(path.c_str());
        Check(element.model != nullptr);
    }
    Expect(kFXKwAnimName);
    if (NextToken() && !StringEquals(m_token, "NONE"))
    {
        path.Format("%s/%s/%s.chanim", State().folder.c_str(), "models", m_token);
        element.anim = State().loaders.anim(path.c_str(), HashString(m_token));
        Check(element.anim != nullptr);
    }
}

void FXEffectParser::ReadSpawnBlock(FXElementDef& element)
{
    ReadLifeHeader(element);
    Expect(kFXKwSpawnFx);
    if (NextToken())
    {
        StringToLower(m_token);
        element.spawnHash = HashString(m_token);
    }
    element.spawnOnce = AsBool(ReadBoolAfter(kFXKwSpawnOnce));
    for (InterpDef& curve : element.spawnCurves)
        ReadCurve(curve);
}

void FXEffectParser::ReadBlock(FXElementDef& element)
{
    switch (element.type)
    {
    case kFXBillboard:
    case kFXParticleSystem:
        ReadTextured(element);
        ReadDistanceScaling(element);
        ReadCurve(element.stretchCurve);
        if (element.type == kFXParticleSystem)
            ReadParticleBlock(element);
        break;
    case kFXRibbon:
        ReadTextured(element);
        ReadRibbonBlock(element);
        break;
    case kFXSound:
        ReadSoundBlock(element);
        break;
    case kFXMesh:
        ReadMeshBlock(element);
        break;
    case kFXSpawn:
        ReadSpawnBlock(element);
        break;
    case kFXLight:
        ReadLifeHeader(element);
        for (InterpDef& curve : element.lightCurves)
            ReadCurve(curve);
        break;
    default:
        break;
    }
}

template <int N>
void BuildTable(KeywordTable& table, const char* const (&words)[N])
{
    table.Clear();
    table.Build(words, N);
}
} // namespace

FXResourceLoaders FXDefaultResourceLoaders()
{
    return FXResourceLoaders{ShaderLoad, ModelCache, LoadAnimation};
}

void FXSetResourceLoaders(const FXResourceLoaders& loaders)
{
    State().loaders = loaders;
}

const char* FXKeywordName(int keyword)
{
    return keyword >= 0 && keyword < kFXKeywordCount ? kKeywordNames[keyword] : "";
}

const FXKeywordTables& FXGetKeywordTables()
{
    return State().tables;
}

void FXBuildKeywordTables()
{
    FXKeywordTables& tables = State().tables;
    BuildTable(tables.keywords, kKeywordNames);
    BuildTable(tables.elementTypes, kElementTypeNames);
    BuildTable(tables.booleans, kBooleanNames);
    BuildTable(tables.blendModes, kBlendNames);
    BuildTable(tables.billboardModes, kBillboardNames);
}

void FXParseEffectText(const char* fileName, const char* text, int length)
{
    State().currentFile.Format("%s", fileName);
    TokenReset();
    TokenSetText(text, length);
    FXEffectParser(State().currentFile.c_str()).ParseEffect();
    TokenStop();
    State().currentFile.Format("NOT VALID");
}

bool FXParseEffectFile(const char* fileName)
{
    pd_ifstream stream(fileName, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open effect def %s failed.\n", fileName);
        return false;
    }
    std::vector<uint8_t> text;
    if (!StreamReadAll(stream, kEffectFileBound, text))
        return false;
    stream.Close();
    FXParseEffectText(fileName, reinterpret_cast<const char*>(text.data()), static_cast<int>(text.size()));
    return true;
}

const char* FXGetEffectFolder()
{
    return State().folder.c_str();
}

void FXLoadEffectDefs(const char* folder)
{
    State().folder.Format("%s", folder);
    FXBuildKeywordTables();
    FixedString256 pattern;
    // Anchored, so "sound/effects/ui.csv" or "a.csv.bak" are not effects.
    pattern.Format("^%s/.*[.]csv$", folder);
    FileTableIterator it;
    for (it.Begin(pattern.c_str()); it.NotEqual(FileTableEnd()); it.Next())
        FXParseEffectFile(it.Name());
}

void FXInit(const char* folder)
{
    FXInstallElementKinds();
    FixedString256 textures;
    textures.Format("%s/%s", folder, "textures");
    FXLoadTextures(textures.c_str());
    FXLoadEffectDefs(folder);
}

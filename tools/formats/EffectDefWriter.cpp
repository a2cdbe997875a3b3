#include "tools/formats/EffectDefWriter.h"

#include <cstdio>

namespace
{
class EffectTextBuilder
{
public:
    void Line(const char* keyword) { m_text += std::string(keyword) + "\n"; }
    void Line(const char* keyword, const std::string& value) { m_text += std::string(keyword) + "\t" + value + "\n"; }
    void Line(const char* keyword, float value) { Line(keyword, Number(value)); }
    void Line(const char* keyword, bool value) { Line(keyword, std::string(value ? "TRUE" : "FALSE")); }
    void Line(const char* keyword, int value) { Line(keyword, std::to_string(value)); }
    void Curve(const EffectElementText& element, size_t index);
    const std::string& Text() const { return m_text; }

    static std::string Number(float value)
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
        return text;
    }

private:
    std::string m_text;
};

void EffectTextBuilder::Curve(const EffectElementText& element, size_t index)
{
    static const EffectCurveText kDefault{{{0.0f, 1.0f}}, -1, 0};
    const EffectCurveText& curve = index < element.curves.size() ? element.curves[index] : kDefault;
    Line("BEGIN_INTERPOLATOR");
    for (size_t k = 0; k < curve.keys.size(); ++k)
    {
        if (static_cast<int>(k) == curve.loopBeginBeforeKey)
            Line("LOOP_BEGIN");
        Line("KEY", Number(curve.keys[k].first) + "\t" + Number(curve.keys[k].second));
    }
    if (curve.loopCount > 0)
        Line("LOOP_COUNT", curve.loopCount);
    Line("END_INTERPOLATOR");
}

void WriteLife(EffectTextBuilder& out, const EffectElementText& e)
{
    out.Line("LIFE_TIME", e.lifeTime);
    out.Line("START_DELAY", e.startDelay);
}

// Returns the index of the next curve.
size_t WriteTextured(EffectTextBuilder& out, const EffectElementText& e)
{
    WriteLife(out, e);
    out.Line("TEXTURE", e.texture);
    out.Line("SHADER", e.shader);
    out.Line("BLEND", e.blend);
    out.Curve(e, 0);
    out.Line("SIZE_INITIAL_ADD_RANDOM_MAX", e.sizeRandomAddMax);
    for (size_t i = 1; i <= 5; ++i)
        out.Curve(e, i);
    out.Line("RANDOM_START_ROTATION", e.randomStartRotation);
    out.Line("BILLBOARD", e.billboard);
    return 6;
}

size_t WriteBillboardBody(EffectTextBuilder& out, const EffectElementText& e)
{
    size_t next = WriteTextured(out, e);
    out.Line("SCALING_DISTANCE_FINISH_MULTIPLY_SIZE", e.scaleMultiply);
    out.Line("SCALING_DISTANCE_START", e.scaleStart);
    out.Line("SCALING_DISTANCE_FINISH", e.scaleFinish);
    out.Curve(e, next++);
    return next;
}

void WriteParticles(EffectTextBuilder& out, const EffectElementText& e)
{
    size_t next = WriteBillboardBody(out, e);
    out.Line("PARTICLE_LIFE_TIME", e.particleLifeTime);
    out.Curve(e, next++);
    out.Line("LOW_LOD_MULTIPLY", e.lowLodMultiply[0]);
    out.Line("ABSOLUTE_PARTICLE_POSITIONS", e.absoluteParticlePositions);
    for (int i = 0; i < 8; ++i)
        out.Curve(e, next++);
    out.Line("INITAL_PARTICLE_COUNT", e.initialParticleCount);
    out.Line("LOW_LOD_MULTIPLY", e.lowLodMultiply[1]);
    out.Curve(e, next++);
    out.Line("LOW_LOD_MULTIPLY", e.lowLodMultiply[2]);
    for (int i = 0; i < 4; ++i)
        out.Curve(e, next++);
    out.Line("USE_POS_FOR_VEL_DIRECTION", e.usePosForVelDirection);
    for (int i = 0; i < 7; ++i)
        out.Curve(e, next++);
}

void WriteRibbon(EffectTextBuilder& out, const EffectElementText& e)
{
    const size_t next = WriteTextured(out, e);
    out.Line("TWOPOINT", e.twoPoint);
    out.Curve(e, next);
    out.Line("RIBBON_ELEMENT_LIFE_TIME", e.ribbonElementLifeTime);
    out.Line("TEXTURE_USE_LENGTH", e.textureUseLength);
    out.Line("SEGMENTS_BETWEEN", e.segmentsBetween);
    out.Line("LOD_SEGMENTS_BETWEEN", e.lodSegmentsBetween);
}

void WriteElementBlock(EffectTextBuilder& out, const EffectElementText& e)
{
    if (e.type == "BILLBOARD")
        WriteBillboardBody(out, e);
    else if (e.type == "PARTICLE_SYSTEM")
        WriteParticles(out, e);
    else if (e.type == "RIBBON")
        WriteRibbon(out, e);
    else if (e.type == "SOUND")
    {
        WriteLife(out, e);
        out.Line("SOUND_NAME", e.soundName);
        out.Line("SOUND_MAX_VOLUME", e.soundMaxVolume);
        out.Line("SOUND_LOOPING", e.soundLooping);
        out.Line("QUIET_DISTANCE", e.quietDistance);
    }
    else if (e.type == "MESH")
    {
        WriteLife(out, e);
        out.Line("SHADER", e.shader);
        out.Line("MODEL_NAME", e.modelName);
        out.Line("ANIM_NAME", e.animName);
    }
    else if (e.type == "SPAWN")
    {
        WriteLife(out, e);
        out.Line("SPAWN_FX", e.spawnFx);
        out.Line("SPAWN_ONCE", e.spawnOnce);
        for (size_t i = 0; i < 11; ++i)
            out.Curve(e, i);
    }
    else if (e.type == "LIGHT")
    {
        WriteLife(out, e);
        for (size_t i = 0; i < 8; ++i)
            out.Curve(e, i);
    }
    else
    {
        // An unknown type: a body a reader must skip.
        WriteLife(out, e);
        out.Curve(e, 0);
    }
}
} // namespace

int EffectCurveCount(const std::string& type)
{
    if (type == "BILLBOARD" || type == "RIBBON")
        return 7;
    if (type == "PARTICLE_SYSTEM")
        return 28;
    if (type == "SPAWN")
        return 11;
    if (type == "LIGHT")
        return 8;
    return 0;
}

std::string EffectDefToText(const EffectDefText& effect)
{
    EffectTextBuilder out;
    out.Line("BEGIN_EFFECT");
    out.Line("FX_NAME", effect.name);
    out.Line("LOD_HIGH_DISTANCE", effect.lodHighDistance);
    out.Line("LOD_LOW_DISTANCE", effect.lodLowDistance);
    out.Line("FADE_IN_DISTANCE", effect.fadeInDistance);
    out.Line("FADE_OUT_DISTANCE", effect.fadeOutDistance);
    out.Line("MAX_RADIUS", effect.maxRadius);
    out.Line("UPDATE_WHEN_FADED", effect.updateWhenFaded);
    out.Line("DIE_WHEN_FADED", effect.dieWhenFaded);
    for (const EffectElementText& element : effect.elements)
    {
        out.Line("BEGIN_ELEMENT");
        out.Line("ELEMENT_TYPE", element.type);
        WriteElementBlock(out, element);
        out.Line("END_ELEMENT");
    }
    out.Line("END_EFFECT");
    return out.Text();
}

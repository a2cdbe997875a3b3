#include "cross/LightManager.h"

#include "opengl/GLBuffer.h"
#include "opengl/GLCheckError.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstring>

namespace
{
struct LightPresets
{
    GlobalLight byMode[kLightModeCount];
};

LightPresets g_presets;

void Copy3(float out[3], const Vec3& v)
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

void SetPreset(GlobalLight& preset, const float values[16])
{
    std::memcpy(preset.direction, values, 3 * sizeof(float));
    std::memcpy(preset.diffuse, values + 3, 3 * sizeof(float));
    std::memcpy(preset.specular, values + 6, 3 * sizeof(float));
    std::memcpy(preset.ambient, values + 9, 3 * sizeof(float));
    preset.power = values[12];
    std::memcpy(preset.point, values + 13, 3 * sizeof(float));
}

// The six vertices of one light: corners 0, 1, 2 and 0, 2, 3.
void WriteVolume(LightVolumeVertex* out, const PointLight& light, const Vec3& centre, const Vec3 corners[4])
{
    static const int kCornerOrder[kLightVolumeVertices] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < kLightVolumeVertices; ++i)
    {
        LightVolumeVertex& v = out[i];
        const Vec3& corner = corners[kCornerOrder[i]];
        v.corner[0] = corner.x;
        v.corner[1] = corner.y;
        v.corner[2] = 0.0f;
        Copy3(v.centre, centre);
        std::memcpy(v.first, light.first, sizeof light.first);
        v.first[3] = 0.0f;
        std::memcpy(v.second, light.second, sizeof light.second);
        v.second[3] = 0.0f;
        v.light[0] = light.radius;
        v.light[1] = light.factor;
    }
}

// The light's square on the screen. A sphere that reaches the eye plane
// would project through w <= 0 and fold over; it may light any pixel, so it
// covers the whole screen.
void ScreenSquare(const Vec3& centre, float radius, const Mat4& projection, Vec3 corners[4])
{
    if (centre.z + radius >= 0.0f)
    {
        corners[0] = Vec3(-1.0f, -1.0f, 0.0f);
        corners[1] = Vec3(1.0f, -1.0f, 0.0f);
        corners[2] = Vec3(1.0f, 1.0f, 0.0f);
        corners[3] = Vec3(-1.0f, 1.0f, 0.0f);
        return;
    }
    const Vec3 offsets[4] = {Vec3(-radius, -radius, 0.0f), Vec3(radius, -radius, 0.0f),
                             Vec3(radius, radius, 0.0f), Vec3(-radius, radius, 0.0f)};
    for (int i = 0; i < 4; ++i)
        corners[i] = Mat4TransformPointDivW(projection, centre + offsets[i]);
}
} // namespace

uint32_t LightNextId(uint32_t& serial, uint32_t type)
{
    const uint32_t id = type | (serial & kLightIdSerialMask);
    serial = (serial + 1) & kLightIdSerialMask;
    return id;
}

LightManager::~LightManager()
{
    DestroyBuffers();
}

void LightManager::CreateBuffers()
{
    if (m_buffers[0] != 0)
        return;
    static const VertexAttribute kAttributes[] = {
        {0, 3, GL_FLOAT, 0},  {8, 3, GL_FLOAT, 0},  {9, 4, GL_FLOAT, 0},
        {10, 4, GL_FLOAT, 0}, {11, 2, GL_FLOAT, 0},
    };
    for (int i = 0; i < 2; ++i)
    {
        m_buffers[i] = GLBufferCreate(kGLBufferVertex, kLightVolumeBufferBytes);
        m_maps[i] = VertexMap_Create(m_buffers[i], 0, sizeof(LightVolumeVertex), 5, kAttributes);
    }
    m_volumes.assign(size_t(kMaxDrawnPointLights) * kLightVolumeVertices, LightVolumeVertex{});
    GL_CHECK_ERROR("LightManager::CreateBuffers");
}

void LightManager::DestroyBuffers()
{
    for (int i = 0; i < 2; ++i)
    {
        if (m_maps[i] != 0)
        {
            if (VertexMapGetCurrent() == m_maps[i])
                VertexMapBind(0);
            VertexMapDestroy(m_maps[i]);
        }
        if (m_buffers[i] != 0)
            GLBufferDelete(m_buffers[i]);
        m_maps[i] = 0;
        m_buffers[i] = 0;
    }
}

uint32_t LightManager::AddPointLight(const PointLight& light)
{
    const uint32_t id = LightNextId(m_pointSerial, kLightIdPoint);
    if (!m_pointLights.empty() && id < m_pointLights.back().id)
        m_pointLightsSorted = false; // the serial wrapped
    m_pointLights.push_back(light);
    m_pointLights.back().id = id;
    return id;
}

uint32_t LightManager::AddDirectionalLight(const DirectionalLight& light)
{
    m_directionalLights.push_back(light);
    m_directionalLights.back().id = LightNextId(m_directionalSerial, kLightIdDirectional);
    return m_directionalLights.back().id;
}

PointLight* LightManager::FindPoint(uint32_t id)
{
    if ((id & kLightIdTypeMask) != kLightIdPoint)
        return nullptr;
    // Effects keep up to a thousand lights and set each one every step: a
    // walk per call made that quadratic. Lights are appended with growing ids
    // and removed in place, so until the serial wraps the list is sorted.
    if (m_pointLightsSorted)
    {
        const auto it = std::lower_bound(m_pointLights.begin(), m_pointLights.end(), id,
                                         [](const PointLight& light, uint32_t value) { return light.id < value; });
        return it != m_pointLights.end() && it->id == id ? &*it : nullptr;
    }
    for (PointLight& light : m_pointLights)
        if (light.id == id)
            return &light;
    return nullptr;
}

DirectionalLight* LightManager::FindDirectional(uint32_t id)
{
    if ((id & kLightIdTypeMask) != kLightIdDirectional)
        return nullptr;
    for (DirectionalLight& light : m_directionalLights)
        if (light.id == id)
            return &light;
    return nullptr;
}

const PointLight* LightManager::FindPointLight(uint32_t id) const
{
    return const_cast<LightManager*>(this)->FindPoint(id);
}

const DirectionalLight* LightManager::FindDirectionalLight(uint32_t id) const
{
    return const_cast<LightManager*>(this)->FindDirectional(id);
}

void LightManager::SetPointLight(uint32_t id, const Vec3& position, const float values[8])
{
    PointLight* light = FindPoint(id);
    if (!light)
        return;
    Copy3(light->position, position);
    std::memcpy(light->first, values, 3 * sizeof(float));
    std::memcpy(light->second, values + 3, 3 * sizeof(float));
    light->radius = values[6];
    light->factor = values[7];
}

void LightManager::SetPointLightPos(uint32_t id, const Vec3& position)
{
    if (PointLight* light = FindPoint(id))
        Copy3(light->position, position);
}

void LightManager::SetDirectionalLight(uint32_t id, const Vec3& direction, const Vec3& diffuse,
                                       const Vec3& specular, const Vec3& ambient, float power)
{
    DirectionalLight* light = FindDirectional(id);
    if (!light)
        return;
    Copy3(light->direction, direction);
    Copy3(light->diffuse, diffuse);
    Copy3(light->specular, specular);
    Copy3(light->ambient, ambient);
    light->power = power;
}

void LightManager::ActivateLight(uint32_t id, bool active)
{
    if (PointLight* point = FindPoint(id))
        point->active = active ? 1 : 0;
    else if (DirectionalLight* directional = FindDirectional(id))
        directional->active = active ? 1 : 0;
}

void LightManager::DeleteLight(uint32_t id)
{
    m_pointLights.erase(std::remove_if(m_pointLights.begin(), m_pointLights.end(),
                                       [id](const PointLight& light) { return light.id == id; }),
                        m_pointLights.end());
    m_directionalLights.erase(std::remove_if(m_directionalLights.begin(), m_directionalLights.end(),
                                             [id](const DirectionalLight& light) { return light.id == id; }),
                              m_directionalLights.end());
}

void LightManager::DeleteAll()
{
    m_pointLights.clear();
    m_pointLightsSorted = true;
    m_directionalLights.clear();
}

int LightManager::BuildLightVolumes(const Mat4& view, const Mat4& projection)
{
    if (m_volumes.empty())
        m_volumes.assign(size_t(kMaxDrawnPointLights) * kLightVolumeVertices, LightVolumeVertex{});
    int count = 0;
    for (const PointLight& light : m_pointLights)
    {
        if (count == kMaxDrawnPointLights)
            break;
        if (!light.active)
            continue;
        const Vec3 centre =
            Mat4TransformPoint(view, Vec3(light.position[0], light.position[1], light.position[2]));
        Vec3 corners[4];
        ScreenSquare(centre, light.radius, projection, corners);
        WriteVolume(&m_volumes[size_t(count) * kLightVolumeVertices], light, centre, corners);
        ++count;
    }
    return count;
}

void LightManager::DrawLightVolumes(const Mat4& view, const Mat4& projection)
{
    const int count = BuildLightVolumes(view, projection);
    if (count == 0 || m_buffers[0] == 0)
        return;
    const size_t bytes = size_t(count) * kLightVolumeVertices * sizeof(LightVolumeVertex);
    void* mapped = GLBufferMap(kGLBufferVertex, m_buffers[0]);
    if (!mapped)
        return;
    std::memcpy(mapped, m_volumes.data(), bytes);
    GLBufferUnmap(kGLBufferVertex, m_buffers[0]);
    VertexMapBind(m_maps[0]);
    glDrawArrays(GL_TRIANGLES, 0, count * kLightVolumeVertices);
    GL_CHECK_ERROR("LightManager::DrawLightVolumes");
}

LightManager& LightManagerInstance()
{
    static LightManager manager;
    return manager;
}

void LightSetDefaultGlobal(const float values[16])
{
    SetPreset(g_presets.byMode[LIGHT_MODE_TYPE_DAY], values);
}

void LightSetSnowGlobal(const float values[16])
{
    SetPreset(g_presets.byMode[LIGHT_MODE_TYPE_DAY_SNOW], values);
}

void LightSetNightGlobal(const float values[16])
{
    SetPreset(g_presets.byMode[LIGHT_MODE_TYPE_NIGHT], values);
}

GlobalLight LightGetDefaultPreset()
{
    return g_presets.byMode[LIGHT_MODE_TYPE_DAY];
}

GlobalLight LightGetSnowPreset()
{
    return g_presets.byMode[LIGHT_MODE_TYPE_DAY_SNOW];
}

GlobalLight LightGetNightPreset()
{
    return g_presets.byMode[LIGHT_MODE_TYPE_NIGHT];
}

bool LightGetPresetForMode(int mode, GlobalLight& out)
{
    if (mode < 0 || mode >= kLightModeCount)
        return false;
    out = g_presets.byMode[mode];
    return true;
}

void LightResetPresets()
{
    g_presets = LightPresets();
}

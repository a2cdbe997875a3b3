#pragma once
// The dynamic lights that scripts and effects create, and the three global
// light presets. Point lights are drawn by the deferred frame as screen
// squares around their view-space centres, accumulated into a target that
// the ".mix" pass adds to the scene; the presets feed the "l_..." uniforms of
// every lit program through the light mode the scripts choose.

#include "core/Mat4.h"
#include "opengl/VertexMap.h"

#include <cstdint>
#include <vector>

// A light's id: a serial in the low 24 bits (each type counting its own from
// 0, wrapping within the 24 bits) and the type in the top byte.
enum LightIdType : uint32_t
{
    kLightIdPoint = 0x01000000,
    kLightIdDirectional = 0x02000000,
};
constexpr uint32_t kLightIdSerialMask = 0x00FFFFFF;
constexpr uint32_t kLightIdTypeMask = 0xFF000000;

// The id for the serial, which then moves on, wrapping within its 24 bits.
uint32_t LightNextId(uint32_t& serial, uint32_t type);

struct PointLight
{
    uint32_t active = 1;
    float position[3] = {0.0f, 0.0f, 0.0f};
    // The point program's colour and second colour, the radius and an
    // intensity, in the order the scripts pass them.
    float first[3] = {1.0f, 0.0f, 1.0f};
    float second[3] = {1.0f, 0.0f, 1.0f};
    float radius = 1.0f;
    float factor = 1.0f;
    uint32_t id = 0;
};

struct DirectionalLight
{
    uint32_t active = 1;
    float direction[3] = {0.0f, 0.0f, 0.0f};
    float diffuse[3] = {0.0f, 0.0f, 0.0f};
    float specular[3] = {0.0f, 0.0f, 0.0f};
    float ambient[3] = {0.0f, 0.0f, 0.0f};
    float power = 1.0f;
    uint32_t id = 0;
};

// The 18 words of a preset, as the frame copies them into its global light.
struct GlobalLight
{
    uint32_t first = 1;
    float direction[3] = {0.0f, 0.0f, 0.0f};
    float diffuse[3] = {0.0f, 0.0f, 0.0f};
    float specular[3] = {0.0f, 0.0f, 0.0f};
    float ambient[3] = {0.0f, 0.0f, 0.0f};
    float power = 1.0f;
    uint32_t reserved = 0;
    float point[3] = {0.0f, 0.0f, 0.0f};
};
static_assert(sizeof(GlobalLight) == 18 * 4, "a preset is 18 words");

enum LightModeTypeEnum
{
    LIGHT_MODE_TYPE_DAY = 0,
    LIGHT_MODE_TYPE_DAY_SNOW = 1,
    LIGHT_MODE_TYPE_NIGHT = 2,
};
constexpr int kLightModeCount = 3;

// One vertex of a light volume: 64 bytes, six per light.
struct LightVolumeVertex
{
    float corner[3];
    float centre[3];
    float first[4];
    float second[4];
    float light[2];
};
static_assert(sizeof(LightVolumeVertex) == 64, "the point program reads 64-byte vertices");

constexpr int kLightVolumeVertices = 6;
constexpr uint32_t kLightVolumeBufferBytes = 0x30000;
constexpr int kMaxDrawnPointLights =
    kLightVolumeBufferBytes / (kLightVolumeVertices * sizeof(LightVolumeVertex));

class LightManager
{
public:
    LightManager() = default;
    ~LightManager();
    LightManager(const LightManager&) = delete;
    LightManager& operator=(const LightManager&) = delete;

    // Once per run; later calls do nothing.
    void CreateBuffers();
    void DestroyBuffers();

    uint32_t AddPointLight(const PointLight& light);
    uint32_t AddDirectionalLight(const DirectionalLight& light);
    // Setters ignore ids that no light of their type has.
    void SetPointLight(uint32_t id, const Vec3& position, const float values[8]);
    void SetPointLightPos(uint32_t id, const Vec3& position);
    void SetDirectionalLight(uint32_t id, const Vec3& direction, const Vec3& diffuse, const Vec3& specular,
                             const Vec3& ambient, float power);
    void ActivateLight(uint32_t id, bool active);
    void DeleteLight(uint32_t id);
    void DeleteAll();

    const PointLight* FindPointLight(uint32_t id) const;
    const DirectionalLight* FindDirectionalLight(uint32_t id) const;
    const std::vector<PointLight>& PointLights() const { return m_pointLights; }
    const std::vector<DirectionalLight>& DirectionalLights() const { return m_directionalLights; }

    // Writes the volumes of the active point lights (at most
    // kMaxDrawnPointLights) into the client copy; returns how many.
    int BuildLightVolumes(const Mat4& view, const Mat4& projection);
    const LightVolumeVertex* LightVolumeData() const { return m_volumes.data(); }
    // Builds, uploads and draws the volumes, with the point program bound
    // and one-one blending set by the caller.
    void DrawLightVolumes(const Mat4& view, const Mat4& projection);

private:
    PointLight* FindPoint(uint32_t id);
    DirectionalLight* FindDirectional(uint32_t id);

    std::vector<PointLight> m_pointLights;
    // In id order, unless the serial wrapped since the list was last empty.
    bool m_pointLightsSorted = true;
    std::vector<DirectionalLight> m_directionalLights;
    uint32_t m_pointSerial = 0;
    uint32_t m_directionalSerial = 0;
    uint32_t m_buffers[2] = {0, 0};
    VertexMap m_maps[2] = {0, 0};
    std::vector<LightVolumeVertex> m_volumes;
};

LightManager& LightManagerInstance();

// The 16 values the scripts give: direction 3, diffuse 3, specular 3,
// ambient 3, power, point colour 3.
void LightSetDefaultGlobal(const float values[16]);
void LightSetSnowGlobal(const float values[16]);
void LightSetNightGlobal(const float values[16]);
GlobalLight LightGetDefaultPreset();
GlobalLight LightGetSnowPreset();
GlobalLight LightGetNightPreset();
// The preset of a light mode; false for a value outside the enum.
bool LightGetPresetForMode(int mode, GlobalLight& out);
// Every preset back to a new directional light's values.
void LightResetPresets();

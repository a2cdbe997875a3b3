#include "game/TerrainDebugDraw.h"

#include "game/Terrain.h"
#include "opengl/PrimBatch.h"

#include <GL/glew.h>

#include <cmath>

namespace
{
constexpr int kPaletteKinds = 4;
const Vec3 kPalette[kPaletteKinds] = {Vec3(0.5f, 0.5f, 0.6f), Vec3(0.7f, 0.7f, 0.5f), Vec3(0.5f, 0.7f, 0.5f),
                                      Vec3(0.0f, 0.2f, 0.0f)};

uint32_t DebugKind(const Terrain& terrain, uint32_t face)
{
    const TerrainDataChannel& kinds = terrain.m_data.faceChannels[0];
    if (kinds.type != kTerrainChannelLong || face >= kinds.data.size())
        return 0;
    return kinds.data[face];
}
} // namespace

Vec3 TerrainDebugFaceColour(const Terrain& terrain, uint32_t face)
{
    const Vec3 light = Vec3Normalized(Vec3(0.5f, 1.0f, 0.2f));
    const float shade = 0.6f + 0.4f * std::fabs(Vec3Dot(terrain.m_data.faces[face].normal, light));
    const uint32_t kind = DebugKind(terrain, face);
    // Kinds past the palette draw black.
    const Vec3 base = kind < kPaletteKinds ? kPalette[kind] : Vec3(0.0f, 0.0f, 0.0f);
    return base * shade;
}

void TerrainDebugDraw(const Terrain& terrain)
{
    PrimSetType(GL_TRIANGLES);
    for (uint32_t f = 0; f < terrain.m_data.faces.size(); ++f)
    {
        Vec3 corners[3];
        terrain.FaceCorners(f, corners);
        const Vec3 colour = TerrainDebugFaceColour(terrain, f);
        PrimSetColor4f(colour.x, colour.y, colour.z, 1.0f);
        PrimVertexVec3(corners[0]);
        PrimSetColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        PrimVertexVec3(corners[1]);
        PrimSetColor4f(0.0f, 0.0f, 1.0f, 1.0f);
        PrimVertexVec3(corners[2]);
    }
    PrimFlush();
}

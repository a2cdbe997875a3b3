#pragma once
// The developer view of a terrain's collision faces, drawn through the
// primitive batch: each face shaded by how it faces a fixed light, its first
// corner in its surface kind's colour, the second green, the third blue.

#include "core/Vec3.h"

#include <cstdint>

class Terrain;

// The first corner's colour of a face (red, green, blue in 0..1).
Vec3 TerrainDebugFaceColour(const Terrain& terrain, uint32_t face);
void TerrainDebugDraw(const Terrain& terrain);

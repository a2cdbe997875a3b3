#pragma once
// Paints the demo's textures from noise and patterns: ground, rock, water,
// wood, roof tiles, scales, castle stone and the rest, each tiling on both
// axes so a repeated texture shows no seam. Pixels are RGBA, top row first.

#include <cstdint>
#include <vector>

// False when the pattern's name is not one of the painter's.
bool TexturePaint(const char* pattern, uint32_t width, uint32_t height, std::vector<uint8_t>& rgba);

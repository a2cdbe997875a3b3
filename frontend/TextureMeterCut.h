#pragma once
// How a texture meter's bar is cut for its value: the texture offset that
// slides the filled part into view under the mask, and the flips that turn
// the fill's direction.

#include <cstdint>

enum TextureMeterType : int32_t
{
    TEXTURE_METER_TYPE_HORIZONTAL_LEFT = 0,
    TEXTURE_METER_TYPE_HORIZONTAL_RIGHT = 1,
    TEXTURE_METER_TYPE_VERTICAL_UP = 2,
    TEXTURE_METER_TYPE_VERTICAL_DOWN = 3,
};

struct TextureMeterCut
{
    float cutX = 0.0f;
    float cutY = 0.0f;
    uint8_t flipX = 0;
    uint8_t flipY = 0;
};

// 0..1; anything else, NaN too, is brought inside.
float TextureMeterClampValue(float value);
// For a value already clamped: types 0 and 2 cut at 1 - value, the flipped
// types 1 and 3 at value; every type shows the fraction `value` of the bar,
// growing in the direction its name gives. Unknown types leave the bar uncut.
TextureMeterCut TextureMeterCutFor(int32_t type, float value);

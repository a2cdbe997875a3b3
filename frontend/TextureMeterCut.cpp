#include "frontend/TextureMeterCut.h"

float TextureMeterClampValue(float value)
{
    if (!(value > 0.0f))
        return 0.0f;
    return value < 1.0f ? value : 1.0f;
}

// The 2D quad shows the texels whose (flipped) coordinate plus the offset
// lies in 0..1, so an offset of 1 - value shows the fraction `value` counted
// from the edge the flip puts first.
TextureMeterCut TextureMeterCutFor(int32_t type, float value)
{
    TextureMeterCut cut;
    switch (type)
    {
    case TEXTURE_METER_TYPE_HORIZONTAL_LEFT:
        cut.cutX = 1.0f - value;
        break;
    case TEXTURE_METER_TYPE_HORIZONTAL_RIGHT:
        cut.cutX = 1.0f - value;
        cut.flipX = 1;
        break;
    case TEXTURE_METER_TYPE_VERTICAL_UP:
        cut.cutY = 1.0f - value;
        break;
    case TEXTURE_METER_TYPE_VERTICAL_DOWN:
        cut.cutY = 1.0f - value;
        cut.flipY = 1;
        break;
    default:
        break;
    }
    return cut;
}

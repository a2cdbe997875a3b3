#include "frontend/TextureMeterCut.h"

float TextureMeterClampValue(float value)
{
    if (!(value > 0.0f))
        return 0.0f;
    return value < 1.0f ? value : 1.0f;
}

// The 2D quad keeps an unflipped axis from the cut to its far edge and a
// flipped axis from its near edge to the cut, so both show the fraction
// `value`: the unflipped types fill towards the near edge (left, up), the
// flipped ones towards the far edge (right, down).
TextureMeterCut TextureMeterCutFor(int32_t type, float value)
{
    TextureMeterCut cut;
    switch (type)
    {
    case TEXTURE_METER_TYPE_HORIZONTAL_LEFT:
        cut.cutX = 1.0f - value;
        break;
    case TEXTURE_METER_TYPE_HORIZONTAL_RIGHT:
        cut.cutX = value;
        cut.flipX = 1;
        break;
    case TEXTURE_METER_TYPE_VERTICAL_UP:
        cut.cutY = 1.0f - value;
        break;
    case TEXTURE_METER_TYPE_VERTICAL_DOWN:
        cut.cutY = value;
        cut.flipY = 1;
        break;
    default:
        break;
    }
    return cut;
}

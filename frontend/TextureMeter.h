#pragma once
// A HUD gauge of four images: a background, a bar cut to show a value of 0
// to 1 under a mask, and a foreground over it.

#include "core/Vec2.h"
#include "frontend/FrontendElement.h"
#include "frontend/TextureMeterCut.h"

#include <cstdint>

class TextureMeter
{
public:
    Sprite Background;
    AnimSprite Bar;
    Sprite Foreground;
    // Only its texture is used, as the bar's mask.
    Sprite BarMask;
    float BarValue = 0.0f;
    int32_t Type = TEXTURE_METER_TYPE_HORIZONTAL_RIGHT;
    Vec2 fullSize{0.0f, 0.0f};
    Vec2 cut{0.0f, 0.0f};
    uint8_t flipX = 0;
    uint8_t flipY = 0;

    void Init();
    // Steps the images, clamps the value and cuts the bar for it.
    void Update(float dt);
    void Render();
    // Lets every texture go and forgets it, so that nothing draws or is
    // released twice afterwards.
    void Terminate();
};

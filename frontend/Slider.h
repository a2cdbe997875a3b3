#pragma once
// A knob button that travels along a bar sprite; input codes 0 and 1 move it
// by a tenth of the bar.

#include "frontend/Button.h"

class Slider
{
public:
    uint8_t enabled = 1;
    Button knob;
    Vec2 travelStart{0.0f, 0.0f};
    Vec2 travelEnd{0.0f, 0.0f};
    Sprite Background;
    float PercentbetweenTwoPoints = 0.0f;
    int32_t x = 0;
    int32_t y = 0;
    int32_t ButtonOffsetX = 0;
    int32_t ButtonOffsetY = 0;

    void Update(float dt);
    void Input(int code);
    // 0 horizontal, 1 vertical; others do nothing.
    void AlignButtonToBar(int orientation);
    void Render();
};

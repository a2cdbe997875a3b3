#include "frontend/Slider.h"

#include <algorithm>

void Slider::Update(float)
{
    if (!enabled)
        return;
    const float share = PercentbetweenTwoPoints;
    knob.x = int32_t(travelStart.x + (travelEnd.x - travelStart.x) * share);
    knob.y = int32_t(travelStart.y + (travelEnd.y - travelStart.y) * share);
    knob.SetAllSpriteVariables();
}

void Slider::Input(int code)
{
    // Ten steps of a tenth end exactly at the ends.
    if (code == 0)
        PercentbetweenTwoPoints = std::max(PercentbetweenTwoPoints - 0.1f, 0.0f);
    else if (code == 1)
        PercentbetweenTwoPoints = std::min(PercentbetweenTwoPoints + 0.1f, 1.0f);
    if (PercentbetweenTwoPoints < 0.0001f)
        PercentbetweenTwoPoints = 0.0f;
    if (PercentbetweenTwoPoints > 0.9999f)
        PercentbetweenTwoPoints = 1.0f;
}

void Slider::AlignButtonToBar(int orientation)
{
    Background.x = x;
    Background.y = y;
    const int32_t knobWidth = knob.UpImage.width;
    const int32_t knobHeight = knob.UpImage.height;
    if (orientation == 0)
    {
        knob.x = x + ButtonOffsetX;
        knob.y = y + ButtonOffsetY + Background.height / 2 - knobHeight / 2;
        travelStart = Vec2(float(knob.x), float(knob.y));
        travelEnd = Vec2(float(knob.x + (Background.width - knobWidth - ButtonOffsetX)), float(knob.y));
    }
    else if (orientation == 1)
    {
        knob.x = x + ButtonOffsetX + Background.width / 2 - knobWidth / 2;
        knob.y = y + ButtonOffsetY;
        travelStart = Vec2(float(knob.x), float(knob.y));
        travelEnd = Vec2(float(knob.x), float(knob.y + (Background.height - knobHeight - ButtonOffsetY)));
    }
    else
    {
        return;
    }
    knob.SetAllSpriteVariables();
}

void Slider::Render()
{
    if (!enabled)
        return;
    Background.Render();
    knob.Render();
}

#include "frontend/UpgradePoint.h"

#include "opengl/Texture.h"

#include <algorithm>

namespace
{
float Between(float from, float to, float f)
{
    return from + (to - from) * f;
}
} // namespace

void UpgradePoint::Init()
{
    MiddleImage.x = PointImage.x;
    TopImage.x = PointImage.x;
    BottomImage.x = PointImage.x;
    if (initialised)
        return;
    for (AnimSprite* image : {&MiddleImage, &TopImage, &BottomImage})
    {
        image->StartAlpha = StartAlpha;
        image->EndAlpha = EndAlpha;
    }
    // The middle is stretched: blurred edges would bleed into the caps.
    for (Texture* frame : MiddleImage.frames)
        if (frame)
            TextureSetNearestFilter(frame);
    const int32_t h = MiddleImage.height;
    const int32_t th = TopImage.height;
    MiddleImage.y = th;
    TopImage.y = 0;
    BottomImage.y = th + h;
    topOffsetStart = 0.0f;
    topOffsetEnd = 0.6f * float(h);
    topOffset = 0.0f;
    middleOffsetStart = 0.0f;
    middleOffsetEnd = 0.6f * float(h);
    middleHeightStart = float(h);
    bottomOffsetStart = float(th + h);
    bottomOffset = bottomOffsetStart;
    bottomOffsetEnd = float(th + h) - 0.6f * float(h);
    shiftEnd = -0.75f * float(h);
    initialised = 1;
}

void UpgradePoint::Shrink(float f)
{
    Animate(std::min(f, 1.0f), false);
}

void UpgradePoint::Grow(float f)
{
    Animate(std::min(f, 1.0f), true);
}

void UpgradePoint::Animate(float f, bool growing)
{
    // Growing runs each value back from its end to its start.
    auto step = [f, growing](float start, float end) { return growing ? Between(end, start, f) : Between(start, end, f); };
    topOffset = step(topOffsetStart, topOffsetEnd);
    bottomOffset = step(bottomOffsetStart, bottomOffsetEnd);
    shift = step(shiftStart, shiftEnd);
    middleOffset = step(middleOffsetStart, middleOffsetEnd);
    MiddleImage.height = int32_t(step(middleHeightStart, middleHeightEnd));
    for (AnimSprite* image : {&MiddleImage, &TopImage, &BottomImage})
        image->Color.a = uint8_t(int32_t(step(float(image->StartAlpha), float(image->EndAlpha))));
}

void UpgradePoint::Render()
{
    for (AnimSprite* image : {&MiddleImage, &TopImage, &BottomImage, &PointImage})
        image->CurrentFrame = m_purchase;
    const float py = float(PointImage.y);
    const float th = float(TopImage.height);
    TopImage.y = int32_t((topOffset + py) + shift);
    MiddleImage.y = int32_t((th + py) + shift + middleOffset);
    BottomImage.y = int32_t((py + bottomOffset) + shift);
    MiddleImage.Render();
    TopImage.Render();
    BottomImage.Render();
}

#include "frontend/UpgradeBar.h"

#include "frontend/UpgradePoint.h"

#include <algorithm>

void UpgradeBar::AddPoint(UpgradePoint* point)
{
    if (point)
        points.push_back(point);
}

void UpgradeBar::AutoAlignBar()
{
    if (points.empty())
        return;
    for (size_t i = 0; i < points.size(); ++i)
    {
        UpgradePoint& point = *points[i];
        const int32_t pw = point.PointImage.width;
        point.PointImage.x = int32_t(i) * (pw / 2 + pw) + 3 * Icon.width + x;
        if (firstAlignment)
        {
            point.rowY = y;
            point.StartAlpha = StartAlpha;
            point.EndAlpha = EndAlpha;
        }
        point.Init();
    }
    if (firstAlignment)
    {
        firstAlignment = 0;
        for (Sprite* image : {static_cast<Sprite*>(&IconGlow), static_cast<Sprite*>(&LeftArrow),
                              static_cast<Sprite*>(&RightArrow), static_cast<Sprite*>(&Cross)})
        {
            image->StartAlpha = 255;
            image->EndAlpha = 0;
        }
    }
    PlaceIcons();
    const AnimSprite& last = points.back()->MiddleImage;
    LenthOfBar = last.x + last.width + last.width / 2 - x;
}

void UpgradeBar::PlaceIcons()
{
    const float iw = float(Icon.width);
    const float gs = IconGlow.Scale;
    // A script may write the glow's scale: no placement from a division by it.
    if (gs > 0.0f)
    {
        Icon.x = int32_t((float(x) + iw) + iw / (2.0f * gs));
        IconGlow.x = int32_t(iw / (2.0f * gs) + float(IconGlow.width + x));
    }
    LeftArrow.x = int32_t(float(x) - float(LeftArrow.width) * glow);
    RightArrow.x = int32_t(float(x) + 0.95f * float(LenthOfBar) + float(RightArrow.width) * glow);
    Cross.x = int32_t(float(x) + 0.95f * float(LenthOfBar) + float(RightArrow.width));
}

void UpgradeBar::StepAnimation(float dt, bool growing)
{
    const int32_t s = spacing;
    const int32_t half = s / 2;
    const int32_t m = margin;
    const float startAlpha = float(IconGlow.StartAlpha);
    const float endAlpha = float(IconGlow.EndAlpha);
    if (timer == 0.0f)
        for (UpgradePoint* point : points)
            point->rowStartY = point->rowY;
    const bool running = timer < duration;
    const float f = running ? timer / duration : 1.0f;
    // How far towards the selected size: growing gains it, shrinking loses it.
    const float size = growing ? f : 1.0f - f;
    const float rowShift = growing ? -float(half) * f : float(half) * f;
    for (UpgradePoint* point : points)
    {
        point->PointImage.height = int32_t(float(half) + size * float(s - half) - float(2 * m));
        if (growing)
            point->Grow(f);
        else
            point->Shrink(f);
        if (shiftRow)
            point->rowY = int32_t(float(point->rowStartY) + rowShift);
    }
    Icon.Scale = IconGlow.Scale = 1.0f + size;
    IconGlow.Color.a = uint8_t(int32_t(endAlpha + size * (startAlpha - endAlpha)));
    if (running)
    {
        timer += dt;
        return;
    }
    timer = 0.0f;
    animationState = kBarIdle;
    shiftRow = 0;
}

void StepUpgradeGlow(float& glow, float& direction, float divisor, float increment)
{
    if (direction == 0.0f)
    {
        glow -= glow / divisor + increment;
        if (glow < 0.0f)
        {
            glow = 0.0f;
            direction = 1.0f;
        }
        return;
    }
    glow += glow / divisor + increment;
    if (glow > 0.2f)
    {
        glow = 0.2f;
        direction = 0.0f;
    }
}

void UpgradeBar::Update(float dt)
{
    if (points.empty())
    {
        // Nothing to animate: a started animation ends at once, so that a
        // menu waiting for this bar to be idle is not stuck.
        animationState = kBarIdle;
        timer = 0.0f;
        return;
    }
    if (animationState == kBarGrowing || animationState == kBarShrinking)
        StepAnimation(dt, animationState == kBarGrowing);
    for (AnimSprite* arrow : {&LeftArrow, &RightArrow, &Cross})
    {
        arrow->Color.a = IconGlow.Color.a;
        arrow->Update(dt);
    }
    for (UpgradePoint* point : points)
    {
        point->State = animationState;
        point->Update(dt);
    }
    StepUpgradeGlow(glow, glowDirection, 200.0f, 0.01f);
}

void UpgradeBar::Render()
{
    if (points.empty())
        return;
    for (UpgradePoint* point : points)
    {
        point->PointImage.y = point->rowY + rowOrigin;
        point->Render();
    }
    const UpgradePoint& first = *points.front();
    const float py = float(first.PointImage.y);
    const float hp = float(first.PointImage.height / 2);
    const float gs = IconGlow.Scale;
    const float ih = float(Icon.height);
    if (gs > 0.0f)
    {
        const int32_t iconY = int32_t((hp / gs + py) - ih / (3.0f * gs));
        Icon.y = IconGlow.y = LeftArrow.y = RightArrow.y = iconY;
    }
    IconGlow.Render();
    Icon.Render();
    if (hideArrows)
        return;
    if (canBuy)
        RightArrow.Render();
    if (gs > 0.0f)
        Cross.y = int32_t((hp / gs + py) - ih / (0.8f * gs));
    if (TempSelected != CurrentlySelected)
    {
        LeftArrow.Render();
        Cross.Render();
    }
}

int32_t UpgradeBar::IncreaseByOne(int32_t available)
{
    if (TempSelected < 0 || TempSelected >= int32_t(points.size()))
        return available;
    UpgradePoint& next = *points[size_t(TempSelected)];
    if (next.Cost > available)
        return available;
    next.SetPurchase(kPointChosen);
    ++TempSelected;
    return available - next.Cost;
}

int32_t UpgradeBar::DecreaseByOne(int32_t available)
{
    if (TempSelected < 1 || TempSelected > int32_t(points.size()))
        return available;
    UpgradePoint& last = *points[size_t(TempSelected - 1)];
    if (last.Purchase() != kPointChosen)
        return available;
    last.SetPurchase(kPointNotAffordable);
    --TempSelected;
    return available + last.Cost;
}

int32_t UpgradeBar::SumOfChosen(int32_t purchaseAfter)
{
    float sum = 0.0f;
    for (UpgradePoint* point : points)
        if (point->Purchase() == kPointChosen)
        {
            point->SetPurchase(purchaseAfter);
            sum += float(point->Cost);
        }
    return int32_t(sum);
}

int32_t UpgradeBar::ConfirmPoints()
{
    const int32_t sum = SumOfChosen(kPointBought);
    CurrentlySelected = TempSelected;
    return sum;
}

int32_t UpgradeBar::CancelPoints()
{
    const int32_t sum = SumOfChosen(kPointNotAffordable);
    TempSelected = CurrentlySelected;
    return sum;
}

void UpgradeBar::AwardPoint()
{
    if (TempSelected < 0 || TempSelected >= int32_t(points.size()))
        return;
    points[size_t(TempSelected)]->SetPurchase(kPointBought);
    ++TempSelected;
    CurrentlySelected = TempSelected;
}

void UpgradeBar::ReCalculateAvailablePoints(int32_t available)
{
    canBuy = 0;
    float left = float(available);
    for (size_t i = size_t(std::max(TempSelected, 0)); i < points.size(); ++i)
    {
        UpgradePoint& point = *points[i];
        if (left >= float(point.Cost))
        {
            point.SetPurchase(kPointAffordable);
            canBuy = left > 0.0f ? 1 : 0;
            left -= float(point.Cost);
        }
        else
            point.SetPurchase(kPointNotAffordable);
    }
}

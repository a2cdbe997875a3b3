#pragma once
// One purchasable level of an upgrade bar: a pillar of three images that
// squashes when its bar loses the selection and stands up again when it
// gains it. The point's purchase state picks the frame its images show.

#include "frontend/FrontendElement.h"

#include <cstdint>

enum UpgradePurchase : int32_t
{
    kPointNotAffordable = 0,
    kPointAffordable = 1,
    kPointChosen = 2, // paid, not yet confirmed
    kPointBought = 3,
};

class UpgradePoint
{
public:
    AnimSprite MiddleImage;
    float middleOffsetStart = 0.0f;
    float middleOffsetEnd = 0.0f;
    float middleOffset = 0.0f;
    float middleHeightStart = 0.0f;
    float middleHeightEnd = 0.0f;
    AnimSprite TopImage;
    float topOffsetStart = 0.0f;
    float topOffsetEnd = 0.0f;
    float topOffset = 0.0f;
    AnimSprite BottomImage;
    float bottomOffsetStart = 0.0f;
    float bottomOffsetEnd = 0.0f;
    float bottomOffset = 0.0f;
    float shift = 0.0f;
    float shiftStart = 0.0f;
    float shiftEnd = 0.0f;
    uint8_t initialised = 0;
    int32_t StartAlpha = 0;
    int32_t EndAlpha = 0;
    // Its x, y and height are the point's place and size; never drawn.
    AnimSprite PointImage;
    int32_t State = 0; // the owning bar's animation state
    int32_t Cost = 0;
    int32_t rowStartY = 0;
    int32_t rowY = 0;

    void Update(float dt) { PointImage.Update(dt); }
    void Render();
    void Init();
    void Shrink(float f);
    void Grow(float f);

    // Kept apart from the images' frames, which stepping would otherwise
    // cycle through the states.
    int32_t Purchase() const { return m_purchase; }
    void SetPurchase(int32_t purchase) { m_purchase = purchase; }

private:
    void Animate(float f, bool growing);

    int32_t m_purchase = kPointNotAffordable;
};

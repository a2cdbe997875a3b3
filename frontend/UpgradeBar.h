#pragma once
// One upgrade: an icon with a glow, a row of purchasable levels (points, not
// owned), arrows and a cross shown while a purchase is pending. The selected
// bar is drawn large; the grow and shrink animations move between the two
// sizes when the selection changes.

#include "frontend/FrontendElement.h"

#include <cstdint>
#include <vector>

class UpgradePoint;

enum UpgradeBarAnimation : int32_t
{
    kBarIdle = 0,
    kBarShrinking = 1,
    kBarGrowing = 2,
};

// One step of the glow that sways between 0 and 0.2 (direction 1 rising, 0 falling).
void StepUpgradeGlow(float& glow, float& direction, float divisor, float increment);

class UpgradeBar : public FrontendElement
{
public:
    std::vector<UpgradePoint*> points;
    Sprite Icon;
    Sprite IconGlow;
    AnimSprite LeftArrow;
    AnimSprite RightArrow;
    AnimSprite Cross;
    int32_t CurrentlySelected = 0; // bought levels
    int32_t TempSelected = 0;      // bought and chosen levels
    int32_t animationState = kBarIdle;
    uint8_t shiftRow = 0;
    uint8_t canBuy = 0;
    float timer = 0.0f;
    float duration = 0.08f;
    int32_t rowOrigin = 0;
    uint8_t firstAlignment = 1;
    int32_t spacing = 0;
    int32_t margin = 0;
    int32_t LenthOfBar = 0;
    float glow = 0.0f;
    float glowDirection = 1.0f;
    int32_t hideArrows = 0;

    void AddPoint(UpgradePoint* point);
    void AutoAlignBar();
    void Update(float dt) override;
    void Render() override;

    // Each returns the caller's new balance.
    int32_t IncreaseByOne(int32_t available);
    int32_t DecreaseByOne(int32_t available);
    // The costs of the levels that were chosen.
    int32_t ConfirmPoints();
    int32_t CancelPoints();
    void AwardPoint();
    void ReCalculateAvailablePoints(int32_t available);

private:
    void StepAnimation(float dt, bool growing);
    void PlaceIcons();
    int32_t SumOfChosen(int32_t purchaseAfter);
};

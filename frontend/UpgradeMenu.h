#pragma once
// The upgrade screen: bars (not owned) stacked under a background, one bar
// selected, and the balance of unspent points. Input codes move the
// selection and choose, confirm or cancel levels.

#include "frontend/FrontendElement.h"

#include <cstdint>
#include <vector>

class UpgradeBar;

enum UpgradeMenuInput : int
{
    kUpgradeDecrease = 0,
    kUpgradeIncrease = 1,
    kUpgradeMoveUp = 2,
    kUpgradeMoveDown = 3,
    kUpgradeConfirmAll = 4,
    kUpgradeCancelAll = 5,
};

// An arrow at this alpha marks the end of the list and does not sway.
constexpr uint8_t kUpgradeArrowDimmed = 125;

class UpgradeMenu : public FrontendElement
{
public:
    std::vector<UpgradeBar*> bars;
    Sprite SelectedImage; // its height is the height of a selected row
    Sprite SingleBackgroundImage;
    Sprite TopBackGroundImage;
    Sprite BottomBackGroundImage;
    Sprite MiddleBackGroundImage;
    Sprite UpArrow;
    Sprite DownArrow;
    Sprite Callout;
    float glow = 0.0f;
    float glowDirection = 1.0f;
    int32_t CurrentlySelected = 0;
    int32_t UnSpentPoints = 0;
    int32_t YOffset = 0;
    int32_t FirstAlign = 1;
    float FrameScaleX = 1.0f;
    float FrameScaleY = 1.0f;
    int32_t FrameOffsetX = 0;
    int32_t FrameOffsetY = 0;
    float SpacingBasedOnHeight = 2.0f;
    int32_t StartingState = 1;
    int32_t MouseOverRide = 0;

    void AddBar(UpgradeBar* bar);
    void Input(int code);
    void ReCalculateAvailablePoints(int32_t points);
    int32_t CheckIfThereAreAnyPoints() const;
    void AutoAlignMenu();
    void IncreaseAllByOne();
    void Update(float dt) override;
    void Render() override;

private:
    UpgradeBar* Selected() const;
    void ChangeSelected(int32_t (UpgradeBar::*purchase)(int32_t));
    void MoveUp();
    void MoveDown();
    void ConfirmAll();
    void CancelAll();
    void FirstLayout();
    void RegularLayout();
    // The row of bar i below the first; false when the spacing cannot divide.
    bool RowY(size_t i, int32_t& rowY) const;
    void PlaceBackgrounds(int32_t left, int32_t top);
};

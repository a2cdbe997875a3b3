#include "frontend/UpgradeMenu.h"

#include "frontend/UpgradeBar.h"

void UpgradeMenu::AddBar(UpgradeBar* bar)
{
    if (bar)
        bars.push_back(bar);
}

UpgradeBar* UpgradeMenu::Selected() const
{
    if (CurrentlySelected < 0 || CurrentlySelected >= int32_t(bars.size()))
        return nullptr;
    return bars[size_t(CurrentlySelected)];
}

void UpgradeMenu::Input(int code)
{
    switch (code)
    {
    case kUpgradeDecrease:
        ChangeSelected(&UpgradeBar::DecreaseByOne);
        break;
    case kUpgradeIncrease:
        ChangeSelected(&UpgradeBar::IncreaseByOne);
        break;
    case kUpgradeMoveUp:
        MoveUp();
        break;
    case kUpgradeMoveDown:
        MoveDown();
        break;
    case kUpgradeConfirmAll:
        ConfirmAll();
        break;
    case kUpgradeCancelAll:
        CancelAll();
        break;
    default:
        break;
    }
}

void UpgradeMenu::ChangeSelected(int32_t (UpgradeBar::*purchase)(int32_t))
{
    UpgradeBar* bar = Selected();
    if (!bar)
        return;
    UnSpentPoints = (bar->*purchase)(UnSpentPoints);
    ReCalculateAvailablePoints(UnSpentPoints);
}

void UpgradeMenu::MoveUp()
{
    UpgradeBar* bar = Selected();
    if (!bar || CurrentlySelected == 0 || bar->animationState != kBarIdle || MouseOverRide)
        return;
    bar->animationState = kBarShrinking;
    bar->shiftRow = 1;
    bars[size_t(CurrentlySelected - 1)]->animationState = kBarGrowing;
    SelectedImage.y -= SelectedImage.height / 2;
    --CurrentlySelected;
    DownArrow.Color.a = 255;
    if (CurrentlySelected == 0)
        UpArrow.Color.a = kUpgradeArrowDimmed;
}

void UpgradeMenu::MoveDown()
{
    UpgradeBar* bar = Selected();
    const int32_t last = int32_t(bars.size()) - 1;
    if (!bar || CurrentlySelected >= last || bar->animationState != kBarIdle || MouseOverRide)
        return;
    bar->animationState = kBarShrinking;
    UpgradeBar& next = *bars[size_t(CurrentlySelected + 1)];
    next.animationState = kBarGrowing;
    next.shiftRow = 1;
    SelectedImage.y += SelectedImage.height / 2;
    ++CurrentlySelected;
    UpArrow.Color.a = 255;
    if (CurrentlySelected == last)
        DownArrow.Color.a = kUpgradeArrowDimmed;
}

void UpgradeMenu::ConfirmAll()
{
    // The price was paid when the levels were chosen.
    for (UpgradeBar* bar : bars)
        bar->ConfirmPoints();
    ReCalculateAvailablePoints(UnSpentPoints);
}

void UpgradeMenu::CancelAll()
{
    for (UpgradeBar* bar : bars)
        UnSpentPoints += bar->CancelPoints();
    ReCalculateAvailablePoints(UnSpentPoints);
}

void UpgradeMenu::ReCalculateAvailablePoints(int32_t points)
{
    for (UpgradeBar* bar : bars)
        bar->ReCalculateAvailablePoints(points);
    UnSpentPoints = points;
}

int32_t UpgradeMenu::CheckIfThereAreAnyPoints() const
{
    for (const UpgradeBar* bar : bars)
        if (bar->TempSelected != bar->CurrentlySelected)
            return 1;
    return 0;
}

void UpgradeMenu::IncreaseAllByOne()
{
    for (UpgradeBar* bar : bars)
        bar->AwardPoint();
}

void UpgradeMenu::Update(float dt)
{
    for (UpgradeBar* bar : bars)
        bar->Update(dt);
    AutoAlignMenu();
    StepUpgradeGlow(glow, glowDirection, 60.0f, 0.015f);
}

bool UpgradeMenu::RowY(size_t i, int32_t& rowY) const
{
    // A script may write the spacing: no placement from a division by it.
    if (!(SpacingBasedOnHeight > 0.0f))
        return false;
    const int32_t H = SelectedImage.height;
    rowY = int32_t(float(H) + float((int32_t(i) - 1) * H) / SpacingBasedOnHeight + float(YOffset));
    return true;
}

void UpgradeMenu::AutoAlignMenu()
{
    if (bars.empty())
        return;
    if (FirstAlign)
        FirstLayout();
    else
        RegularLayout();
}

void UpgradeMenu::FirstLayout()
{
    const int32_t n = int32_t(bars.size());
    const int32_t H = SelectedImage.height;
    for (size_t i = 0; i < bars.size(); ++i)
    {
        UpgradeBar& bar = *bars[i];
        bar.hideArrows = MouseOverRide;
        bar.x = x;
        if (i == 0)
            bar.y = YOffset;
        else
        {
            bar.firstAlignment = 1;
            RowY(i, bar.y);
        }
        bar.rowOrigin = y;
        bar.spacing = H;
        bar.margin = YOffset;
        bar.AutoAlignBar();
        // One step at the animation's end leaves the bar grown or shrunk at once.
        bar.timer = bar.duration;
        bar.animationState = i == 0 ? kBarGrowing : StartingState;
        bar.Update(0.0f);
    }
    const float L = float(bars.front()->LenthOfBar);
    SelectedImage.x = x;
    SelectedImage.y = y;
    SelectedImage.width = int32_t(L);
    for (Sprite* piece : {&TopBackGroundImage, &BottomBackGroundImage, &MiddleBackGroundImage})
        piece->width = int32_t(L * FrameScaleX);
    MiddleBackGroundImage.height = int32_t(float(n * H) * FrameScaleY);
    PlaceBackgrounds(x, y);
    Callout.x = x;
    Callout.y = int32_t(float(n * H) * FrameScaleY + float(y));
    const float h = float(UpArrow.height);
    const float w = float(UpArrow.width);
    UpArrow.x = int32_t(float(x) + 0.5f * L * FrameScaleX - 0.5f * w);
    UpArrow.y = int32_t(float(y) - 0.8f * h + 0.5f * h * glow);
    DownArrow.x = UpArrow.x;
    if (SpacingBasedOnHeight > 0.0f)
        DownArrow.y = int32_t(float(y) + 0.8f * h - 0.5f * h * glow +
                              float((n - 1) * H) / SpacingBasedOnHeight + float(H + YOffset));
    DownArrow.width = UpArrow.width;
    DownArrow.height = UpArrow.height;
    FirstAlign = 0;
    for (UpgradeBar* bar : bars)
    {
        // A level that costs nothing starts bought.
        bar->IncreaseByOne(0);
        bar->ConfirmPoints();
    }
    UpArrow.Color.a = kUpgradeArrowDimmed;
}

void UpgradeMenu::RegularLayout()
{
    const int32_t n = int32_t(bars.size());
    const int32_t H = SelectedImage.height;
    for (size_t i = 0; i < bars.size(); ++i)
    {
        UpgradeBar& bar = *bars[i];
        bar.x = x;
        RowY(i, bar.y);
        bar.rowOrigin = y;
        bar.AutoAlignBar();
    }
    const int32_t L = bars.front()->LenthOfBar;
    SelectedImage.x = x;
    SelectedImage.y = y + (H / 2) * CurrentlySelected;
    PlaceBackgrounds(x - FrameOffsetX, y - FrameOffsetY);
    Callout.x = SingleBackgroundImage.x + SingleBackgroundImage.width / 2 - Callout.width / 2;
    Callout.y = MouseOverRide ? n * H + y : (n - 1) * (H / 2) + DownArrow.height + y + H;
    const float h = float(UpArrow.height);
    const float sway = 0.5f * h * glow;
    const float upSway = UpArrow.Color.a == kUpgradeArrowDimmed ? 0.0f : sway;
    const float downSway = DownArrow.Color.a == kUpgradeArrowDimmed ? 0.0f : sway;
    UpArrow.x = L / 2 + x;
    UpArrow.y = int32_t(float(y) - 0.8f * h + upSway);
    DownArrow.x = L / 2 + x;
    DownArrow.y = int32_t(float(y) + 0.8f * h - downSway + float(2 * H + YOffset));
}

void UpgradeMenu::PlaceBackgrounds(int32_t left, int32_t top)
{
    const int32_t n = int32_t(bars.size());
    const int32_t H = SelectedImage.height;
    for (Sprite* piece : {&SingleBackgroundImage, &TopBackGroundImage, &BottomBackGroundImage, &MiddleBackGroundImage})
        piece->x = left;
    TopBackGroundImage.y = top;
    SingleBackgroundImage.y = top;
    MiddleBackGroundImage.y = top + TopBackGroundImage.height;
    BottomBackGroundImage.y = MiddleBackGroundImage.y + MiddleBackGroundImage.height;
    SingleBackgroundImage.height = int32_t(float(n * H) * FrameScaleY);
    SingleBackgroundImage.width = int32_t(float(bars.front()->LenthOfBar) * FrameScaleX);
}

void UpgradeMenu::Render()
{
    for (Sprite* image : {&SingleBackgroundImage, &TopBackGroundImage, &BottomBackGroundImage,
                          &MiddleBackGroundImage, &Callout})
        image->Render();
    if (!MouseOverRide)
    {
        UpArrow.Render();
        DownArrow.Render();
    }
    SelectedImage.Render();
    for (UpgradeBar* bar : bars)
        bar->Render();
}

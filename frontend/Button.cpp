#include "frontend/Button.h"

#include "frontend/BasicText.h"
#include "frontend/ButtonManager.h"

#include <cmath>

namespace
{
uint8_t AlphaByte(float externalAlpha, float alpha)
{
    const float value = externalAlpha / 255.0f * alpha / 255.0f * 255.0f;
    if (!(value > 0.0f))
        return 0;
    return value >= 255.0f ? 255 : static_cast<uint8_t>(value);
}

// Moves a value by the share k of its remaining distance to the goal.
float Towards(float value, float goal, float k)
{
    return value + (goal - value) * k;
}
} // namespace

Button::Button()
{
    GetButtonManager().Add(this);
}

Button::Button(const Button& other) : FrontendElement(other)
{
    GetButtonManager().Add(this);
    *this = other;
}

Button& Button::operator=(const Button& other)
{
    if (this == &other)
        return *this;
    ButtonOwner* keptOwner = owner;
    // Every field, then what the copy must own on its own.
    FrontendElement::operator=(other);
    initialised = other.initialised;
    SelectedButtonOffsetX = other.SelectedButtonOffsetX;
    m_GoalX = other.m_GoalX;
    goalY = other.goalY;
    goalAlpha = other.goalAlpha;
    goalScale = other.goalScale;
    HasGoal = other.HasGoal;
    TimePassed = other.TimePassed;
    TimeTrigger = other.TimeTrigger;
    BaseAlpha = other.BaseAlpha;
    ExternalAlpha = other.ExternalAlpha;
    UpImage = other.UpImage;
    OverImage = other.OverImage;
    SelectedImage = other.SelectedImage;
    DisabledImage = other.DisabledImage;
    pressTimer = other.pressTimer;
    pressTime = other.pressTime;
    LockedImage = other.LockedImage;
    OverlayImage = other.OverlayImage;
    ShowLeftArrow = other.ShowLeftArrow;
    ShowRightArrow = other.ShowRightArrow;
    LeftArrow = other.LeftArrow;
    LeftArrowOffset = other.LeftArrowOffset;
    RightArrow = other.RightArrow;
    RightArrowOffset = other.RightArrowOffset;
    arrowGoalAlpha = other.arrowGoalAlpha;
    arrowAlpha = other.arrowAlpha;
    State = other.State;
    LeftButton = other.LeftButton;
    RightButton = other.RightButton;
    UpButton = other.UpButton;
    DownButton = other.DownButton;
    ConnectedButton = other.ConnectedButton;
    for (int i = 0; i < 4; ++i)
        spare[i] = other.spare[i];
    spareScale[0] = other.spareScale[0];
    spareScale[1] = other.spareScale[1];
    buttonName = other.buttonName;
    TextOffset = other.TextOffset;
    ExtraTextOffset = other.ExtraTextOffset;
    AlignType = other.AlignType;
    SelectedColor = other.SelectedColor;
    Rotation = other.Rotation;
    Scale = other.Scale;
    Color = other.Color;
    ID = other.ID;
    IsLocked = other.IsLocked;
    HasOverLay = other.HasOverLay;
    overlayText = other.overlayText;
    OverlayTextOffset = other.OverlayTextOffset;
    OverlayOffsetX = other.OverlayOffsetX;
    OverlayOffsetY = other.OverlayOffsetY;
    IsPlaying = other.IsPlaying;
    AnimTransition = other.AnimTransition;
    ShouldRender = other.ShouldRender;
    pulse = other.pulse;
    enabled = other.enabled;
    pulseOnUp = other.pulseOnUp;
    disabled = other.disabled;
    owner = keptOwner;
    underCursor = 0;
    // The font: the copy holds its own reference.
    if (other.Text.font)
        Text.Load(other.Text.name);
    else
        SetFontName("");
    return *this;
}

Button::~Button()
{
    if (owner)
        owner->ButtonGone(*this);
    GetButtonManager().Remove(this);
}

void Button::ForgetLinksTo(const Button* dying)
{
    Button** links[] = {&LeftButton, &RightButton, &UpButton, &DownButton, &ConnectedButton};
    for (Button** link : links)
        if (*link == dying)
            *link = nullptr;
}

void Button::SetState(int32_t state)
{
    if (disabled || State == kButtonDown)
        return;
    State = state;
}

void Button::SetButtonDisabled(bool flag)
{
    disabled = flag ? 1 : 0;
    State = flag ? kButtonDisabled : kButtonUp;
}

void Button::SetGoal(float goalX, float newGoalY, float newArrowGoalAlpha, float newGoalAlpha,
                     float newGoalScale)
{
    m_GoalX = static_cast<int32_t>(goalX);
    goalY = static_cast<int32_t>(newGoalY);
    arrowGoalAlpha = newArrowGoalAlpha;
    goalAlpha = static_cast<int32_t>(newGoalAlpha);
    goalScale = newGoalScale;
    HasGoal = 1;
    TimePassed = 0.0f;
}

void Button::SetFontName(const char* path)
{
    Text.Load(path);
}

void Button::SetAllSpriteVariables()
{
    if (height == -1)
    {
        height = UpImage.height;
        width = UpImage.width;
    }
    AnimSprite* images[] = {&UpImage, &OverImage, &SelectedImage, &DisabledImage, &LockedImage};
    for (AnimSprite* image : images)
    {
        image->x = x;
        image->y = y;
        image->Color = Color;
        image->Rotation = Rotation;
        image->Scale = Scale;
        image->height = height;
        image->width = width;
    }
    OverlayImage.x = x + OverlayOffsetX;
    OverlayImage.y = y + OverlayOffsetY;
    OverlayImage.Color = Color;
    OverlayImage.Rotation = Rotation;
    OverlayImage.Scale = Scale;
}

void Button::Update(float dt)
{
    if (PulseOn())
    {
        pulse += 2.0f * dt;
        if (pulse > 1.0f)
            pulse = -1.0f;
    }
    switch (State)
    {
    case kButtonUp:
        UpImage.Update(dt);
        break;
    case kButtonOver:
        OverImage.Update(dt);
        break;
    case kButtonDown:
        SelectedImage.Update(dt);
        if (pressTimer > pressTime)
        {
            State = kButtonOver;
            pressTimer = 0.0f;
        }
        pressTimer += dt;
        break;
    case kButtonDisabled:
        DisabledImage.Update(dt);
        break;
    default:
        break;
    }
    if (HasGoal)
        StepGoal(dt);
    ApplyAlphas();
}

void Button::StepGoal(float dt)
{
    if (TimePassed < TimeTrigger)
    {
        const float k = TimePassed / TimeTrigger;
        SelectedButtonOffsetX =
            static_cast<int32_t>(Towards(float(SelectedButtonOffsetX), float(m_GoalX), k));
        arrowAlpha = Towards(arrowAlpha, arrowGoalAlpha, k);
        BaseAlpha = Towards(BaseAlpha, float(goalAlpha), k);
        Scale = Towards(Scale, goalScale, k);
        if (goalY != -1)
            y = static_cast<int32_t>(Towards(float(y), float(goalY), k));
        TimePassed += dt;
        return;
    }
    SelectedButtonOffsetX = m_GoalX;
    arrowAlpha = arrowGoalAlpha;
    BaseAlpha = float(goalAlpha);
    Scale = goalScale;
    if (goalY != -1)
        y = goalY;
    TimePassed = 0.0f;
    HasGoal = 0;
}

void Button::ApplyAlphas()
{
    const uint8_t alpha = AlphaByte(ExternalAlpha, BaseAlpha);
    Color.a = alpha;
    SelectedColor.a = alpha;
    const uint8_t arrows = AlphaByte(ExternalAlpha, arrowAlpha);
    LeftArrow.Color.a = arrows;
    RightArrow.Color.a = arrows;
}

void Button::DrawTexts(const rgba8888& colour) const
{
    if (!Text.font)
        return;
    const uint32_t packed = PackColour(colour);
    if (!buttonName.empty())
        Text.font->DrawString(buttonName.c_str(), packed,
                              int(float(UpImage.x) + TextOffset.x + ExtraTextOffset.x),
                              int(float(UpImage.y) + TextOffset.y + ExtraTextOffset.y), UpImage.width,
                              UpImage.height, -1, AlignType, kAlignLeftTop, 1.0f, -1);
    if (!overlayText.empty())
        Text.font->DrawString(overlayText.c_str(), packed, int(float(OverlayImage.x) + OverlayTextOffset.x),
                              int(float(OverlayImage.y) + OverlayTextOffset.y), OverlayImage.width,
                              OverlayImage.height, -1, AlignType, kAlignLeftTop, 1.0f, -1);
}

void Button::DrawArrows()
{
    if (ShowLeftArrow)
        LeftArrow.Render();
    if (ShowRightArrow)
        RightArrow.Render();
}

void Button::Render()
{
    if (!visible || !initialised || !ShouldRender)
    {
        AnimTransition.Render();
        return;
    }
    if (IsPlaying)
        return;
    SetAllSpriteVariables();
    if (IsLocked)
    {
        LockedImage.Render();
        DrawTexts(Color);
        DrawArrows();
        return;
    }
    const uint8_t pulseAlpha = static_cast<uint8_t>(std::fabs(pulse) * 255.0f);
    switch (State)
    {
    case kButtonUp:
        if (PulseOn() && pulseOnUp)
        {
            OverImage.Render();
            UpImage.Color.a = pulseAlpha;
        }
        UpImage.Render();
        DrawTexts(Color);
        break;
    case kButtonOver:
        if (PulseOn())
        {
            UpImage.Render();
            OverImage.Color.a = pulseAlpha;
        }
        OverImage.Render();
        DrawTexts(SelectedColor);
        break;
    case kButtonDown:
        SelectedImage.Render();
        DrawTexts(SelectedColor);
        break;
    case kButtonDisabled:
        DisabledImage.Render();
        DrawTexts(SelectedColor);
        break;
    default:
        break;
    }
    if (HasOverLay)
        OverlayImage.Render();
    DrawArrows();
}

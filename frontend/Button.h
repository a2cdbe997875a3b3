#pragma once
// A button: animated images per state, arrows, neighbour links, a name and
// an overlay text drawn with its own font, and motion towards a goal. Every
// button is in the button manager's live list from construction (a copy
// too) to destruction.

#include "frontend/FrontendElement.h"
#include "frontend/ScriptBasicText.h"

#include <string>

class Button;

// Told by the button manager when the cursor enters or leaves a button it owns.
class ButtonOwner
{
public:
    virtual void ButtonHovered(Button& button) = 0;
    virtual void ButtonLeft(Button& button) = 0;
    // The button is being destroyed: no pointer to it may stay.
    virtual void ButtonGone(Button& button) = 0;

protected:
    ~ButtonOwner() = default;
};

enum ButtonState : int32_t
{
    kButtonUp = 0,
    kButtonOver = 1,
    kButtonDown = 2,
    kButtonDisabled = 3,
};

class Button : public FrontendElement
{
public:
    uint8_t initialised = 1;
    int32_t SelectedButtonOffsetX = 0;
    int32_t m_GoalX = 0;
    int32_t goalY = -1;
    int32_t goalAlpha = 255;
    float goalScale = 1.0f;
    int32_t HasGoal = 0;
    float TimePassed = 0.0f;
    float TimeTrigger = 0.0f;
    float BaseAlpha = 255.0f;
    float ExternalAlpha = 255.0f; // the button's own, hiding the element's
    AnimSprite UpImage;
    AnimSprite OverImage;
    AnimSprite SelectedImage;
    AnimSprite DisabledImage;
    float pressTimer = 0.0f;
    float pressTime = 0.1f;
    AnimSprite LockedImage;
    AnimSprite OverlayImage;
    int32_t ShowLeftArrow = 1;
    int32_t ShowRightArrow = 1;
    AnimSprite LeftArrow;
    Vec2 LeftArrowOffset{0.0f, 0.0f};
    AnimSprite RightArrow;
    Vec2 RightArrowOffset{0.0f, 0.0f};
    float arrowGoalAlpha = 0.0f;
    float arrowAlpha = 0.0f;
    int32_t State = kButtonUp;
    Button* LeftButton = nullptr;
    Button* RightButton = nullptr;
    Button* UpButton = nullptr;
    Button* DownButton = nullptr;
    Button* ConnectedButton = nullptr;
    int32_t spare[4] = {};
    float spareScale[2] = {1.0f, 1.0f};
    // The font of the name and the overlay text; scripts view it as a "BasicText".
    ScriptBasicText Text;
    std::string buttonName;
    Vec2 TextOffset{0.0f, 0.0f};
    Vec2 ExtraTextOffset{0.0f, 0.0f};
    int32_t AlignType = 0;
    rgba8888 SelectedColor{255, 248, 0, 255};
    float Rotation = 0.0f;
    float Scale = 1.0f;
    rgba8888 Color{255, 255, 255, 255};
    int32_t ID = -1;
    int32_t IsLocked = 0;
    int32_t HasOverLay = 0;
    std::string overlayText;
    Vec2 OverlayTextOffset{0.0f, 0.0f};
    int32_t OverlayOffsetX = 0;
    int32_t OverlayOffsetY = 0;
    int32_t IsPlaying = 0;
    AnimSprite AnimTransition;
    int32_t ShouldRender = 1;
    float pulse = -99.0f; // below -1 the pulse is off
    ButtonOwner* owner = nullptr;
    int32_t enabled = 1;
    int32_t pulseOnUp = 0;
    uint8_t disabled = 0;
    // Whether the cursor was over the button at the manager's last update.
    uint8_t underCursor = 0;

    Button();
    // A copy joins the live list on its own; the owner stays with the original.
    Button(const Button& other);
    Button& operator=(const Button& other);
    ~Button() override;

    void Update(float dt) override;
    void Play() override { IsPlaying = 1; }
    void Render() override;

    void SetState(int32_t state);
    void SetButtonDisabled(bool flag);
    void SetGoal(float goalX, float newGoalY, float newArrowGoalAlpha, float newGoalAlpha,
                 float newGoalScale);
    void SetConnectedButton(Button* button) { ConnectedButton = button; }
    void SetAllSpriteVariables();
    void SetPositionToSprites() { SetAllSpriteVariables(); }
    void SetName(const char* text) { buttonName = text ? text : ""; }
    void SetOverlayText(const char* text) { overlayText = text ? text : ""; }
    void SetFontName(const char* path);
    bool PulseOn() const { return pulse >= -1.0f; }

    // Every pointer to the dying button is cleared.
    void ForgetLinksTo(const Button* dying);

private:
    void StepGoal(float dt);
    void ApplyAlphas();
    void DrawTexts(const rgba8888& colour) const;
    void DrawArrows();
};

#pragma once
// An ordered list of buttons (not owned) with one current button; input codes
// move the selection along the buttons' neighbour links (0 left, 1 right,
// 2 up, 3 down). The menu owns the hover of its buttons.

#include "core/Vec2.h"
#include "frontend/Button.h"

#include <vector>

enum MenuInput : int
{
    kMenuLeft = 0,
    kMenuRight = 1,
    kMenuUp = 2,
    kMenuDown = 3,
};

class Menu : public ButtonOwner
{
public:
    uint8_t enabled = 1;
    std::vector<Button*> buttons;
    Button* CurrentButton = nullptr;
    int32_t State = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t ButtonOffsetX = 0;
    int32_t ButtonOffsetY = 0;
    int32_t SelectedButtonOffsetX = 0;
    float ScaleOffset = 0.0f;
    // Set by the layouts: rows and columns (a row or a column of n: both n).
    float rows = 0.0f;
    float columns = 0.0f;
    int32_t ID = 0;
    Vec2 StartPosition{-1.0f, -1.0f};
    Vec2 EndPosition{-1.0f, -1.0f};
    int32_t Fade = 0;
    int32_t FadeOffset = 0;

    Menu() = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    virtual ~Menu();

    void AddButton(Button* button);
    void ClearButtons();
    virtual void Update(float dt);
    virtual void Render();
    // 1 when the selection moved.
    virtual int Input(int code);
    void ResetCurrentButton(int index);
    void SetCurrentButtonToLast();
    void SetButtonToUp(int index);
    virtual void SetAlpha(float alpha);
    void SetSelectedAlpha(float alpha);
    void SetSelectedLArrowsAlpha(float alpha);
    void SetSelectedRArrowsAlpha(float alpha);
    void AutoAlignButtons(int layout);
    void AutoAlignButtonsInGrid(int columnCount);
    int IndexOf(const Button* button) const;

    void ButtonHovered(Button& button) override;
    void ButtonLeft(Button& button) override;
    void ButtonGone(Button& button) override;

protected:
    void Select(Button* button);
    void Deselect(Button* button, float alpha);
    bool Clipped(const Button& button) const;
    void AlignOnOneLine(Button& button, bool sameX);
};

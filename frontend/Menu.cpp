#include "frontend/Menu.h"

#include <algorithm>
#include <cmath>

namespace
{
uint8_t AlphaByte(float alpha)
{
    if (!(alpha > 0.0f))
        return 0;
    return alpha >= 255.0f ? 255 : static_cast<uint8_t>(alpha);
}

void Link(Button* before, Button* after, bool vertical)
{
    if (vertical)
    {
        after->UpButton = before;
        before->DownButton = after;
    }
    else
    {
        after->LeftButton = before;
        before->RightButton = after;
    }
}
} // namespace

Menu::~Menu()
{
    for (Button* button : buttons)
        if (button->owner == this)
            button->owner = nullptr;
}

int Menu::IndexOf(const Button* button) const
{
    const auto found = std::find(buttons.begin(), buttons.end(), button);
    return found == buttons.end() ? -1 : int(found - buttons.begin());
}

void Menu::Select(Button* button)
{
    CurrentButton = button;
    button->State = kButtonOver;
    button->SetGoal(float(SelectedButtonOffsetX), -1.0f, 255.0f, 255.0f, 1.0f);
}

void Menu::Deselect(Button* button, float alpha)
{
    button->SetGoal(0.0f, -1.0f, 0.0f, alpha, 1.0f);
    button->State = kButtonUp;
}

void Menu::AddButton(Button* button)
{
    if (!button)
        return;
    if (button->owner && button->owner != this)
        button->owner->ButtonGone(*button);
    buttons.push_back(button);
    button->owner = this;
    if (buttons.size() == 1)
        Select(button);
}

void Menu::ClearButtons()
{
    for (Button* button : buttons)
        if (button->owner == this)
            button->owner = nullptr;
    buttons.clear();
    CurrentButton = nullptr;
    State = 0;
    ID = 0;
}

void Menu::Update(float dt)
{
    if (!enabled)
        return;
    for (Button* button : buttons)
        button->Update(dt);
    ID = CurrentButton ? CurrentButton->ID : -1;
}

bool Menu::Clipped(const Button& button) const
{
    const bool clipping = StartPosition.x != -1.0f && StartPosition.y != -1.0f && EndPosition.x != -1.0f &&
                          EndPosition.y != -1.0f;
    if (!clipping)
        return false;
    const float bx = float(button.x);
    const float by = float(button.y);
    return !(bx >= StartPosition.x && bx <= EndPosition.x && by >= StartPosition.y && by <= EndPosition.y);
}

void Menu::Render()
{
    if (!enabled || buttons.empty())
        return;
    for (Button* button : buttons)
        if (!Clipped(*button))
            button->Render();
}

int Menu::Input(int code)
{
    if (!enabled)
        return 0;
    Button* current = CurrentButton;
    switch (code)
    {
    case kMenuLeft:
    case kMenuRight:
    {
        Button* next = current ? (code == kMenuLeft ? current->LeftButton : current->RightButton) : nullptr;
        if (!next)
            return 0;
        current->State = kButtonUp;
        next->State = kButtonOver;
        CurrentButton = next;
        return 1;
    }
    case kMenuUp:
    case kMenuDown:
    {
        Button* next = current ? (code == kMenuUp ? current->UpButton : current->DownButton) : nullptr;
        if (next)
        {
            Deselect(current, 255.0f);
            Select(next);
            return 1;
        }
        // Up without a neighbour goes back to the first button; down only
        // picks one when nothing is current.
        if (!buttons.empty() && (code == kMenuUp || !current))
            Select(buttons.front());
        return 0;
    }
    default:
        return 0;
    }
}

void Menu::ResetCurrentButton(int index)
{
    if (index < 0 || index >= int(buttons.size()) || !CurrentButton)
        return;
    Deselect(CurrentButton, 255.0f);
    Select(buttons[size_t(index)]);
}

void Menu::SetCurrentButtonToLast()
{
    ResetCurrentButton(int(buttons.size()) - 1);
}

void Menu::SetButtonToUp(int index)
{
    if (CurrentButton && index >= 0 && index < int(buttons.size()))
        buttons[size_t(index)]->State = kButtonUp;
}

void Menu::SetAlpha(float alpha)
{
    for (Button* button : buttons)
        if (button != CurrentButton)
            button->ExternalAlpha = alpha;
}

void Menu::SetSelectedAlpha(float alpha)
{
    if (!CurrentButton)
        return;
    CurrentButton->ExternalAlpha = alpha;
    CurrentButton->LeftArrow.Color.a = AlphaByte(alpha);
    CurrentButton->RightArrow.Color.a = AlphaByte(alpha);
}

void Menu::SetSelectedLArrowsAlpha(float alpha)
{
    if (CurrentButton)
        CurrentButton->LeftArrow.Color.a = AlphaByte(alpha);
}

void Menu::SetSelectedRArrowsAlpha(float alpha)
{
    if (CurrentButton)
        CurrentButton->RightArrow.Color.a = AlphaByte(alpha);
}

void Menu::AlignOnOneLine(Button& button, bool sameX)
{
    button.SetAllSpriteVariables();
    if (sameX)
        button.x = x;
    else
        button.y = y;
    const float textY = float(button.height) / 4.1f;
    button.TextOffset.y = textY;
    button.OverlayTextOffset.y = textY;
    const float arrowsX = float(x + SelectedButtonOffsetX);
    button.LeftArrow.x = int32_t(button.LeftArrowOffset.x + arrowsX);
    button.RightArrow.x = int32_t(button.RightArrowOffset.x + arrowsX);
    button.LeftArrow.y = int32_t(float(button.y) + button.LeftArrowOffset.y);
    button.RightArrow.y = int32_t(float(button.y) + button.RightArrowOffset.y);
    if (sameX)
        button.x = x + SelectedButtonOffsetX;
    else
        button.y = y + SelectedButtonOffsetX;
}

void Menu::AutoAlignButtons(int layout)
{
    if (layout < 0 || layout > 3)
        return;
    for (size_t i = 0; i < buttons.size(); ++i)
    {
        Button& button = *buttons[i];
        const int32_t n = int32_t(i);
        if (layout == 0 || layout == 1)
        {
            if (layout == 0)
            {
                button.x = x + n * (button.UpImage.width + ButtonOffsetX);
                button.y = y + n * ButtonOffsetY;
            }
            else
            {
                button.x = x + n * ButtonOffsetX;
                button.y = y + n * (button.UpImage.height + ButtonOffsetY);
            }
            button.Scale = 1.0f - float(n) * ScaleOffset;
        }
        else
        {
            AlignOnOneLine(button, layout == 2);
        }
        if (i > 0)
            Link(buttons[i - 1], &button, layout != 0);
        button.SetAllSpriteVariables();
    }
    rows = float(buttons.size());
    columns = float(buttons.size());
}

void Menu::AutoAlignButtonsInGrid(int columnCount)
{
    if (columnCount < 1)
        return;
    const int count = int(buttons.size());
    columns = float(columnCount);
    rows = float((count + columnCount - 1) / columnCount);
    for (int k = 0; k < count; ++k)
    {
        Button& button = *buttons[size_t(k)];
        const int row = k / columnCount;
        const int column = k % columnCount;
        button.x = x + column * (button.UpImage.width + ButtonOffsetX);
        button.y = y + row * (button.UpImage.height + ButtonOffsetY);
        if (column > 0)
            Link(buttons[size_t(k - 1)], &button, false);
        if (row > 0)
            Link(buttons[size_t(k - columnCount)], &button, true);
        button.SetAllSpriteVariables();
    }
}

void Menu::ButtonHovered(Button& button)
{
    if (&button == CurrentButton)
        return;
    if (CurrentButton)
        Deselect(CurrentButton, CurrentButton->ExternalAlpha);
    CurrentButton = &button;
    button.State = kButtonOver;
    button.SetGoal(float(SelectedButtonOffsetX), -1.0f, button.ExternalAlpha, 255.0f, 1.0f);
}

void Menu::ButtonLeft(Button& button)
{
    if (&button != CurrentButton)
        return;
    Deselect(&button, button.ExternalAlpha);
    CurrentButton = nullptr;
}

void Menu::ButtonGone(Button& button)
{
    buttons.erase(std::remove(buttons.begin(), buttons.end(), &button), buttons.end());
    if (CurrentButton == &button)
        CurrentButton = nullptr;
    button.owner = nullptr;
}

#include "frontend/DropdownMenu.h"

void DropdownMenu::ShowChoice()
{
    if (DropDownMenu.CurrentButton)
        DisplayButton.SetName(DropDownMenu.CurrentButton->buttonName.c_str());
}

void DropdownMenu::AutoAlignComponents()
{
    Background.x = x;
    Background.y = y;
    DisplayButton.x = x + ButtonOffsetX;
    DisplayButton.y = y + ButtonOffsetY;
    DisplayButton.SetAllSpriteVariables();
    DropDownMenu.x = x + ButtonOffsetX;
    DropDownMenu.y = y + Background.height;
    DropDownMenu.AutoAlignButtons(1);
    if (CurrentState == 0)
        for (Button* button : DropDownMenu.buttons)
            button->ExternalAlpha = 0.0f;
    ShowChoice();
}

void DropdownMenu::Render()
{
    if (!enabled)
        return;
    Background.Render();
    DisplayButton.Render();
    if (CurrentState != 0)
        DropDownMenu.Render();
}

int DropdownMenu::Input(int code)
{
    if (!enabled || CurrentState == 0)
        return 0;
    if (code >= kMenuLeft && code <= kMenuDown)
        return DropDownMenu.Input(code);
    if (code != 4)
        return 0;
    CurrentState = 0;
    ShowChoice();
    return 1;
}

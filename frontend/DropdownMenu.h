#pragma once
// One display button over a background; opened, a menu of choices hangs
// under it, and closing copies the chosen name into the display button.

#include "frontend/Menu.h"

class DropdownMenu
{
public:
    uint8_t enabled = 1;
    Button DisplayButton;
    Sprite Background;
    Menu DropDownMenu;
    int32_t CurrentState = 0; // 0 closed
    int32_t x = 0;
    int32_t y = 0;
    int32_t ButtonOffsetX = 0;
    int32_t ButtonOffsetY = 0;

    void AutoAlignComponents();
    void Render();
    // 0 to 3 move in the open menu; 4 closes it. 1 when something changed.
    int Input(int code);
    void Update(float) {}

private:
    void ShowChoice();
};

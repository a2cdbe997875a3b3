#pragma once
// Tests every live button against the cursor once a step: a button is under
// the cursor where its up image is not transparent. Hovers go to the
// button's owner (a menu) or set the button's state; a click key pressed
// for this frame over a button clicks it once, even one let go again
// within the frame.

#include "core/FixedString.h"

#include <vector>

class Button;
class Texture;

class ButtonManager
{
public:
    void Add(Button* button);
    // Forgets every pointer to the button: list, click, hover, other buttons' links.
    void Remove(Button* button);

    // Reads the cursor and the click key (the first mouse button).
    void Update();
    void Update(float cursorX, float cursorY, bool clickNewlyDown);
    // The last button in list order whose state is over becomes the hovered one.
    void UpdateLastOver();
    // The clicked button's name once per click; false when no click is pending.
    bool TakeClicked(FixedString128& name);

    Button* Hovered() const { return m_hovered; }
    Button* Clicked() const { return m_clicked; }
    // Between updates, every live button once and no empty place.
    const std::vector<Button*>& Live() const { return m_live; }

    // The alpha (0..255) of the texture at (u, v) in 0..1, from a plane read
    // once per texture upload; textures of any size.
    static int AlphaAt(Texture* texture, float u, float v);
    static void DropAlphaPlanes();

private:
    bool UnderCursor(Button& button, float cursorX, float cursorY) const;
    void Hover(Button& button);
    void Leave(Button& button);
    void TestButton(Button& button, float cursorX, float cursorY, bool clickNewlyDown);

    std::vector<Button*> m_live;
    Button* m_clicked = nullptr;
    Button* m_hovered = nullptr;
    FixedString128 m_clickedName;
    bool m_clickPending = false;
    bool m_updating = false;
    bool m_emptied = false;
};

ButtonManager& GetButtonManager();

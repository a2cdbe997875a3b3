#include "frontend/ScrollableMenu.h"

#include <algorithm>

namespace
{
int32_t ClampAlpha(float alpha)
{
    return int32_t(std::min(std::max(alpha, 0.0f), 255.0f));
}
} // namespace

void ScrollableMenu::Render()
{
    if (scrollEnabled)
        Menu::Render();
}

void ScrollableMenu::ResetCurrentButton()
{
    Menu::ResetCurrentButton(0);
    ScrollingState = 0;
    columnPosition = 0.0f;
    rowPosition = 0.0f;
    rowCounter = 0;
    columnCounter = 0;
    scrollTime = 0.0f;
}

void ScrollableMenu::SetAlpha(float alpha)
{
    const uint8_t byte = uint8_t(ClampAlpha(alpha));
    for (Button* button : buttons)
        if (button != CurrentButton)
        {
            button->Color.a = byte;
            button->SelectedColor.a = byte;
        }
}

bool ScrollableMenu::HasNeighbour(int code) const
{
    if (!CurrentButton)
        return false;
    switch (code)
    {
    case kMenuLeft:
        return CurrentButton->LeftButton != nullptr;
    case kMenuRight:
        return CurrentButton->RightButton != nullptr;
    case kMenuUp:
        return CurrentButton->UpButton != nullptr;
    case kMenuDown:
        return CurrentButton->DownButton != nullptr;
    default:
        return false;
    }
}

int ScrollableMenu::Input(int code)
{
    if (!scrollEnabled || ScrollingState != 0 || !HasNeighbour(code))
        return 0;
    const float distance = float(MoveDistance);
    switch (code)
    {
    case kMenuLeft:
        if (!(columnPosition > 0.0f))
            return 0;
        if (columnCounter > 0)
        {
            --columnCounter;
            Menu::Input(code);
        }
        else
            StartScroll(code, columnPosition, Vec2(distance, 0.0f));
        columnPosition -= 1.0f;
        return 1;
    case kMenuRight:
        if (!(columns > columnPosition))
            return 0;
        if (columnCounter < NumberTillScrollingRight)
        {
            ++columnCounter;
            Menu::Input(code);
        }
        else
            StartScroll(code, columnPosition, Vec2(-distance, 0.0f));
        columnPosition += 1.0f;
        return 1;
    case kMenuUp:
        if (!(rowPosition > 0.0f))
            return 0;
        if (rowCounter > 0)
        {
            --rowCounter;
            Menu::Input(code);
        }
        else
            StartScroll(code, rowPosition, Vec2(0.0f, distance));
        rowPosition -= 1.0f;
        return 1;
    case kMenuDown:
        if (!(rows - 1.0f > rowPosition))
            return 0;
        if (rowCounter < NumberTillScrollingDown)
        {
            ++rowCounter;
            Menu::Input(code);
        }
        else
            StartScroll(code, rowPosition, Vec2(0.0f, -distance));
        rowPosition += 1.0f;
        return 1;
    default:
        return 0;
    }
}

void ScrollableMenu::StartScroll(int code, float p, const Vec2& shift)
{
    ScrollingState = 1;
    scrollDirection = code;
    scrollTime = 0.0f;
    const bool backwards = code == kMenuLeft || code == kMenuUp;
    const float selected = backwards ? p - 1.0f : p + 1.0f;
    m_tracks.assign(buttons.size(), ScrollTrack{});
    for (size_t k = 0; k < buttons.size(); ++k)
    {
        Button& button = *buttons[k];
        ScrollTrack& track = m_tracks[k];
        const float i = float(k);
        track.start = Vec2(float(button.x), float(button.y));
        track.end = track.start + shift;
        track.startScale = button.Scale;
        const float alpha = float(button.Color.a);
        button.StartAlpha = int32_t(alpha);
        if (i == selected)
        {
            track.goalScale = 1.0f;
            if (Fade)
                button.EndAlpha = 255;
            continue;
        }
        const bool grows = backwards ? i < p - 1.0f : i > p + 1.0f;
        const float sign = grows ? 1.0f : -1.0f;
        track.goalScale = button.Scale + sign * ScaleOffset;
        if (Fade)
            button.EndAlpha = ClampAlpha(alpha + sign * float(FadeOffset));
    }
}

void ScrollableMenu::EndScroll()
{
    for (size_t k = 0; k < buttons.size() && k < m_tracks.size(); ++k)
    {
        Button& button = *buttons[k];
        button.x = int32_t(m_tracks[k].end.x);
        button.y = int32_t(m_tracks[k].end.y);
        button.Scale = m_tracks[k].goalScale;
        if (Fade)
            button.Color.a = uint8_t(ClampAlpha(float(button.EndAlpha)));
        button.SetAllSpriteVariables();
    }
    ScrollingState = 0;
    scrollTime = 0.0f;
    Menu::Input(scrollDirection);
}

void ScrollableMenu::StepScroll(float dt)
{
    const float t = scrollTime;
    const float along = float(speedCount) * t;
    for (size_t k = 0; k < buttons.size() && k < m_tracks.size(); ++k)
    {
        Button& button = *buttons[k];
        const ScrollTrack& track = m_tracks[k];
        const Vec2 at = track.start + (track.end - track.start) * along;
        button.x = int32_t(at.x);
        button.y = int32_t(at.y);
        button.Color.a =
            uint8_t(ClampAlpha(float(button.Color.a) + float(button.EndAlpha - button.StartAlpha) * t));
        button.Scale += (track.goalScale - track.startScale) * t;
        button.SetAllSpriteVariables();
    }
    scrollTime += dt;
}

void ScrollableMenu::Update(float dt)
{
    if (scrollEnabled && ScrollingState == 1)
    {
        // The buttons may have changed since the scroll began.
        if (m_tracks.size() != buttons.size())
            ScrollingState = 0;
        else if (speedCount <= 0 || float(speedCount) * scrollTime >= 1.0f)
            EndScroll();
        else
            StepScroll(dt);
    }
    Menu::Update(dt);
}

#include "frontend/LeaderBoardElement.h"

#include "frontend/BasicText.h"

#include <SDL.h>

LeaderBoardElement::~LeaderBoardElement()
{
    for (LeaderBoardColumn* column : {&rank, &name, &score})
        if (column->font)
            BasicTextRelease(column->font, column->fontPath.c_str());
}

void LeaderBoardElement::Update(float dt)
{
    if (State == kButtonUp)
        UpImage.Update(dt);
    else if (State == kButtonOver)
        OverImage.Update(dt);
    const uint8_t alpha = uint8_t(int32_t(255.0f * (BaseAlpha / 255.0f) * (ExternalAlpha / 255.0f)));
    SelectedColor.a = alpha;
    Color.a = alpha;
}

void LeaderBoardElement::FollowRow()
{
    const bool sized = width != -1 && height != -1;
    if (!sized)
    {
        width = UpImage.width;
        height = UpImage.height;
    }
    for (AnimSprite* image : {&UpImage, &OverImage, &LockedImage})
    {
        image->x = x;
        image->y = y;
        image->Rotation = Rotation;
        image->Scale = Scale;
        image->Color = Color;
        if (sized)
        {
            image->width = width;
            image->height = height;
        }
    }
    OverlayImage.x = x + OverlayOffsetX;
    OverlayImage.y = y + OverlayOffsetY;
    const float w = float(width);
    const float h = float(height);
    rank.offset = Vec2(0.1f * w, 0.2f * h);
    name.offset = Vec2(0.3f * w, 0.2f * h);
    score.offset = Vec2(0.8f * w, 0.2f * h);
}

void LeaderBoardElement::Render()
{
    FollowRow();
    if (!initialised)
        return;
    if (IsPlaying)
    {
        AnimTransition.Render();
        return;
    }
    Button::Render();
    // The texts show in every state, in their own colours: the highlighted
    // row is the player's own, or the one that says there are no scores.
    for (LeaderBoardColumn* column : {&rank, &name, &score})
        DrawColumn(*column);
}

void LeaderBoardElement::DrawColumn(LeaderBoardColumn& column)
{
    // Loaded at the first draw: fonts are made in GL.
    if (!column.font && SDL_GL_GetCurrentContext())
        column.font = BasicTextGet(column.fontPath.c_str());
    if (!column.font || column.text.empty())
        return;
    column.font->DrawString(column.text.c_str(), PackColour(column.colour), int32_t(float(x) + column.offset.x),
                            int32_t(float(y) + column.offset.y), width, height, -1, AlignType, kAlignLeftTop, 1.0f,
                            -1);
}

#pragma once
// A menu whose buttons slide by `MoveDistance` when the selection passes the
// visible counts, scaling and (with `Fade`) fading the others as they go. A
// scroll lasts 1 / speed count seconds; the selection moves when it ends.

#include "frontend/Menu.h"

class ScrollableMenu : public Menu
{
public:
    uint8_t scrollEnabled = 1;
    int32_t MoveDistance = 0;
    float columnPosition = 0.0f;
    float rowPosition = 0.0f;
    int32_t NumberTillScrollingDown = 0;
    int32_t NumberTillScrollingRight = 0;
    int32_t rowCounter = 0;
    int32_t columnCounter = 0;
    int32_t speedCount = 4;
    float scrollTime = 0.0f;
    int32_t ScrollingState = 0;
    int32_t scrollDirection = 0;

    void Update(float dt) override;
    void Render() override;
    int Input(int code) override;
    void SetAlpha(float alpha) override;
    void ResetCurrentButton();

private:
    struct ScrollTrack
    {
        Vec2 start;
        Vec2 end;
        float startScale;
        float goalScale;
    };

    bool HasNeighbour(int code) const;
    void StartScroll(int code, float position, const Vec2& shift);
    void EndScroll();
    void StepScroll(float dt);

    std::vector<ScrollTrack> m_tracks;
};

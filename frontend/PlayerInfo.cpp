#include "frontend/PlayerInfo.h"

#include "frontend/BasicText.h"

namespace
{
void PlaceAt(FrontendElement& image, float atX, float atY)
{
    image.x = int32_t(atX);
    image.y = int32_t(atY);
}

uint8_t Channel(uint8_t from, uint8_t to, float f)
{
    return uint8_t(int32_t(float(int32_t(to) - int32_t(from)) * f + float(from)));
}
} // namespace

void PlayerInfo::AutoAlignComponents(int32_t newSide)
{
    side = newSide;
    if (side != kPlayerInfoLeft && side != kPlayerInfoRight)
        return;
    const int32_t w = DragonIcon.width;
    const int32_t h = DragonIcon.height;
    PlaceAt(DragonIcon, float(x), float(y));
    PlaceAt(PulseImage, float(x), float(y));
    PlaceAt(UnSpentPointsSymbol, float(x + w / 2 + UnSpentPointsSymbol.width / 2),
            float(y + h / 2 + UnSpentPointsSymbol.height / 2));
    TextPosition.y = float(y) + 0.15f * float(h);
    PlayerTextPosition.y = float(y) - 0.4f * float(h);
    textBoxHeight = 0.5f * float(h);
    if (side == kPlayerInfoLeft)
        AlignLeft();
    else
        AlignRight();
}

void PlayerInfo::AlignLeft()
{
    const float w = float(DragonIcon.width);
    const float h = float(DragonIcon.height);
    AnimSprite& frame = ScoreMultiplerFrame;
    PlaceAt(frame, float(x) - 0.39f * float(frame.width), float(y) + h - float(frame.height / 2));
    PlaceAt(ScoreMultiplerImage, float(frame.x) + 0.3f * float(ScoreMultiplerImage.width),
            float(frame.y) + 0.75f * float(ScoreMultiplerImage.height));
    TextPosition.x = float(x) + 1.2f * w;
    PlayerTextPosition.x = float(x) + 0.25f * w;
    textBoxWidth = 0.8f * w;
    const float powerX = float(x) - 0.51f * float(PowerUpSymbolFrame.width);
    const float powerY = float(y) - float(PowerUpSymbolFrame.height / 3);
    PlaceAt(PowerUpSymbolFrame, powerX, powerY);
    PlaceAt(PowerUpSymbol, powerX, powerY);

    AnimSprite& front = FireBarFrontCap;
    PlaceAt(front, float(x) + w, float(y) + 0.35f * h);
    PlaceAt(FireBarMiddle, float(front.x + front.width), float(front.y));
    FireBarMiddle.width = int32_t(float(FireBarBackground.width) - 0.2f * float(front.width) -
                                  0.2f * float(FireBarBackCap.width));
    PlaceAt(FireBarBackCap, float(FireBarMiddle.x + FireBarMiddle.width), float(front.y));
    const float barX = float(x) + w + 0.8f * float(front.width);
    const float barY = float(front.y) + 0.6f * float(FireBarMiddle.height);
    PlaceAt(FireBar, barX, barY);
    PlaceAt(FireBarBackground, barX, barY);
}

void PlayerInfo::AlignRight()
{
    const float w = float(DragonIcon.width);
    const float h = float(DragonIcon.height);
    AnimSprite& frame = RightScoreMultiplerFrame;
    PlaceAt(frame, float(x) + w - 0.6f * float(frame.width), float(y) + h - float(frame.height / 2));
    PlaceAt(ScoreMultiplerImage, float(frame.x) + 0.36f * float(frame.width),
            float(frame.y) + 0.39f * float(frame.height));
    TextPosition.x = float(x) - 1.65f * w;
    PlayerTextPosition.x = float(x) - 1.5f * w;
    textBoxWidth = 0.75f * w;
    AnimSprite& power = RightPowerUpSymbolFrame;
    PlaceAt(power, float(x) + w - 0.48f * float(power.width), float(y) - float(power.height / 3));
    PlaceAt(PowerUpSymbol, float(power.x) + 0.4f * float(PowerUpSymbol.width), float(power.y));

    AnimSprite& front = FireBarRightFrontCap;
    const int32_t middleWidthBefore = FireBarMiddle.width;
    PlaceAt(front, float(x - front.width), float(y) + 0.35f * h);
    FireBarMiddle.width = int32_t(float(FireBarBackground.width) - 0.2f * float(front.width) -
                                  0.2f * float(FireBarRightBackCap.width));
    PlaceAt(FireBarMiddle, float(front.x - FireBarMiddle.width), float(front.y));
    PlaceAt(FireBarRightBackCap, float(FireBarMiddle.x - FireBarRightBackCap.width), float(front.y));
    const float barX = float(front.x) - 0.2f * float(front.width) - float(middleWidthBefore);
    const float barY = float(front.y) + 0.6f * float(FireBarMiddle.height);
    PlaceAt(FireBar, barX, barY);
    PlaceAt(FireBarBackground, barX, barY);
    RealBarX = FireBarBackground.x + FireBarBackground.width;
}

void PlayerInfo::Update(float dt)
{
    StepColourFade(dt);
    StepMultiplierPulse(dt);
}

void PlayerInfo::StepColourFade(float dt)
{
    const bool continuous = fadeEnabled && ShowUnspeantPoints;
    const bool atRest = fadeTimer == 0.0f && fadeDirection == 1;
    if (!continuous && atRest)
        return;
    const rgba8888& from = fadeDirection ? StartColor : EndColor;
    const rgba8888& to = fadeDirection ? EndColor : StartColor;
    rgba8888& colour = PulseImage.Color;
    // A trigger not above 0 (scripts write it) ends the leg at once.
    if (TimeTrigger > 0.0f && fadeTimer <= TimeTrigger)
    {
        const float f = fadeTimer / TimeTrigger;
        colour.r = Channel(from.r, to.r, f);
        colour.g = Channel(from.g, to.g, f);
        colour.b = Channel(from.b, to.b, f);
        fadeTimer += dt;
        return;
    }
    colour.r = to.r;
    colour.g = to.g;
    colour.b = to.b;
    fadeDirection = fadeDirection ? 0 : 1;
    fadeTimer = 0.0f;
}

void PlayerInfo::StepMultiplierPulse(float dt)
{
    AnimSprite& image = ScoreMultiplerImage;
    if (image.CurrentFrame != lastMultiplierFrame)
    {
        lastMultiplierFrame = image.CurrentFrame;
        pulseActive = 1;
        pulseCount = 0;
    }
    if (!pulseActive && pulseTimer == 0.0f)
        return;
    if (pulseTimer <= pulsePeriod)
    {
        image.Color.a = uint8_t(int32_t(255.0f - 127.0f * pulseTimer / pulsePeriod));
        pulseTimer += dt;
        return;
    }
    ++pulseCount;
    image.Color.a = 128;
    pulseTimer = 0.0f;
    if (pulseCount >= kPulses)
    {
        image.Color.a = 255;
        pulseActive = 0;
    }
}

void PlayerInfo::Render()
{
    if (side == kPlayerInfoLeft)
    {
        PowerUpSymbolFrame.Render();
        if (ShowMultipler)
            ScoreMultiplerFrame.Render();
    }
    else if (side == kPlayerInfoRight)
    {
        RightPowerUpSymbolFrame.Render();
        if (ShowMultipler)
            RightScoreMultiplerFrame.Render();
    }
    if (RenderScoreMultipler)
        ScoreMultiplerImage.Render();
    PowerUpSymbol.Render();
    PulseImage.Render();
    DragonIcon.Render();
    FireBarBackground.Render();
    FireBar.Render();
    if (side == kPlayerInfoLeft)
    {
        FireBarFrontCap.Render();
        FireBarMiddle.Render();
        FireBarBackCap.Render();
    }
    else if (side == kPlayerInfoRight)
    {
        FireBarMiddle.Render();
        FireBarRightBackCap.Render();
        FireBarRightFrontCap.Render();
    }
    DrawTexts();
}

void PlayerInfo::DrawTexts() const
{
    const uint32_t colour = PackColour(Color);
    if (Text.font)
        Text.font->DrawString(m_score.c_str(), colour, int32_t(TextPosition.x), int32_t(TextPosition.y),
                              int32_t(2.0f * textBoxWidth), int32_t(textBoxHeight), -1, TextAlign,
                              kAlignLeftTop, 1.0f, -1);
    if (m_playerFont.font)
        m_playerFont.font->DrawString(m_playerName.c_str(), colour, int32_t(PlayerTextPosition.x),
                                      int32_t(PlayerTextPosition.y), int32_t(3.0f * textBoxWidth),
                                      int32_t(textBoxHeight), -1, TextAlign, kAlignLeftTop, 1.0f, -1);
}

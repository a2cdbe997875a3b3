#pragma once
// One player's HUD block: dragon icon, score and name, a fire bar with caps,
// a power-up symbol and a score multiplier in frames, in a layout for the
// left or the right of the screen. The script moves the bar and symbols
// itself through the members it owns.

#include "core/Vec2.h"
#include "frontend/FrontendElement.h"
#include "frontend/ScriptBasicText.h"

#include <cstdint>
#include <string>

enum PlayerInfoSide : int32_t
{
    kPlayerInfoLeft = 0,
    kPlayerInfoRight = 1,
};

class PlayerInfo
{
public:
    static constexpr float kPulsePeriod = 0.75f;
    static constexpr int32_t kPulses = 11;

    int32_t x = 0;
    int32_t y = 0;
    int32_t side = kPlayerInfoLeft;
    AnimSprite DragonIcon;
    Sprite PulseImage;
    AnimSprite ScoreMultiplerImage;
    AnimSprite ScoreMultiplerFrame;
    AnimSprite RightScoreMultiplerFrame;
    AnimSprite UnSpentPointsSymbol;
    AnimSprite FireBar;
    AnimSprite FireBarBackground;
    AnimSprite PowerUpSymbol;
    AnimSprite PowerUpSymbolFrame;
    AnimSprite RightPowerUpSymbolFrame;
    AnimSprite FireBarFrontCap;
    AnimSprite FireBarMiddle;
    AnimSprite FireBarBackCap;
    AnimSprite FireBarRightFrontCap;
    AnimSprite FireBarRightBackCap;
    int32_t TextAlign = 0;
    Vec2 TextPosition{0.0f, 0.0f};
    Vec2 PlayerTextPosition{0.0f, 0.0f};
    float textBoxWidth = 0.0f;
    float textBoxHeight = 0.0f;
    rgba8888 Color{255, 255, 255, 255};
    // The score's font; scripts view it as a "BasicText".
    ScriptBasicText Text;
    Vec2 BarAndScoreOffset{0.0f, 0.0f};
    Vec2 PowerUpOffset{0.0f, 0.0f};
    float RealBarWidth = 0.0f;
    int32_t RealBarX = 0;
    int32_t ShowPowerUp = 0;
    int32_t ShowUnspeantPoints = 0;
    int32_t Rank = 0;
    int32_t IsMoving = 0;
    int32_t StartIndex = 0;
    int32_t EndIndex = 0;
    float TimePassed = 0.0f;
    float fadeTimer = 0.0f;
    float TimeTrigger = 0.5f;
    uint8_t fadeDirection = 0; // 1 towards EndColor
    rgba8888 StartColor{255, 255, 255, 255};
    rgba8888 EndColor{255, 255, 255, 255};
    uint8_t fadeEnabled = 1;
    int32_t ShowMultipler = 0;
    float pulseTimer = 0.0f;
    float pulsePeriod = kPulsePeriod;
    int32_t pulseActive = 1; // a new panel pulses
    int32_t lastMultiplierFrame = 0;
    int32_t pulseCount = 0;
    int32_t RenderScoreMultipler = 1;

    PlayerInfo() = default;
    PlayerInfo(const PlayerInfo&) = delete;
    PlayerInfo& operator=(const PlayerInfo&) = delete;

    void SetScore(const char* text) { m_score = text ? text : ""; }
    void SetPlayerName(const char* text) { m_playerName = text ? text : ""; }
    void SetFont(const char* path) { Text.Load(path); }
    void SetPlayerFont(const char* path) { m_playerFont.Load(path); }
    void AutoAlignComponents(int32_t newSide);
    void Update(float dt);
    void Render();

    const std::string& Score() const { return m_score; }
    const std::string& PlayerName() const { return m_playerName; }
    const BasicText* ScoreFont() const { return Text.font; }

private:
    void AlignLeft();
    void AlignRight();
    void StepColourFade(float dt);
    void StepMultiplierPulse(float dt);
    void DrawTexts() const;

    ScriptBasicText m_playerFont;
    std::string m_playerName;
    std::string m_score = "0";
};

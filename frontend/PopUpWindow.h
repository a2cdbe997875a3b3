#pragma once
// A tip or reward notice over the game: three stacked panels grow out of the
// window's centre, the pictures fade in, the description types itself out
// word by word, and after a hold the window closes itself.

#include "frontend/FrontendElement.h"

#include <cstdint>
#include <string>

class BasicText;

enum PopUpState : int32_t
{
    kPopUpClosed = -1,
    kPopUpExpanding = 0,
    kPopUpRevealing = 1,
    kPopUpHolding = 2,
};

class PopUpWindow : public FrontendElement
{
public:
    AnimSprite TopImage;
    AnimSprite MiddleImage;
    AnimSprite BottomImage;
    float RealWidth = 0.0f;
    float topHeight = 0.0f;
    float middleHeight = 0.0f;
    float bottomHeight = 0.0f;
    float totalHeight = 0.0f;
    float leftEdge = 0.0f;
    float topEdge = 0.0f;
    AnimSprite ButtonToPress;
    Sprite DisplayImage;
    Sprite BackgroundDisplayImage;
    Sprite TextBoxParams; // its rectangle is the description's box
    Vec2 MaxSizeofACharacter{13.0f, 16.0f};
    rgba8888 TitleColor{255, 248, 0, 255};
    rgba8888 WorthColor{255, 248, 0, 255};
    rgba8888 nextRankColor{44, 219, 26, 255};
    AnimSprite ProgressBar;
    AnimSprite ProgressBarOld;
    AnimSprite ProgressBarNew;
    AnimSprite FrontFrameProgressBar;
    AnimSprite MidFrameProgressBar;
    AnimSprite BackFrameProgressBar;
    int32_t ShowProgressBar = 0;
    float ProgressBarXFactor = 2.5f;
    float NextRankYFactor = 0.55f;
    float ProgressBarInsideXFactor = 3.0f;
    float Rotation = 0.0f;
    float Scale = 0.0f;
    rgba8888 Color{255, 255, 255, 255};
    float fadeTimer = 0.0f;
    float textTimer = 0.0f;
    uint8_t fadeDone = 0;
    uint8_t textDone = 0;
    int32_t State = kPopUpClosed;
    int32_t textAlignment = 0;
    float TriggerForBackgroundExpanding = 0.25f;
    float TriggerForIconFadein = 0.25f;
    float TriggerForText = 1.0f;
    float TriggerForDisappear = 2.5f;
    int32_t Cancel = 0; // the current phase finishes at once

    PopUpWindow() = default;
    PopUpWindow(const PopUpWindow&) = delete;
    PopUpWindow& operator=(const PopUpWindow&) = delete;
    ~PopUpWindow() override;

    void SetTitle(const char* text) { m_title = text ? text : ""; }
    void SetDecription(const char* text);
    void SetWorth(const char* text) { m_worth = text ? text : ""; }
    void SetNextRank(const char* text) { m_nextRank = text ? text : ""; }
    void SetFont(const char* path);

    void Init() override;
    void AutoAlignComponents();
    void Update(float dt) override;
    void Render() override;

    const std::string& Title() const { return m_title; }
    const std::string& Description() const { return m_description; }
    // What the typewriter has shown so far, '}' turned into line feeds.
    const std::string& RevealedDescription() const { return m_revealed; }
    const BasicText* Font() const { return m_font; }

private:
    void ReleaseFont();
    void StepExpanding(float dt);
    void PlacePanels(float f);
    void StepRevealing(float dt);
    void StepFade(float dt);
    void StepText(float dt);
    void StepHolding(float dt);
    void TypeOneWord();
    void SetRevealAlpha(uint8_t alpha);
    void PlaceProgressBars();
    void DrawTexts() const;

    BasicText* m_font = nullptr;
    std::string m_fontPath;
    std::string m_title = "Tip: #1";
    std::string m_description;
    std::string m_lineBroken; // the description with its '}' as line breaks
    std::string m_revealed;
    int32_t m_revealedCount = 0;
    size_t m_cursor = 0;
    std::string m_worth;
    std::string m_nextRank;
};

// The end of the word that starts at or after `from`: blanks first, then up
// to the next blank, '}' or the end.
size_t PopUpWordEnd(const std::string& text, size_t from);

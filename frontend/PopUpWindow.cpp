#include "frontend/PopUpWindow.h"

#include "frontend/BasicText.h"

#include <algorithm>

namespace
{
constexpr char kLineBreak = '}';

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Glyphs in UTF-8 text, line feeds left out.
int GlyphCount(const std::string& text)
{
    int count = 0;
    for (char c : text)
        if (c != '\n' && c != '\r' && (uint8_t(c) & 0xC0) != 0x80)
            ++count;
    return count;
}
} // namespace

size_t PopUpWordEnd(const std::string& text, size_t from)
{
    size_t end = std::min(from, text.size());
    while (end < text.size() && IsBlank(text[end]))
        ++end;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != kLineBreak)
        ++end;
    return end;
}

PopUpWindow::~PopUpWindow()
{
    ReleaseFont();
}

void PopUpWindow::ReleaseFont()
{
    if (m_font)
        BasicTextRelease(m_font, m_fontPath.c_str());
    m_font = nullptr;
}

void PopUpWindow::SetDecription(const char* text)
{
    m_description = text ? text : "";
    m_lineBroken = m_description;
    std::replace(m_lineBroken.begin(), m_lineBroken.end(), kLineBreak, '\n');
}

void PopUpWindow::SetFont(const char* path)
{
    if (!path || (m_font && m_fontPath == path))
        return;
    ReleaseFont();
    m_fontPath = path;
    m_font = BasicTextGet(path);
}

void PopUpWindow::Init()
{
    RealWidth = float(TopImage.width);
    topHeight = float(TopImage.height);
    middleHeight = float(MiddleImage.height);
    bottomHeight = float(BottomImage.height);
    totalHeight = topHeight + middleHeight + bottomHeight;
    leftEdge = float(x - TopImage.width / 2);
    topEdge = float(y - MiddleImage.height / 2 - TopImage.height);
    DisplayImage.Color.a = 0;
    BackgroundDisplayImage.Color.a = 0;
}

void PopUpWindow::AutoAlignComponents()
{
    const float RW = RealWidth;
    for (AnimSprite* panel : {&TopImage, &MiddleImage, &BottomImage})
    {
        panel->x = x;
        panel->y = y;
        panel->width = 0;
        panel->height = 0;
    }
    middleHeight = m_font ? 1.2f * float(m_font->GetStringHeight(m_lineBroken.c_str(), int(RW - 0.33f * RW))) : 0.0f;
    totalHeight = topHeight + middleHeight + bottomHeight;

    const int32_t side = int32_t(0.8f * totalHeight);
    for (Sprite* image : {&DisplayImage, &BackgroundDisplayImage})
    {
        image->width = side;
        image->height = side;
        image->x = int32_t(float(x) - 0.5f * RW - float(side / 2) + 0.05f * RW);
        image->y = int32_t(float(y) + middleHeight / 2.0f - topHeight / 2.0f - float(side / 2));
    }
    ButtonToPress.x = x - ButtonToPress.width / 2;
    ButtonToPress.y = int32_t(bottomHeight + middleHeight / 2.0f + (float(y) + middleHeight / 2.0f - topHeight / 2.0f) -
                              float(ButtonToPress.height / 2));
    PlaceProgressBars();
    TextBoxParams.x = int32_t(float(x) - RW * 0.33f);
    TextBoxParams.y = int32_t(float(y) - topHeight * 0.8f);
    TextBoxParams.width = int32_t(RW - RW * 0.33f);
    TextBoxParams.height = int32_t(totalHeight);

    SetRevealAlpha(0);
    fadeTimer = 0.0f;
    textTimer = 0.0f;
    fadeDone = 0;
    textDone = 0;
    State = kPopUpExpanding;
    m_revealed.clear();
    m_revealedCount = 0;
    m_cursor = 0;
}

void PopUpWindow::PlaceProgressBars()
{
    const float RW = RealWidth;
    const int32_t fw = FrontFrameProgressBar.width;
    const int32_t fh = FrontFrameProgressBar.height;
    const float left = float(x) - 0.5f * RW;
    const float cy = float(y) + middleHeight / 2.0f - topHeight / 2.0f + middleHeight / 2.0f;
    FrontFrameProgressBar.x = int32_t(ProgressBarXFactor * float(fw) + left);
    FrontFrameProgressBar.y = int32_t(cy);
    MidFrameProgressBar.x = FrontFrameProgressBar.x + fw;
    MidFrameProgressBar.y = int32_t(cy);
    MidFrameProgressBar.width = int32_t(RW / 2.0f - float(fw));
    BackFrameProgressBar.x = MidFrameProgressBar.x + MidFrameProgressBar.width;
    BackFrameProgressBar.y = int32_t(cy);
    for (AnimSprite* bar : {&ProgressBar, &ProgressBarOld, &ProgressBarNew})
    {
        bar->x = int32_t(float(fw) * ProgressBarInsideXFactor + left);
        bar->y = int32_t(cy + 0.6f * float(fh));
        bar->height = int32_t(float(fh) * 0.333f);
    }
}

void PopUpWindow::SetRevealAlpha(uint8_t alpha)
{
    TitleColor.a = alpha;
    ButtonToPress.Color.a = alpha;
    BackgroundDisplayImage.Color.a = alpha;
    DisplayImage.Color.a = alpha;
}

void PopUpWindow::Update(float dt)
{
    switch (State)
    {
    case kPopUpExpanding:
        StepExpanding(dt);
        break;
    case kPopUpRevealing:
        StepRevealing(dt);
        break;
    case kPopUpHolding:
        StepHolding(dt);
        break;
    default:
        break;
    }
    ButtonToPress.Update(dt);
}

void PopUpWindow::PlacePanels(float f)
{
    for (AnimSprite* panel : {&TopImage, &MiddleImage, &BottomImage})
    {
        panel->x = int32_t(float(x) + (leftEdge - float(x)) * f);
        panel->width = int32_t(RealWidth * f);
    }
    TopImage.height = int32_t(topHeight * f);
    MiddleImage.height = int32_t(middleHeight * f);
    BottomImage.height = int32_t(bottomHeight * f);
    TopImage.y = int32_t(float(y) + (topEdge - float(y)) * f);
    MiddleImage.y = TopImage.y + TopImage.height;
    BottomImage.y = MiddleImage.y + MiddleImage.height;
}

void PopUpWindow::StepExpanding(float dt)
{
    if (fadeTimer < TriggerForBackgroundExpanding)
    {
        PlacePanels(fadeTimer / TriggerForBackgroundExpanding);
        fadeTimer += dt;
        return;
    }
    // The last step of the growth lands short of the full size: finish it.
    PlacePanels(1.0f);
    State = kPopUpRevealing;
    fadeTimer = 0.0f;
}

void PopUpWindow::StepRevealing(float dt)
{
    if (!fadeDone)
        StepFade(dt);
    if (!textDone)
        StepText(dt);
    if (!fadeDone || !textDone)
        return;
    fadeDone = 0;
    textDone = 0;
    Cancel = 0;
    m_cursor = 0;
    fadeTimer = 0.0f;
    textTimer = 0.0f;
    State = kPopUpHolding;
}

void PopUpWindow::StepFade(float dt)
{
    if (fadeTimer < TriggerForIconFadein && !Cancel)
    {
        SetRevealAlpha(uint8_t(int32_t(fadeTimer * 255.0f / TriggerForIconFadein)));
        fadeTimer += dt;
        return;
    }
    SetRevealAlpha(255);
    fadeTimer = 0.0f;
    fadeDone = 1;
}

void PopUpWindow::StepText(float dt)
{
    const int32_t length = int32_t(m_description.size());
    if (textTimer < TriggerForText && !Cancel)
    {
        const int32_t target = int32_t(textTimer * float(length) / TriggerForText);
        for (int32_t i = m_revealedCount; i < target; ++i)
            TypeOneWord();
        m_revealedCount = std::max(m_revealedCount, target);
        textTimer += dt;
        return;
    }
    for (int32_t i = m_revealedCount; i < length; ++i)
        TypeOneWord();
    textDone = 1;
    textTimer = 0.0f;
    m_revealedCount = 0;
}

void PopUpWindow::TypeOneWord()
{
    if (m_cursor < m_description.size() && m_description[m_cursor] == kLineBreak)
    {
        ++m_cursor;
        m_revealed += '\n';
        return;
    }
    const size_t end = PopUpWordEnd(m_description, m_cursor);
    if (end == m_cursor)
        return;
    m_revealed.append(m_description, m_cursor, end - m_cursor);
    m_cursor = end;
}

void PopUpWindow::StepHolding(float dt)
{
    if (fadeTimer < TriggerForDisappear && !Cancel)
    {
        fadeTimer += dt;
        return;
    }
    State = kPopUpClosed;
    Cancel = 0;
    fadeTimer = 0.0f;
}

void PopUpWindow::Render()
{
    if (ShowProgressBar && State >= kPopUpRevealing)
        for (AnimSprite* part : {&ProgressBar, &ProgressBarNew, &ProgressBarOld, &FrontFrameProgressBar,
                                 &MidFrameProgressBar, &BackFrameProgressBar})
            part->Render();
    TopImage.Render();
    MiddleImage.Render();
    BottomImage.Render();
    if (State < kPopUpRevealing)
        return;
    BackgroundDisplayImage.Render();
    DisplayImage.Render();
    ButtonToPress.Render();
    if (m_font)
        DrawTexts();
}

void PopUpWindow::DrawTexts() const
{
    const float RW = RealWidth;
    const int32_t left = int32_t(float(x) - RW / 2.0f);
    const int32_t width = int32_t(RW);
    const int32_t height = int32_t(totalHeight);
    m_font->DrawString(m_title.c_str(), PackColour(TitleColor), left, int32_t(float(y) - 2.5f * topHeight), width,
                       height, -1, kAlignCentre, kAlignLeftTop, 1.0f, -1);
    m_font->DrawString(m_lineBroken.c_str(), PackColour(Color), TextBoxParams.x, TextBoxParams.y,
                       TextBoxParams.width, TextBoxParams.height, -1, textAlignment, kAlignLeftTop, 1.0f,
                       GlyphCount(m_revealed));
    m_font->DrawString(m_worth.c_str(), PackColour(WorthColor), left, int32_t(float(y) + 0.2f * totalHeight), width,
                       height, -1, kAlignCentre, kAlignLeftTop, 1.0f, -1);
    m_font->DrawString(m_nextRank.c_str(), PackColour(nextRankColor), int32_t(float(left) + RW / 4.0f),
                       int32_t(float(y) + NextRankYFactor * totalHeight), width, height, -1, kAlignCentre,
                       kAlignLeftTop, 1.0f, -1);
}

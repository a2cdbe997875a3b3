#include "frontend/LoadingScreen.h"

#include "core/Clock.h"
#include "cross/Render.h"
#include "frontend/BasicText.h"
#include "platform/Shell.h"

#include <cmath>

namespace
{
constexpr float kSpinnerStepDegrees = 22.5f;

// An animated sprite stays animated, with its frames.
std::unique_ptr<Sprite> CopyOf(const Sprite* sprite)
{
    if (!sprite)
        return nullptr;
    if (const AnimSprite* animated = dynamic_cast<const AnimSprite*>(sprite))
        return std::make_unique<AnimSprite>(*animated);
    return std::make_unique<Sprite>(*sprite);
}

// Without a display there is nothing to show while waiting.
bool PumpOrStop()
{
    return !RenderIsInitialised() || MessagePump();
}

void RenderIfAny(const std::unique_ptr<Sprite>& sprite)
{
    if (sprite)
        sprite->Render();
}

void UpdateIfAny(const std::unique_ptr<Sprite>& sprite, float dt)
{
    if (sprite)
        sprite->Update(dt);
}
} // namespace

LoadingScreen::LoadingScreen() : m_pump(PumpOrStop), m_drawFrame(RenderLoadingFrame) {}

LoadingScreen::~LoadingScreen()
{
    Clear();
}

LoadingScreen& GetLoadingScreen()
{
    static LoadingScreen screen;
    return screen;
}

void LoadingScreen::ReleaseFonts()
{
    if (m_firstFont)
        BasicTextRelease(m_firstFont, m_firstFontName);
    if (m_secondFont)
        BasicTextRelease(m_secondFont, m_secondFontName);
    m_firstFont = nullptr;
    m_secondFont = nullptr;
}

void LoadingScreen::LoadFonts(const char* first, const char* second)
{
    m_firstFontName = first ? first : "";
    m_secondFontName = second ? second : "";
    if (!m_firstFontName.IsEmpty())
        m_firstFont = BasicTextGet(m_firstFontName);
    if (!m_secondFontName.IsEmpty())
        m_secondFont = BasicTextGet(m_secondFontName);
}

void LoadingScreen::Init(const LoadingScreenSetup& setup)
{
    Clear();
    m_firstRect = setup.firstRect;
    m_loadingText = setup.loadingText ? setup.loadingText : "";
    m_firstColour = setup.firstColour;
    m_secondRect = setup.secondRect;
    m_secondText = setup.secondText ? setup.secondText : "";
    m_secondColour = setup.secondColour;
    LoadFonts(setup.firstFont, setup.secondFont);
    // Copies with their own texture references: the script's sprites may go first.
    m_background = CopyOf(setup.background);
    m_picture = CopyOf(setup.picture);
    m_spinner = CopyOf(setup.spinner);
    m_dotPeriod = 0.5f;
    m_dotMaximum = 3;
    m_dotTimer = 0.0f;
    m_dotCount = 0;
    m_dots = "";
    m_spinnerAccumulator = 0.0f;
    m_textChanged = false;
}

void LoadingScreen::Start()
{
    m_active = true;
    m_elapsed = 0.0f;
}

void LoadingScreen::SetText(const char* text)
{
    if (!m_active)
        return;
    m_pendingText = text ? text : "";
    m_textChanged = true;
}

bool LoadingScreen::Update(float dt)
{
    UpdateIfAny(m_background, dt);
    UpdateIfAny(m_picture, dt);
    UpdateIfAny(m_spinner, dt);
    m_spinnerAccumulator += 360.0f * dt;
    if (m_spinnerAccumulator > kSpinnerStepDegrees)
    {
        if (m_spinner)
            m_spinner->Rotation += kSpinnerStepDegrees;
        m_spinnerAccumulator = 0.0f;
    }
    if (m_spinner)
        m_spinner->Rotation -= 360.0f * std::trunc(m_spinner->Rotation / 360.0f);
    m_elapsed += dt;
    m_dotTimer += dt;
    bool dotsChanged = false;
    if (m_dotTimer > m_dotPeriod)
    {
        ++m_dotCount;
        m_dotTimer -= m_dotPeriod;
        if (m_dotCount > m_dotMaximum)
            m_dotCount = 0;
        m_dots = "";
        for (int i = 0; i < m_dotCount; ++i)
            m_dots.AppendChar('.');
        dotsChanged = true;
    }
    if (m_textChanged)
    {
        m_loadingText = m_pendingText;
        m_textChanged = false;
        return true;
    }
    return dotsChanged;
}

void LoadingScreen::Render()
{
    RenderIfAny(m_background);
    RenderIfAny(m_picture);
    RenderIfAny(m_spinner);
    if (m_secondFont)
        m_secondFont->DrawString(m_secondText, PackColour(m_secondColour), m_secondRect.x, m_secondRect.y,
                                 m_secondRect.width, m_secondRect.height, -1, kAlignCentre, kAlignLeftTop,
                                 1.0f, -1);
    if (m_firstFont)
    {
        FixedString<128> line;
        line.Format("%s%s", m_loadingText.c_str(), m_dots.c_str());
        m_firstFont->DrawString(line, PackColour(m_firstColour), m_firstRect.x, m_firstRect.y,
                                m_firstRect.width, m_firstRect.height, -1, kAlignLeftTop, kAlignLeftTop, 1.0f,
                                -1);
    }
}

void LoadingScreen::Finish()
{
    uint64_t previous = 0;
    bool first = true;
    while (m_active && m_minimumTime > m_elapsed)
    {
        if (m_pump && m_pump())
            break;
        const uint64_t now = ClockNow();
        if (!first)
        {
            const float dt = float(now - previous) / 1000000.0f;
            Update(dt);
            if (m_drawFrame)
                m_drawFrame(dt);
        }
        first = false;
        previous = now;
    }
    m_active = false;
}

void LoadingScreen::Clear()
{
    m_active = false;
    ReleaseFonts();
    m_background.reset();
    m_picture.reset();
    m_spinner.reset();
}

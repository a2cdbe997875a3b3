#pragma once
// The screen shown while a level loads: background, picture and a turning
// spinner (animated sprites among them step their frames), a loading text
// with running dots and a second text, each with its own font. It stays up
// at least the minimum time once finished.

#include "core/FixedString.h"
#include "core/rgba8888.h"
#include "frontend/FrontendElement.h"

#include <memory>

class BasicText;

struct LoadingScreenRect
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct LoadingScreenSetup
{
    LoadingScreenRect firstRect;
    const char* loadingText = "";
    const char* firstFont = "";
    rgba8888 firstColour{255, 255, 255, 255};
    LoadingScreenRect secondRect;
    const char* secondText = "";
    const char* secondFont = "";
    rgba8888 secondColour{255, 255, 255, 255};
    const Sprite* background = nullptr;
    const Sprite* picture = nullptr;
    const Sprite* spinner = nullptr;
};

class LoadingScreen
{
public:
    // How the waiting in Finish meets the world: the pump answers true when
    // the program is to stop; the frame is drawn with the time since the last.
    using Pump = bool (*)();
    using FrameDrawer = void (*)(float dt);

    LoadingScreen();
    ~LoadingScreen();

    void Init(const LoadingScreenSetup& setup);
    void Start();
    void SetText(const char* text);
    // True when the dots or the text changed.
    bool Update(float dt);
    void Render();
    // Waits out the minimum time, drawing frames; then inactive.
    void Finish();
    void Clear();

    bool IsActive() const { return m_active; }
    void SetMinimumTime(float seconds) { m_minimumTime = seconds; }
    void SetPump(Pump pump) { m_pump = pump; }
    void SetDrawFrame(FrameDrawer draw) { m_drawFrame = draw; }
    void DrawFrame(float dt) const
    {
        if (m_drawFrame)
            m_drawFrame(dt);
    }

    const char* LoadingText() const { return m_loadingText.c_str(); }
    const char* Dots() const { return m_dots.c_str(); }
    float Elapsed() const { return m_elapsed; }
    const Sprite* Spinner() const { return m_spinner.get(); }
    const Sprite* Background() const { return m_background.get(); }

private:
    void LoadFonts(const char* first, const char* second);
    void ReleaseFonts();

    bool m_active = false;
    BasicText* m_firstFont = nullptr;
    BasicText* m_secondFont = nullptr;
    FixedString256 m_firstFontName;
    FixedString256 m_secondFontName;
    FixedString<64> m_loadingText;
    FixedString256 m_secondText;
    LoadingScreenRect m_firstRect;
    LoadingScreenRect m_secondRect;
    rgba8888 m_firstColour{255, 255, 255, 255};
    rgba8888 m_secondColour{255, 255, 255, 255};
    int32_t m_dotCount = 0;
    int32_t m_dotMaximum = 3;
    float m_dotPeriod = 0.5f;
    float m_dotTimer = 0.0f;
    FixedString<64> m_dots;
    std::unique_ptr<Sprite> m_background;
    std::unique_ptr<Sprite> m_picture;
    std::unique_ptr<Sprite> m_spinner;
    bool m_textChanged = false;
    FixedString<64> m_pendingText;
    float m_elapsed = 0.0f;
    float m_minimumTime = 0.0f;
    float m_spinnerAccumulator = 0.0f;
    Pump m_pump;
    FrameDrawer m_drawFrame;
};

LoadingScreen& GetLoadingScreen();

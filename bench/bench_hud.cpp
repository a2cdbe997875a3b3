// The HUD drawn under a software driver (run it under Xvfb): four player
// panels, four meters (one of each type), a revealing pop-up and an upgrade
// menu of 6 bars of 8 points, a frame at a time, against the same number of
// textured quads sent straight through the batch. Sprites of one texture
// share a draw; text pages and the meters' cut bars break the runs.

#include "BenchDataTree.h"
#include "core/FileTable.h"
#include "cross/Render.h"
#include "frontend/PlayerInfo.h"
#include "frontend/PopUpWindow.h"
#include "frontend/TextureMeter.h"
#include "frontend/UpgradeBar.h"
#include "frontend/UpgradeMenu.h"
#include "frontend/UpgradePoint.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "tools/formats/FontWriter.h"
#include "tools/formats/TgaWriter.h"

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPanels = 4;
constexpr int kMeters = 4;
constexpr int kBars = 6;
constexpr int kPointsPerBar = 8;
constexpr char kTexture[] = "ui/white.tga";
constexpr char kFont[] = "fonts/Boxes.fnt";

void WriteTree(const BenchDataTree& tree)
{
    tree.CopyShippedShaders();
    std::vector<uint8_t> pixels(8 * 8 * 4, 255);
    tree.Write(std::string("data/") + kTexture, TgaWrite(pixels.data(), 8, 8, {}));
    FontWriterFont font = FontSolidBoxes("Boxes", 10, 33, 126, 5, 8, 6);
    FontWriterGlyph blank;
    blank.id = ' ';
    blank.xadvance = 6;
    font.glyphs.push_back(blank);
    FontWriterOutput out;
    if (FontWrite(font, "Boxes_0.tga", out))
    {
        tree.Write("data/fonts/Boxes.fnt", out.text);
        tree.Write("data/fonts/Boxes_0.tga", out.page);
    }
}

void Image(AnimSprite& image, int width, int height)
{
    image.AddTexture(kTexture);
    image.width = width;
    image.height = height;
}

void Image(Sprite& image, int width, int height)
{
    image.SetTexture(kTexture);
    image.width = width;
    image.height = height;
}

struct Hud
{
    std::vector<std::unique_ptr<PlayerInfo>> panels;
    std::vector<std::unique_ptr<TextureMeter>> meters;
    std::unique_ptr<PopUpWindow> tip;
    std::vector<std::unique_ptr<UpgradePoint>> points;
    std::vector<std::unique_ptr<UpgradeBar>> bars;
    UpgradeMenu menu;
    int sprites = 0;

    void Build()
    {
        for (int i = 0; i < kPanels; ++i)
            panels.push_back(Panel(i));
        for (int i = 0; i < kMeters; ++i)
            meters.push_back(Meter(i));
        tip = Tip();
        Menu();
    }

    std::unique_ptr<PlayerInfo> Panel(int i)
    {
        auto panel = std::make_unique<PlayerInfo>();
        panel->x = 40 + (i % 2) * 400;
        panel->y = 30 + (i / 2) * 360;
        Image(panel->DragonIcon, 64, 64);
        Image(panel->PulseImage, 64, 64);
        for (AnimSprite* part : {&panel->FireBar, &panel->FireBarBackground, &panel->FireBarFrontCap,
                                 &panel->FireBarMiddle, &panel->FireBarBackCap, &panel->ScoreMultiplerImage,
                                 &panel->ScoreMultiplerFrame, &panel->PowerUpSymbol, &panel->PowerUpSymbolFrame})
            Image(*part, 24, 16);
        panel->ShowMultipler = 1;
        panel->SetFont(kFont);
        panel->SetPlayerFont(kFont);
        panel->SetScore("123450");
        panel->SetPlayerName("Ember");
        panel->AutoAlignComponents(i % 2);
        sprites += 11;
        return panel;
    }

    // Below each panel; each meter type once, part full.
    std::unique_ptr<TextureMeter> Meter(int i)
    {
        auto meter = std::make_unique<TextureMeter>();
        const int x = 40 + (i % 2) * 400;
        const int y = 100 + (i / 2) * 220;
        for (Sprite* image : {&meter->Background, &meter->Foreground, &meter->BarMask})
            Image(*image, 120, 16);
        Image(meter->Bar, 120, 16);
        for (Sprite* image : {static_cast<Sprite*>(&meter->Background), static_cast<Sprite*>(&meter->Bar),
                              &meter->Foreground})
        {
            image->x = x;
            image->y = y;
        }
        meter->Type = i;
        meter->BarValue = 0.6f;
        meter->Init();
        sprites += 3;
        return meter;
    }

    std::unique_ptr<PopUpWindow> Tip()
    {
        auto window = std::make_unique<PopUpWindow>();
        window->x = kWidth / 2;
        window->y = kHeight - 120;
        for (AnimSprite* panel : {&window->TopImage, &window->MiddleImage, &window->BottomImage})
            Image(*panel, 400, 20);
        Image(window->ButtonToPress, 20, 20);
        Image(window->DisplayImage, 10, 10);
        Image(window->BackgroundDisplayImage, 10, 10);
        window->SetFont(kFont);
        window->SetDecription("Steer with the arrow keys and fly through the crystals.}Press Space to breathe.");
        window->TriggerForText = 1.0e6f; // keeps revealing
        window->Init();
        window->AutoAlignComponents();
        for (int i = 0; i < 20; ++i)
            window->Update(1.0f / 30.0f);
        sprites += 6;
        return window;
    }

    void Menu()
    {
        menu.x = 120;
        menu.y = 120;
        Image(menu.SelectedImage, 300, 40);
        for (Sprite* image : {&menu.SingleBackgroundImage, &menu.UpArrow, &menu.DownArrow, &menu.Callout})
            Image(*image, 16, 16);
        for (int b = 0; b < kBars; ++b)
        {
            auto bar = std::make_unique<UpgradeBar>();
            for (Sprite* image : {&bar->Icon, &bar->IconGlow})
                Image(*image, 16, 16);
            for (AnimSprite* image : {&bar->LeftArrow, &bar->RightArrow, &bar->Cross})
                Image(*image, 12, 12);
            for (int p = 0; p < kPointsPerBar; ++p)
            {
                auto point = std::make_unique<UpgradePoint>();
                point->Cost = 1;
                Image(point->PointImage, 12, 20);
                Image(point->TopImage, 12, 4);
                Image(point->MiddleImage, 12, 20);
                Image(point->BottomImage, 12, 4);
                point->StartAlpha = 255;
                point->EndAlpha = 128;
                bar->AddPoint(point.get());
                points.push_back(std::move(point));
            }
            menu.AddBar(bar.get());
            bars.push_back(std::move(bar));
        }
        menu.Update(1.0f / 30.0f);
        menu.ReCalculateAvailablePoints(20);
        sprites += 5 + kBars * (2 + 3 * kPointsPerBar);
    }

    void Frame(float dt)
    {
        for (auto& panel : panels)
        {
            panel->Update(dt);
            panel->Render();
        }
        for (auto& meter : meters)
        {
            meter->Update(dt);
            meter->Render();
        }
        tip->Render();
        menu.Update(dt);
        menu.Render();
        PrimFlush();
    }
};

struct HudBench
{
    BenchDataTree tree{"hud"};
    std::unique_ptr<Hud> hud;

    bool Start()
    {
        WriteTree(tree);
        FileTableMountDataTree(tree.Root().c_str());
        if (!CreateMainWindow(true))
            return false;
        CommandLineSet(("-windowed -rsize " + std::to_string(kWidth) + " " + std::to_string(kHeight)).c_str());
        if (!InitializeRenderSystem())
            return false;
        ShaderBind(RenderGetProgram(kRenderProgramHud));
        GLOrtho(0.0f, float(kWidth), float(kHeight), 0.0f, -1.0f, 1.0f);
        GLLoadMatrix(Mat4Identity());
        GLBlendAlpha();
        hud = std::make_unique<Hud>();
        hud->Build();
        return true;
    }
    void Stop()
    {
        hud.reset();
        RenderShutdown();
        DestroyMainWindow();
    }
};

HudBench* g_bench = nullptr;

// Argument 1 cuts drawing to one pixel: what is left is the CPU's work and
// the draws, without the software rasteriser's filling of the quads (which
// are much larger in the HUD than the raw 12 x 12 quads).
class FillCut
{
public:
    explicit FillCut(const benchmark::State& state) : m_on(state.range(0) != 0)
    {
        if (!m_on)
            return;
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
    ~FillCut()
    {
        if (m_on)
            glDisable(GL_SCISSOR_TEST);
    }

private:
    bool m_on;
};

bool Ready(benchmark::State& state)
{
    if (g_bench)
        return true;
    g_bench = new HudBench;
    if (!g_bench->Start())
    {
        state.SkipWithError("no display");
        return false;
    }
    return true;
}

void BM_HudFrame(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const FillCut cut(state);
    uint32_t draws = 0;
    for (auto _ : state)
    {
        PrimBatchClearDrawCalls();
        g_bench->hud->Frame(1.0f / 60.0f);
        draws = PrimBatchDrawCalls();
        glFinish();
    }
    state.counters["sprites"] = g_bench->hud->sprites;
    state.counters["draws"] = draws;
    state.SetItemsProcessed(int64_t(state.iterations()) * g_bench->hud->sprites);
}
BENCHMARK(BM_HudFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// As many quads of the same texture, in one batch.
void BM_RawQuads(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const int quads = g_bench->hud->sprites;
    Texture* texture = TextureLoad(kTexture, true);
    const FillCut cut(state);
    uint32_t draws = 0;
    for (auto _ : state)
    {
        PrimBatchClearDrawCalls();
        GLBindTexture(0, texture);
        PrimSetType(GL_QUADS);
        PrimSetColorPacked(0xFFFFFFFFu);
        for (int i = 0; i < quads; ++i)
        {
            const int x = (i % 40) * 16, y = (i / 40) * 16;
            PrimSetTexCoord(0, 1.0f, 0.0f);
            PrimVertex3i(x + 12, y, 0);
            PrimSetTexCoord(0, 0.0f, 0.0f);
            PrimVertex3i(x, y, 0);
            PrimSetTexCoord(0, 0.0f, 1.0f);
            PrimVertex3i(x, y + 12, 0);
            PrimSetTexCoord(0, 1.0f, 1.0f);
            PrimVertex3i(x + 12, y + 12, 0);
        }
        PrimFlush();
        draws = PrimBatchDrawCalls();
        glFinish();
    }
    state.counters["draws"] = draws;
    state.SetItemsProcessed(int64_t(state.iterations()) * quads);
    TextureRelease(&texture);
}
BENCHMARK(BM_RawQuads)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_bench)
        g_bench->Stop();
    delete g_bench;
    benchmark::Shutdown();
    return 0;
}

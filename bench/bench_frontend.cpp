// Front-end figures under a software driver (run it under Xvfb).
//
// The button manager's update of 100 live buttons, with its pixel-accurate
// hover test on each button's up image, against a test of the same buttons'
// rectangles alone; the cursor visits a fixed walk of points over them.

#include "core/FileTable.h"
#include "cross/Render.h"
#include "frontend/Button.h"
#include "frontend/ButtonManager.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "tools/formats/TgaWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kButtons = 100;
constexpr int kButtonWidth = 64;
constexpr int kButtonHeight = 32;
constexpr int kCursorPoints = 97;

std::string g_root;

void WriteBytes(const std::string& relative, const std::vector<uint8_t>& bytes)
{
    const std::string path = g_root + relative;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A rounded button face: transparent in the corners.
void WriteButtonTexture()
{
    char folder[] = "/tmp/pendrel-bench-frontend-XXXXXX";
    g_root = std::string(mkdtemp(folder)) + "/";
    std::vector<uint8_t> pixels;
    for (int y = 0; y < kButtonHeight; ++y)
        for (int x = 0; x < kButtonWidth; ++x)
        {
            const int dx = x < 8 ? 8 - x : (x >= kButtonWidth - 8 ? x - (kButtonWidth - 9) : 0);
            const int dy = y < 8 ? 8 - y : (y >= kButtonHeight - 8 ? y - (kButtonHeight - 9) : 0);
            const uint8_t alpha = dx * dx + dy * dy > 64 ? 0 : 255;
            pixels.insert(pixels.end(), {200, 120, 60, alpha});
        }
    WriteBytes("data/ui/button.tga", TgaWrite(pixels.data(), kButtonWidth, kButtonHeight, {}));
}

struct ButtonBench
{
    std::vector<std::unique_ptr<Button>> buttons;
    std::vector<std::pair<float, float>> cursor;

    bool Start()
    {
        WriteButtonTexture();
        FileTableMountDataTree(g_root.c_str());
        if (!CreateMainWindow(true))
            return false;
        CommandLineSet(
            ("-windowed -rsize " + std::to_string(kWidth) + " " + std::to_string(kHeight)).c_str());
        if (!InitializeRenderSystem())
            return false;
        for (int i = 0; i < kButtons; ++i)
        {
            auto button = std::make_unique<Button>();
            if (!button->UpImage.AddTexture("ui/button.tga"))
                return false;
            button->x = (i % 10) * kButtonWidth;
            button->y = (i / 10) * (kButtonHeight + 8);
            button->width = kButtonWidth;
            button->height = kButtonHeight;
            buttons.push_back(std::move(button));
        }
        for (int i = 0; i < kCursorPoints; ++i)
            cursor.emplace_back(float((i * 37) % kWidth), float((i * 53) % 400));
        return true;
    }
    void Stop()
    {
        buttons.clear();
        ButtonManager::DropAlphaPlanes();
        RenderShutdown();
        DestroyMainWindow();
    }
};

ButtonBench* g_bench = nullptr;

bool Ready(benchmark::State& state)
{
    if (g_bench)
        return true;
    g_bench = new ButtonBench;
    if (!g_bench->Start())
    {
        state.SkipWithError("no display");
        return false;
    }
    return true;
}

void BM_ButtonManagerUpdate(benchmark::State& state)
{
    if (!Ready(state))
        return;
    ButtonManager& manager = GetButtonManager();
    size_t point = 0;
    for (auto _ : state)
    {
        const auto& at = g_bench->cursor[point];
        point = (point + 1) % g_bench->cursor.size();
        manager.Update(at.first, at.second, false);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kButtons);
}
BENCHMARK(BM_ButtonManagerUpdate)->Unit(benchmark::kNanosecond);

// The same walk over the same buttons, asking only whether the cursor lies
// in each rectangle.
void BM_RectangleOnly(benchmark::State& state)
{
    if (!Ready(state))
        return;
    size_t point = 0;
    for (auto _ : state)
    {
        const auto& at = g_bench->cursor[point];
        point = (point + 1) % g_bench->cursor.size();
        int inside = 0;
        for (Button* button : GetButtonManager().Live())
        {
            if (!button->enabled || !button->visible)
                continue;
            const Vec2 position = button->GetPosition();
            const Vec2 size = button->GetDimensions();
            const float u = (at.first - position.x) / size.x;
            const float v = (at.second - position.y) / size.y;
            inside += (u >= 0.0f && u <= 1.0f && v >= 0.0f && v <= 1.0f) ? 1 : 0;
        }
        benchmark::DoNotOptimize(inside);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kButtons);
}
BENCHMARK(BM_RectangleOnly)->Unit(benchmark::kNanosecond);
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

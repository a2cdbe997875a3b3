// Loading UI screens under a software driver (run it under Xvfb): 40 screens
// of 20 items, each with its element file and the font, against only
// tokenizing the same screen file.

#include "BenchDataTree.h"
#include "core/FileTable.h"
#include "cross/Render.h"
#include "frontend/ScreenTokens.h"
#include "frontend/UIInterface.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "tools/formats/FontWriter.h"
#include "tools/formats/ScreenWriter.h"
#include "tools/formats/TgaWriter.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{
constexpr int kScreens = 40;
constexpr int kItemsPerScreen = 20;

std::string WriteTree(const BenchDataTree& tree)
{
    tree.CopyShippedShaders();
    FontWriterOutput out;
    if (FontWrite(FontSolidBoxes("Boxes", 10, 33, 126, 5, 8, 6), "Boxes_0.tga", out))
    {
        tree.Write("data/fonts/Boxes.fnt", out.text);
        tree.Write("data/fonts/Boxes_0.tga", out.page);
    }
    std::vector<uint8_t> white(16 * 4, 255);
    tree.Write("data/frontend/white.tga", TgaWrite(white.data(), 4, 4, TgaWriteOptions()));
    std::vector<UIScreenSpec> screens;
    for (int s = 0; s < kScreens; ++s)
    {
        UIScreenSpec screen;
        screen.name = "screen" + std::to_string(s);
        screen.back = "item0";
        screen.elementFile = screen.name + ".txt";
        screen.font.file = "Boxes.fnt";
        std::vector<ScreenElementSpec> elements;
        for (int i = 0; i < kItemsPerScreen; ++i)
        {
            ScreenElementSpec element;
            element.name = "box" + std::to_string(i);
            element.x = 10;
            element.y = 10 + 20 * i;
            element.width = 200;
            element.height = 18;
            element.textures = {"white.tga", "white.tga"};
            elements.push_back(element);
            UIItemSpec item;
            item.name = "item" + std::to_string(i);
            item.element = element.name;
            item.text = "ITEM_" + std::to_string(i);
            item.first = "screen" + std::to_string((s + 1) % kScreens);
            screen.items.push_back(item);
        }
        tree.Write("data/frontend/" + screen.elementFile, ScreenElementText(elements));
        screens.push_back(screen);
    }
    tree.Write("data/frontend/shared.txt", ScreenElementText({}));
    const std::string text = UIScreenFileText("shared.txt", screens);
    tree.Write("data/frontend/screens.scn", text);
    return text;
}

struct ScreensBench
{
    BenchDataTree tree{"uiscreens"};
    std::string text;

    bool Start()
    {
        text = WriteTree(tree);
        FileTableMountDataTree(tree.Root().c_str());
        if (!CreateMainWindow(true))
            return false;
        CommandLineSet("-windowed -rsize 640 480");
        return InitializeRenderSystem();
    }
};

ScreensBench* g_bench = nullptr;

bool Ready(benchmark::State& state)
{
    if (!g_bench)
    {
        g_bench = new ScreensBench;
        if (!g_bench->Start())
        {
            state.SkipWithError("no display");
            return false;
        }
    }
    return true;
}

void BM_LoadScreens(benchmark::State& state)
{
    if (!Ready(state))
        return;
    UIInterface ui;
    ui.SetFontDirectory("fonts");
    ui.SetViewport(640, 480, 0, 0);
    for (auto _ : state)
    {
        ui.Shutdown();
        benchmark::DoNotOptimize(ui.LoadScreens("frontend", "screens.scn"));
    }
    state.counters["screens"] = double(ui.ScreenCount());
    ui.Shutdown();
}
BENCHMARK(BM_LoadScreens)->Unit(benchmark::kMillisecond);

void BM_TokenizeScreenFile(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const std::string& text = g_bench->text;
    for (auto _ : state)
    {
        ScreenTokens tokens(text.data(), int(text.size()));
        int count = 0;
        while (tokens.Next())
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_TokenizeScreenFile)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();

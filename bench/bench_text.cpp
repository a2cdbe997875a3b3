// Text drawing under a software driver (run it under Xvfb): glyphs a
// millisecond through BasicText::DrawString (lines broken at words, glyphs
// looked up and placed) against the same number of textured quads sent
// straight through the batch.

#include "BenchDataTree.h"
#include "core/FileTable.h"
#include "cross/Render.h"
#include "frontend/BasicText.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "tools/formats/FontWriter.h"

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 480;

void WriteTree(const BenchDataTree& tree)
{
    tree.CopyShippedShaders();
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

// Words of five letters and a blank: the whole box full of lines.
std::string Text()
{
    std::string text;
    for (int i = 0; i < 1600; ++i)
        text += (i % 6 == 5) ? ' ' : char('a' + i % 26);
    return text;
}

struct TextBench
{
    BenchDataTree tree{"text"};
    std::unique_ptr<BasicText> font;
    std::string text = Text();
    int glyphs = 1600;

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
        font = std::make_unique<BasicText>("fonts/Boxes.fnt");
        return font->HasGlyphs();
    }
    void Stop()
    {
        font.reset();
        RenderShutdown();
        DestroyMainWindow();
    }
};

TextBench* g_bench = nullptr;

bool Ready(benchmark::State& state)
{
    if (g_bench)
        return true;
    g_bench = new TextBench;
    if (!g_bench->Start())
    {
        state.SkipWithError("no display");
        return false;
    }
    return true;
}

void BM_DrawString(benchmark::State& state)
{
    if (!Ready(state))
        return;
    for (auto _ : state)
    {
        g_bench->font->DrawString(g_bench->text.c_str(), 0xFFFFFFFFu, 0, 0, kWidth, kHeight, -1, 0, 0, 1.0f, -1);
        glFinish();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * g_bench->glyphs);
}
BENCHMARK(BM_DrawString)->Unit(benchmark::kMicrosecond);

// The same quads at the same places, without lines, lookups or clipping.
void BM_RawQuads(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const BasicTextGlyph* glyph = g_bench->font->FindGlyph('a');
    for (auto _ : state)
    {
        GLBindTexture(0, g_bench->font->PageTexture());
        PrimSetType(GL_QUADS);
        PrimSetColorPacked(0xFFFFFFFFu);
        for (int i = 0; i < g_bench->glyphs; ++i)
        {
            const int x = (i % 100) * 6, y = (i / 100) * 11;
            PrimSetTexCoord(0, glyph->uRight, glyph->vTop);
            PrimVertex3i(x + 5, y, 0);
            PrimSetTexCoord(0, glyph->uLeft, glyph->vTop);
            PrimVertex3i(x, y, 0);
            PrimSetTexCoord(0, glyph->uLeft, glyph->vBottom);
            PrimVertex3i(x, y + 8, 0);
            PrimSetTexCoord(0, glyph->uRight, glyph->vBottom);
            PrimVertex3i(x + 5, y + 8, 0);
        }
        PrimFlush();
        glFinish();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * g_bench->glyphs);
}
BENCHMARK(BM_RawQuads)->Unit(benchmark::kMicrosecond);
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

// Billboard bars under a software driver (run it under Xvfb): 1536 bars a
// frame (512 fill bars, 512 labels of 8 characters, 512 pictures) drawn by
// BillboardBars::Draw, against the same quads at the same world places sent
// straight through the batch.

#include "BenchDataTree.h"
#include "core/FileTable.h"
#include "cross/Render.h"
#include "frontend/BasicText.h"
#include "frontend/BillboardBars.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
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
constexpr int kPerKind = 512;
const char* const kLabel = "abcdefgh";

Vec3 PlaceOf(int kind, int i)
{
    return Vec3(float(i % 32) - 16.0f, float(i / 32) * 0.5f + float(kind) * 8.0f - 12.0f, -30.0f);
}

// One textured quad as the bars draw it, already in the world.
struct RawQuad
{
    Vec3 corners[4];
    float u[4];
    float v[4];
    uint32_t colour;
};

struct BarsBench
{
    BenchDataTree tree{"bars"};
    std::unique_ptr<BillboardBars> bars = std::make_unique<BillboardBars>();
    BasicText* font = nullptr;
    Mat4 view = Mat4Identity();
    std::vector<RawQuad> plainQuads;
    std::vector<RawQuad> pictureQuads;
    std::vector<RawQuad> glyphQuads;

    bool Start()
    {
        tree.CopyShippedShaders();
        FontWriterOutput out;
        if (!FontWrite(FontSolidBoxes("Boxes", 10, 33, 126, 5, 8, 6), "Boxes_0.tga", out))
            return false;
        tree.Write("data/fonts/Boxes.fnt", out.text);
        tree.Write("data/fonts/Boxes_0.tga", out.page);
        const std::vector<uint8_t> white(16 * 4, 255);
        const std::vector<uint8_t> tga = TgaWrite(white.data(), 4, 4, TgaWriteOptions());
        tree.Write("data/bars/picture.tga", tga);
        FileTableMountDataTree(tree.Root().c_str());
        if (!CreateMainWindow(true))
            return false;
        CommandLineSet(("-windowed -rsize " + std::to_string(kWidth) + " " + std::to_string(kHeight)).c_str());
        if (!InitializeRenderSystem())
            return false;
        ShaderBind(RenderGetProgram(kRenderProgramHud));
        GLPerspective(60.0f, float(kWidth) / float(kHeight), 0.1f, 100.0f);
        GLLoadMatrix(view);
        GLBlendAlpha();
        GLCullOff();
        GLDepthTestOff();
        font = BasicTextGet("fonts/Boxes.fnt");
        return font->HasGlyphs() && AddBars();
    }

    bool AddBars()
    {
        const int pool = bars->AddTextureToPool("bars/picture.tga");
        if (pool < 0)
            return false;
        const rgba8888 white{255, 255, 255, 255};
        for (int i = 0; i < kPerKind; ++i)
        {
            bars->AddBar(0.6f, PlaceOf(0, i), 0.8f, 0.2f, rgba8888{0, 255, 0, 255}, rgba8888{80, 0, 0, 255}, true);
            bars->AddStringBar(kLabel, font, PlaceOf(1, i), 0.02f, white);
            bars->AddPictureBarFromPool(pool, PlaceOf(2, i), 0.4f, 0.4f, white);
        }
        MakeRawQuads();
        return true;
    }

    void Quad(std::vector<RawQuad>& into, const Mat4& billboard, const Vec3& at, float left, float top, float right,
              float bottom, float u0, float v0, float u1, float v1, uint32_t colour) const
    {
        const Vec3 across(billboard[0], billboard[1], billboard[2]);
        const Vec3 down(billboard[4], billboard[5], billboard[6]);
        RawQuad quad;
        const float xs[4] = {right, left, left, right};
        const float ys[4] = {bottom, bottom, top, top};
        const float us[4] = {u1, u0, u0, u1};
        const float vs[4] = {v1, v1, v0, v0};
        for (int i = 0; i < 4; ++i)
        {
            quad.corners[i] = at + across * xs[i] + down * ys[i];
            quad.u[i] = us[i];
            quad.v[i] = vs[i];
        }
        quad.colour = colour;
        into.push_back(quad);
    }

    void MakeRawQuads()
    {
        const Mat4 billboard = BillboardBarsMatrix(view);
        const BasicTextGlyph* glyph = font->FindGlyph('a');
        for (int i = 0; i < kPerKind; ++i)
        {
            Quad(plainQuads, billboard, PlaceOf(0, i), -0.4f, -0.1f, 0.4f, 0.1f, 0, 0, 1, 1, 0xFF000050u);
            Quad(plainQuads, billboard, PlaceOf(0, i), -0.4f, -0.1f, 0.08f, 0.1f, 0, 0, 1, 1, 0xFF00FF00u);
            Quad(pictureQuads, billboard, PlaceOf(2, i), -0.2f, -0.2f, 0.2f, 0.2f, 0, 0, 1, 1, 0xFFFFFFFFu);
            for (int c = 0; c < 8; ++c)
            {
                const float x = (float(c * 6) - 24.0f) * 0.02f;
                Quad(glyphQuads, billboard, PlaceOf(1, i), x, 0.0f, x + 0.1f, 0.16f, glyph->uLeft, glyph->vTop,
                     glyph->uRight, glyph->vBottom, 0xFFFFFFFFu);
            }
        }
    }

    void Stop()
    {
        bars->ReleasePool();
        BasicTextRelease(font, "fonts/Boxes.fnt");
        RenderShutdown();
        DestroyMainWindow();
    }
};

BarsBench* g_bench = nullptr;

void DrawRawQuads();

bool Ready(benchmark::State& state)
{
    if (g_bench)
        return true;
    g_bench = new BarsBench;
    if (!g_bench->Start())
    {
        state.SkipWithError("no display");
        return false;
    }
    // The driver compiles its pipelines on first use: neither side pays for it.
    g_bench->bars->Draw(g_bench->view);
    DrawRawQuads();
    glFinish();
    return true;
}

void SendQuads(const std::vector<RawQuad>& quads)
{
    for (const RawQuad& quad : quads)
    {
        PrimSetColorPacked(quad.colour);
        for (int i = 0; i < 4; ++i)
        {
            PrimSetTexCoord(0, quad.u[i], quad.v[i]);
            PrimSetTexCoord(1, quad.u[i], quad.v[i]);
            PrimVertexVec3(quad.corners[i]);
        }
    }
    PrimFlush();
}

void CountDraws(benchmark::State& state, uint32_t drawsBefore)
{
    state.counters["draws/frame"] =
        benchmark::Counter(double(PrimBatchDrawCalls() - drawsBefore) / double(state.iterations()));
    state.SetItemsProcessed(int64_t(state.iterations()) * kPerKind * 3);
}

void BM_BillboardBarsDraw(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const uint32_t before = PrimBatchDrawCalls();
    for (auto _ : state)
    {
        g_bench->bars->Draw(g_bench->view);
        glFinish();
    }
    CountDraws(state, before);
}
BENCHMARK(BM_BillboardBarsDraw)->Unit(benchmark::kMicrosecond);

void DrawRawQuads()
{
    const Texture* white = TextureBuiltin(kTextureDefaultWhite);
    PrimSetType(GL_QUADS);
    GLBindTexture(1, white);
    GLBindTexture(0, white);
    SendQuads(g_bench->plainQuads);
    GLBindTexture(0, g_bench->bars->PoolTexture(0));
    SendQuads(g_bench->pictureQuads);
    GLBindTexture(0, g_bench->font->PageTexture());
    SendQuads(g_bench->glyphQuads);
}

// The same quads at the same places, without slots, layout or per-label matrices.
void BM_RawQuads(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const uint32_t before = PrimBatchDrawCalls();
    for (auto _ : state)
    {
        DrawRawQuads();
        glFinish();
    }
    CountDraws(state, before);
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

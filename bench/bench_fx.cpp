// Effects: the fixed step with the particle pools full (plain motion, and
// with drag, pull, a speed limit and random turns) against a flat-array move
// of as many particles; and under a software driver (run it under Xvfb) at
// 1280 x 720, a full draw batch (10,000 quads in 500 items, 8 textures, two
// blends) built and flushed against one upload and one draw of the same quads.

#include "BenchDataTree.h"
#include "core/FileTable.h"
#include "core/GameTimer.h"
#include "core/Hash.h"
#include "core/Random.h"
#include "cross/Render.h"
#include "fx/EParticleSystem.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXElementKinds.h"
#include "fx/FXTextureSet.h"
#include "fx/FxAnchorTable.h"
#include "opengl/GLState.h"
#include "opengl/Image.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr float kStep = 1.0f / 30.0f;

void Constant(InterpDef& curve, float value)
{
    curve.Clear();
    curve.AddKey(0.0f, value);
}

// One particle system per instance: a batch every 0.15 s, about 28 living
// particles each, so 512 of them fill the particle pool.
void DefineSmoke(bool forces)
{
    FXClearDefinitions();
    FXDefinitionTables& tables = FXGetDefinitionTables();
    FXEffectDef& effect = tables.effects[tables.effectCount++];
    effect = FXEffectDef();
    effect.nameHash = HashString("smoke");
    effect.elementCount = 1;
    effect.lodHighDistance = 1000;
    effect.lodLowDistance = 2000;
    effect.fadeInDistance = 3000;
    effect.fadeOutDistance = 4000;
    effect.maxRadius = 10;
    FXElementDef& element = tables.elements[tables.elementCount++];
    element.Reset();
    element.type = kFXParticleSystem;
    element.lifeTime = 1e6f;
    element.particleLifeTime = 1.0f;
    for (float& multiply : element.lowLodMultiply)
        multiply = 1.0f;
    InterpDef* p = element.particleCurves - 1; // p[n] is Pn
    Constant(element.sizeCurve, 1.0f);
    Constant(element.alphaCurve, 1.0f);
    Constant(p[1], 0.15f);
    Constant(p[10], 0.93f);
    Constant(p[11], 0.0f);
    Constant(p[12], 1.0f);
    Constant(p[13], 1.0f);
    Constant(p[14], 2.0f);
    Constant(p[15], 0.0f);
    Constant(p[16], 30.0f);
    Constant(p[17], 0.0f);
    Constant(p[18], 20.0f);
    Constant(p[21], 1.0f);
    Constant(p[2], forces ? 0.98f : 1.0f);
    Constant(p[3], forces ? 1.5f : -1.0f);
    Constant(p[4], forces ? 0.3f : 0.0f);
    Constant(p[5], forces ? 0.2f : 0.0f);
    Constant(p[6], forces ? 1.0f : 0.0f);
    Constant(p[8], 5.0f);
}

void FillPools(bool forces)
{
    RandSeed(7);
    FXInstallElementKinds();
    FXSystemReset();
    DefineSmoke(forces);
    Mat4 view = Mat4Identity();
    const FxAnchorPair anchor{&view, nullptr};
    FxAnchorTable_Update(&anchor, 1, 0.0f);
    for (int i = 0; i < kFXMaxParticleSystems; ++i)
    {
        FX handle;
        FX::CreateFX(HashString("smoke"), handle);
        handle.SetPos(Vec3(float(i % 32) * 3.0f, 0.0f, float(i / 32) * 3.0f));
    }
    for (int i = 0; i < 90; ++i)
        FXStep(kStep);
}

void BM_FXStepFullPools(benchmark::State& state)
{
    const bool forces = state.range(0) != 0;
    FillPools(forces);
    for (auto _ : state)
        FXStep(kStep);
    state.counters["particles"] = double(kFXMaxParticles - FXFreeParticleCount());
    state.counters["batches"] = double(kFXMaxParticleBatches - FXFreeParticleBatchCount());
    FXSystemShutdown();
    FxAnchorTable_Update(nullptr, 0, 0.0f);
}
BENCHMARK(BM_FXStepFullPools)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct FlatParticle
{
    Vec3 position;
    Vec3 velocity;
};

void BM_FlatArrayMove(benchmark::State& state)
{
    std::vector<FlatParticle> particles(14300, FlatParticle{Vec3(0, 0, 0), Vec3(1, 2, 3)});
    for (auto _ : state)
    {
        for (FlatParticle& particle : particles)
            particle.position += particle.velocity * kStep;
        benchmark::DoNotOptimize(particles.data());
    }
}
BENCHMARK(BM_FlatArrayMove)->Unit(benchmark::kMillisecond);

// ---- Drawing

constexpr int kItems = 500;
constexpr int kQuadsPerItem = 20;
constexpr int kTextures = 8;
// Made once, for every renderer the benchmarks start.
const BenchDataTree& Tree()
{
    static const BenchDataTree tree = [] {
        BenchDataTree made("fx");
        made.CopyShippedShaders();
        return made;
    }();
    return tree;
}

bool StartRenderer()
{
    FileTableMountDataTree(Tree().Root().c_str());
    if (!CreateMainWindow(true))
        return false;
    CommandLineSet("-windowed -rsize 1280 720");
    if (!InitializeRenderSystem())
        return false;
    FXDrawBatchCreate();
    EffectBufferCreate(kFXMaxDrawVertices);
    return true;
}

void StopRenderer()
{
    FXReleaseTextures();
    FXDrawBatchDestroy();
    RenderShutdown();
    DestroyMainWindow();
}

void MakeTextures()
{
    FXTextureSet& set = FXGetTextureSet();
    for (int t = 0; t < kTextures; ++t)
    {
        Image image;
        image.Allocate(kImageFormatRGBA, 16, 16);
        for (uint32_t i = 0; i < 16 * 16 * 4; ++i)
            image.pixels[i] = uint8_t(i * (t + 3));
        set.textures[t] = TextureFromImage(image);
        TextureSetNearestFilter(set.textures[t]);
    }
    set.count = kTextures;
}

// Pixel coordinates, depth cleared, the effect program bound.
void PrepareFrame()
{
    GLSetProjection(Mat4Ortho(0, 1280, 0, 720, -1, 1));
    GLLoadIdentity();
    ShaderBind(RenderGetProgram(kRenderProgramFx));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void BuildBatch(float quadSize)
{
    FXDrawBatch& batch = *FXGetDrawBatch();
    for (int item = 0; item < kItems; ++item)
    {
        batch.BeginItem((item * 5) % kTextures, item % 2 == 0 ? kFXBlendAlpha : kFXBlendAdditive);
        batch.SetColour(200, 150, 100, 128);
        for (int q = 0; q < kQuadsPerItem; ++q)
        {
            const int index = item * kQuadsPerItem + q;
            const float x = float(index % 100) * 12.8f;
            const float y = float(index / 100) * 7.2f;
            const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (const auto& c : corners)
            {
                batch.SetTexcoord(c[0], c[1]);
                batch.AddVertex(x + c[0] * quadSize, y + c[1] * quadSize, 0.0f);
            }
        }
        batch.EndItem();
    }
}

void BM_BatchBuild(benchmark::State& state)
{
    FXDrawBatchCreate();
    for (auto _ : state)
    {
        BuildBatch(2.0f);
        benchmark::DoNotOptimize(FXGetDrawBatch()->Vertices());
        FXGetDrawBatch()->Clear();
    }
    FXDrawBatchDestroy();
}
BENCHMARK(BM_BatchBuild)->Unit(benchmark::kMillisecond);

void BM_BatchBuildAndFlush(benchmark::State& state)
{
    if (!StartRenderer())
    {
        state.SkipWithError("no display");
        return;
    }
    MakeTextures();
    const float size = float(state.range(0));
    for (auto _ : state)
    {
        PrepareFrame();
        BuildBatch(size);
        FXDrawBatchFlush();
        glFinish();
    }
    StopRenderer();
}
BENCHMARK(BM_BatchBuildAndFlush)->Arg(2)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainUploadAndDraw(benchmark::State& state)
{
    if (!StartRenderer())
    {
        state.SkipWithError("no display");
        return;
    }
    MakeTextures();
    BuildBatch(float(state.range(0)));
    const FXDrawBatch& batch = *FXGetDrawBatch();
    const std::vector<EffectVertex> vertices(batch.Vertices(), batch.Vertices() + batch.VertexCount());
    FXGetDrawBatch()->Clear();
    for (auto _ : state)
    {
        PrepareFrame();
        GLDepthTestOn();
        GLDepthWriteOff();
        GLBlendAlpha();
        GLBindTexture(0, FXGetTextureSet().textures[0]);
        EffectBufferUpload(vertices.data(), int(vertices.size()));
        EffectBufferDrawQuads(0, int(vertices.size()));
        EffectBufferUnbind();
        glFinish();
    }
    StopRenderer();
}
BENCHMARK(BM_PlainUploadAndDraw)->Arg(2)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();

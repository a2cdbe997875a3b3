// What the application's stream listener adds to reading the demo's files,
// what hot reload costs over a large file table against walking it, and a
// texture reloaded in place against its first load (that one under a
// software driver: run it under Xvfb).

#include "BenchDataTree.h"
#include "core/FileTable.h"
#include "core/pd_ifstream.h"
#include "cross/Render.h"
#include "game/StreamListener.h"
#include "opengl/Texture.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "tools/formats/ArchiveWriter.h"
#include "tools/formats/TgaWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr int kTableEntries = 60000;
constexpr int kLoadedEntries = 200;

void NoPump()
{
}

std::vector<std::string> TableNames()
{
    std::vector<std::string> names;
    FileTableIterator it;
    for (it.Begin(nullptr); it.NotEqual(FileTableEnd()); it.Next())
        names.emplace_back(it.Name());
    return names;
}

// Every file of the demo tree the build wrote (its archive and loose files),
// read whole through table streams, with or without a listener told of
// every read.
void ReadDemoTree(benchmark::State& state, pd_streamlistener* listener)
{
    FileTableMountDataTree(PENDREL_BENCH_DEMO "/");
    const std::vector<std::string> names = TableNames();
    if (names.empty())
    {
        state.SkipWithError("the demo tree is not built");
        return;
    }
    pd_streamlistener* before = GetStreamListener();
    SetStreamListener(listener);
    std::vector<char> buffer(16 << 10);
    int64_t bytes = 0;
    for (auto _ : state)
        for (const std::string& name : names)
        {
            pd_ifstream stream(name.c_str(), kOpenTable, 0, kInReadBinary);
            for (size_t got; (got = stream.Read(buffer.data(), buffer.size())) > 0;)
                bytes += int64_t(got);
        }
    SetStreamListener(before);
    state.SetBytesProcessed(bytes);
    state.counters["files"] = double(names.size());
}

void BM_ReadDemoTree_WithListener(benchmark::State& state)
{
    StreamListener listener(NoPump);
    ReadDemoTree(state, &listener);
}
BENCHMARK(BM_ReadDemoTree_WithListener)->Unit(benchmark::kMillisecond);

void BM_ReadDemoTree_WithoutListener(benchmark::State& state)
{
    ReadDemoTree(state, nullptr);
}
BENCHMARK(BM_ReadDemoTree_WithoutListener)->Unit(benchmark::kMillisecond);

// A table of kTableEntries names from one archive; kLoadedEntries of them
// are referenced textures whose resource is gone, so a reload of them walks
// the whole dispatch and does nothing else.
class LargeTable
{
public:
    LargeTable()
    {
        char pattern[] = "/tmp/pendrel-bench-app-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        m_root = std::string(pattern) + "/";
        const std::string data = m_root + "data";
        mkdir(data.c_str(), 0755);
        ArchiveWriter writer;
        writer.Open((data + "/entries.darnix").c_str());
        char name[64];
        for (int i = 0; i < kTableEntries; ++i)
        {
            snprintf(name, sizeof name, "entries/%05d.tga", i);
            writer.AddMember(name, std::string("x"), ArchiveWriter::kStored);
        }
        writer.Close();
    }
    ~LargeTable()
    {
        if (!m_root.empty())
            std::system(("rm -rf '" + m_root + "'").c_str());
    }

    void Mount() const
    {
        FileTableMountDataTree(m_root.c_str());
        char name[64];
        for (int i = 0; i < kLoadedEntries; ++i)
        {
            snprintf(name, sizeof name, "entries/%05d.tga", i * (kTableEntries / kLoadedEntries));
            FileTableSetResource(name, nullptr, kResourceTexture);
            FileTableAddRef(name);
        }
    }

private:
    std::string m_root;
};

void BM_HotloadEverything(benchmark::State& state)
{
    LargeTable table;
    table.Mount();
    for (auto _ : state)
        Hotload(".*");
    state.counters["entries"] = double(FileTableSize());
}
BENCHMARK(BM_HotloadEverything)->Unit(benchmark::kMillisecond);

void BM_WalkTableOnly(benchmark::State& state)
{
    LargeTable table;
    table.Mount();
    for (auto _ : state)
    {
        int loaded = 0;
        FileTableIterator it;
        for (it.Begin(".*"); it.NotEqual(FileTableEnd()); it.Next())
            loaded += it.Entry().refCount > 0 ? 1 : 0;
        benchmark::DoNotOptimize(loaded);
    }
    state.counters["entries"] = double(FileTableSize());
}
BENCHMARK(BM_WalkTableOnly)->Unit(benchmark::kMillisecond);
constexpr uint16_t kTextureSide = 512;
const char* const kTextureName = "textures/wall.tga";

struct TextureBench
{
    BenchDataTree tree{"app"};

    bool Start()
    {
        tree.CopyShippedShaders();
        std::vector<uint8_t> pixels(size_t(kTextureSide) * kTextureSide * 4);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t(i * 7 + i / 2048);
        tree.Write(std::string("data/") + kTextureName, TgaWrite(pixels.data(), kTextureSide, kTextureSide, TgaWriteOptions()));
        if (!CreateMainWindow(true))
            return false;
        CommandLineSet("-windowed -rsize 640 480");
        return InitializeRenderSystem();
    }
};

TextureBench* g_textures = nullptr;

bool TexturesReady(benchmark::State& state)
{
    if (!g_textures)
    {
        g_textures = new TextureBench;
        if (!g_textures->Start())
        {
            state.SkipWithError("no display");
            return false;
        }
    }
    FileTableMountDataTree(g_textures->tree.Root().c_str());
    return true;
}

void BM_TextureFirstLoad(benchmark::State& state)
{
    if (!TexturesReady(state))
        return;
    for (auto _ : state)
    {
        // The last reference frees it, so each load is a first one.
        Texture* texture = TextureLoad(kTextureName, true);
        benchmark::DoNotOptimize(texture);
        TextureRelease(&texture);
    }
}
BENCHMARK(BM_TextureFirstLoad)->Unit(benchmark::kMillisecond);

void BM_TextureReloadInPlace(benchmark::State& state)
{
    if (!TexturesReady(state))
        return;
    Texture* texture = TextureLoad(kTextureName, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(Texture::Reload(texture, kTextureName));
    TextureRelease(&texture);
}
BENCHMARK(BM_TextureReloadInPlace)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();

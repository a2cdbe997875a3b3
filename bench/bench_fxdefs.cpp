// The effect definitions at start-up: the first construction of the
// definition tables (on fresh pages, as the first call of the process finds
// them) and the parse of the demo's effect files, against reading the same
// files.

#include "fx/FXDefinitions.h"
#include "fx/FXEffectFile.h"

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace
{
const std::string kFolder = std::string(PENDREL_BENCH_SCRIPTS) + "/../../demo/data/effects/";

std::vector<std::string> EffectFiles()
{
    std::vector<std::string> names;
    if (DIR* folder = opendir(kFolder.c_str()))
    {
        while (const dirent* item = readdir(folder))
        {
            const std::string name = item->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0)
                names.push_back(name);
        }
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    if (FILE* file = fopen(path.c_str(), "rb"))
    {
        char buffer[16384];
        size_t count;
        while ((count = fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, count);
        fclose(file);
    }
    return bytes;
}

// The anchor: every effect file opened and read whole.
void BM_EffectFilesRead(benchmark::State& state)
{
    const std::vector<std::string> names = EffectFiles();
    size_t bytes = 0;
    for (auto _ : state)
        for (const std::string& name : names)
        {
            const std::string text = ReadFile(kFolder + name);
            bytes += text.size();
            benchmark::DoNotOptimize(text.data());
        }
    state.SetBytesProcessed(int64_t(bytes));
    state.counters["files"] = double(names.size());
}
BENCHMARK(BM_EffectFilesRead)->Unit(benchmark::kMicrosecond);

// Fresh pages from the system each time: a first construction pays for
// touching them, which a heap block used before would hide.
void BM_EffectTablesFirstConstruction(benchmark::State& state)
{
    const size_t size = sizeof(FXDefinitionTables);
    for (auto _ : state)
    {
        void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED)
        {
            state.SkipWithError("no pages");
            return;
        }
        FXDefinitionTables* tables = new (pages) FXDefinitionTables;
        benchmark::DoNotOptimize(tables->elements[0].type);
        tables->~FXDefinitionTables();
        munmap(pages, size);
    }
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_EffectTablesFirstConstruction)->Unit(benchmark::kMicrosecond);

// The files read and parsed into the tables, as a start-up loads them; the
// shaders, models and animations they name are not loaded (no GL here).
void BM_EffectFilesReadAndParse(benchmark::State& state)
{
    const std::vector<std::string> names = EffectFiles();
    FXBuildKeywordTables();
    FXSetResourceLoaders({[](const char*) -> ShaderProgram* { return nullptr; },
                          [](const char*) -> Model* { return nullptr; },
                          [](const char*, uint32_t) -> AnimBuffer* { return nullptr; }});
    for (auto _ : state)
    {
        FXClearDefinitions();
        for (const std::string& name : names)
        {
            const std::string text = ReadFile(kFolder + name);
            FXParseEffectText(name.c_str(), text.data(), int(text.size()));
        }
        benchmark::DoNotOptimize(FXGetDefinitionTables().elementCount);
    }
    state.counters["elements"] = double(FXGetDefinitionTables().elementCount);
}
BENCHMARK(BM_EffectFilesReadAndParse)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();

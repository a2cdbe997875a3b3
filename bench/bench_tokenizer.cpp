// Splitting a large string table and looking texts up, the two costs of the
// game strings at start-up and per frame.

#include "core/StringKeeper.h"
#include "core/Tokenizer.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
constexpr int kRows = 20000;

std::string MakeStringFile()
{
    std::string text = "# generated rows\n";
    for (int i = 0; i < kRows; ++i)
        text += "STRING_ID_" + std::to_string(i) + "\tThe text of string number " + std::to_string(i) +
                " # note\n";
    return text;
}

void BM_TokenizeStringFile(benchmark::State& state)
{
    const std::string text = MakeStringFile();
    char buffer[256];
    for (auto _ : state)
    {
        Tokenizer tokenizer;
        tokenizer.SetText(text.data(), static_cast<int>(text.size()));
        bool end = false;
        int count = 0;
        while (tokenizer.NextToken(&end, buffer, sizeof buffer))
        {
            ++count;
            if (end)
                break;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TokenizeStringFile);

void BM_LoadStringFile(benchmark::State& state)
{
    const std::string text = MakeStringFile();
    for (auto _ : state)
    {
        StringKeeper keeper;
        keeper.AddFromText(text.data(), static_cast<int>(text.size()));
        benchmark::DoNotOptimize(keeper.Count());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRows);
}
BENCHMARK(BM_LoadStringFile);

void BM_GetString(benchmark::State& state)
{
    const std::string text = MakeStringFile();
    StringKeeper keeper;
    keeper.AddFromText(text.data(), static_cast<int>(text.size()));
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(keeper.GetString("STRING_ID_12345"));
    }
}
BENCHMARK(BM_GetString);
} // namespace

BENCHMARK_MAIN();

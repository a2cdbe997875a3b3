// The grid search against a textbook A* (binary heap, octile heuristic, the
// same step costs and corner rule) on the 45 x 45 table and on a 256 x 256
// block, 30% random obstacles, 100 start and goal pairs. Counters give the
// ratios of path cost and of expanded cells (ours / textbook) over the pairs
// both find, and how many pairs have a route.

#include "core/Random.h"
#include "game/PathGrid.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <queue>
#include <vector>

namespace
{
constexpr int kPairs = 100;
constexpr int kObstaclePercent = 30;

struct Board
{
    int size;
    std::vector<PathCell> cells;
    std::vector<std::pair<int, int>> pairs; // indices of passable start and goal cells

    PathCellBlock Block() { return PathCellBlock{cells.data(), size, size, size}; }
};

Board MakeBoard(int size)
{
    Board board{size, std::vector<PathCell>(size_t(size) * size), {}};
    RandSeed(uint32_t(size));
    for (int c = 0; c < size; ++c)
        for (int r = 0; r < size; ++r)
        {
            PathCell& cell = board.cells[size_t(c) * size + r];
            PathCellSet(cell, c, r, 0);
            cell.passable = Rand() % 100 >= kObstaclePercent;
        }
    const int count = size * size;
    while (int(board.pairs.size()) < kPairs)
    {
        const int a = (Rand() * 32768 + Rand()) % count, b = (Rand() * 32768 + Rand()) % count;
        if (board.cells[a].passable && board.cells[b].passable && a != b)
            board.pairs.emplace_back(a, b);
    }
    return board;
}

// Expanded cells and path cost (-1: none) of our search.
std::pair<int, int> OurSearch(Board& board, int start, int goal)
{
    PathCellBlock block = board.Block();
    if (!PathGridSearch(block, board.cells[start], board.cells[goal]))
        return {0, -1};
    int expanded = 0;
    for (const PathCell& cell : board.cells)
        expanded += cell.closed;
    return {expanded, board.cells[goal].g};
}

// The textbook search: stops when the goal leaves the heap.
std::pair<int, int> TextbookSearch(const Board& board, int start, int goal)
{
    const int size = board.size;
    std::vector<int> g(board.cells.size(), -1);
    std::vector<char> closed(board.cells.size(), 0);
    const int gc = goal / size, gr = goal % size;
    auto heuristic = [&](int index) {
        const int dc = std::abs(index / size - gc), dr = std::abs(index % size - gr);
        return kPathCostSide * (dc + dr) + (kPathCostDiagonal - 2 * kPathCostSide) * std::min(dc, dr);
    };
    auto walkable = [&](int c, int r) {
        return c >= 0 && c < size && r >= 0 && r < size && board.cells[size_t(c) * size + r].passable;
    };
    using Entry = std::pair<int, int>; // f, index
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    g[start] = 0;
    open.push({heuristic(start), start});
    int expanded = 0;
    while (!open.empty())
    {
        const int index = open.top().second;
        open.pop();
        if (closed[index])
            continue;
        if (index == goal)
            return {expanded, g[goal]};
        closed[index] = 1;
        ++expanded;
        const int c = index / size, r = index % size;
        for (int dc = -1; dc <= 1; ++dc)
            for (int dr = -1; dr <= 1; ++dr)
            {
                if ((dc == 0 && dr == 0) || !walkable(c + dc, r + dr))
                    continue;
                const bool diagonal = dc != 0 && dr != 0;
                if (diagonal && !(walkable(c + dc, r) && walkable(c, r + dr)))
                    continue;
                const int next = (c + dc) * size + r + dr;
                const int cost = g[index] + (diagonal ? kPathCostDiagonal : kPathCostSide);
                if (closed[next] || (g[next] >= 0 && cost >= g[next]))
                    continue;
                g[next] = cost;
                open.push({cost + heuristic(next), next});
            }
    }
    return {expanded, -1};
}

void Compare(benchmark::State& state, Board& board)
{
    double ourCost = 0, textbookCost = 0, ourExpanded = 0, textbookExpanded = 0;
    int found = 0;
    for (const auto& pair : board.pairs)
    {
        const auto ours = OurSearch(board, pair.first, pair.second);
        const auto textbook = TextbookSearch(board, pair.first, pair.second);
        if (ours.second < 0 || textbook.second < 0)
            continue;
        ++found;
        ourCost += ours.second;
        textbookCost += textbook.second;
        ourExpanded += ours.first;
        textbookExpanded += textbook.first;
    }
    state.counters["routes"] = found;
    state.counters["cost_ratio"] = textbookCost > 0 ? ourCost / textbookCost : 0;
    state.counters["expanded_ratio"] = textbookExpanded > 0 ? ourExpanded / textbookExpanded : 0;
}

void BM_GridSearch(benchmark::State& state)
{
    Board board = MakeBoard(int(state.range(0)));
    Compare(state, board);
    PathCellBlock block = board.Block();
    for (auto _ : state)
        for (const auto& pair : board.pairs)
            benchmark::DoNotOptimize(PathGridSearch(block, board.cells[pair.first], board.cells[pair.second]));
    state.SetItemsProcessed(state.iterations() * kPairs);
}
BENCHMARK(BM_GridSearch)->Arg(kPathGridMaxSize)->Arg(256)->Unit(benchmark::kMicrosecond);

void BM_TextbookAStar(benchmark::State& state)
{
    Board board = MakeBoard(int(state.range(0)));
    for (auto _ : state)
        for (const auto& pair : board.pairs)
            benchmark::DoNotOptimize(TextbookSearch(board, pair.first, pair.second));
    state.SetItemsProcessed(state.iterations() * kPairs);
}
BENCHMARK(BM_TextbookAStar)->Arg(kPathGridMaxSize)->Arg(256)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();

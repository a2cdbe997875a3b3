#pragma once
// The grid of typed cells that ground units search for their way across, and
// the search itself: A* with side steps of 10 and diagonal steps of 14, a
// Manhattan heuristic in cells, no diagonal past a blocked corner, and an
// open list kept sorted by f through links in the cells themselves, so a
// search allocates nothing.

#include "core/Vec3.h"

#include <cstdint>

constexpr int kPathGridMaxSize = 45;
constexpr int32_t kPathCostSide = 10;
constexpr int32_t kPathCostDiagonal = 14;

struct PathCell
{
    uint32_t type = 0; // a number, or the hash of a name
    int32_t column = 0;
    int32_t row = 0;
    uint8_t passable = 1;
    int32_t g = -1; // cost from the start; -1 unset
    int32_t h = -1;
    int32_t f = -1;
    PathCell* parent = nullptr;
    uint8_t inOpen = 0;
    uint8_t closed = 0;
    PathCell* next = nullptr; // the open list
    PathCell* prev = nullptr;
};

// Stores the cell's type and place and makes it passable and unsearched.
void PathCellSet(PathCell& cell, int column, int row, uint32_t type);

// A rectangle of cells: cell (column, row) at cells[column * stride + row].
struct PathCellBlock
{
    PathCell* cells;
    int columns;
    int rows;
    int stride;

    bool Contains(int column, int row) const { return column >= 0 && column < columns && row >= 0 && row < rows; }
    PathCell& At(int column, int row) const { return cells[column * stride + row]; }
    bool Walkable(int column, int row) const { return Contains(column, row) && At(column, row).passable; }
};

// Searches from start toward goal; true when the goal was reached, and then
// following parents from the goal leads back to the start. Both cells belong
// to the block. The search ends as soon as the goal is first reached.
bool PathGridSearch(const PathCellBlock& block, PathCell& start, PathCell& goal);

struct PathGrid
{
    int32_t columns = 0;
    int32_t rows = 0;
    float cellWidth = 0.0f;
    float cellHeight = 0.0f;
    Vec3 worldMin = Vec3(0, 0, 0);
    Vec3 worldMax = Vec3(0, 0, 0);
    uint8_t useStrings = 0;
    PathCell cells[kPathGridMaxSize][kPathGridMaxSize]; // [column][row]

    PathCellBlock Block() { return PathCellBlock{&cells[0][0], columns, rows, kPathGridMaxSize}; }
};

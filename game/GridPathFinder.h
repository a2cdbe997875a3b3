#pragma once
// Ground units' way-finding: a grid of typed cells read from a grid file and
// placed over the world in X and Z, searched for a route written into a
// Path, and a cheap sliding collision of a moving point against cells of one
// type. Positions off the grid, or over a placement of no width or depth,
// have no cell.

#include "core/StreamBytes.h"
#include "game/PathGrid.h"

#include <memory>

class Path;

// A full grid written in tokens of 255 characters, the longest the reader
// keeps, takes about a quarter of this.
constexpr FileSizeBound kGridFileBound = {"grid file", 2ull << 20};

class GridPathFinder
{
public:
    GridPathFinder();
    ~GridPathFinder();

    // Cell tokens of the next files are names, hashed, rather than numbers.
    void UseStrings();
    // The grid file: rows, columns, cell height, cell width, then the cells
    // row by row, split by commas. False after a report when the file does
    // not open or its sizes do not fit the 45 x 45 table.
    bool LoadFile(const char* path);
    // The same over a text already in memory; `name` names it in reports.
    bool LoadText(const char* text, int length, const char* name);

    // Outside the table: ignored.
    void SetSquare(int column, int row, uint32_t type);
    void SetSquareByString(int column, int row, const char* name);
    // Every cell now holding the type becomes impassable.
    void AddImpassibleType(uint32_t type);
    void AddImpassibleTypeByString(const char* name);
    void SetGridToRealWorld(const Vec3& worldMin, const Vec3& worldMax);

    // The type, or -1 outside the table.
    int32_t GetSquare(int column, int row) const;
    // -1 when the position has no column (row) on the grid.
    int GetColumnFromWorld(const Vec3& position) const;
    int GetRowFromWorld(const Vec3& position) const;
    // -1 when the position has no cell.
    int32_t GetTileTypeFromWorld(const Vec3& position) const;
    // The cell's centre, at y = 0.
    Vec3 GetWorldPos(int column, int row) const;
    int GetGridWidth() const { return m_grid->columns; }
    int GetGridHeight() const { return m_grid->rows; }
    float GetCellSizeWidth() const { return m_grid->cellWidth; }
    float GetCellSizeHeight() const { return m_grid->cellHeight; }

    // On a route: the path becomes from, the centres of the cells between, then
    // to. No route, or one longer than a path holds (reported): false, the
    // path unchanged.
    bool FindPathRealWorld(Path& path, const Vec3& from, const Vec3& to);
    // Stops a point moving by velocity x dt at the nearest edge of a
    // neighbouring cell of blockType; when the corrected move still ends in
    // such a cell, the point stays where it was and stops.
    void CollisionCheckXZ(Vec3& position, Vec3& velocity, float dt, int32_t blockType) const;

    const PathGrid& Grid() const { return *m_grid; }

private:
    bool CellOfWorld(const Vec3& position, int& column, int& row) const;
    bool ReadCells(const char* name);

    std::unique_ptr<PathGrid> m_grid;
};

#include "game/GridPathFinder.h"

#include "core/Geometry.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/Path.h"
#include "core/StreamBytes.h"
#include "core/StringUtil.h"
#include "core/Tokenizer.h"
#include "core/pd_ifstream.h"

#include <cstring>
#include <vector>

namespace
{
constexpr int kGridTokenSize = 256;
constexpr float kEdgeClearance = 0.01f;

// The cell index along one axis, truncated toward zero as the mapping has it,
// or -1 when the coordinate lies off the grid or the axis has no extent.
// Truncation toward zero gives cell 0 to a point less than one cell below
// the grid's start, so that strip belongs to the grid.
int AxisCell(float offset, float extent, int count)
{
    if (extent == 0.0f)
        return -1;
    const float scaled = offset / extent * static_cast<float>(count);
    if (!(scaled > -1.0f) || !(scaled < static_cast<float>(count)))
        return -1;
    return static_cast<int>(scaled);
}

struct CellEdge
{
    Vec2 a, b;
};

// 0: the +z side, 1: the -z side, 2: the -x side, 3: the +x side.
CellEdge EdgeOfCell(const Vec3& centre, float width, float height, int edge)
{
    const float left = centre.x - width * 0.5f, right = centre.x + width * 0.5f;
    const float back = centre.z - height * 0.5f, front = centre.z + height * 0.5f;
    switch (edge)
    {
    case 0:
        return CellEdge{Vec2(left, front), Vec2(right, front)};
    case 1:
        return CellEdge{Vec2(left, back), Vec2(right, back)};
    case 2:
        return CellEdge{Vec2(left, back), Vec2(left, front)};
    default:
        return CellEdge{Vec2(right, back), Vec2(right, front)};
    }
}

void StopAtEdge(Vec3& position, Vec3& velocity, const Vec3& centre, float width, float height, int edge)
{
    switch (edge)
    {
    case 0:
        velocity.z = 0.0f;
        position.z = centre.z + height * 0.5f + kEdgeClearance;
        break;
    case 1:
        velocity.z = 0.0f;
        position.z = centre.z - height * 0.5f - kEdgeClearance;
        break;
    case 2:
        velocity.x = 0.0f;
        position.x = centre.x - width * 0.5f - kEdgeClearance;
        break;
    default:
        velocity.x = 0.0f;
        position.x = centre.x + width * 0.5f + kEdgeClearance;
        break;
    }
}
} // namespace

GridPathFinder::GridPathFinder() : m_grid(new PathGrid) {}

GridPathFinder::~GridPathFinder() = default;

void GridPathFinder::UseStrings()
{
    m_grid->useStrings = 1;
}

bool GridPathFinder::LoadFile(const char* path)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open fire data %s failed.\n", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kGridFileBound, bytes))
        return false;
    return LoadText(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), path);
}

bool GridPathFinder::LoadText(const char* text, int length, const char* name)
{
    TokenReset();
    // A new text takes the default separators, so the comma comes after it.
    TokenSetText(text, length);
    TokenSetOnlySeparators(",");
    const bool read = ReadCells(name);
    TokenReset();
    return read;
}

bool GridPathFinder::ReadCells(const char* path)
{
    char header[4][kGridTokenSize];
    bool end = false;
    for (char* token : header)
        if (!TokenNextWithoutLineEnds(end, token, kGridTokenSize))
        {
            LogError("Grid file %s is damaged: it needs rows, columns and the cell size before its cells.\n",
                     path);
            return false;
        }
    const int32_t rows = StringToInt(header[0]);
    const int32_t columns = StringToInt(header[1]);
    if (rows < 1 || rows > kPathGridMaxSize || columns < 1 || columns > kPathGridMaxSize)
    {
        LogError("Grid file %s: %d rows by %d columns do not fit the %d by %d table.\n", path, rows, columns,
                 kPathGridMaxSize, kPathGridMaxSize);
        return false;
    }
    m_grid->rows = rows;
    m_grid->columns = columns;
    m_grid->cellHeight = StringToFloat(header[2]);
    m_grid->cellWidth = StringToFloat(header[3]);

    char token[kGridTokenSize];
    for (int i = 0; i < rows * columns && TokenNextWithoutLineEnds(end, token, kGridTokenSize); ++i)
    {
        const uint32_t type = m_grid->useStrings ? HashString(token) : static_cast<uint32_t>(StringToInt(token));
        SetSquare(i % columns, i / columns, type);
    }
    return true;
}

void GridPathFinder::SetSquare(int column, int row, uint32_t type)
{
    if (column < 0 || column >= kPathGridMaxSize || row < 0 || row >= kPathGridMaxSize)
        return;
    PathCellSet(m_grid->cells[column][row], column, row, type);
}

void GridPathFinder::SetSquareByString(int column, int row, const char* name)
{
    SetSquare(column, row, HashString(name));
}

void GridPathFinder::AddImpassibleType(uint32_t type)
{
    for (auto& column : m_grid->cells)
        for (PathCell& cell : column)
            if (cell.type == type)
                cell.passable = 0;
}

void GridPathFinder::AddImpassibleTypeByString(const char* name)
{
    AddImpassibleType(HashString(name));
}

void GridPathFinder::SetGridToRealWorld(const Vec3& worldMin, const Vec3& worldMax)
{
    m_grid->worldMin = worldMin;
    m_grid->worldMax = worldMax;
}

int32_t GridPathFinder::GetSquare(int column, int row) const
{
    if (column < 0 || column >= kPathGridMaxSize || row < 0 || row >= kPathGridMaxSize)
        return -1;
    return static_cast<int32_t>(m_grid->cells[column][row].type);
}

int GridPathFinder::GetColumnFromWorld(const Vec3& position) const
{
    const PathGrid& grid = *m_grid;
    const float extent = grid.worldMax.x - grid.worldMin.x;
    return AxisCell(position.x - grid.worldMin.x, extent, grid.columns);
}

int GridPathFinder::GetRowFromWorld(const Vec3& position) const
{
    const PathGrid& grid = *m_grid;
    const float extent = grid.worldMax.z - grid.worldMin.z;
    return AxisCell(position.z - grid.worldMin.z, extent, grid.rows);
}

bool GridPathFinder::CellOfWorld(const Vec3& position, int& column, int& row) const
{
    column = GetColumnFromWorld(position);
    row = GetRowFromWorld(position);
    return column >= 0 && row >= 0;
}

int32_t GridPathFinder::GetTileTypeFromWorld(const Vec3& position) const
{
    int column, row;
    if (!CellOfWorld(position, column, row))
        return -1;
    return GetSquare(column, row);
}

Vec3 GridPathFinder::GetWorldPos(int column, int row) const
{
    const PathGrid& grid = *m_grid;
    if (grid.columns <= 0 || grid.rows <= 0)
        return Vec3(grid.worldMin.x, 0.0f, grid.worldMin.z);
    const float width = grid.worldMax.x - grid.worldMin.x;
    const float depth = grid.worldMax.z - grid.worldMin.z;
    const float columns = static_cast<float>(grid.columns), rows = static_cast<float>(grid.rows);
    return Vec3(grid.worldMin.x + 0.5f * width / columns + width * static_cast<float>(column) / columns, 0.0f,
                grid.worldMin.z + 0.5f * depth / rows + depth * static_cast<float>(row) / rows);
}

bool GridPathFinder::FindPathRealWorld(Path& path, const Vec3& from, const Vec3& to)
{
    int startColumn, startRow, goalColumn, goalRow;
    if (!CellOfWorld(to, startColumn, startRow) || !CellOfWorld(from, goalColumn, goalRow))
        return false;
    // Searching from `to` makes the parents of `from` lead forward.
    PathCell& start = m_grid->cells[startColumn][startRow];
    PathCell& goal = m_grid->cells[goalColumn][goalRow];
    if (!PathGridSearch(m_grid->Block(), start, goal))
        return false;

    int points = 2;
    for (const PathCell* cell = goal.parent; cell != &start; cell = cell->parent)
        ++points;
    if (points > Path::kMaxPoints)
    {
        LogError("A route of %d points does not fit a path of %d; the path is left as it was.\n", points,
                 Path::kMaxPoints);
        return false;
    }
    path.Clear();
    path.AddPoint(from);
    for (const PathCell* cell = goal.parent; cell != &start; cell = cell->parent)
        path.AddPoint(GetWorldPos(cell->column, cell->row));
    path.AddPoint(to);
    return true;
}

void GridPathFinder::CollisionCheckXZ(Vec3& position, Vec3& velocity, float dt, int32_t blockType) const
{
    int column, row;
    if (!CellOfWorld(position, column, row))
        return;
    const PathGrid& grid = *m_grid;
    const int around[8][2] = {{-1, 0}, {1, 0}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}, {0, -1}, {0, 1}};
    const Vec2 from(position.x, position.z);
    const Vec2 to(position.x + velocity.x * dt, position.z + velocity.z * dt);
    float best = (to.x - from.x) * (to.x - from.x) + (to.y - from.y) * (to.y - from.y);
    Vec3 bestCentre(0, 0, 0);
    int bestEdge = -1;
    for (const auto& offset : around)
    {
        const int c = column + offset[0], r = row + offset[1];
        if (c < 0 || c >= grid.columns || r < 0 || r >= grid.rows ||
            grid.cells[c][r].type != static_cast<uint32_t>(blockType))
            continue;
        const Vec3 centre = GetWorldPos(c, r);
        for (int edge = 0; edge < 4; ++edge)
        {
            const CellEdge side = EdgeOfCell(centre, grid.cellWidth, grid.cellHeight, edge);
            Vec2 hit;
            if (!Segment2DIntersect(from, to, side.a, side.b, &hit))
                continue;
            const float distance = (hit.x - from.x) * (hit.x - from.x) + (hit.y - from.y) * (hit.y - from.y);
            if (distance > 0.0f && distance < best)
            {
                best = distance;
                bestCentre = centre;
                bestEdge = edge;
            }
        }
    }
    if (bestEdge < 0)
        return;
    const Vec3 given = position;
    StopAtEdge(position, velocity, bestCentre, grid.cellWidth, grid.cellHeight, bestEdge);
    int endColumn, endRow;
    if (CellOfWorld(position + velocity * dt, endColumn, endRow) &&
        grid.cells[endColumn][endRow].type == static_cast<uint32_t>(blockType))
    {
        position = given;
        velocity = Vec3(0.0f, 0.0f, 0.0f);
    }
}

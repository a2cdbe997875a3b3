#include "game/PathGrid.h"

#include <cstdlib>

void PathCellSet(PathCell& cell, int column, int row, uint32_t type)
{
    cell.type = type;
    cell.column = column;
    cell.row = row;
    cell.g = cell.h = cell.f = -1;
    cell.inOpen = cell.closed = 0;
    cell.parent = nullptr;
    cell.passable = 1;
}

namespace
{
// Sorted by f; among equal f the newest entry comes first.
class OpenList
{
public:
    PathCell* Head() const { return m_head; }

    void Insert(PathCell& cell)
    {
        PathCell* before = nullptr;
        PathCell* at = m_head;
        while (at && at->f < cell.f)
        {
            before = at;
            at = at->next;
        }
        Link(cell, before, at);
    }

    // After the cell's f dropped: it passes every entry before it with a greater f.
    void MoveTowardHead(PathCell& cell)
    {
        PathCell* at = &cell;
        while (at->prev && at->prev->f > cell.f)
            at = at->prev;
        if (at == &cell)
            return;
        Unlink(cell);
        Link(cell, at->prev, at);
    }

    void Remove(PathCell& cell)
    {
        Unlink(cell);
        cell.inOpen = 0;
    }

private:
    void Link(PathCell& cell, PathCell* before, PathCell* after)
    {
        cell.prev = before;
        cell.next = after;
        if (before)
            before->next = &cell;
        else
            m_head = &cell;
        if (after)
            after->prev = &cell;
        cell.inOpen = 1;
    }

    void Unlink(PathCell& cell)
    {
        if (cell.prev)
            cell.prev->next = cell.next;
        else
            m_head = cell.next;
        if (cell.next)
            cell.next->prev = cell.prev;
        cell.next = cell.prev = nullptr;
    }

    PathCell* m_head = nullptr;
};

class Search
{
public:
    Search(const PathCellBlock& block, PathCell& goal) : m_block(block), m_goal(goal) {}

    bool Run(PathCell& start)
    {
        ResetCells();
        start.g = 0;
        m_open.Insert(start);
        ExpandAndClose(start);
        while (!m_goal.parent && m_open.Head())
            ExpandAndClose(*m_open.Head());
        return m_goal.parent != nullptr;
    }

private:
    void ResetCells()
    {
        for (int c = 0; c < m_block.columns; ++c)
            for (int r = 0; r < m_block.rows; ++r)
            {
                PathCell& cell = m_block.At(c, r);
                // Expansion and the heuristic read a cell's place from the cell.
                cell.column = c;
                cell.row = r;
                cell.g = cell.h = cell.f = -1;
                cell.inOpen = cell.closed = 0;
                cell.parent = nullptr;
                cell.next = cell.prev = nullptr;
            }
    }

    void ExpandAndClose(PathCell& cell)
    {
        Expand(cell);
        m_open.Remove(cell);
        cell.closed = 1;
    }

    // Diagonals only where both side cells they pass between are walkable.
    void Expand(PathCell& from)
    {
        const int c = from.column, r = from.row;
        const bool left = m_block.Walkable(c - 1, r), right = m_block.Walkable(c + 1, r);
        const bool above = m_block.Walkable(c, r - 1), below = m_block.Walkable(c, r + 1);
        if (left && above)
            Visit(from, c - 1, r - 1, kPathCostDiagonal);
        Visit(from, c, r - 1, kPathCostSide);
        if (right && above)
            Visit(from, c + 1, r - 1, kPathCostDiagonal);
        Visit(from, c - 1, r, kPathCostSide);
        Visit(from, c + 1, r, kPathCostSide);
        if (left && below)
            Visit(from, c - 1, r + 1, kPathCostDiagonal);
        Visit(from, c, r + 1, kPathCostSide);
        if (right && below)
            Visit(from, c + 1, r + 1, kPathCostDiagonal);
    }

    void Visit(PathCell& from, int column, int row, int32_t step)
    {
        if (!m_block.Walkable(column, row))
            return;
        PathCell& cell = m_block.At(column, row);
        if (cell.closed)
            return;
        const int32_t cost = from.g + step;
        if (cell.inOpen && cost >= cell.g)
            return;
        cell.parent = &from;
        cell.g = cost;
        if (cell.inOpen)
        {
            cell.f = cell.h + cost;
            m_open.MoveTowardHead(cell);
            return;
        }
        cell.h = std::abs(cell.column - m_goal.column) + std::abs(cell.row - m_goal.row);
        cell.f = cell.g + cell.h;
        m_open.Insert(cell);
    }

    const PathCellBlock& m_block;
    PathCell& m_goal;
    OpenList m_open;
};
} // namespace

bool PathGridSearch(const PathCellBlock& block, PathCell& start, PathCell& goal)
{
    if (!start.passable || !goal.passable)
        return false;
    if (&start == &goal)
    {
        goal.parent = &start;
        return true;
    }
    return Search(block, goal).Run(start);
}

// Grid files written by our writer, searched for routes and slid against.

#include "core/Hash.h"
#include "core/Path.h"
#include "game/GridPathFinder.h"
#include "support/DataTreeFixture.h"
#include "tools/formats/GridWriter.h"

#include <cmath>
#include <string>

namespace
{
bool Near(const Vec3& a, const Vec3& b, float tolerance = 1e-4f)
{
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

std::string Points(const Path& path)
{
    std::string text;
    for (int i = 0; i < path.GetPointCount(); ++i)
    {
        const Vec3& p = path.GetPoint(i).position;
        text += "(" + std::to_string(int(std::lround(p.x))) + "," + std::to_string(int(std::lround(p.z))) + ")";
    }
    return text;
}

const std::vector<std::pair<char, std::string>> kNumbers = {{'.', "0"}, {'#', "1"}, {'~', "2"}};
constexpr uint32_t kWall = 1;

// Cells of 10 x 10 placed from the world origin, one world unit a file unit.
class GridPathFinderTest : public DataTreeTest
{
protected:
    // Writes and loads the picture; the grid covers (0, 0) to (10 columns, 10 rows).
    bool Load(const std::vector<std::string>& picture, const std::vector<std::pair<char, std::string>>& tokens = kNumbers,
              const std::string& lineEnd = "\n")
    {
        GridFileSpec spec = GridFromPicture(picture, tokens);
        spec.cellWidth = spec.cellHeight = 10.0f;
        spec.lineEnd = lineEnd;
        return LoadText(GridWrite(spec), spec.columns, spec.rows);
    }

    bool LoadText(const std::string& text, int columns = 1, int rows = 1)
    {
        EXPECT_TRUE(dir.WriteFile("data/grids/board.txt", text));
        Mount();
        finder.SetGridToRealWorld(Vec3(0, 0, 0), Vec3(10.0f * columns, 0, 10.0f * rows));
        return finder.LoadFile("grids/board.txt");
    }

    static Vec3 Centre(int column, int row) { return Vec3(10.0f * column + 5, 0, 10.0f * row + 5); }

    GridPathFinder finder;
};

TEST_F(GridPathFinderTest, ReadsSizesAndCellsRowByRow)
{
    ASSERT_TRUE(Load({"..#.", "~..#", "...."}));
    EXPECT_TRUE(m_log.Empty()) << m_log.Text();
    EXPECT_EQ(finder.GetGridWidth(), 4);
    EXPECT_EQ(finder.GetGridHeight(), 3);
    EXPECT_EQ(finder.GetCellSizeWidth(), 10.0f);
    EXPECT_EQ(finder.GetCellSizeHeight(), 10.0f);
    EXPECT_EQ(finder.GetSquare(2, 0), 1);
    EXPECT_EQ(finder.GetSquare(0, 1), 2);
    EXPECT_EQ(finder.GetSquare(3, 1), 1);
    EXPECT_EQ(finder.GetSquare(3, 2), 0);
    for (const auto& outside : {std::pair<int, int>{-1, 0}, {0, -1}, {45, 0}, {0, 45}})
        EXPECT_EQ(finder.GetSquare(outside.first, outside.second), -1);
    EXPECT_TRUE(Near(finder.GetWorldPos(3, 2), Vec3(35, 0, 25)));
    EXPECT_EQ(finder.GetTileTypeFromWorld(Vec3(25, 0, 5)), 1);
}

TEST_F(GridPathFinderTest, NamesAtLineEndsHashWithoutTheLineEnd)
{
    finder.UseStrings();
    const std::vector<std::pair<char, std::string>> names = {{'.', "grass"}, {'~', "river"}, {'^', "mountain"}};
    ASSERT_TRUE(Load({".~", "^.", "~~"}, names, "\r\n"));
    EXPECT_EQ(uint32_t(finder.GetSquare(1, 0)), HashString("river")); // the last cell of a row
    EXPECT_EQ(uint32_t(finder.GetSquare(0, 1)), HashString("mountain")); // the first after a line end
    EXPECT_EQ(uint32_t(finder.GetSquare(1, 2)), HashString("river"));    // the last token of the file
    finder.AddImpassibleTypeByString("river");
    EXPECT_FALSE(finder.Grid().cells[1][0].passable);
    EXPECT_TRUE(finder.Grid().cells[0][0].passable);
}

TEST_F(GridPathFinderTest, SettingOutsideTheTableIsIgnored)
{
    ASSERT_TRUE(Load({"..", ".."}));
    finder.SetSquare(1, 1, 7);
    finder.SetSquareByString(0, 1, "gate");
    for (const auto& outside : {std::pair<int, int>{-1, 0}, {0, -1}, {45, 0}, {0, 45}, {-2147483647 - 1, 0}})
        finder.SetSquare(outside.first, outside.second, 9);
    EXPECT_EQ(finder.GetSquare(1, 1), 7);
    EXPECT_EQ(uint32_t(finder.GetSquare(0, 1)), HashString("gate"));
    EXPECT_EQ(finder.GetSquare(0, 0), 0);
}

struct BadFileCase
{
    const char* label;
    const char* text;
    const char* report;
};

TEST_F(GridPathFinderTest, OversizedAndDamagedFilesAreRefused)
{
    ASSERT_TRUE(Load({"...", "..."}));
    const BadFileCase cases[] = {
        {"46 rows", "46,2,1,1,0,0", "46 rows by 2 columns do not fit the 45 by 45 table"},
        {"46 columns", "2,46,1,1,0,0", "2 rows by 46 columns"},
        {"no rows", "0,2,1,1", "0 rows by 2 columns"},
        {"negative", "3,-1,1,1", "3 rows by -1 columns"},
        {"words", "rows,columns,1,1", "0 rows by 0 columns"},
        {"header cut", "3,3,1", "is damaged"},
        {"empty", "", "is damaged"},
        {"line ends only", "\n,\r\n,\n", "is damaged"},
    };
    for (const BadFileCase& c : cases)
    {
        m_log.Clear();
        EXPECT_FALSE(LoadText(c.text)) << c.label;
        EXPECT_TRUE(m_log.Contains(c.report)) << c.label << ": " << m_log.Text();
        EXPECT_EQ(finder.GetGridWidth(), 3) << c.label;
        EXPECT_EQ(finder.GetGridHeight(), 2) << c.label;
    }
    m_log.Clear();
    EXPECT_FALSE(finder.LoadFile("grids/missing.txt"));
    EXPECT_EQ(m_log.Text(), "Open fire data grids/missing.txt failed.\n");
}

TEST_F(GridPathFinderTest, AShortFileLeavesTheRestOfTheCellsAlone)
{
    ASSERT_TRUE(LoadText("2,2,10,10,\n1,1,\n1", 2, 2));
    EXPECT_EQ(finder.GetSquare(0, 1), 1);
    EXPECT_EQ(finder.GetSquare(1, 1), 0);
}

struct RouteCase
{
    const char* label;
    std::vector<std::string> picture;
    Vec3 from, to;
    const char* points; // rounded x, z of each point; null when no route
};

TEST_F(GridPathFinderTest, RoutesRunThroughCellCentres)
{
    const Vec3 inFirst(6, 0, 4);
    const RouteCase cases[] = {
        {"same cell", {"....", "...."}, inFirst, Vec3(3, 0, 8), "(6,4)(3,8)"},
        {"straight along a row", {"....", "...."}, inFirst, Vec3(36, 0, 4), "(6,4)(15,5)(25,5)(36,4)"},
        {"diagonal in the open", {"....", "....", "....", "...."}, inFirst, Vec3(35, 0, 35),
         "(6,4)(15,15)(25,25)(35,35)"},
        {"no corner cutting", {".#.", "...", "..."}, inFirst, Vec3(15, 0, 15), "(6,4)(5,15)(15,15)"},
        {"around a wall", {".#.", ".#.", "..."}, inFirst, Vec3(25, 0, 5),
         "(6,4)(5,15)(5,25)(15,25)(25,25)(25,15)(25,5)"},
        {"blocked diagonal only", {".#", "#."}, inFirst, Vec3(15, 0, 15), nullptr},
        {"walled off", {"..#.", "..#.", "..#."}, inFirst, Vec3(35, 0, 5), nullptr},
        {"onto a wall", {"..#."}, inFirst, Vec3(25, 0, 5), nullptr},
        {"from a wall", {"#..."}, inFirst, Vec3(35, 0, 5), nullptr},
        {"from off the grid", {"...."}, Vec3(-10.5f, 0, 4), Vec3(35, 0, 5), nullptr},
        {"to off the grid", {"...."}, inFirst, Vec3(35, 0, 10.5f), nullptr},
    };
    for (const RouteCase& c : cases)
    {
        ASSERT_TRUE(Load(c.picture)) << c.label;
        finder.AddImpassibleType(kWall);
        Path path;
        path.AddPoint(Vec3(99, 0, 99));
        const bool found = finder.FindPathRealWorld(path, c.from, c.to);
        EXPECT_EQ(found, c.points != nullptr) << c.label;
        EXPECT_EQ(Points(path), c.points ? c.points : "(99,99)") << c.label;
    }
    EXPECT_TRUE(m_log.Empty()) << m_log.Text();
}

TEST_F(GridPathFinderTest, ImpassableTypesAddedBeforeTheLoadDoNotApply)
{
    finder.AddImpassibleType(kWall);
    ASSERT_TRUE(Load({".#.", ".#.", ".#."}));
    Path path;
    EXPECT_TRUE(finder.FindPathRealWorld(path, Centre(0, 1), Centre(2, 1)));
    EXPECT_EQ(Points(path), "(5,15)(15,15)(25,15)");
}

// The mapping truncates toward zero, so the strip less than one cell below
// the grid's start belongs to cell 0; one whole cell below, and the far end
// itself, lie off the grid.
TEST_F(GridPathFinderTest, WorldToCellTruncatesTowardZeroAtTheGridsEnds)
{
    ASSERT_TRUE(Load({"..~", "...", "..."}));
    finder.SetGridToRealWorld(Vec3(-30, 0, 100), Vec3(0, 0, 130)); // cells of 10 x 10
    const struct
    {
        float offset; // from worldMin, along both axes
        int cell;
    } cases[] = {
        {-10.5f, -1}, {-10.0f, -1}, {-9.99f, 0}, {-5.0f, 0}, {-0.01f, 0}, {0.0f, 0},
        {9.99f, 0},   {10.0f, 1},   {29.99f, 2}, {30.0f, -1}, {35.0f, -1},
    };
    for (const auto& c : cases)
    {
        const Vec3 position(-30.0f + c.offset, 0, 100.0f + c.offset);
        EXPECT_EQ(finder.GetColumnFromWorld(position), c.cell) << c.offset;
        EXPECT_EQ(finder.GetRowFromWorld(position), c.cell) << c.offset;
    }
    // A point just below the start in x finds the types of column 0.
    EXPECT_EQ(finder.GetTileTypeFromWorld(Vec3(-30.0f - 4.0f, 0, 125)), 0);
    EXPECT_EQ(finder.GetTileTypeFromWorld(Vec3(-5.0f, 0, 100.0f - 4.0f)), 2);
    Path path;
    EXPECT_TRUE(finder.FindPathRealWorld(path, Vec3(-34, 0, 96), Centre(1, 0) + Vec3(-30, 0, 100)));
    EXPECT_EQ(Points(path), "(-34,96)(-15,105)");
}

TEST_F(GridPathFinderTest, ADegeneratePlacementHasNoCells)
{
    ASSERT_TRUE(Load({"..", ".."}));
    finder.SetGridToRealWorld(Vec3(0, 0, 0), Vec3(0, 0, 20));
    EXPECT_EQ(finder.GetColumnFromWorld(Vec3(0, 0, 5)), -1);
    EXPECT_EQ(finder.GetRowFromWorld(Vec3(0, 0, 5)), 0);
    EXPECT_EQ(finder.GetTileTypeFromWorld(Vec3(0, 0, 5)), -1);
    Path path;
    EXPECT_FALSE(finder.FindPathRealWorld(path, Vec3(0, 0, 5), Vec3(0, 0, 15)));
    Vec3 position(0, 0, 5), velocity(0, 0, 100);
    finder.CollisionCheckXZ(position, velocity, 0.1f, 0);
    EXPECT_TRUE(Near(position, Vec3(0, 0, 5)));
    EXPECT_TRUE(Near(velocity, Vec3(0, 0, 100)));
}

TEST_F(GridPathFinderTest, ARouteLongerThanAPathIsRefusedWithTheOldPathKept)
{
    // A serpentine through all 45 x 45 cells: walls down every odd column,
    // open at the bottom and the top by turns, make a route of over 1000 cells.
    std::vector<std::string> picture(45, std::string(45, '.'));
    for (int c = 1; c < 45; c += 2)
        for (int r = 0; r < 45; ++r)
            if (r != ((c % 4 == 1) ? 44 : 0))
                picture[r][c] = '#';
    ASSERT_TRUE(Load(picture));
    finder.AddImpassibleType(kWall);
    Path path;
    path.AddPoint(Vec3(1, 2, 3));
    EXPECT_FALSE(finder.FindPathRealWorld(path, Centre(0, 0), Centre(44, 44)));
    EXPECT_EQ(path.GetPointCount(), 1);
    EXPECT_TRUE(m_log.Contains("does not fit a path of 512")) << m_log.Text();

    // Within reach of a path, the same maze gives a route.
    EXPECT_TRUE(finder.FindPathRealWorld(path, Centre(0, 0), Centre(4, 0)));
    EXPECT_EQ(path.GetPointCount(), 44 + 1 + 45 + 1 + 2); // down, across, up, across, the ends
}

struct SlideCase
{
    const char* label;
    Vec3 position, velocity;
    Vec3 expectedPosition, expectedVelocity;
};

TEST_F(GridPathFinderTest, CollisionCheckStopsAtTheNearestBlockedEdge)
{
    // Walls west of the centre cell and south-east of it.
    ASSERT_TRUE(Load({"...", "#..", ".#."}));
    const SlideCase cases[] = {
        {"into the west wall across its +x edge", Vec3(15, 0, 15), Vec3(-100, 0, 20), Vec3(10.01f, 0, 15),
         Vec3(0, 0, 20)},
        {"a move that crosses no wall", Vec3(15, 0, 15), Vec3(40, 0, -40), Vec3(15, 0, 15), Vec3(40, 0, -40)},
        {"corrected move still ends in a wall", Vec3(15, 0, 15), Vec3(-70, 0, 130), Vec3(15, 0, 15),
         Vec3(0, 0, 0)},
        {"into the south wall across its -z edge", Vec3(15, 0, 15), Vec3(0, 0, 80), Vec3(15, 0, 19.99f),
         Vec3(0, 0, 0)},
        {"off the grid", Vec3(-5, 0, 15), Vec3(100, 0, 0), Vec3(-5, 0, 15), Vec3(100, 0, 0)},
    };
    for (const SlideCase& c : cases)
    {
        Vec3 position = c.position, velocity = c.velocity;
        finder.CollisionCheckXZ(position, velocity, 0.1f, int32_t(kWall));
        EXPECT_TRUE(Near(position, c.expectedPosition)) << c.label << ": " << position.x << ", " << position.z;
        EXPECT_TRUE(Near(velocity, c.expectedVelocity)) << c.label;
    }
    // A type that no neighbour has changes nothing.
    Vec3 position(15, 0, 15), velocity(-100, 0, 0);
    finder.CollisionCheckXZ(position, velocity, 0.1f, 2);
    EXPECT_TRUE(Near(position, Vec3(15, 0, 15)));
    EXPECT_TRUE(Near(velocity, Vec3(-100, 0, 0)));
}
} // namespace

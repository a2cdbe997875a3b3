// The board: its map file, loading tiles and their collision, placement of
// turned and mirrored tiles, the failures that leave no board, the drop and
// what the render frame reads.

#include "TileBoardFixture.h"

#include "core/MathExpect.h"
#include "core/Random.h"
#include "cross/Model.h"
#include "cross/Render.h"
#include "game/TileTerrainCollision.h"
#include "game/TileTerrainManager.h"

#include <cmath>
#include <cstring>

namespace
{
int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

float HeightAt(const Vec3& point)
{
    WorldHeightHit hits[kTerrainHeightHits];
    return WorldTestHeight(point, hits) ? hits[0].height : NAN;
}

Mat4 AxisTurn(float angle, const Vec3& axis)
{
    Mat4 m = Mat4Identity();
    Mat4SetRotationAxisAngle(m, angle, axis);
    return m;
}

struct CellCase
{
    const char* token;
    int type, version;
    bool hflip, vflip;
    float rotation;
};

const CellCase kCells[] = {
    {"7_2", 7, 2, false, false, 0},
    {"7_2_r90", 7, 2, false, false, 90},
    {"7_2_hflip_vflip", 7, 2, true, true, 0},
    {"12_3_hflip_r90", 12, 3, true, false, 90},
    {"12_3_r-45.5_vflip", 12, 3, false, true, -45.5f},
    {"Grass_3", 0, 3, false, false, 0},
    {"4", 4, 0, false, false, 0},
    {"4_1_rnan", 4, 1, false, false, 0},
    {"4_1_flip_hflipx", 4, 1, false, false, 0},
};

TEST(TileMap, TokensGiveTypeVersionFlipsAndRotation)
{
    for (const CellCase& c : kCells)
    {
        const TileMapCell cell = TileMapParseCell(c.token);
        EXPECT_EQ(cell.type, c.type) << c.token;
        EXPECT_EQ(cell.version, c.version) << c.token;
        EXPECT_EQ(cell.hflip != 0, c.hflip) << c.token;
        EXPECT_EQ(cell.vflip != 0, c.vflip) << c.token;
        EXPECT_FLOAT_EQ(cell.rotation, c.rotation) << c.token;
    }
}

TEST(TileMap, LineEndsInsideTokensAreIgnored)
{
    const std::string text = "2,3,\r\n4,5,\r\n1_1_hflip,2_2_vflip\r\n,3_3_r90,\r\n4_4_vflip\n,5_5,\n";
    LogCapture log;
    TileMap map;
    ASSERT_TRUE(TileMapParse(text.data(), text.size(), "m", map));
    EXPECT_EQ(map.rows, 2);
    EXPECT_EQ(map.columns, 3);
    EXPECT_FLOAT_EQ(map.tileSizeZ, 4.0f);
    EXPECT_FLOAT_EQ(map.tileSizeX, 5.0f);
    EXPECT_EQ(map.At(0, 0).type, 1);
    EXPECT_TRUE(map.At(0, 0).hflip);
    EXPECT_TRUE(map.At(1, 0).vflip);
    EXPECT_FLOAT_EQ(map.At(2, 0).rotation, 90.0f);
    EXPECT_TRUE(map.At(0, 1).vflip);
    EXPECT_EQ(map.At(1, 1).type, 5);
    // The text ended before the last tile, which stays plain.
    EXPECT_EQ(map.At(2, 1).type, 0);
    EXPECT_TRUE(log.Empty());
}

struct MapCase
{
    const char* what;
    const char* text;
    bool read;
};

const MapCase kMaps[] = {
    {"one tile", "1,1,10,10,3_1", true},
    {"a hundred by a hundred", "100,100,1,1,", true},
    {"no rows", "0,4,10,10,", false},
    {"negative columns", "4,-1,10,10,", false},
    {"columns past the table", "1,101,10,10,", false},
    {"rows past the table", "101,1,10,10,", false},
    {"header cut short", "4,4,10", false},
    {"empty", "", false},
    {"zero tile size", "1,1,0,10,", false},
    {"tile size not a number", "1,1,10,nan,", false},
    {"infinite tile size", "1,1,inf,10,", false},
};

TEST(TileMap, HeadersOutsideTheTableAreRefused)
{
    for (const MapCase& c : kMaps)
    {
        LogCapture log;
        TileMap map;
        EXPECT_EQ(TileMapParse(c.text, strlen(c.text), "m", map), c.read) << c.what;
        EXPECT_EQ(log.Empty(), c.read) << c.what;
    }
}

TEST(TileTerrainManager, NothingDropsBeforeASetUp)
{
    EXPECT_FALSE(TileTerrain_IsDropping());
    TileTerrainStep(1.0f);
    EXPECT_FALSE(TileTerrain_IsDropping());
}

TEST(TileTerrainManager, ADeletedOwnerTakesItsRecordsAlong)
{
    TileTerrainManager manager;
    Mat4 first = Mat4Identity();
    Mat4 second = Mat4Identity();
    int ownerA = 0, ownerB = 0;
    manager.AddDrop(first, &ownerA);
    manager.AddDrop(second, &ownerB);
    manager.AddDrop(first, &ownerA);
    manager.RemoveDropsOf(&ownerA);
    ASSERT_EQ(manager.records.size(), 1u);
    EXPECT_EQ(manager.records[0].target, &second);
}

TEST(TileTerrainManager, RangesBelowAHundredthDrawNoDelayOrTilt)
{
    TileTerrainManager manager;
    manager.SetUpForDropXZ(50.0f, -10.0f, 0.009f, -1.0f, NAN, 0.5f, 0.0f);
    EXPECT_EQ(manager.delayRange, 0);
    EXPECT_EQ(manager.tiltXRange, 0);
    EXPECT_EQ(manager.tiltZRange, 0);
    Mat4 m = Mat4Identity();
    manager.AddDrop(m, nullptr);
    EXPECT_EQ(manager.records[0].delay, 0.0f);
    EXPECT_EQ(manager.records[0].tiltX, 0.0f);
    EXPECT_EQ(manager.records[0].tiltZ, 0.0f);
    EXPECT_FLOAT_EQ(manager.records[0].current[13], 50.0f);
}

TEST(TileTerrainManager, StartTiltTurnsAboutXThenZAndRecordsAfterTheSetUpWaitLonger)
{
    TileTerrainManager manager;
    RandSeed(7);
    manager.SetUpForDropXZ(20.0f, -10.0f, 2.0f, 0.5f, 0.3f, 0.5f, 1.5f);
    Mat4 rest = AxisTurn(0.7f, Vec3(0, 1, 0));
    Mat4SetTranslation(rest, Vec3(3, 4, 5));
    RandSeed(11);
    manager.AddDrop(rest, nullptr);
    const TileDropRecord& record = manager.records.back();
    EXPECT_GE(record.tiltX, -0.5f);
    EXPECT_LT(record.tiltX, 0.5f);
    EXPECT_GE(record.tiltZ, -0.3f);
    EXPECT_LT(record.tiltZ, 0.3f);
    EXPECT_NE(record.tiltX, 0.0f);
    Mat4 raised = rest;
    raised[13] = 20.0f;
    const Mat4 expected =
        Mat4Multiply(raised, Mat4Multiply(AxisTurn(record.tiltX, Vec3(1, 0, 0)), AxisTurn(record.tiltZ, Vec3(0, 0, 1))));
    EXPECT_TRUE(Mat4Near(record.current, expected));
    EXPECT_FLOAT_EQ(record.restHeight, 4.0f);

    // The same draw before the set-up finished has no later delay.
    TileTerrainManager early;
    early.delayRange = manager.delayRange;
    RandSeed(11);
    early.AddDrop(rest, nullptr);
    EXPECT_FLOAT_EQ(record.delay, early.records.back().delay + 1.5f);
}

TEST_F(TileBoardTest, TwoColumnsOfTenAreCentredAtMinusFiveAndFive)
{
    ASSERT_TRUE(LoadBoard(3, 2, std::vector<std::string>(6, "3_1"))) << m_reports.Text();
    int columns = 0, rows = 0;
    EXPECT_TRUE(TileTerrainGetSize(columns, rows));
    EXPECT_EQ(columns, 2);
    EXPECT_EQ(rows, 3);
    Vec3 p;
    ASSERT_TRUE(TileTerrainGetTilePosition(0, 0, p));
    EXPECT_TRUE(Vec3Near(p, Vec3(-5, 0, -10)));
    ASSERT_TRUE(TileTerrainGetTilePosition(1, 2, p));
    EXPECT_TRUE(Vec3Near(p, Vec3(5, 0, 10)));
    Mat4 matrix;
    ASSERT_NE(TileTerrainGetTileTransform(1, 2, matrix), nullptr);
    EXPECT_TRUE(Vec3Near(Mat4GetTranslation(matrix), Vec3(5, 0, 10)));
    Vec3 low, high;
    ASSERT_TRUE(TileTerrain::GetRealWordCorners(low, high));
    EXPECT_TRUE(Vec3Near(low, Vec3(0, 0, -5)));
    EXPECT_TRUE(Vec3Near(high, Vec3(20, 0, 25)));
}

TEST_F(TileBoardTest, AccessorsRefuseTilesOffTheBoard)
{
    ASSERT_TRUE(LoadBoard(2, 3, std::vector<std::string>(6, "7_2"))) << m_reports.Text();
    const int off[][2] = {{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {100, 100}, {-100000, 5}};
    for (const auto& at : off)
    {
        Vec3 p(9, 9, 9);
        Mat4 m = Mat4Identity();
        EXPECT_FALSE(TileTerrainGetTilePosition(at[0], at[1], p)) << at[0] << "," << at[1];
        EXPECT_EQ(TileTerrainGetTileTransform(at[0], at[1], m), nullptr);
        EXPECT_EQ(TileTerrainGetTileModel(at[0], at[1]), nullptr);
    }
    EXPECT_NE(TileTerrainGetTileModel(2, 1), nullptr);
}

struct PlacedCase
{
    const char* token;
    Vec3 point;     // in the world, over the one tile at the origin
    float height;   // of the ramp there
    bool axisAligned;
    bool mirrored; // drawn with its faces' winding turned
};

// The ramp's height is 1 + x / 10 in its own frame.
const PlacedCase kPlaced[] = {
    {"7_2", Vec3(3, 9, 0), 1.3f, true, false},
    {"7_2", Vec3(-3, 9, 2), 0.7f, true, false},
    {"7_2_r90", Vec3(0, 9, -3), 1.3f, false, false},
    {"7_2_r90", Vec3(3, 9, 0), 1.0f, false, false},
    {"7_2_r180", Vec3(-4, 9, 0), 1.4f, false, false},
    {"7_2_hflip", Vec3(3, 9, 0), 0.7f, false, true},
    {"7_2_vflip", Vec3(3, 9, 1), 1.3f, false, true},
    // Mirrored twice is a half turn: its faces keep their winding.
    {"7_2_hflip_vflip", Vec3(-2, 9, -1), 1.2f, false, false},
    {"7_2_hflip_r90", Vec3(0, 9, -3), 1.3f, false, true},
    {"7_2_vflip_r90", Vec3(0, 9, 3), 1.3f, false, true},
};

TEST_F(TileBoardTest, HeightsFollowTurnedAndMirroredTiles)
{
    for (const PlacedCase& c : kPlaced)
    {
        // A single tile sits with its centre on the origin.
        ASSERT_TRUE(LoadBoard(1, 1, {c.token})) << c.token << m_reports.Text();
        EXPECT_NEAR(HeightAt(c.point), c.height, 1e-4f) << c.token;
        const TileTerrainCollision* collision = GetTileTerrainCollision();
        ASSERT_NE(collision, nullptr);
        ASSERT_EQ(collision->InstanceCount(), 1u);
        EXPECT_EQ(collision->Instance(0).axisAligned != 0, c.axisAligned) << c.token;
        Mat4 matrix;
        const TileInstance* tile = TileTerrainGetTileTransform(0, 0, matrix);
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(tile->m_mirrored != 0, c.mirrored) << c.token;
        EXPECT_NE(tile->m_model, nullptr);
    }
}

TEST_F(TileBoardTest, TilesOfOneModelShareItsModelAndCollision)
{
    ASSERT_TRUE(LoadBoard(2, 2, {"7_2", "3_1", "7_2_r90", "7_2_hflip"})) << m_reports.Text();
    TileTerrain* board = GetTileTerrain();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->tileInfos.size(), 3u);
    EXPECT_EQ(board->Tile(0, 0)->m_model, board->Tile(0, 1)->m_model);
    EXPECT_NE(board->Tile(0, 0)->m_model, board->Tile(1, 0)->m_model);
    EXPECT_EQ(TileTerrainGetTileModel(0, 0), TileTerrainGetTileModel(1, 1));
    EXPECT_EQ(GetTileTerrainCollision()->InstanceCount(), 4u);
}

TEST_F(TileBoardTest, AMissingMapLeavesNoBoard)
{
    ASSERT_TRUE(LoadBoard(1, 1, {"3_1"}));
    LogCapture log;
    EXPECT_FALSE(TileTerrain::Load("nowhere.map", kTileFolder));
    EXPECT_TRUE(log.Contains("Open fire data nowhere.map failed.\n"));
    EXPECT_EQ(GetTileTerrain(), nullptr);
    EXPECT_EQ(GetTileTerrainCollision(), nullptr);
}

TEST_F(TileBoardTest, ATileWithoutAModelFailsTheLoadAndLeavesNoCollision)
{
    LogCapture log;
    EXPECT_FALSE(LoadBoard(1, 2, {"3_1", "9_9"}));
    EXPECT_TRUE(log.Contains("Error Tile Not found row 0 column 1 tile type 9 tile version 9\n")) << log.Text();
    EXPECT_TRUE(log.Contains("Tile Info not valid at row 0, col 1 \n")) << log.Text();
    EXPECT_EQ(GetTileTerrain(), nullptr);
    EXPECT_EQ(GetTileTerrainCollision(), nullptr);
}

TEST_F(TileBoardTest, AMissingCollisionFileIsReportedOncePerTileModel)
{
    LogCapture log;
    ASSERT_TRUE(LoadBoard(2, 2, {"5_0", "5_0", "3_1", "5_0"})) << log.Text();
    EXPECT_EQ(Occurrences(log.Text(), "ERROR terrain collision file missing!!!! tiles/05_000_Bare.chterrain \n"), 1)
        << log.Text();
    // The bare tiles are drawn but not collided with.
    EXPECT_NE(GetTileTerrain()->Tile(0, 0)->m_model, nullptr);
    EXPECT_EQ(GetTileTerrainCollision()->InstanceCount(), 1u);
}

TEST_F(TileBoardTest, SideFilesAndOtherFoldersAreNotTileModels)
{
    WriteBytes("tiles/01_001_X.chmodeluvanim", {0, 1, 2});
    WriteBytes("more/tiles/02_001_Y.chmodel", {0, 1, 2});
    Mount();
    ASSERT_TRUE(LoadBoard(1, 1, {"3_1"})) << m_reports.Text();
    for (const TileInfo& info : GetTileTerrain()->tileInfos)
        EXPECT_TRUE(info.type == kRampType || info.type == kFlatType || info.type == kBareType) << info.name.c_str();
}

TEST_F(TileBoardTest, HidingByTextureNameHidesOnEveryTile)
{
    ASSERT_TRUE(LoadBoard(1, 2, {"3_1", "7_2"}));
    TileTerrain::HideMeshOnAllTiles("round");
    const TileTerrain& board = *GetTileTerrain();
    for (int column = 0; column < 2; ++column)
    {
        const TileInstance& tile = *board.Tile(column, 0);
        const ModelMesh& mesh = *tile.m_model->GetMesh(0);
        EXPECT_FALSE(tile.IsMeshVisible(mesh.nodes[0], "ground.tga"));
    }
}

TEST_F(TileBoardTest, TheRenderFrameReadsEveryTileColumnsOuter)
{
    ASSERT_TRUE(LoadBoard(2, 3, {"3_1", "3_1", "7_2", "3_1", "3_1", "3_1"}));
    ASSERT_EQ(TileTerrainTileCount(), 6);
    RenderTile tile;
    ASSERT_TRUE(TileTerrainTile(4, tile));
    EXPECT_TRUE(Vec3Near(tile.position, Vec3(10, 0, -5)));
    EXPECT_EQ(tile.instance, GetTileTerrain()->Tile(2, 0));
    EXPECT_EQ(tile.model, GetTileTerrain()->Tile(2, 0)->m_model);
    EXPECT_FALSE(TileTerrainTile(6, tile));
    EXPECT_FALSE(TileTerrainTile(-1, tile));
    TileTerrain::Clear();
    EXPECT_EQ(TileTerrainTileCount(), 0);
    EXPECT_FALSE(TileTerrainTile(0, tile));
}

TEST_F(TileBoardTest, LoadingOverABoardReplacesIt)
{
    WriteMap("a.map", 1, 3, {"3_1", "3_1", "3_1"});
    WriteMap("b.map", 1, 1, {"7_2"});
    WriteMap("c.map", 1, 1, {"8_8"});
    Mount();
    ASSERT_TRUE(TileTerrain::Load("a.map", kTileFolder));
    ASSERT_TRUE(TileTerrain::Load("b.map", kTileFolder));
    EXPECT_EQ(TileTerrainTileCount(), 1);
    EXPECT_EQ(GetTileTerrainCollision()->InstanceCount(), 1u);
    LogCapture log;
    EXPECT_FALSE(TileTerrain::Load("c.map", kTileFolder));
    EXPECT_EQ(GetTileTerrain(), nullptr);
    EXPECT_EQ(GetTileTerrainCollision(), nullptr);
}

// A tile dropped from 10 under a gravity of -10 with bounce 0.5: it touches
// down, rises at half its speed, and on the second touch snaps to rest.
TEST_F(TileBoardTest, ADropBouncesOnceAtHalfSpeedThenRests)
{
    ASSERT_TRUE(LoadBoard(1, 1, {"7_2_r90"}));
    Mat4 rest;
    TileInstance* tile = TileTerrainGetTileTransform(0, 0, rest);
    GetTileTerrainManager().SetUpForDropXZ(10.0f, -10.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f);
    EXPECT_TRUE(TileTerrain_IsDropping());
    const float dt = 1.0f / 30.0f;
    int touches = 0;
    float speedBefore = 0.0f, speedAfter = 0.0f, highestAfter = 0.0f;
    int steps = 0;
    while (!GetTileTerrainManager().records.empty() && steps++ < 1000)
    {
        const float before = GetTileTerrainManager().records[0].velocity.y;
        TileTerrainStep(dt);
        if (GetTileTerrainManager().records.empty())
            break;
        const TileDropRecord& record = GetTileTerrainManager().records[0];
        EXPECT_TRUE(Mat4Near(tile->matrix, record.current));
        if (record.velocity.y > 0.0f && before < 0.0f)
        {
            ++touches;
            speedBefore = before + (-10.0f) * dt;
            speedAfter = record.velocity.y;
        }
        if (touches == 1)
            highestAfter = std::fmax(highestAfter, tile->matrix[13]);
    }
    EXPECT_EQ(touches, 1);
    EXPECT_NEAR(speedAfter, -0.5f * speedBefore, 1e-4f);
    // Half the speed climbs a quarter of the height.
    EXPECT_NEAR(highestAfter, 2.5f, 0.5f);
    EXPECT_TRUE(Mat4Near(tile->matrix, rest, 0.0f));
    EXPECT_TRUE(TileTerrain_IsDropping());
    TileTerrainStep(dt);
    EXPECT_FALSE(TileTerrain_IsDropping());
}

TEST_F(TileBoardTest, WaitingTilesAreHeldRaisedAndSkippingPutsThemAtRest)
{
    ASSERT_TRUE(LoadBoard(1, 2, {"3_1", "7_2"}));
    RandSeed(3);
    GetTileTerrainManager().SetUpForDropXZ(40.0f, -10.0f, 5.0f, 20.0f, 20.0f, 0.5f, 0.0f);
    TileTerrainStep(0.001f);
    const TileTerrain& board = *GetTileTerrain();
    EXPECT_FLOAT_EQ(board.Tile(0, 0)->matrix[13], 40.0f);
    EXPECT_FLOAT_EQ(board.Tile(1, 0)->matrix[13], 40.0f);
    GetTileTerrainManager().SkipToFinishOfDroping();
    Vec3 p;
    for (int column = 0; column < 2; ++column)
    {
        ASSERT_TRUE(TileTerrainGetTilePosition(column, 0, p));
        EXPECT_TRUE(Vec3Near(Mat4GetTranslation(board.Tile(column, 0)->matrix), p));
    }
    EXPECT_TRUE(GetTileTerrainManager().records.empty());
    TileTerrainStep(0.001f);
    EXPECT_FALSE(TileTerrain_IsDropping());
}

// A drop set up again mid-drop, and a matrix added twice, still come to
// rest where they lay: the raised matrix is never taken for the rest.
TEST_F(TileBoardTest, DroppingAgainMidDropKeepsTheRestingMatrices)
{
    ASSERT_TRUE(LoadBoard(1, 2, {"3_1", "7_2_r90"}));
    Mat4 rest[2];
    for (int column = 0; column < 2; ++column)
        TileTerrainGetTileTransform(column, 0, rest[column]);
    Mat4 propMatrix = Mat4Identity();
    propMatrix[13] = 2.0f;
    TileTerrainManager& manager = GetTileTerrainManager();
    manager.SetUpForDropXZ(30.0f, -50.0f, 0.0f, 10.0f, 10.0f, 0.5f, 0.0f);
    TileTerrainAddDrop(propMatrix, &propMatrix);
    for (int i = 0; i < 10; ++i)
        TileTerrainStep(1.0f / 30.0f);
    ASSERT_GT(GetTileTerrain()->Tile(0, 0)->matrix[13], 5.0f);
    manager.SetUpForDropXZ(30.0f, -50.0f, 0.0f, 10.0f, 10.0f, 0.5f, 0.0f);
    TileTerrainAddDrop(propMatrix, &propMatrix);
    EXPECT_EQ(manager.records.size(), 3u);
    for (int i = 0; i < 1000 && TileTerrain_IsDropping(); ++i)
        TileTerrainStep(1.0f / 30.0f);
    EXPECT_FALSE(TileTerrain_IsDropping());
    for (int column = 0; column < 2; ++column)
        EXPECT_TRUE(Mat4Near(GetTileTerrain()->Tile(column, 0)->matrix, rest[column], 0.0f)) << column;
    EXPECT_FLOAT_EQ(propMatrix[13], 2.0f);
}

TEST_F(TileBoardTest, ClearingMidDropEndsTheDrop)
{
    ASSERT_TRUE(LoadBoard(2, 2, std::vector<std::string>(4, "3_1")));
    Mat4 propMatrix = Mat4Identity();
    propMatrix[13] = 2.0f;
    GetTileTerrainManager().SetUpForDropXZ(30.0f, -10.0f, 1.0f, 0.0f, 0.0f, 0.5f, 0.0f);
    TileTerrainAddDrop(propMatrix, &propMatrix);
    for (int i = 0; i < 5; ++i)
        TileTerrainStep(1.0f / 30.0f);
    ASSERT_TRUE(TileTerrain_IsDropping());
    TileTerrain::Clear();
    EXPECT_FALSE(TileTerrain_IsDropping());
    EXPECT_TRUE(GetTileTerrainManager().records.empty());
    EXPECT_FLOAT_EQ(propMatrix[13], 2.0f);
    EXPECT_EQ(GetTileTerrain(), nullptr);
    TileTerrainStep(1.0f / 30.0f);
    EXPECT_FALSE(TileTerrain_IsDropping());
}
} // namespace

namespace
{
class DemoBoardTest : public GLContextTest
{
protected:
    void TearDown() override
    {
        TileTerrain::Clear();
        FileWatchInit("");
        FileTableRebuild("no such folder");
        GLContextTest::TearDown();
    }
};

// The demo's board loads whole, every tile model with its collision, and
// covers the dragon's circle of about 320 units.
TEST_F(DemoBoardTest, TheDemoBoardLoadsWithoutAReportAndCoversTheFlight)
{
    FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
    LogCapture log;
    ASSERT_TRUE(TileTerrain::Load("levels/board.map", "terrain/board")) << log.Text();
    EXPECT_TRUE(log.Empty()) << log.Text();
    int columns = 0, rows = 0;
    TileTerrainGetSize(columns, rows);
    EXPECT_EQ(columns, 8);
    EXPECT_EQ(rows, 8);
    const TileTerrain& board = *GetTileTerrain();
    EXPECT_EQ(board.tileInfos.size(), 5u); // meadow, field, hedge, river and rocky hill
    for (const TileInfo& info : board.tileInfos)
        EXPECT_NE(info.collision, nullptr) << info.name.c_str();
    EXPECT_EQ(GetTileTerrainCollision()->InstanceCount(), 64u);
    Vec3 first, last;
    ASSERT_TRUE(TileTerrainGetTilePosition(0, 0, first));
    ASSERT_TRUE(TileTerrainGetTilePosition(7, 7, last));
    EXPECT_LT(first.x, -320.0f);
    EXPECT_GT(last.x, 320.0f);
    EXPECT_FALSE(std::isnan(HeightAt(Vec3(300, 50, 0))));
}
} // namespace

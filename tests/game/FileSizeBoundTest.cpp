// Every reader that takes a file whole refuses one larger than its kind's
// bound, before reading a byte of it and with one report naming it, also a
// file of 4 GiB and more whose size a 32-bit count would wrap to a small
// one; and a changed file refused under hot reload leaves what was loaded.

#include "../script/ScriptTestFixture.h"

#include "audio/SoundDefFile.h"
#include "audio/SoundDefinition.h"
#include "audio/WaveFile.h"
#include "core/StringKeeper.h"
#include "cross/AnimBuffer.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/ModelFile.h"
#include "cross/ModelFixtures.h"
#include "cross/SideAnimFile.h"
#include "cross/UVAnim.h"
#include "frontend/BasicText.h"
#include "frontend/FontFile.h"
#include "frontend/ScreenElementData.h"
#include "frontend/ScreenElementManager.h"
#include "frontend/UIInterface.h"
#include "fx/FXEffectFile.h"
#include "game/GridPathFinder.h"
#include "game/LocatorFile.h"
#include "game/LocatorStore.h"
#include "game/StreamListener.h"
#include "game/Terrain.h"
#include "game/TileMap.h"
#include "game/TileTerrain.h"
#include "online/Composer.h"
#include "online/SaveLoadFunctions.h"
#include "opengl/Image.h"
#include "opengl/ImageLoader.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "support/DataTreeFixture.h"
#include "support/DisplayTestSupport.h"
#include "support/gl/GLTestContext.h"
#include "tools/formats/TgaWriter.h"

#include <memory>

namespace
{
constexpr uint64_t kFourGiB = 1ull << 32;
// Saves keep the limit of what the game can write.
constexpr FileSizeBound kSaveBound = {"save", uint64_t(composer::kMaxBytes)};

struct ReaderCase
{
    const char* path; // below the temporary folder
    const char* name; // as the reader names it
    FileSizeBound bound;
    bool (*load)(); // true when the reader took the file
};

const ReaderCase kReaders[] = {
    {"data/props/big.chmodel", "props/big.chmodel", kModelFileBound,
     []
     {
         Model* model = ModelCache("props/big.chmodel");
         ModelRelease(model);
         return model != nullptr;
     }},
    {"data/props/side.chmodeluvanim", "props/side.chmodeluvanim", kSideAnimFileBound,
     [] { return UVAnimRead("props/side.chmodel") != nullptr; }},
    {"data/anims/big.chanim", "anims/big.chanim", kAnimFileBound,
     [] { return AnimCache("anims/big.chanim", 4, 0) != nullptr; }},
    {"data/levels/big.chterrain", "levels/big.chterrain", kTerrainFileBound,
     []
     {
         Terrain terrain;
         return TerrainLoad(terrain, "levels/big.chterrain");
     }},
    {"data/levels/big.map", "levels/big.map", kTileMapFileBound,
     [] { return TileTerrain::Load("levels/big.map", "tiles"); }},
    {"data/levels/big.loc", "levels/big.loc", kLocatorFileBound,
     []
     {
         const bool loaded = LocatorsLoad("levels/big.loc");
         LocatorsClear();
         return loaded;
     }},
    {"data/grids/big.txt", "grids/big.txt", kGridFileBound,
     []
     {
         GridPathFinder grid;
         return grid.LoadFile("grids/big.txt");
     }},
    {"data/frontend/big.scn", "frontend/big.scn", kScreenFileBound,
     []
     {
         UIInterface ui;
         return ui.LoadScreens("frontend", "big.scn");
     }},
    {"data/frontend/big.txt", "frontend/big.txt", kScreenElementFileBound,
     []
     {
         ScreenElementData set;
         return ScreenElementDataLoad(set, "frontend", "big.txt");
     }},
    {"data/frontend/managed.txt", "frontend/managed.txt", kScreenElementFileBound,
     []
     {
         ScreenElementManager manager;
         return manager.Load("frontend", "managed.txt", false);
     }},
    {"data/fonts/big.fnt", "fonts/big.fnt", kFontFileBound,
     [] { return BasicText("fonts/big.fnt").HasGlyphs(); }},
    {"data/effects/big.csv", "effects/big.csv", kEffectFileBound, [] { return FXParseEffectFile("effects/big.csv"); }},
    {"data/sound/big.txt", "sound/big.txt", kSoundDefFileBound, [] { return SoundDefLoadPath("sound", "big.txt"); }},
    {"data/sound/big.wav", "sound/big.wav", kWaveFileBound,
     []
     {
         std::vector<uint8_t> bytes;
         return WaveReadFile("sound/big.wav", bytes);
     }},
    {"data/strings/english/big.csv", "strings/english/big.csv", kStringFileBound,
     []
     {
         StringKeeper strings;
         strings.Init(0, "strings/english");
         return strings.Count() > 0;
     }},
    {"data/scripts/big.nut", "scripts/big.nut", kScriptFileBound,
     [] { return ScriptLoadFile(ScriptGetVM(), nullptr, "scripts/big.nut"); }},
    {"data/textures/big.tga", "textures/big.tga", kImageFileBound,
     [] { return std::unique_ptr<Image>(ImageLoader::new_MemoryImage("textures/big.tga", kOpenTable)) != nullptr; }},
    {"data/textures/big.dds", "textures/big.dds", kImageFileBound,
     [] { return std::unique_ptr<Image>(ImageLoader::new_MemoryImage("textures/big.dds", kOpenTable)) != nullptr; }},
    {"data/textures/big.jpg", "textures/big.jpg", kImageFileBound,
     [] { return std::unique_ptr<Image>(ImageLoader::new_MemoryImage("textures/big.jpg", kOpenTable)) != nullptr; }},
    {"data/shaders/GLSL/big.glsl", "shaders/GLSL/big.glsl", kShaderFileBound,
     []
     {
         ShaderSetRoot("shaders/GLSL/");
         ShaderProgram* program = ShaderLoad("big");
         ShaderRelease(program);
         return program != nullptr;
     }},
    {"big.sav", "big.sav", kSaveBound,
     []
     {
         SaveLoadFunctions save;
         return save.SetupFileAndInitParser("big.sav", false) == kLoadReady;
     }},
};

class FileSizeBoundTest : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        if (!DisplayAvailable())
            GTEST_SKIP() << "no display";
        ASSERT_TRUE(GLTestOpenContext()) << Reports();
        m_context = true;
        SetStreamListener(&m_listener);
    }

    void TearDown() override
    {
        SetStreamListener(nullptr);
        ScriptTest::TearDown();
        AnimFreeAll();
        if (m_context)
            GLTestCloseContext();
    }

    // The bytes, then zeros up to `size`.
    void WritePadded(const std::string& path, const std::vector<uint8_t>& bytes, uint64_t size)
    {
        ASSERT_TRUE(dir.WriteFile(path, bytes.data(), bytes.size()));
        ASSERT_TRUE(dir.Resize(path, size));
    }

    static uint64_t BytesAsked(const RecordingListener& listener)
    {
        uint64_t total = 0;
        for (unsigned count : listener.reads)
            total += count;
        return total;
    }

    RecordingListener m_listener;
    bool m_context = false;
};
} // namespace

TEST_F(FileSizeBoundTest, EveryWholeFileReaderRefusesAFileOverItsBoundUnread)
{
    for (const ReaderCase& reader : kReaders)
        ASSERT_TRUE(dir.WriteFile(reader.path, "x"));
    FileTableMountDataTree(dir.Root().c_str());
    for (const ReaderCase& reader : kReaders)
    {
        for (const uint64_t size : {reader.bound.bytes + 1, kFourGiB + 1})
        {
            SCOPED_TRACE(std::string(reader.path) + " of " + std::to_string(size) + " bytes");
            WritePadded(reader.path, {'x'}, size);
            m_listener.reads.clear();
            LogCapture log;
            EXPECT_FALSE(reader.load());
            ASSERT_EQ(log.Lines().size(), 1u) << log.Text();
            EXPECT_NE(log.Lines()[0].find(reader.name), std::string::npos) << log.Text();
            EXPECT_NE(log.Lines()[0].find(reader.bound.kind), std::string::npos) << log.Text();
            EXPECT_EQ(BytesAsked(m_listener), 0u) << "a refused file is not read";
        }
    }
}

// A changed file past its bound, its first bytes a sound file of its kind
// (all that a 32-bit size would have read of the larger one), is refused and
// the holders keep what they had.
TEST_F(FileSizeBoundTest, AReloadRefusedForItsSizeKeepsTheOldModelAndTexture)
{
    const std::vector<uint8_t> pixels(8 * 8 * 4, 200);
    const std::vector<uint8_t> oldTexture = TgaWrite(pixels.data(), 4, 4, {});
    const std::vector<uint8_t> oldModel = ChModelWrite(QuadModel(104));
    WritePadded("data/props/tree.tga", oldTexture, oldTexture.size());
    WritePadded("data/props/m.chmodel", oldModel, oldModel.size());
    FileTableMountDataTree(dir.Root().c_str());
    Model* model = ModelCache("props/m.chmodel");
    ASSERT_TRUE(model) << Reports();
    Texture* texture = TextureLoad("props/tree.tga", true);
    ASSERT_TRUE(texture) << Reports();

    ChModel twoMeshes = QuadModel(104);
    twoMeshes.meshes.push_back(twoMeshes.meshes[0]);
    const std::vector<uint8_t> newModel = ChModelWrite(twoMeshes);
    const std::vector<uint8_t> newTexture = TgaWrite(pixels.data(), 8, 2, {});
    for (const uint64_t padding : {uint64_t(2) << 30, kFourGiB})
    {
        SCOPED_TRACE(padding);
        WritePadded("data/props/m.chmodel", newModel, newModel.size() + padding);
        WritePadded("data/props/tree.tga", newTexture, newTexture.size() + padding);
        LogCapture log;
        GetAppStreamListener().FileChanged("props/m.chmodel", *FileTableFindEntry("props/m.chmodel"));
        EXPECT_EQ(Model::GetMeshCount(model), 1);
        ASSERT_EQ(log.Lines().size(), 1u) << log.Text();
        EXPECT_NE(log.Lines()[0].find("props/m.chmodel"), std::string::npos) << log.Text();

        log.Clear();
        GetAppStreamListener().FileChanged("props/tree.tga", *FileTableFindEntry("props/tree.tga"));
        EXPECT_EQ(texture->m_width, 4);
        EXPECT_EQ(texture->m_height, 4);
        ASSERT_EQ(log.Lines().size(), 2u) << log.Text();
        EXPECT_NE(log.Lines()[0].find("props/tree.tga"), std::string::npos) << log.Text();
        EXPECT_EQ(log.Lines()[1], "Could not reload texture from file: props/tree.tga\n");
    }

    // Mended, both reload.
    WritePadded("data/props/m.chmodel", newModel, newModel.size());
    WritePadded("data/props/tree.tga", newTexture, newTexture.size());
    GetAppStreamListener().FileChanged("props/m.chmodel", *FileTableFindEntry("props/m.chmodel"));
    GetAppStreamListener().FileChanged("props/tree.tga", *FileTableFindEntry("props/tree.tga"));
    EXPECT_EQ(Model::GetMeshCount(model), 2);
    EXPECT_EQ(texture->m_width, 8);
    TextureRelease(&texture);
    ModelRelease(model);
}

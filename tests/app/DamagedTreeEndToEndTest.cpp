// The engine on a damaged demo tree: each fault reaches the log with a clear report, and the engine
// runs on (or ends by itself in order) instead of crashing.

#include "EndToEndFixture.h"

namespace
{
struct TreeDamage
{
    const char* name;
    void (*apply)(const fs::path& demo);
    // Found in tolvan.log; empty when the damage is harmless and nothing need be said.
    const char* report;
};

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Keeps the first half of a generated file: a reader must find the file cut short, not run past its end.
void CutInHalf(const fs::path& path)
{
    const std::string whole = ReadWhole(path);
    ASSERT_GT(whole.size(), 1u) << path;
    WriteText(path, whole.substr(0, whole.size() / 2));
}

const TreeDamage kDamages[] = {
    {"GameScriptSyntaxError",
     [](const fs::path& demo) { WriteText(demo / "data" / "game.nut", "function GameCreate( {\n"); },
     "Script compile 'game.nut' failed."},
    {"GameScriptIsAFolder",
     [](const fs::path& demo) {
         fs::remove(demo / "data" / "game.nut");
         fs::create_directory(demo / "data" / "game.nut");
     },
     "Open script game.nut failed."},
    {"EnumsMissing", [](const fs::path& demo) { fs::remove(demo / "data" / "enums.nut"); },
     "Open script enums.nut failed."},
    {"OptionDataEmpty", [](const fs::path& demo) { WriteText(demo / "OptionData.txt", ""); }, ""},
    {"ShaderNotGlsl",
     [](const fs::path& demo) { WriteText(demo / "data" / "shaders" / "GLSL" / "basic.glsl", "not a shader {\n"); },
     "basic.glsl"},
    {"ScreensEmpty", [](const fs::path& demo) { WriteText(demo / "data" / "frontend" / "screens.scn", ""); }, ""},
    {"StringsNotText",
     [](const fs::path& demo) {
         WriteText(demo / "data" / "strings" / "english" / "demo.csv", std::string("\xff\xfe\0\0\t\t\n\x80", 8));
     },
     ""},
    {"SoundDefinitionsAFolder",
     [](const fs::path& demo) {
         fs::remove(demo / "data" / "sound" / "demo.txt");
         fs::create_directory(demo / "data" / "sound" / "demo.txt");
     },
     "demo.txt"},
    {"NamesNotUtf8",
     [](const fs::path& demo) {
         WriteText(demo / "data" / "effects" / "\xff\xfe smoke.csv", ReadWhole(demo / "data" / "effects" / "lamp.csv"));
         WriteText(demo / "data" / "strings" / "english" / "\xc3\x28.csv", "Start\tStart\n");
         WriteText(demo / "data" / "\x80.nut", "local a = 1;\n");
     },
     ""},
    {"ModelCut",
     [](const fs::path& demo) {
         CutInHalf(demo / "data" / "characters" / "dragon" / "dragon-carry000-speed000.chmodel");
     },
     "dragon-carry000-speed000.chmodel"},
    {"AnimationCut",
     [](const fs::path& demo) { CutInHalf(demo / "data" / "characters" / "dragon" / "dragon_flap.chanim"); },
     "dragon_flap.chanim"},
    // A side file that does not read leaves the model without it, silently.
    {"ObjectSideFileCut",
     [](const fs::path& demo) { CutInHalf(demo / "data" / "buildings" / "set01" / "Windmill01.chmodelobjanim"); },
     ""},
    {"TgaTextureCut", [](const fs::path& demo) { CutInHalf(demo / "data" / "frontend" / "panel.tga"); },
     "panel.tga"},
    {"FontCut", [](const fs::path& demo) { CutInHalf(demo / "data" / "fonts" / "QuarnVinque20.fnt"); },
     "QuarnVinque20.fnt"},
    {"FontPageCut", [](const fs::path& demo) { CutInHalf(demo / "data" / "fonts" / "QuarnVinque20_0.tga"); },
     "QuarnVinque20_0.tga"},
    {"LocatorsCut", [](const fs::path& demo) { CutInHalf(demo / "data" / "levels" / "flight.loc"); },
     "flight.loc"},
    {"TileMapCut", [](const fs::path& demo) { CutInHalf(demo / "data" / "levels" / "board.map"); },
     "board.map"},
    {"TileCollisionCut",
     [](const fs::path& demo) { CutInHalf(demo / "data" / "terrain" / "board" / "02_000_Field.chterrain"); },
     "02_000_Field.chterrain"},
    {"ArchiveCut", [](const fs::path& demo) { CutInHalf(demo / "data" / "demo.darnix"); }, "demo.darnix"},
    // The cipher carries no check: the first half reads as the first half of the text.
    {"EncipheredCut",
     [](const fs::path& demo) { CutInHalf(demo / "encrypteddata" / "strings" / "english" / "credits.csv"); },
     ""},
};

void PrintTo(const TreeDamage& damage, std::ostream* out)
{
    *out << damage.name;
}

class DamagedTreeEndToEndTest : public EndToEndTest, public ::testing::WithParamInterface<TreeDamage>
{
};
} // namespace

TEST_P(DamagedTreeEndToEndTest, ReportsTheFaultAndRunsOnOrEndsInOrder)
{
    GetParam().apply(Demo());
    // A sanitizer report must not pass for the exit status a quit request gives. Leaks are left out:
    // the software GL driver, unloaded at exit, leaves memory the checker cannot name or suppress.
    environment = {{"ASAN_OPTIONS", "detect_leaks=0:exitcode=86"}, {"UBSAN_OPTIONS", "exitcode=87"}};
    const pid_t child = Start({"-nosound"}, "off");
    ASSERT_GT(child, 0);
    const fs::path log = Demo() / "tolvan.log";
    const std::string report = GetParam().report;
    bool reported = WaitFor(log, kStartLimit);
    if (!report.empty())
        reported = WaitForText(log, report, kStartLimit);
    // Frames run once the graphics log has its first lines, unless the engine ended by itself.
    WaitForText(Demo() / "bin" / "tolvanGFX.log", "Using Vertex array objects", kStartLimit);
    const int status = StopWithin(child, kQuitLimit);
    EXPECT_TRUE(status == 0 || status == 1) << "exit status " << status << "\n" << ReadWhole(log);
    EXPECT_TRUE(reported) << ReadWhole(log);
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedTreeEndToEndTest, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<TreeDamage>& info) { return std::string(info.param.name); });

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

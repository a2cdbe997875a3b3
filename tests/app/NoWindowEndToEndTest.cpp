// The engine started where it can show nothing: it says why in one line on
// standard error and ends with exit code 2 instead of running unseen.

#include "EndToEndFixture.h"

namespace
{
class NoWindowEndToEndTest : public EndToEndTest
{
protected:
    bool NeedsDisplay() const override { return false; }
};

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Without an X display, on SDL's own choice or on a window system named for
// it that cannot hold an OpenGL context the engine can load, or hold a window
// for one at all.
TEST_F(NoWindowEndToEndTest, AStartWithoutAWindowToDrawInEndsWithTwoAndSaysWhy)
{
    const struct
    {
        const char* driver; // SDL_VIDEODRIVER, or unset when null
        const char* reason;
        const char* lineEnd; // what the line ends with
        bool logged;         // the log is open when the reason is found
    } cases[] = {
        {nullptr, "the window system could not start: ", "(DISPLAY is not set)\n", false},
        {"offscreen", "no OpenGL context could be made on a window of the offscreen window system", "system\n",
         true},
        {"dummy", "the main window could not be created: ", "\n", false},
    };
    // Mesa's EGL, which the offscreen window system loads, leaves a block of
    // its own unfreed at exit: not the engine's to answer for.
    const fs::path suppressions = root / "leaks.supp";
    std::ofstream(suppressions) << "leak:libEGL_mesa.so\n";
    for (const auto& c : cases)
    {
        const std::string label = c.driver ? c.driver : "no driver named";
        fs::remove(Demo() / "tolvan.log");
        errorOutput = root / "stderr.txt";
        removedEnvironment = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
        environment = {{"LSAN_OPTIONS", "suppressions=" + suppressions.string()}};
        if (c.driver)
            environment.emplace_back("SDL_VIDEODRIVER", c.driver);
        const pid_t child = Start({"-nosound"}, "off");
        ASSERT_GT(child, 0) << label;
        EXPECT_EQ(ExitWithin(child, kStartLimit), 2) << label;
        const std::string errors = ReadWhole(errorOutput);
        const std::string line = std::string("Pendrel cannot start: ") + c.reason;
        const size_t at = errors.find(line);
        ASSERT_NE(at, std::string::npos) << label << ": " << errors;
        const std::string whole = errors.substr(at, errors.find('\n', at) + 1 - at);
        EXPECT_TRUE(EndsWith(whole, c.lineEnd)) << label << ": " << whole;
        EXPECT_EQ(CountOf(errors, "Pendrel cannot start: "), 1u) << label << ": " << errors;
        const std::string log = ReadWhole(Demo() / "tolvan.log");
        EXPECT_EQ(log.find(line) != std::string::npos, c.logged) << label << ": " << log;
    }
}
} // namespace

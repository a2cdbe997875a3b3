#pragma once
// The running game driven through its own window on an X server of the
// test's own: keys are sent to that window, shots are read back as pixels.

#include "EndToEndFixture.h"
#include "PrivateXServer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <sys/file.h>
#include <unistd.h>

// Limits only bound a broken run; under load a frame of the software
// renderer can take seconds, and a key pressed again after a limit (a press
// the game never saw) toggles back what a late-seen first press did. Each
// wait ends as soon as its state shows; CTest's timeout bounds the test.
constexpr std::chrono::seconds kLevelLimit(180);
constexpr std::chrono::seconds kShotLimit(60);
constexpr std::chrono::seconds kTitleLimit(60);

inline bool HaveXDoTool()
{
    return system("command -v xdotool >/dev/null 2>&1") == 0;
}

// Runs xdotool with the arguments; its output lines.
inline std::vector<std::string> XDoTool(const std::string& arguments)
{
    std::vector<std::string> lines;
    FILE* pipe = popen(("xdotool " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return lines;
    char line[256];
    while (fgets(line, sizeof line, pipe))
    {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        lines.push_back(text);
    }
    pclose(pipe);
    return lines;
}

// The pixels of an uncompressed true-colour TGA, read from the top row down.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t* At(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

// A rectangle of a picture in pixels, right and bottom excluded.
struct Box
{
    int left, top, right, bottom;
};

template <typename Test> inline int CountIn(const Picture& picture, const Box& box, Test test)
{
    int hits = 0;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, picture.height); ++y)
        for (int x = std::max(box.left, 0); x < std::min(box.right, picture.width); ++x)
            hits += test(picture.At(x, y)) ? 1 : 0;
    return hits;
}

inline bool ReadTga(const std::string& bytes, Picture& picture)
{
    if (bytes.size() < 18)
        return false;
    const auto at = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
    const int width = at(12) + at(13) * 256;
    const int height = at(14) + at(15) * 256;
    const size_t depth = at(16) / 8u;
    const size_t start = 18 + at(0);
    if (at(2) != 2 || (depth != 3 && depth != 4) || bytes.size() < start + size_t(width) * size_t(height) * depth)
        return false;
    const bool topDown = (at(17) & 0x20) != 0;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
    {
        const size_t row = size_t(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x)
        {
            const size_t from = start + (row * size_t(width) + size_t(x)) * depth;
            uint8_t* to = &picture.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            to[0] = at(from + 2);
            to[1] = at(from + 1);
            to[2] = at(from);
        }
    }
    return true;
}

class GameWindowTest : public EndToEndTest
{
protected:
    void SetUp() override
    {
        if (!HaveXDoTool())
            GTEST_SKIP() << "xdotool is not installed";
        EndToEndTest::SetUp();
        if (IsSkipped())
            return;
        // The engine and xdotool, both children of this process, find the
        // server through DISPLAY.
        const std::string display = m_server.Start(kServerLimit);
        ASSERT_FALSE(display.empty()) << "Xvfb did not start";
        const char* shared = getenv("DISPLAY");
        m_sharedDisplay = shared ? shared : "";
        setenv("DISPLAY", display.c_str(), 1);
    }

    void TearDown() override
    {
        EndToEndTest::TearDown();
        if (!m_sharedDisplay.empty())
            setenv("DISPLAY", m_sharedDisplay.c_str(), 1);
        m_server.Stop();
    }

    static constexpr std::chrono::seconds kServerLimit{30};
    PrivateXServer m_server;
    std::string m_sharedDisplay;

    // The engine's window once the level is up (the game names it so then,
    // and "tip" while the first tip types itself out); empty when it never was.
    static std::string WaitForGameWindow(pid_t engine)
    {
        const auto end = Clock::now() + kLevelLimit;
        while (Clock::now() < end && waitpid(engine, nullptr, WNOHANG) == 0)
        {
            const std::vector<std::string> found =
                XDoTool("search --all --pid " + std::to_string(engine) + " --name '^Tolvan - (playing|tip)$'");
            if (!found.empty())
                return found.front();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return "";
    }

    static std::string Title(const std::string& window)
    {
        const std::vector<std::string> lines = XDoTool("getwindowname " + window);
        return lines.empty() ? "" : lines.front();
    }

    // True once the window has the title, within the limit.
    static bool WaitForTitle(const std::string& window, const std::string& title,
                             std::chrono::milliseconds limit = kTitleLimit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end)
        {
            if (Title(window) == title)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    // Sent to the window itself, so no other window's focus matters.
    static void KeysDown(const std::string& window, const std::vector<std::string>& keys)
    {
        std::string down;
        for (const std::string& key : keys)
            down += " keydown --window " + window + " " + key;
        XDoTool(down);
    }

    static void KeysUp(const std::string& window, const std::vector<std::string>& keys)
    {
        std::string up;
        for (const std::string& key : keys)
            up = " keyup --window " + window + " " + key + up;
        XDoTool(up);
    }

    // Holds the keys until the game has shown it saw them. A press that goes
    // down and up within one frame ends that frame up, not newly down, and a
    // frame under a loaded machine's software renderer can last seconds: no
    // fixed hold is long enough. The first press may come before the game's
    // first step, so it is tried again.
    template <typename Seen>
    static bool HoldUntil(const std::string& window, const std::vector<std::string>& keys,
                          std::chrono::milliseconds limit, Seen seen)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            KeysDown(window, keys);
            const auto end = Clock::now() + limit;
            bool done = false;
            while (!(done = seen()) && Clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            KeysUp(window, keys);
            if (done)
                return true;
        }
        return false;
    }

    static bool PressUntilTitle(const std::string& window, const std::string& key, const std::string& title)
    {
        return HoldUntil(window, {key}, kTitleLimit, [&] { return Title(window) == title; });
    }

    // The game plays on: "playing", or "tip" once a tip begins to type itself
    // out, which may happen at the first step of play. Waiting for "playing"
    // alone can miss it, and pressing again then sends a second key (a second
    // Escape quits the game).
    static bool IsPlayingTitle(const std::string& title)
    {
        return title == "Tolvan - playing" || title == "Tolvan - tip";
    }

    static bool PressUntilPlaying(const std::string& window, const std::string& key)
    {
        return HoldUntil(window, {key}, kTitleLimit, [&] { return IsPlayingTitle(Title(window)); });
    }

    std::vector<fs::path> Shots(const std::string& extension) const
    {
        std::vector<fs::path> shots;
        for (const auto& item : fs::directory_iterator(Demo()))
            if (item.path().filename().string().rfind("screenshot ", 0) == 0 && item.path().extension() == extension)
                shots.push_back(item.path());
        return shots;
    }

    bool ShootUntil(const std::string& window, const std::vector<std::string>& keys, const std::string& extension)
    {
        return HoldUntil(window, keys, kShotLimit, [&] { return !Shots(extension).empty(); });
    }

    // Holds a key the game answers only in its picture across plain (JPEG)
    // shots, so that the game has stepped with it held; the shots are
    // dropped. A shot shows that a frame went by, but a frame need not run a
    // fixed step of the game: the key stays down across three frames. No
    // Shift: a key pressed with a modifier is another command.
    bool HoldAcrossAShot(const std::string& window, const std::string& key)
    {
        KeysDown(window, {key});
        bool shot = true;
        for (int frame = 0; frame < 3 && shot; ++frame)
        {
            shot = ShootUntil(window, {"Print"}, ".jpg");
            for (const fs::path& jpeg : Shots(".jpg"))
                fs::remove(jpeg);
        }
        KeysUp(window, {key});
        return shot;
    }

    // A new TGA shot of the window as it is now, taken away from the tree so
    // the next one is found alone (and may take the same name: shots are
    // named to the second).
    bool Shoot(const std::string& window, Picture& picture)
    {
        if (!ShootUntil(window, {"shift", "Print"}, ".tga"))
            return false;
        const fs::path shot = Shots(".tga").front();
        // The shot may still be being written: read until every pixel is there.
        const auto end = Clock::now() + kShotLimit;
        bool read = false;
        while (!(read = ReadTga(ReadWhole(shot), picture)) && Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fs::rename(shot, root / ("shot-" + std::to_string(m_shots++) + ".tga"));
        return read;
    }

    int m_shots = 0;
};

// A game started by the test, stopped at the end if it still runs; a failed
// test prints the game's log.
class RunningGameTest : public GameWindowTest
{
protected:
    // The game's window once the level is up; empty when it never came up.
    std::string StartGame(const std::vector<std::string>& arguments)
    {
        m_engine = Start(arguments, "off");
        if (m_engine <= 0)
            return "";
        return WaitForGameWindow(m_engine);
    }

    void TearDown() override
    {
        if (m_engine > 0 && waitpid(m_engine, nullptr, WNOHANG) == 0)
            StopWithin(m_engine, kQuitLimit);
        if (HasFailure() && !root.empty())
            std::cout << ReadWhole(Demo() / "tolvan.log");
        GameWindowTest::TearDown();
    }

    pid_t m_engine = -1;
};

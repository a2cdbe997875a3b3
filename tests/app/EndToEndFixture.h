#pragma once
// Runs the real executable on a copy of the demo tree and reads what it wrote.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

using Clock = std::chrono::steady_clock;

// A quit signal that comes while the renderer still compiles its shader
// programs (seconds under a software driver) is served once start-up ends.
constexpr std::chrono::seconds kQuitLimit(60);
// Start-up under the sanitizers and a software driver on a loaded machine
// takes seconds: this only bounds a broken run.
constexpr std::chrono::seconds kStartLimit(120);
// The exit status of an engine the sanitizers stopped (a leak at exit among
// them): their own default is 1, the status of a normal quit.
constexpr int kSanitizerExitCode = 86;

inline std::string ReadWhole(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class EndToEndTest : public ::testing::Test
{
protected:
    fs::path root;
    fs::path executable;

    // A test of a start without a window overrides this.
    virtual bool NeedsDisplay() const { return true; }

    void SetUp() override
    {
        if (NeedsDisplay() && !getenv("DISPLAY"))
            GTEST_SKIP() << "no display to open the window on";
        const char* binary = PENDREL_BINARY_DIR;
        executable = fs::path(binary) / "pendrel";
        root = fs::temp_directory_path() / ("pendrel-e2e-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        fs::copy(fs::path(binary) / "demo", root / "demo", fs::copy_options::recursive);
        RemoveLeftoversOfEarlierRuns(root / "demo");
    }

    // A manual run in the built tree leaves its logs and shots there; a test
    // that waits for the log or counts shots would see them at once.
    static void RemoveLeftoversOfEarlierRuns(const fs::path& tree)
    {
        std::vector<fs::path> leftovers;
        for (const auto& item : fs::recursive_directory_iterator(tree))
        {
            const std::string name = item.path().filename().string();
            if (item.is_regular_file() && (item.path().extension() == ".log" || name.rfind("screenshot ", 0) == 0))
                leftovers.push_back(item.path());
        }
        for (const fs::path& path : leftovers)
            fs::remove(path);
    }

    void TearDown() override
    {
        if (!root.empty())
            fs::remove_all(root);
    }

    // The copy of the demo tree the engine runs in; a test that runs two
    // engines copies it and names the copy here before starting the second.
    std::string demoName = "demo";
    fs::path Demo() const { return root / demoName; }

    // Set in the engine's environment by Start, as name and value.
    std::vector<std::pair<std::string, std::string>> environment;
    // Taken out of the engine's environment by Start, before the above is set.
    std::vector<std::string> removedEnvironment;
    // Where the engine's standard error goes, when not empty.
    fs::path errorOutput;

    // Starts the engine in demo/bin with the given arguments and extra environment.
    pid_t Start(const std::vector<std::string>& arguments, const char* platformMode)
    {
        std::vector<char*> argv = {const_cast<char*>("pendrel")};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        // Every engine a test starts is the same program: one instance name.
        const std::string instance = "pendrel-e2e-" + std::to_string(getpid());
        const pid_t child = fork();
        if (child == 0)
        {
            chdir((Demo() / "bin").c_str());
            setenv("PENDREL_PLATFORM_DIR", (root / "platform").c_str(), 1);
            setenv("PENDREL_INSTANCE", instance.c_str(), 1);
            if (platformMode)
                setenv("PENDREL_PLATFORM", platformMode, 1);
            for (const std::string& name : removedEnvironment)
                unsetenv(name.c_str());
            for (const auto& [name, value] : environment)
                setenv(name.c_str(), value.c_str(), 1);
            if (!errorOutput.empty())
            {
                const int output = open(errorOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (output < 0 || dup2(output, STDERR_FILENO) < 0)
                    _exit(126);
                close(output);
            }
            // Without a session bus address the window system's D-Bus client
            // tries to launch a bus, fails, and leaks what it tried with: the
            // leak checker then fails the engine at exit.
            setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (root / "no-session-bus").string()).c_str(),
                   0);
            SetSanitizerOptions();
            execv(executable.c_str(), argv.data());
            _exit(127);
        }
        return child;
    }

    // In the engine's process, before it starts: a sanitizer's report ends
    // it with its own status, told apart from a quit; the GL driver's
    // dynamic TLS is left unscanned at exit, as in the test programs (see
    // tests/support/LeakSuppressions.cpp).
    static void SetSanitizerOptions()
    {
        const char* given = getenv("ASAN_OPTIONS");
        std::string options = given ? given : "";
        if (!options.empty())
            options += ':';
        options += "intercept_tls_get_addr=0:exitcode=" + std::to_string(kSanitizerExitCode);
        setenv("ASAN_OPTIONS", options.c_str(), 1);
    }

    static bool WaitForText(const fs::path& path, const std::string& text, std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end)
        {
            if (ReadWhole(path).find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    static bool WaitFor(const fs::path& path, std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end)
        {
            if (fs::exists(path))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Asks the engine to quit and returns its exit status, or -1 when it did
    // not stop within the limit (it is killed then).
    static int StopWithin(pid_t child, std::chrono::milliseconds limit)
    {
        kill(child, SIGTERM);
        return ExitWithin(child, limit);
    }

    // The engine's exit status once it ends by itself: -2 for a signal, -1
    // when it did not end within the limit (it is killed then).
    static int ExitWithin(pid_t child, std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        int status = 0;
        while (Clock::now() < end)
        {
            if (waitpid(child, &status, WNOHANG) == child)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return -1;
    }
};

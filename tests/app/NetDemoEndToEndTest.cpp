// Two engines play the demo together through one storefront folder: each as
// its own user and instance, in its own copy of the demo tree.

#include "EndToEndFixture.h"

#include <cstdlib>
#include <map>

namespace
{
// A demo save: "key<TAB>value" lines that end with an "end" line.
struct DemoSave
{
    bool whole = false;
    int runs = 0;
    int node = -2;
    bool left = false;
    int lobbies = -1;
    std::map<long, long> pairs; // step -> checksum
};

bool ReadNumber(const std::string& text, long& value)
{
    char* end = nullptr;
    value = strtol(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0';
}

bool ReadPair(const std::string& text, DemoSave& save)
{
    const size_t blank = text.find(' ');
    long step = 0;
    long checksum = 0;
    if (blank == std::string::npos || !ReadNumber(text.substr(0, blank), step) ||
        !ReadNumber(text.substr(blank + 1), checksum))
        return false;
    save.pairs[step] = checksum;
    return true;
}

bool ReadLine(const std::string& line, DemoSave& save)
{
    const size_t tab = line.find('\t');
    if (tab == std::string::npos)
        return false;
    const std::string key = line.substr(0, tab);
    const std::string value = line.substr(tab + 1);
    long number = 0;
    if (key == "pair")
        return ReadPair(value, save);
    if (!ReadNumber(value, number))
        return false;
    if (key == "runs")
        save.runs = static_cast<int>(number);
    else if (key == "node")
        save.node = static_cast<int>(number);
    else if (key == "left")
        save.left = number != 0;
    else if (key == "lobbies")
        save.lobbies = static_cast<int>(number);
    else if (key == "end")
        save.whole = true;
    return true;
}

DemoSave ReadDemoSave(const fs::path& path)
{
    DemoSave save;
    std::istringstream lines(ReadWhole(path));
    std::string line;
    while (std::getline(lines, line))
        if (save.whole || !ReadLine(line, save))
        {
            save.whole = false;
            return save;
        }
    return save;
}

// Steps both saves hold, and how many of them disagree.
struct PairMatch
{
    int common = 0;
    int different = 0;
};

PairMatch MatchPairs(const DemoSave& a, const DemoSave& b)
{
    PairMatch match;
    for (const auto& [step, checksum] : a.pairs)
    {
        const auto other = b.pairs.find(step);
        if (other == b.pairs.end())
            continue;
        match.common++;
        match.different += other->second != checksum;
    }
    return match;
}

// Engines start slowly under sanitizers on a loaded machine.
constexpr std::chrono::seconds kPlayLimit(180);
constexpr int kCommonSteps = 10;
} // namespace

class NetDemoEndToEndTest : public EndToEndTest
{
protected:
    fs::path SavePath(const std::string& demo) const { return root / demo / "demo.sav"; }

    pid_t StartAs(const std::string& demo, const std::string& user, const char* option,
                  const char* platformMode = nullptr)
    {
        if (!fs::exists(root / demo))
            fs::copy(root / "demo", root / demo, fs::copy_options::recursive);
        demoName = demo;
        environment = {{"PENDREL_PLATFORM_USER", user},
                       {"PENDREL_INSTANCE", "pendrel-e2e-" + std::to_string(getpid()) + "-" + user}};
        return Start({"-nosound", option}, platformMode);
    }

    // Polls the saves until the condition holds over them; false at the limit.
    template <class Condition> bool SavesUntil(Condition done, std::chrono::seconds limit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end)
        {
            if (done(ReadDemoSave(SavePath("demo")), ReadDemoSave(SavePath("child"))))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    static void Kill(pid_t child)
    {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
};

TEST_F(NetDemoEndToEndTest, TwoEnginesAgreeStepByStepAndTheChildLeavesAKilledParent)
{
    const pid_t parent = StartAs("demo", "parent", "-netquickstartparent");
    ASSERT_GT(parent, 0);
    const pid_t child = StartAs("child", "child", "-netquickstartchild");
    ASSERT_GT(child, 0);

    const bool played = SavesUntil(
        [](const DemoSave& host, const DemoSave& guest) {
            return host.whole && guest.whole && guest.node == 1 &&
                   MatchPairs(host, guest).common >= kCommonSteps;
        },
        kPlayLimit);
    // The parent dies at some moment of its 0.2-s save cycle, which may fall
    // within a save: any moment must leave a whole save.
    const std::string before = ReadWhole(SavePath("demo"));
    const auto changed = Clock::now() + std::chrono::seconds(10);
    while (played && ReadWhole(SavePath("demo")) == before && Clock::now() < changed)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(getpid() % 200));
    Kill(parent);
    const DemoSave host = ReadDemoSave(SavePath("demo"));
    const bool left = played && SavesUntil([](const DemoSave&, const DemoSave& guest) { return guest.left; },
                                           std::chrono::seconds(90));
    Kill(child);
    ASSERT_TRUE(played) << "parent:\n"
                        << ReadWhole(SavePath("demo")) << "\nchild:\n"
                        << ReadWhole(SavePath("child")) << "\nchild log:\n"
                        << ReadWhole(root / "child" / "tolvan.log");

    EXPECT_TRUE(host.whole) << ReadWhole(SavePath("demo"));
    EXPECT_EQ(host.node, 0);
    EXPECT_EQ(host.runs, 1);
    EXPECT_GE(host.lobbies, 1);
    const DemoSave guest = ReadDemoSave(SavePath("child"));
    EXPECT_TRUE(guest.whole) << ReadWhole(SavePath("child"));
    EXPECT_EQ(guest.node, 1);
    EXPECT_TRUE(left) << ReadWhole(SavePath("child"));
    const PairMatch match = MatchPairs(host, guest);
    EXPECT_GE(match.common, kCommonSteps);
    EXPECT_EQ(match.different, 0);
    for (const char* demo : {"demo", "child"})
    {
        const std::string log = ReadWhole(root / demo / "tolvan.log");
        EXPECT_EQ(log.find("Squirrel error"), std::string::npos) << demo << ":\n" << log;
    }
    // The run count reached each user's cloud as well.
    EXPECT_EQ(ReadDemoSave(root / "platform" / "users" / "parent" / "cloud" / "demo.sav").runs, 1);
    EXPECT_EQ(ReadDemoSave(root / "platform" / "users" / "child" / "cloud" / "demo.sav").runs, 1);
}

// A run reads the count from the local save, or from the cloud when the local
// one is gone; without a platform only the local save counts.
TEST_F(NetDemoEndToEndTest, EachRunCountsOneMoreThanTheSaveItFinds)
{
    struct Run
    {
        const char* platform;
        bool removeLocalSave;
        int runs;
    } runs[] = {
        {nullptr, false, 1},
        {nullptr, true, 2}, // from the cloud
        {"off", false, 3},  // from the local save
        {"off", true, 1},   // from nowhere
    };
    for (const Run& run : runs)
    {
        SCOPED_TRACE(std::string(run.platform ? run.platform : "on") +
                     (run.removeLocalSave ? ", local save removed" : ""));
        if (run.removeLocalSave)
            fs::remove(SavePath("demo"));
        const pid_t engine = StartAs("demo", "solo", "-netquickstartparent", run.platform);
        ASSERT_GT(engine, 0);
        // With the platform on, the cloud copy is written after the local
        // save: the engine is killed only once both hold the count, or the
        // next run would find an older cloud copy.
        const fs::path cloud = root / "platform" / "users" / "solo" / "cloud" / "demo.sav";
        const bool saved = SavesUntil(
            [&](const DemoSave& save, const DemoSave&) {
                return save.whole && save.runs == run.runs &&
                       (run.platform || ReadDemoSave(cloud).runs == run.runs);
            },
            std::chrono::seconds(90));
        Kill(engine);
        ASSERT_TRUE(saved) << ReadWhole(SavePath("demo"));
    }
}

// Real peers of a network game, each its own process and storefront user in
// one shared platform folder, all talking through a lossy relay run here. The
// relay is seeded, every wait is bounded, and children are ended by their PID.
// On a server, the peers share no folder, each binds its own address of this
// machine and they send to each other directly.

#include "online/storefront/RedisConnection.h"

#include "support/RedisServer.h"
#include "support/TempDir.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
using Clock = std::chrono::steady_clock;

// Forwards every datagram to the port its header names, losing some and
// changing one byte (not of the port it forwards by) of some others.
class LossyRelay
{
public:
    LossyRelay(int lossPercent, uint32_t seed) : m_lossPercent(lossPercent), m_random(seed)
    {
        m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~LossyRelay() { close(m_socket); }
    LossyRelay(const LossyRelay&) = delete;
    LossyRelay& operator=(const LossyRelay&) = delete;

    uint16_t Port() const { return m_port; }
    void SetCorruptPercent(int percent) { m_corruptPercent = percent; }

    // Waits up to the given time for traffic and forwards what came.
    void Pump(int milliseconds)
    {
        pollfd wait = {m_socket, POLLIN, 0};
        poll(&wait, 1, milliseconds);
        uint8_t buffer[2048];
        for (int i = 0; i < 4096; ++i)
        {
            const ssize_t got = recv(m_socket, buffer, sizeof buffer, 0);
            if (got < 14)
                return;
            if (Draw() % 100 < m_lossPercent)
                continue;
            if (m_corruptPercent > 0 && Draw() % 100 < m_corruptPercent)
            {
                size_t at = Draw() % static_cast<size_t>(got - 2);
                at += at >= 12 ? 2 : 0;
                buffer[at] ^= static_cast<uint8_t>(1 + Draw() % 255);
            }
            sockaddr_in to = {};
            to.sin_family = AF_INET;
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            to.sin_port = htons(static_cast<uint16_t>(buffer[12] | (buffer[13] << 8)));
            sendto(m_socket, buffer, static_cast<size_t>(got), 0, reinterpret_cast<sockaddr*>(&to),
                   sizeof to);
        }
    }

private:
    int Draw()
    {
        m_random = m_random * 1103515245u + 12345u;
        return static_cast<int>(m_random >> 16);
    }

    int m_socket;
    uint16_t m_port = 0;
    int m_lossPercent;
    int m_corruptPercent = 0;
    uint32_t m_random;
};

struct Child
{
    std::string name;
    pid_t pid = -1;
    int status = -1; // exit status once reaped
    bool reaped = false;
};

class PeerProcessTest : public ::testing::Test
{
protected:
    PeerProcessTest() : relay(3, 20261210) {}

    ~PeerProcessTest() override
    {
        for (Child& child : children)
        {
            if (child.reaped)
                continue;
            kill(child.pid, SIGKILL);
            int status = 0;
            waitpid(child.pid, &status, 0);
        }
    }

    Child& Start(const std::string& name, const std::vector<std::string>& arguments)
    {
        const std::string program = std::string(PENDREL_BINARY_DIR) + "/tests/netpeer/pendrel_netpeer";
        std::vector<std::string> words = {program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<std::string> environment = PlatformEnvironment(name);
        for (char** variable = environ; *variable; ++variable)
            if (strncmp(*variable, "PENDREL_PLATFORM", 16) != 0)
                environment.push_back(*variable);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& variable : environment)
            envp.push_back(variable.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string errors = dir.PathOf(name + ".err");
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        Child child;
        child.name = name;
        const int spawned =
            posix_spawn(&child.pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << program;
        children.push_back(child);
        return children.back();
    }

    // Where the peer's storefront lives: the shared folder, datagrams through the relay.
    virtual std::vector<std::string> PlatformEnvironment(const std::string& name) const
    {
        return {"PENDREL_PLATFORM_DIR=" + dir.PathOf("platform"), "PENDREL_PLATFORM_USER=" + name,
                "PENDREL_PLATFORM_RELAY=" + std::to_string(relay.Port())};
    }

    std::string LogPath(const std::string& name) const { return dir.PathOf(name + ".log"); }

    std::vector<std::string> Lines(const std::string& name) const
    {
        std::vector<std::string> lines;
        std::ifstream in(LogPath(name));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    bool Logged(const std::string& name, const std::string& line) const
    {
        for (const std::string& logged : Lines(name))
            if (logged == line)
                return true;
        return false;
    }

    void Reap()
    {
        for (Child& child : children)
        {
            int status = 0;
            if (!child.reaped && waitpid(child.pid, &status, WNOHANG) == child.pid)
            {
                child.reaped = true;
                child.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
    }

    // Relays and reaps until the condition holds or the time is up.
    template <class Condition> bool RunUntil(Condition condition, std::chrono::seconds limit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end)
        {
            relay.Pump(2);
            Reap();
            if (condition())
                return true;
        }
        return false;
    }

    bool AllExited()
    {
        for (const Child& child : children)
        {
            if (!child.reaped)
                return false;
        }
        return true;
    }

    std::string Errors(const std::string& name) const { return dir.ReadFile(name + ".err"); }

    // The released steps, in the order logged.
    std::vector<int> Releases(const std::string& name) const
    {
        std::vector<int> steps;
        for (const std::string& line : Lines(name))
            if (line.rfind("release ", 0) == 0)
                steps.push_back(std::stoi(line.substr(8)));
        return steps;
    }

    // Checks each sender's inputs: consecutive steps, the values it sent; the
    // steps received from each sender.
    std::map<int, std::vector<int>> Inputs(const std::string& name) const
    {
        std::map<int, std::vector<int>> bySender;
        for (const std::string& line : Lines(name))
        {
            if (line.rfind("input ", 0) != 0)
                continue;
            std::istringstream fields(line.substr(6));
            int from = 0, step = 0, value = 0;
            fields >> from >> step >> value;
            EXPECT_EQ(value, from * 100000 + step) << name << ": " << line;
            std::vector<int>& steps = bySender[from];
            if (!steps.empty())
            {
                EXPECT_EQ(step, steps.back() + 1) << name << " from " << from;
            }
            steps.push_back(step);
        }
        return bySender;
    }

    int GrantedId(const std::string& name) const
    {
        for (const std::string& line : Lines(name))
            if (line.rfind("granted ", 0) == 0)
                return std::stoi(line.substr(8));
        return -1;
    }

    TempDir dir;
    LossyRelay relay;
    std::vector<Child> children;
};

std::vector<int> Consecutive(int first, int last)
{
    std::vector<int> steps;
    for (int step = first; step <= last; ++step)
        steps.push_back(step);
    return steps;
}
} // namespace

TEST_F(PeerProcessTest, HostAndClientsReleaseTheSameStepsWithEveryInput)
{
    Start("host",
          {"host", LogPath("host"), "--clients", "c1,c2,c3,c4", "--start-at", "3", "--seconds", "150"});
    Start("c1", {"client", LogPath("c1"), "--host", "host", "--seconds", "150"});
    Start("c2", {"client", LogPath("c2"), "--host", "host", "--seconds", "150"});
    ASSERT_TRUE(RunUntil([&] { return Logged("host", "release 100"); }, std::chrono::seconds(90)))
        << Errors("host");
    Start("c3", {"client", LogPath("c3"), "--host", "host", "--seconds", "150"});
    ASSERT_TRUE(RunUntil([&] { return Logged("host", "join 3"); }, std::chrono::seconds(30)));
    Start("c4", {"client", LogPath("c4"), "--host", "host", "--seconds", "150"});
    EXPECT_TRUE(RunUntil([&] { return Logged("c4", "sorry"); }, std::chrono::seconds(30)))
        << "one past the most nodes is refused";
    kill(children.back().pid, SIGKILL);
    ASSERT_TRUE(RunUntil([&] { return AllExited(); }, std::chrono::seconds(120)));

    for (const Child& child : children)
    {
        if (child.name != "c4")
        {
            EXPECT_EQ(child.status, 0) << child.name << "\n" << Errors(child.name);
        }
    }
    const std::vector<int> all = Consecutive(-1, 200);
    EXPECT_EQ(Releases("host"), all);
    EXPECT_EQ(Releases("c1"), all);
    EXPECT_EQ(Releases("c2"), all);
    const std::vector<int> late = Releases("c3");
    ASSERT_FALSE(late.empty());
    EXPECT_GE(late.front(), 100);
    EXPECT_EQ(late, Consecutive(late.front(), 200)) << "the late joiner catches up and keeps step";

    for (const std::string name : {"host", "c1", "c2"})
    {
        const std::map<int, std::vector<int>> inputs = Inputs(name);
        for (const int sender : {0, 1, 2})
        {
            if (sender == (name == "host" ? 0 : GrantedId(name)))
                continue;
            ASSERT_TRUE(inputs.count(sender)) << name << " from " << sender;
            const std::vector<int>& steps = inputs.at(sender);
            EXPECT_EQ(steps.front(), -1) << name << " from " << sender;
            EXPECT_GE(steps.back(), 199) << name << " from " << sender;
        }
    }
    Inputs("c3");
}

TEST_F(PeerProcessTest, AKilledClientIsReportedWithinTwoSecondsAndStepsGoOn)
{
    Start("host", {"host", LogPath("host"), "--clients", "c1,c2", "--start-at", "3", "--last-release",
                   "100000", "--seconds", "90"});
    Start("c1", {"client", LogPath("c1"), "--host", "host", "--last-release", "100000", "--seconds", "90"});
    Child& victim = Start(
        "c2", {"client", LogPath("c2"), "--host", "host", "--last-release", "100000", "--seconds", "90"});
    const pid_t victimPid = victim.pid;
    ASSERT_TRUE(RunUntil([&] { return Logged("host", "release 30"); }, std::chrono::seconds(60)))
        << Errors("host");
    const int id = GrantedId("c2");
    ASSERT_GT(id, 0);
    kill(victimPid, SIGKILL);
    const auto killed = Clock::now();
    const std::string leave = "leave " + std::to_string(id);
    ASSERT_TRUE(RunUntil([&] { return Logged("host", leave); }, std::chrono::seconds(15)));
    EXPECT_LE(Clock::now() - killed, std::chrono::seconds(2));
    const int releasedAtLeave = Releases("host").back();
    EXPECT_TRUE(
        RunUntil([&] { return Releases("host").back() >= releasedAtLeave + 30; }, std::chrono::seconds(30)))
        << "the game goes on without the lost node";
    EXPECT_GE(Releases("c1").back(), releasedAtLeave);
}

TEST_F(PeerProcessTest, QuittingAndResettingInsideCallbacksEndCleanly)
{
    Start("host", {"host", LogPath("host"), "--clients", "c1,c2", "--start-at", "3", "--reset-on-leave",
                   "--last-release", "100000", "--seconds", "90"});
    Start("c1", {"client", LogPath("c1"), "--host", "host", "--quit-on-input", "40", "--last-release",
                 "100000", "--seconds", "90"});
    Start("c2", {"client", LogPath("c2"), "--host", "host", "--last-release", "100000", "--seconds", "90"});
    ASSERT_TRUE(RunUntil([&] { return AllExited(); }, std::chrono::seconds(100)));
    for (const Child& child : children)
    {
        EXPECT_EQ(child.status, 0) << child.name << "\n" << Errors(child.name);
    }
    EXPECT_TRUE(Logged("c1", "quitting"));
    EXPECT_TRUE(Logged("host", "resetting"));
    EXPECT_TRUE(Logged("c2", "leave 0"));
}

namespace
{
// Each peer signs in on the test's server with its own account and address.
class ServerPeerProcessTest : public PeerProcessTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.MakeFolder("server"));
        ASSERT_TRUE(server.Start(PENDREL_SOURCE_DIR, dir.PathOf("server"), {"host", "c1", "c2"}));
    }
    std::vector<std::string> PlatformEnvironment(const std::string& name) const override
    {
        const std::map<std::string, std::string> addresses = {
            {"host", "127.0.0.2"}, {"c1", "127.0.0.3"}, {"c2", "127.0.0.4"}};
        return {"PENDREL_PLATFORM=" + server.Url(name), "PENDREL_PLATFORM_USER=" + name,
                "PENDREL_PLATFORM_ADDRESS=" + addresses.at(name)};
    }
    // What the server holds of a player's record field, read as the administrator.
    std::string RecordField(const std::string& player, const char* field)
    {
        RedisConnection admin;
        RedisAddress address;
        std::string text;
        if (ParseRedisAddress(server.AdminUrl().c_str(), address) && admin.Open(address))
            RedisText(admin.Run({"HGET", "pendrel:user:" + player + ":record", field}).get(), 64, text);
        return text;
    }

    RedisServer server;
};
} // namespace

TEST_F(ServerPeerProcessTest, PeersOnThreeAddressesKeepStepThroughALostServer)
{
    const std::vector<std::string> common = {"--last-release", "240", "--seconds", "60"};
    auto arguments = [&common](std::vector<std::string> words) {
        words.insert(words.end(), common.begin(), common.end());
        return words;
    };
    Start("host", arguments({"host", LogPath("host"), "--clients", "c1,c2", "--start-at", "3"}));
    Start("c1", arguments({"client", LogPath("c1"), "--host", "host"}));
    Start("c2", arguments({"client", LogPath("c2"), "--host", "host"}));
    ASSERT_TRUE(RunUntil([&] { return Logged("host", "release 60"); }, std::chrono::seconds(30))) << Errors("host");
    EXPECT_EQ(RecordField("c1", "address"), "127.0.0.3");
    const std::string hostId = RecordField("host", "id");
    server.Kill();
    EXPECT_TRUE(RunUntil([&] { return Logged("host", "release 120"); }, std::chrono::seconds(20)))
        << "the game goes on without the server";
    ASSERT_TRUE(server.Restart());
    ASSERT_TRUE(RunUntil([&] { return AllExited(); }, std::chrono::seconds(50)));
    for (const Child& child : children)
    {
        EXPECT_EQ(child.status, 0) << child.name << "\n" << Errors(child.name);
    }
    const std::vector<int> all = Consecutive(-1, 240);
    for (const std::string name : {"host", "c1", "c2"})
    {
        EXPECT_EQ(Releases(name), all) << name;
        const std::map<int, std::vector<int>> inputs = Inputs(name);
        EXPECT_EQ(inputs.size(), 2u) << name << " hears both other peers";
    }
    EXPECT_NE(Errors("host").find("lost its server"), std::string::npos) << Errors("host");
    EXPECT_EQ(RecordField("host", "id"), hostId) << "what the server acknowledged outlives it";
}

// A fifth of the datagrams arrive damaged: the storefront drops them, the
// channel sends again, and every node releases every step with the inputs
// each other node sent for it.
TEST_F(PeerProcessTest, AFifthOfDatagramsCorruptedInFlightAndTheGameKeepsStep)
{
    relay.SetCorruptPercent(20);
    Start("host", {"host", LogPath("host"), "--clients", "c1", "--start-at", "2", "--last-release", "120",
                   "--seconds", "150"});
    Start("c1", {"client", LogPath("c1"), "--host", "host", "--last-release", "120", "--seconds", "150"});
    ASSERT_TRUE(RunUntil([&] { return AllExited(); }, std::chrono::seconds(160))) << Errors("host");
    for (const Child& child : children)
    {
        EXPECT_EQ(child.status, 0) << child.name << "\n" << Errors(child.name);
    }
    const std::vector<int> all = Consecutive(-1, 120);
    EXPECT_EQ(Releases("host"), all);
    EXPECT_EQ(Releases("c1"), all);
    for (const std::string name : {"host", "c1"})
    {
        const std::map<int, std::vector<int>> inputs = Inputs(name);
        const int sender = name == "host" ? 1 : 0;
        ASSERT_TRUE(inputs.count(sender)) << name;
        EXPECT_EQ(inputs.at(sender).front(), -1) << name;
        EXPECT_GE(inputs.at(sender).back(), 119) << name;
        // Only the other's end of the game, after the last release, may part them.
        bool released = false;
        for (const std::string& line : Lines(name))
        {
            released = released || line == "release 120";
            EXPECT_TRUE(released || line.rfind("leave ", 0) != 0) << name << ": " << line;
        }
    }
}

// Once every datagram arrives damaged, nothing reaches either channel: both
// sides report the connection lost and tell the game script the other left,
// within 15 s.
TEST_F(PeerProcessTest, ALinkThatCorruptsEverythingIsReportedAndLeftOnBothSides)
{
    Start("host", {"host", LogPath("host"), "--clients", "c1", "--start-at", "2", "--last-release", "100000",
                   "--seconds", "90"});
    Start("c1", {"client", LogPath("c1"), "--host", "host", "--last-release", "100000", "--seconds", "90"});
    ASSERT_TRUE(RunUntil([&] { return Logged("c1", "release 30"); }, std::chrono::seconds(60))) << Errors("host");
    relay.SetCorruptPercent(100);
    const auto broken = Clock::now();
    ASSERT_TRUE(RunUntil([&] { return Logged("host", "leave 1") && Logged("c1", "leave 0"); },
                         std::chrono::seconds(30)));
    EXPECT_LE(Clock::now() - broken, std::chrono::seconds(15));
    for (const std::string name : {"host", "c1"})
    {
        const std::string errors = Errors(name);
        const size_t first = errors.find("lost: nothing heard for 10 s");
        EXPECT_NE(first, std::string::npos) << name << "\n" << errors;
        EXPECT_EQ(errors.find("lost:", first + 1), std::string::npos) << name << " reports once\n" << errors;
    }
}

// The executable with "-sqdebug", driven by a client over loopback: the
// session a person has with a plain TCP client.

#include "EndToEndFixture.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace
{
// Start-up under the sanitizers and a software driver takes seconds; these
// limits only bound a broken run.
constexpr std::chrono::seconds kConnectLimit(60);
constexpr std::chrono::seconds kReplyLimit(60);
constexpr std::chrono::seconds kExitLimit(60);

// A port nobody listens on now, for the engine to take; the kernel hands out
// ephemeral ports in turn, so it is not given again at once.
int FreeLoopbackPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = -1;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(probe);
    return port;
}

class DebuggerClient
{
public:
    ~DebuggerClient() { Close(); }

    // Tries until the engine listens, it has ended, or the limit passes. A
    // client that will not read takes the smallest receive buffer.
    bool Connect(int port, pid_t engine, bool reads)
    {
        const auto end = Clock::now() + kConnectLimit;
        while (Clock::now() < end && waitpid(engine, nullptr, WNOHANG) == 0)
        {
            m_socket = socket(AF_INET, SOCK_STREAM, 0);
            const int smallest = 1;
            if (!reads)
                setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_port = htons(uint16_t(port));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                return true;
            Close();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    bool Send(const std::string& text)
    {
        return send(m_socket, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size());
    }

    // As much of the text as the socket takes within 10 ms; false once the engine closed.
    bool SendSome(const std::string& text)
    {
        pollfd ready = {m_socket, POLLOUT, 0};
        if (poll(&ready, 1, 10) <= 0)
            return true;
        const ssize_t sent = send(m_socket, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        return sent >= 0 || errno == EAGAIN || errno == EWOULDBLOCK;
    }

    // Reads until what came holds the text at or after `from`; false at the
    // limit or when the engine closed the connection first.
    bool ReadUntil(const std::string& text, size_t from = 0)
    {
        const auto end = Clock::now() + kReplyLimit;
        while (m_received.find(text, from) == std::string::npos)
        {
            if (Clock::now() >= end)
                return false;
            pollfd ready = {m_socket, POLLIN, 0};
            if (poll(&ready, 1, 100) <= 0)
                continue;
            char buffer[4096];
            const ssize_t got = recv(m_socket, buffer, sizeof buffer, 0);
            if (got <= 0)
                return false;
            m_received.append(buffer, size_t(got));
        }
        return true;
    }

    void Close()
    {
        if (m_socket >= 0)
            close(m_socket);
        m_socket = -1;
    }

    const std::string& Received() const { return m_received; }

private:
    int m_socket = -1;
    std::string m_received;
};

// The first breakpoint command of the README's debugger example, as a person
// would type it; empty when there is none.
std::string ReadmeBreakpointCommand()
{
    std::istringstream readme(ReadWhole(fs::path(PENDREL_SOURCE_DIR) / "README.md"));
    for (std::string line; std::getline(readme, line);)
    {
        const size_t at = line.find_first_not_of(' ');
        if (at == 4 && line.compare(at, 3, "ab ") == 0)
            return line.substr(at, line.find(' ', at + 3) - at);
    }
    return "";
}

// The number of the line below the opening brace of the function declared
// by `declaration`, which starts a line.
int FirstLineOfFunction(const std::string& source, const std::string& declaration)
{
    const size_t at = source.find("\n" + declaration);
    if (at == std::string::npos)
        return -1;
    const int declarationLine = int(std::count(source.begin(), source.begin() + long(at) + 1, '\n')) + 1;
    return declarationLine + 2;
}

std::string Hex(int number)
{
    std::ostringstream text;
    text << std::hex << number;
    return text.str();
}

class DebuggerEndToEndTest : public EndToEndTest
{
protected:
    // The engine's standard output goes to a file: a flood of commands
    // prints a line for each.
    pid_t StartDebugged(bool clientReads = true)
    {
        const int port = FreeLoopbackPort();
        EXPECT_GT(port, 0);
        environment.emplace_back("PENDREL_SQDEBUG_PORT", std::to_string(port));
        fflush(stdout);
        const int saved = dup(1);
        const int output = open((root / "engine-output.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(output, 1);
        close(output);
        const pid_t child = Start({"-nosound", "-sqdebug"}, nullptr);
        dup2(saved, 1);
        close(saved);
        if (child > 0 && !m_client.Connect(port, child, clientReads))
            ADD_FAILURE() << "no debugger listened on " << port << "\n" << ReadWhole(Demo() / "tolvan.log");
        return child;
    }

    DebuggerClient m_client;
};
} // namespace

TEST_F(DebuggerEndToEndTest, AClientLeavingDuringABreakEndsTheProgramInOrderWithZero)
{
    const pid_t child = StartDebugged();
    ASSERT_GT(child, 0);
    if (HasFailure())
    {
        StopWithin(child, kQuitLimit);
        return;
    }
    // Ready, then suspend: the next line the scripts run breaks.
    ASSERT_TRUE(m_client.Send("rd\nsp\n"));
    // The whole break reply, up to its line end.
    const bool broke = m_client.ReadUntil("<break") && m_client.ReadUntil("\r\n", m_client.Received().find("<break"));
    m_client.Close();
    const int code = ExitWithin(child, kExitLimit);
    ASSERT_TRUE(broke) << m_client.Received() << "\n" << ReadWhole(Demo() / "tolvan.log");
    EXPECT_NE(m_client.Received().find("type=\"step\""), std::string::npos) << m_client.Received();
    EXPECT_EQ(code, 0) << ReadWhole(Demo() / "tolvan.log");
    const std::string log = ReadWhole(Demo() / "tolvan.log");
    EXPECT_NE(log.find("the client left during a break"), std::string::npos) << log;
}

TEST_F(DebuggerEndToEndTest, AClientLeavingBeforeReadyLetsTheGameRunWithoutIt)
{
    const pid_t child = StartDebugged();
    ASSERT_GT(child, 0);
    m_client.Close();
    const bool up = WaitForText(Demo() / "tolvan.log", "going on without it", kReplyLimit);
    EXPECT_EQ(StopWithin(child, kQuitLimit), 1);
    EXPECT_TRUE(up) << ReadWhole(Demo() / "tolvan.log");
}

// A client names the demo's script by a path, relative to the game's root
// (the README's example) or absolute as an editor sends it; the engine
// compiled it as "game.nut", and both breakpoints break there.
TEST_F(DebuggerEndToEndTest, BreakpointsGivenAsPathsBreakInTheDemosScript)
{
    const std::string readmeCommand = ReadmeBreakpointCommand();
    ASSERT_FALSE(readmeCommand.empty()) << "the README shows no breakpoint";
    const int readmeLine = int(std::stol(readmeCommand.substr(3), nullptr, 16));
    const fs::path script = Demo() / "data" / "game.nut";
    const int stepLine = FirstLineOfFunction(ReadWhole(script), "function GameStep(");
    ASSERT_GT(stepLine, 0);
    const pid_t child = StartDebugged();
    ASSERT_GT(child, 0);
    if (HasFailure())
    {
        StopWithin(child, kQuitLimit);
        return;
    }
    ASSERT_TRUE(m_client.Send(readmeCommand + "\nab " + Hex(stepLine) + ":" + script.string() + "\nrd\n"));
    const std::string readmeBreak = "<break line=\"" + std::to_string(readmeLine) + "\" src=\"game.nut\"";
    const std::string stepBreak = "<break line=\"" + std::to_string(stepLine) + "\" src=\"game.nut\"";
    const bool first = m_client.ReadUntil(readmeBreak) && m_client.Send("go\n");
    const bool second = first && m_client.ReadUntil(stepBreak, m_client.Received().find(readmeBreak));
    m_client.Close();
    const int code = ExitWithin(child, kExitLimit);
    const std::string& received = m_client.Received();
    EXPECT_TRUE(first) << readmeCommand << "\n" << received << "\n" << ReadWhole(Demo() / "tolvan.log");
    EXPECT_TRUE(second) << stepLine << "\n" << received;
    for (int line : {readmeLine, stepLine})
        EXPECT_NE(received.find("<addbreakpoint line=\"" + std::to_string(line) + "\" src=\"game.nut\"/>"),
                  std::string::npos)
            << received;
    EXPECT_EQ(code, 0) << ReadWhole(Demo() / "tolvan.log");
}

// A client that sends breakpoints and never reads what comes back, once the
// game draws: the engine drops it with one line and the frames go on.
TEST_F(DebuggerEndToEndTest, AClientThatNeverReadsIsDroppedAndTheFramesGoOn)
{
    const pid_t child = StartDebugged(false);
    ASSERT_GT(child, 0);
    if (HasFailure())
    {
        StopWithin(child, kQuitLimit);
        return;
    }
    ASSERT_TRUE(m_client.Send("rd\n"));
    const bool drawing = WaitForText(Demo() / "bin" / "tolvanGFX.log", "Using Vertex array objects", kStartLimit);
    std::string flood;
    for (int i = 0; i < 2000; ++i)
        flood += "ab 1:scripts/flood.nut\n";
    const fs::path log = Demo() / "tolvan.log";
    const auto end = Clock::now() + kReplyLimit;
    bool dropped = false;
    while (drawing && !dropped && Clock::now() < end)
        dropped = !m_client.SendSome(flood) || ReadWhole(log).find("replies unread") != std::string::npos;
    const bool said = WaitForText(log, "replies unread", kReplyLimit);
    const int code = StopWithin(child, kQuitLimit);
    ASSERT_TRUE(drawing) << ReadWhole(log);
    EXPECT_TRUE(said) << ReadWhole(log);
    EXPECT_EQ(code, 1) << "the quit asked after the drop was served\n" << ReadWhole(log);
    const std::string text = ReadWhole(log);
    size_t lines = 0;
    for (size_t at = text.find("Remote debugger:"); at != std::string::npos; at = text.find("Remote debugger:", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << text;
    EXPECT_NE(text.find("replies unread; dropped, the game goes on without it"), std::string::npos) << text;
}

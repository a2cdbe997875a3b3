#include "ScriptTestFixture.h"

#include "platform/Shell.h"
#include "script/ScriptDebugger.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace
{
// A generous bound for a reply that must come: only a broken debugger waits it out.
constexpr auto kReplyBound = std::chrono::seconds(60);

// A debugger client on the loopback: a thread reads reply lines; at every
// break it answers with the next of its commands.
class TestClient
{
public:
    ~TestClient() { Close(); }

    // A client that does not read takes the smallest receive buffer, so the
    // replies pile up in the debugger soon.
    bool Connect(int port, bool reads = true)
    {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        const int smallest = 1;
        if (!reads)
            setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
        sockaddr_in where = {};
        where.sin_family = AF_INET;
        where.sin_port = htons(uint16_t(port));
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(m_socket, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0)
            return false;
        if (reads)
            m_reader = std::thread([this] { Read(); });
        return true;
    }

    // As much of the text as the socket takes now; false once the debugger closed.
    bool SendWithoutWaiting(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        const ssize_t sent = send(m_socket, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        return sent >= 0 || errno == EAGAIN || errno == EWOULDBLOCK;
    }

    // Sends the whole text and waits until the debugger's side holds all of
    // it: nothing is left in flight for an update to wait for.
    bool SendAndWaitUntilTaken(const std::string& text)
    {
        Send(text);
        const auto end = std::chrono::steady_clock::now() + kReplyBound;
        int unacknowledged = 0;
        while (ioctl(m_socket, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged > 0 &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return unacknowledged == 0;
    }

    // Resets the connection, which frees a debugger stuck in a blocking
    // send; for a client that does not read (no reader thread holds the socket).
    void HangUp()
    {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        const linger reset = {1, 0};
        setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        close(m_socket);
        m_socket = -1;
    }

    void Send(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        if (m_socket >= 0)
            send(m_socket, text.data(), text.size(), MSG_NOSIGNAL);
    }

    // Commands to send, one at each break; "close" hangs up instead.
    void AnswerBreaks(std::vector<std::string> commands)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answers = std::move(commands);
    }

    bool WaitForLines(size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, kReplyBound, [&] { return m_lines.size() >= count || m_closed; }) &&
               m_lines.size() >= count;
    }

    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

    void Close()
    {
        if (m_socket >= 0)
            shutdown(m_socket, SHUT_RDWR);
        if (m_reader.joinable())
            m_reader.join();
        if (m_socket >= 0)
            close(m_socket);
        m_socket = -1;
    }

private:
    void Read()
    {
        std::string pending;
        char bytes[4096];
        for (;;)
        {
            const ssize_t got = recv(m_socket, bytes, sizeof bytes, 0);
            if (got <= 0)
                break;
            pending.append(bytes, size_t(got));
            for (size_t end; (end = pending.find("\r\n")) != std::string::npos;)
            {
                OnLine(pending.substr(0, end));
                pending.erase(0, end + 2);
            }
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }

    void OnLine(const std::string& line)
    {
        std::string answer;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(line);
            if (line.rfind("<break line=", 0) == 0 && m_nextAnswer < m_answers.size())
                answer = m_answers[m_nextAnswer++];
            m_changed.notify_all();
        }
        if (answer == "close")
            shutdown(m_socket, SHUT_RDWR);
        else if (!answer.empty())
            Send(answer + "\n");
    }

    int m_socket = -1;
    std::thread m_reader;
    std::mutex m_mutex, m_sendMutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_answers;
    size_t m_nextAnswer = 0;
    bool m_closed = false;
};

bool NeverStop()
{
    return false;
}

// Standard output to /dev/null for the scope: a flood of commands prints a
// line for each.
class SilencedStdout
{
public:
    SilencedStdout()
    {
        fflush(stdout);
        m_saved = dup(1);
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, 1);
        close(nowhere);
    }
    ~SilencedStdout()
    {
        fflush(stdout);
        dup2(m_saved, 1);
        close(m_saved);
    }

private:
    int m_saved;
};

// Hangs the client up once the limit passes unless the test ends first: a
// debugger that blocks on a client that never reads is freed, and the test
// fails on what it then sees instead of hanging.
class HangUpAfter
{
public:
    HangUpAfter(TestClient& client, std::chrono::seconds limit)
        : m_thread([this, &client, limit] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_changed.wait_for(lock, limit, [this] { return m_done; }))
                  client.HangUp();
          })
    {
    }
    ~HangUpAfter()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    std::thread m_thread;
};

size_t CountOf(const std::vector<std::string>& lines, const std::string& part)
{
    return size_t(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

std::string Attribute(const std::string& line, const std::string& name)
{
    const std::string key = " " + name + "=\"";
    const size_t at = line.find(key);
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size();
    return line.substr(start, line.find('"', start) - start);
}

const char kStepScript[] = "function Inner(x) {\n"  // 1
                           "    local y = x + 1;\n" // 2
                           "    return y;\n"        // 3
                           "}\n"                    // 4
                           "function Outer() {\n"   // 5
                           "    local a = Inner(1);\n"
                           "    local b = a + 1;\n" // 7
                           "    return b;\n"        // 8
                           "}\n"                    // 9
                           "result <- Outer();\n"   // 10
                           "done <- 1;\n";          // 11

// A debugger on an ephemeral port over the host's VM, run in a temporary
// working folder that holds our serializer.
class ScriptDebuggerTest : public ScriptTest
{
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        char folder[4096];
        ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
        m_previousFolder = folder;
        ASSERT_EQ(chdir(dir.Path().c_str()), 0);
        ScriptDebuggerSetStopWaiting(NeverStop);
        sq_enabledebuginfo(vm(), SQTrue);
    }

    void TearDown() override
    {
        m_client->Close();
        ScriptDebugger_Shutdown(m_debugger);
        ScriptDebuggerSetStopWaiting(MessagePump);
        EXPECT_EQ(chdir(m_previousFolder.c_str()), 0);
        ScriptTest::TearDown();
    }

    void UseSerializer()
    {
        std::ifstream file(std::string(PENDREL_SOURCE_DIR) + "/demo/bin/" + kDebuggerSerializerFile);
        std::stringstream text;
        text << file.rdbuf();
        ASSERT_FALSE(text.str().empty());
        ASSERT_LT(text.str().size(), kDebuggerSerializerMax);
        ASSERT_TRUE(dir.WriteFile(kDebuggerSerializerFile, text.str()));
    }

    // Creates the debugger, connects, sends the commands and "rd", and waits
    // until the debugger has taken the client.
    void Attach(const std::string& commands, bool clientReads = true)
    {
        m_debugger = ScriptDebugger_Init(vm(), 0, true);
        ASSERT_NE(m_debugger, nullptr);
        ASSERT_GT(m_debugger->Port(), 0);
        ASSERT_TRUE(m_client->Connect(m_debugger->Port(), clientReads));
        m_client->Send(commands + "rd\n");
        ASSERT_EQ(m_debugger->WaitForConnections(), 0);
    }

    void RunSource(const char* source, const char* name)
    {
        ScriptRunString(vm(), source, SQInteger(strlen(source)), name);
    }

    std::vector<std::string> Breaks()
    {
        std::vector<std::string> breaks;
        for (const std::string& line : m_client->Lines())
            if (line.rfind("<break line=", 0) == 0)
                breaks.push_back(line);
        return breaks;
    }

    ScriptDebugger* m_debugger = nullptr;
    std::unique_ptr<TestClient> m_client = std::make_unique<TestClient>();
    std::string m_previousFolder;
};

TEST_F(ScriptDebuggerTest, TheReadyHandshakeAndABreakpointUnderTheWorkingFolder)
{
    std::string folder = dir.Path();
    std::transform(folder.begin(), folder.end(), folder.begin(), [](unsigned char c) { return std::toupper(c); });
    Attach("ab 1a:" + folder + "/scripts/game.nut\n");
    EXPECT_TRUE(m_debugger->Ready());
    ASSERT_TRUE(m_client->WaitForLines(1));
    EXPECT_EQ(m_client->Lines()[0], "<addbreakpoint line=\"26\" src=\"scripts/game.nut\"/>");
    ASSERT_EQ(m_debugger->BreakPoints().size(), 1u);
    EXPECT_EQ(m_debugger->BreakPoints().begin()->source, "scripts/game.nut");

    m_client->Send("rb 1b:scripts/game.nut\nrb 1a:SCRIPTS\\GAME.NUT\n");
    ASSERT_TRUE(m_client->WaitForLines(1)); // the debugger answers only when it reads
    while (m_debugger->Update() == 0 && !m_debugger->BreakPoints().empty())
        ;
    ASSERT_TRUE(m_client->WaitForLines(3));
    EXPECT_EQ(m_client->Lines()[1], "<break desc=\"the breakpoint doesn&apos;t exists\"/>");
    EXPECT_EQ(m_client->Lines()[2], "<removebreakpoint line=\"26\" src=\"SCRIPTS\\GAME.NUT\"/>");
}

TEST_F(ScriptDebuggerTest, ABreakpointHitSendsTheStackLocalsAndWatches)
{
    UseSerializer();
    Attach("ab 6:data/scripts/step.nut\naw 1:a + 40\naw 2:missing + 1\n");
    m_client->AnswerBreaks({"go"});
    RunSource("function Outer() {\n local t = { k = \"<v>\" }; local p = Spot();\n local a = 2;\n t.self <- t;\n"
              " local b = a;\n delete t.self;\n return b;\n}\nclass Spot { x = 7 }\nOuter();\n",
              "scripts/step.nut");
    ASSERT_TRUE(m_client->WaitForLines(3));
    const std::vector<std::string> breaks = Breaks();
    ASSERT_EQ(breaks.size(), 1u);
    const std::string& line = breaks[0];
    EXPECT_EQ(line.rfind("<break line=\"6\" src=\"scripts/step.nut\" type=\"step\"><calls>"
                         "<call fnc=\"Outer\" src=\"scripts/step.nut\" line=\"6\">",
                         0),
              0u)
        << line;
    EXPECT_NE(line.find("<l name=\"a\" type=\"integer\" val=\"2\"/>"), std::string::npos) << line;
    EXPECT_NE(line.find("<l name=\"k\" type=\"string\" val=\"&lt;v&gt;\"/>"), std::string::npos) << line;
    EXPECT_NE(line.find("<l name=\"self\" type=\"table\"/>"), std::string::npos) << "cycle guard: " << line;
    EXPECT_NE(line.find("<l name=\"x\" type=\"integer\" val=\"7\"/>"), std::string::npos) << "instance field: " << line;
    EXPECT_NE(line.find("<w id=\"1\" exp=\"a + 40\" type=\"integer\" val=\"42\"/>"), std::string::npos) << line;
    EXPECT_NE(line.find("<w id=\"2\" exp=\"missing + 1\" error="), std::string::npos) << line;
    EXPECT_EQ(line.find("_sqdbg_"), std::string::npos) << "the hook's frame is skipped: " << line;
    EXPECT_EQ(line.find("SERIALIZE_STATE"), std::string::npos) << line;
    EXPECT_NE(line.find("</call><call fnc=\"main\""), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 16), "</calls></break>");
    EXPECT_EQ(m_client->Lines().back(), "<resumed/>");
}

TEST_F(ScriptDebuggerTest, SteppingFromACallBreaksWhereEachCommandLeads)
{
    const struct
    {
        const char* command;
        const char* nextLine;
    } cases[] = {{"so", "7"}, {"si", "2"}, {"sr", "11"}};
    for (const auto& c : cases)
    {
        Attach("ab 6:data/scripts/step.nut\n");
        m_client->AnswerBreaks({c.command, "go"});
        RunSource(kStepScript, "scripts/step.nut");
        EXPECT_TRUE(m_client->WaitForLines(4)) << c.command;
        const std::vector<std::string> breaks = Breaks();
        ASSERT_EQ(breaks.size(), 2u) << c.command;
        EXPECT_EQ(Attribute(breaks[0], "line"), "6");
        EXPECT_EQ(Attribute(breaks[1], "line"), c.nextLine) << c.command;
        EXPECT_EQ(GlobalInt("done"), 1);
        m_client = std::make_unique<TestClient>();
        ScriptDebugger_Shutdown(m_debugger);
        m_debugger = nullptr;
    }
}

TEST_F(ScriptDebuggerTest, GoWhileRunningSendsNothingAndStepsWhileRunningChangeNothing)
{
    Attach("go\nso\nsi\nsr\n");
    EXPECT_EQ(m_debugger->State(), kDebuggerRunning);
    m_client->Send("sp\n");
    while (m_debugger->State() == kDebuggerRunning && m_debugger->Update() == 0)
        ;
    EXPECT_EQ(m_debugger->State(), kDebuggerSuspended);
    m_client->Send("go\n");
    while (m_debugger->State() == kDebuggerSuspended && m_debugger->Update() == 0)
        ;
    ASSERT_TRUE(m_client->WaitForLines(1));
    EXPECT_EQ(m_client->Lines(), std::vector<std::string>{"<resumed/>"});
}

TEST_F(ScriptDebuggerTest, ARunTimeErrorBreaksWithItsEscapedText)
{
    Attach("");
    m_client->AnswerBreaks({"go"});
    RunSource("function Fail() {\n throw \"bad \\\"x\\\" <\\n\";\n}\nFail();\n", "scripts/fail.nut");
    ASSERT_TRUE(m_client->WaitForLines(2));
    const std::vector<std::string> breaks = Breaks();
    ASSERT_EQ(breaks.size(), 1u);
    EXPECT_EQ(breaks[0], "<break line=\"2\" src=\"scripts/fail.nut\" type=\"error\" "
                         "error=\"bad &quot;x&quot; &lt;&quot;n\"/>");
}

TEST(ScriptDebuggerText, Escapes)
{
    const struct
    {
        const char* text;
        const char* escaped;
    } cases[] = {{"plain", "plain"},       {"<a>", "&lt;a&gt;"},     {"a & b", "a &amp; b"},
                 {"it's", "it&apos;s"},   {"\"q\"", "&quot;q&quot;"}, {"1\n2\r", "1&quot;n2&quot;r"},
                 {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(DebuggerEscape(c.text), c.escaped) << c.text;
}

TEST(ScriptDebuggerText, BreakpointOrderIsStrictAndLookupTakesPrefixes)
{
    BreakPointLess less;
    const BreakPoint a{3, "scripts/a.nut"}, upper{3, "SCRIPTS\\A.NUT"}, prefix{3, "scripts/a"}, later{4, "a"};
    EXPECT_FALSE(less(a, upper));
    EXPECT_FALSE(less(upper, a));
    EXPECT_TRUE(less(prefix, a)); // distinct entries in the set
    EXPECT_FALSE(less(a, prefix));
    EXPECT_TRUE(less(a, later));
    EXPECT_FALSE(SourceNameLess("scripts/a", "scripts/a.nut"));
    EXPECT_FALSE(SourceNameLess("scripts/a.nut", "scripts/a"));
    EXPECT_TRUE(SourceNameLess("a.nut", "b.nut"));
}

// The game compiles its scripts under their names below data/ ("game.nut",
// "levels/a.nut") and runs in bin/ beside it: a client's path relative to
// the game's root or absolute must come down to that name.
TEST(ScriptDebuggerText, BreakpointSourcesLoseTheSharedFolderAndTheFirstFolderAfterIt)
{
    const struct
    {
        const char* source;
        const char* folder;
        const char* stored;
    } normalised[] = {
        {"scripts/game.nut", "/home/ann/demo/bin", "game.nut"},
        {"/home/ann/demo/data/game.nut", "/home/ann/demo/bin", "game.nut"},
        {"/Home/Ann/Demo/data/levels/a.nut", "/home/ann/demo/bin", "levels/a.nut"},
        {"data/levels/a.nut", "/home/ann/demo/bin", "levels/a.nut"},
        {"/home/ann/demo/bin/x.nut", "/home/ann/demo/bin", "x.nut"},
        {"c:/work/scripts/game.nut", "c:\\work", "scripts/game.nut"},
        {"/Work/Game/scripts/x.nut", "/work/game", "scripts/x.nut"},
        {"/work/gamer/x.nut", "/work/game", "x.nut"},
        {"/other/x.nut", "/work/game", "x.nut"},
        {"x.nut", "/work/game", "x.nut"},
        {"SCRIPTS\\GAME.NUT", "/work/game", "SCRIPTS\\GAME.NUT"},
        {"game.nut", "", "game.nut"},
        {"", "/work/game", ""},
    };
    for (const auto& n : normalised)
        EXPECT_EQ(DebuggerNormaliseSource(n.source, n.folder), n.stored) << n.source << " from " << n.folder;
}

TEST_F(ScriptDebuggerTest, ElementsCloseChildlessNestAtMostTenAndCutNames)
{
    Attach("");
    const std::string longName(300, 'n');
    EXPECT_TRUE(m_debugger->BeginElement("a"));
    EXPECT_TRUE(m_debugger->EndElement("a"));
    m_debugger->Send("\r\n");
    for (int i = 0; i < kDebuggerElementDepth; ++i)
        EXPECT_TRUE(m_debugger->BeginElement(i == 1 ? longName.c_str() : "e"));
    EXPECT_FALSE(m_debugger->BeginElement("eleventh"));
    for (int i = kDebuggerElementDepth; i-- > 0;)
        EXPECT_TRUE(m_debugger->EndElement(i == 1 ? longName.c_str() : "e"));
    EXPECT_FALSE(m_debugger->EndElement("none open"));
    m_debugger->Send("\r\n");
    ASSERT_TRUE(m_client->WaitForLines(2));
    EXPECT_EQ(m_client->Lines()[0], "<a/>");
    const std::string nested = m_client->Lines()[1];
    EXPECT_EQ(nested.find("eleventh"), std::string::npos);
    EXPECT_NE(nested.find("<" + longName.substr(0, kDebuggerElementName) + "><e"), std::string::npos);
    EXPECT_EQ(nested.find(longName.substr(0, kDebuggerElementName + 1)), std::string::npos);
}

TEST_F(ScriptDebuggerTest, ALineSplitAcrossUpdatesIsKeptAndAnOverlongLineDropped)
{
    Attach("");
    m_debugger->Receive("ab 5:scr", 8);
    EXPECT_TRUE(m_debugger->BreakPoints().empty());
    m_debugger->Receive("ipts/a.nut\r\n", 12);
    ASSERT_EQ(m_debugger->BreakPoints().size(), 1u);
    const std::string overlong = "ab 6:" + std::string(kDebuggerLineMax, 'x') + "\nab 7:b.nut\n";
    m_debugger->Receive(overlong.data(), overlong.size());
    ASSERT_EQ(m_debugger->BreakPoints().size(), 2u);
    EXPECT_EQ(m_debugger->BreakPoints().rbegin()->line, 7);
    EXPECT_TRUE(ReportsContain("dropped"));
}

TEST_F(ScriptDebuggerTest, CommandsOfBytesPastAsciiAreUnknownAndTheNextLineStillReads)
{
    Attach("");
    for (const char* line : {"\xe1" "b 5:scripts/a.nut\n", "a\xe2 5:scripts/a.nut\n", "\xff\xff\n"})
        m_debugger->Receive(line, strlen(line));
    EXPECT_TRUE(m_debugger->BreakPoints().empty());
    m_debugger->Receive("ab 5:scripts/a.nut\n", 19);
    EXPECT_EQ(m_debugger->BreakPoints().size(), 1u);
}

TEST_F(ScriptDebuggerTest, AClientThatLeavesBeforeReadyEndsTheWait)
{
    m_debugger = ScriptDebugger_Init(vm(), 0, true);
    ASSERT_NE(m_debugger, nullptr);
    ASSERT_TRUE(m_client->Connect(m_debugger->Port()));
    m_client->Send("ab 1:x.nut\n");
    m_client->Close();
    EXPECT_LT(m_debugger->WaitForConnections(), 0);
    EXPECT_FALSE(m_debugger->Ready());
}

// Start-up goes on without a debugger whose client left: the scripts that
// run next must not reach the one deleted.
TEST_F(ScriptDebuggerTest, ADebuggerShutDownLeavesNoHookBehind)
{
    m_debugger = ScriptDebugger_Init(vm(), 0, true);
    ASSERT_NE(m_debugger, nullptr);
    ASSERT_TRUE(m_client->Connect(m_debugger->Port()));
    m_client->Close();
    EXPECT_LT(m_debugger->WaitForConnections(), 0);
    ScriptDebugger_Shutdown(m_debugger);
    m_debugger = nullptr;
    RunSource("local a = 1;\nreached <- a + 1;\n", "scripts/after.nut");
    EXPECT_EQ(GlobalInt("reached"), 2);
    ClearReports();
    RunSource("local t = {};\nt.missing += 1;\n", "scripts/broken.nut");
    EXPECT_TRUE(ReportsContain("Squirrel error")) << "the host's handler reports again";
}

TEST_F(ScriptDebuggerTest, ADisconnectInABreakDetachesAndAsksToQuit)
{
    Attach("ab 2:data/scripts/d.nut\n");
    m_client->AnswerBreaks({"close"});
    ShellResetQuit();
    RunSource("local a = 1;\nlocal b = 2;\nreached <- a + b;\n", "scripts/d.nut");
    EXPECT_EQ(GlobalInt("reached"), 3) << "the script goes on after the break";
    EXPECT_EQ(m_debugger->State(), kDebuggerDisabled);
    EXPECT_FALSE(m_debugger->Attached());
    EXPECT_TRUE(MessagePump());
    ShellResetQuit();
}

TEST(ScriptDebuggerPort, TheVariableNamesTheListenPortWhenItIsOne)
{
    const struct
    {
        const char* value; // null: unset
        int port;
        bool reported;
    } cases[] = {
        {nullptr, kDebuggerPort, false}, {"", kDebuggerPort, false},     {"4321", 4321, false},
        {"65535", 65535, false},         {"0", kDebuggerPort, true},      {"65536", kDebuggerPort, true},
        {"-5", kDebuggerPort, true},     {"12ab", kDebuggerPort, true},   {"99999999999999999999", kDebuggerPort, true},
    };
    for (const auto& c : cases)
    {
        if (c.value)
            setenv(kDebuggerPortVariable, c.value, 1);
        else
            unsetenv(kDebuggerPortVariable);
        LogCapture log;
        EXPECT_EQ(DebuggerListenPort(), c.port) << (c.value ? c.value : "unset");
        EXPECT_EQ(!log.Empty(), c.reported) << (c.value ? c.value : "unset");
    }
    unsetenv(kDebuggerPortVariable);
}

TEST_F(ScriptDebuggerTest, ADisconnectWhileRunningDetachesOnce)
{
    Attach("");
    m_client->Close();
    m_debugger->LastPoll() = 0;
    RunSource("local n = 0;\nfor (local i = 0; i < 20000; i += 1)\n n += 1;\ncount <- n;\n", "scripts/r.nut");
    EXPECT_EQ(GlobalInt("count"), 20000);
    EXPECT_EQ(m_debugger->State(), kDebuggerDisabled);
    EXPECT_TRUE(m_debugger->SocketFailureRaised());
}

TEST_F(ScriptDebuggerTest, WithoutASerializerABreakSendsItsAttributesOnly)
{
    Attach("ab 1:data/scripts/s.nut\n");
    m_client->AnswerBreaks({"go"});
    RunSource("s <- 1;\n", "scripts/s.nut");
    ASSERT_TRUE(m_client->WaitForLines(3));
    EXPECT_EQ(Breaks(), std::vector<std::string>{"<break line=\"1\" src=\"scripts/s.nut\" type=\"step\"/>"});
    EXPECT_TRUE(ReportsContain("no serializer"));
}
} // namespace

namespace
{
// The client sends breakpoints frame after frame and never reads a reply:
// each frame still runs its script, the client is dropped once its replies
// pass the bound, and that is said once.
TEST_F(ScriptDebuggerTest, AClientThatNeverReadsIsDroppedOnceAndTheFramesGoOn)
{
    Attach("", false);
    LogCapture log;
    std::string flood;
    for (int i = 0; i < 2000; ++i)
        flood += "ab 1:scripts/flood.nut\n";
    RunSource("frames <- 0;\n", "scripts/frame.nut");
    int frames = 0;
    {
        SilencedStdout quiet;
        HangUpAfter watchdog(*m_client, kReplyBound);
        for (; frames < 5000 && m_debugger->Attached(); ++frames)
        {
            m_client->SendWithoutWaiting(flood);
            m_debugger->LastPoll() = 0;
            RunSource("frames += 1;\n", "scripts/frame.nut");
        }
    }
    EXPECT_FALSE(m_debugger->Attached());
    EXPECT_GT(m_debugger->UnreadAtDrop(), kDebuggerQueueMax);
    EXPECT_EQ(GlobalInt("frames"), frames) << "every frame ran its script";
    EXPECT_EQ(CountOf(log.Lines(), "Remote debugger:"), 1u) << log.Text();
    EXPECT_TRUE(log.Contains("bytes of replies unread; dropped, the game goes on without it")) << log.Text();
    EXPECT_FALSE(log.Contains("Squirrel error")) << "the drop raises nothing in the script: " << log.Text();

    RunSource("frames += 1;\n", "scripts/frame.nut");
    EXPECT_EQ(GlobalInt("frames"), frames + 1);
    EXPECT_EQ(CountOf(log.Lines(), "Remote debugger:"), 1u) << log.Text();
}

// A break whose reply alone passes the bound, to a client that never reads:
// the client is dropped, which ends the session as a client that left
// during the break does.
TEST_F(ScriptDebuggerTest, AClientDroppedDuringABreakEndsTheSessionAsALeavingOneDoes)
{
    Attach("", false);
    LogCapture log;
    ShellResetQuit();
    {
        SilencedStdout quiet;
        HangUpAfter watchdog(*m_client, kReplyBound);
        // Each '<' goes out as four bytes: the error text makes a reply of 8 MiB.
        RunSource("local s = \"<\";\nwhile (s.len() < 2000000)\n s += s;\nthrow s;\n", "scripts/big.nut");
    }
    EXPECT_EQ(m_debugger->State(), kDebuggerDisabled);
    EXPECT_GT(m_debugger->UnreadAtDrop(), kDebuggerQueueMax);
    EXPECT_EQ(CountOf(log.Lines(), "Remote debugger:"), 1u) << log.Text();
    EXPECT_TRUE(log.Contains("bytes of replies unread during a break; dropped, quitting")) << log.Text();
    EXPECT_TRUE(MessagePump()) << "the process is asked to end";
    ShellResetQuit();
}

// More commands at once than one update reads: the update reads its share
// and returns, and the next updates read the rest.
TEST_F(ScriptDebuggerTest, OneUpdateReadsABoundedShareOfWhatWaits)
{
    Attach("");
    std::string commands;
    size_t count = 0;
    char line[32];
    while (commands.size() < 3 * kDebuggerReadPerUpdate)
    {
        snprintf(line, sizeof line, "aw %zx:x\n", ++count);
        commands += line;
    }
    ASSERT_TRUE(m_client->SendAndWaitUntilTaken(commands));
    SilencedStdout quiet;
    EXPECT_EQ(m_debugger->Update(), 0);
    EXPECT_GT(m_debugger->Watches().size(), 0u);
    EXPECT_LT(m_debugger->Watches().size(), count);
    while (m_debugger->Watches().size() < count && m_debugger->Update() == 0)
        ;
    EXPECT_EQ(m_debugger->Watches().size(), count);
}
} // namespace

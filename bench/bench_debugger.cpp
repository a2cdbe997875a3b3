// The remote debugger's cost: bench/scripts' loop and fib (made smaller)
// with an attached, running debugger and no breakpoints, against the same
// scripts without one; and a break round trip ("so" to the next break's
// reply) against a plain TCP echo round trip on the loopback.

#include "script/ScriptDebugger.h"
#include "script/ScriptHost.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace
{
std::string Script(const char* name, const char* from, const char* to)
{
    std::ifstream in(std::string(PENDREL_BENCH_SCRIPTS) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string source = text.str();
    const size_t at = source.find(from);
    if (at != std::string::npos)
        source.replace(at, strlen(from), to);
    return source;
}

int Connect(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(uint16_t(port));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0)
    {
        close(fd);
        return -1;
    }
    return fd;
}

// The VM, with a debugger attached when asked, and a client that said "rd".
struct Session
{
    explicit Session(bool attached)
    {
        ScriptInit(false, nullptr);
        if (!attached)
            return;
        sq_enabledebuginfo(ScriptGetVM(), SQTrue);
        debugger = ScriptDebugger_Init(ScriptGetVM(), 0, true);
        client = debugger ? Connect(debugger->Port()) : -1;
        if (client >= 0)
            send(client, "rd\n", 3, MSG_NOSIGNAL);
        if (client < 0 || debugger->WaitForConnections() != 0)
            failed = true;
    }
    ~Session()
    {
        ScriptDebugger_Shutdown(debugger);
        if (client >= 0)
            close(client);
        ScriptShutdown();
    }
    ScriptDebugger* debugger = nullptr;
    int client = -1;
    bool failed = false;
};

void RunScript(benchmark::State& state, const std::string& source)
{
    Session session(state.range(0) != 0);
    if (session.failed)
    {
        state.SkipWithError("no debugger");
        return;
    }
    for (auto _ : state)
        ScriptRunString(ScriptGetVM(), source.c_str(), SQInteger(source.size()), "bench");
    state.SetLabel(state.range(0) ? "debugger attached" : "plain");
}

void BM_Loop(benchmark::State& state)
{
    RunScript(state, Script("loop.nut", "10000000", "100000"));
}
BENCHMARK(BM_Loop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Fib(benchmark::State& state)
{
    RunScript(state, Script("fib.nut", "fib(32)", "fib(22)"));
}
BENCHMARK(BM_Fib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every line breaks; the client answers each break with "so".
void BM_BreakRoundTrip(benchmark::State& state)
{
    Session session(true);
    if (session.failed)
    {
        state.SkipWithError("no debugger");
        return;
    }
    std::atomic<bool> stop{false};
    std::atomic<int64_t> breaks{0};
    std::thread answer([&] {
        // A reply comes in pieces: answer whole lines only.
        std::string pending;
        char bytes[4096];
        while (!stop)
        {
            const ssize_t got = recv(session.client, bytes, sizeof bytes, 0);
            if (got <= 0)
                break;
            pending.append(bytes, size_t(got));
            for (size_t end; (end = pending.find("\r\n")) != std::string::npos; pending.erase(0, end + 2))
            {
                if (pending.compare(0, 6, "<break") != 0)
                    continue;
                ++breaks;
                send(session.client, "so\n", 3, MSG_NOSIGNAL);
            }
        }
    });
    send(session.client, "sp\n", 3, MSG_NOSIGNAL);
    const std::string source = "local n = 0;\nfor (local i = 0; i < 10; i += 1)\n{\n n += i;\n}\n";
    for (auto _ : state)
        ScriptRunString(ScriptGetVM(), source.c_str(), SQInteger(source.size()), "bench");
    stop = true;
    send(session.client, "di\n", 3, MSG_NOSIGNAL);
    shutdown(session.client, SHUT_RDWR);
    answer.join();
    state.SetItemsProcessed(breaks.load());
}
BENCHMARK(BM_BreakRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TcpEchoRoundTrip(benchmark::State& state)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof where;
    bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&where), &size);
    std::thread echo([&] {
        const int peer = accept(listener, nullptr, nullptr);
        char byte;
        while (recv(peer, &byte, 1, 0) == 1)
            send(peer, &byte, 1, MSG_NOSIGNAL);
        close(peer);
    });
    const int client = Connect(ntohs(where.sin_port));
    char byte = 'x';
    for (auto _ : state)
    {
        send(client, &byte, 1, MSG_NOSIGNAL);
        recv(client, &byte, 1, 0);
    }
    shutdown(client, SHUT_RDWR);
    echo.join();
    close(client);
    close(listener);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TcpEchoRoundTrip)->UseRealTime();
} // namespace

BENCHMARK_MAIN();

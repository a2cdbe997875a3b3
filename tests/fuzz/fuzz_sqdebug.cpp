// The remote debugger with a client: the input is what the client sends
// with its breakpoints, read before "rd" and while a fixed script runs and
// stops at those breakpoints, so breaks, steps and the serializer's view of locals,
// tables, arrays, classes and watches are all reached. Commands first reach
// the line assembler and parser as bytes with no client at all.
#include "FuzzSquirrel.h"
#include "FuzzTarget.h"

#include "platform/Shell.h"
#include "script/ScriptDebugger.h"
#include "script/ScriptHost.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
// The script the breakpoints stop in; its lines are counted from 1.
constexpr char kScript[] = "local numbers = [1, 2.5, \"three\", null, true];\n" // 1
                           "local table = {name = \"t\", inner = {deep = [numbers]}};\n"
                           "class Thing { value = 3; function Twice(n) { return value * n; } }\n"
                           "function Walk(depth, list)\n"
                           "{\n" // 5
                           "    local sum = 0;\n"
                           "    foreach (item in list)\n"
                           "        sum += typeof item == \"integer\" ? item : 1;\n"
                           "    if (depth > 0)\n"
                           "        sum += Walk(depth - 1, list);\n" // 10
                           "    return sum;\n"
                           "}\n"
                           "local thing = Thing();\n"
                           "local total = Walk(3, numbers) + thing.Twice(2);\n"
                           "table.total <- total;\n"; // 15
constexpr char kSource[] = "fuzz.nut";
const std::string kBreakPoints = "ab 8:fuzz.nut\nab e:fuzz.nut\naw 1:total\n";
// Under what one update reads, so the break loop never waits for more.
constexpr size_t kMaxInput = 8 << 10;

bool NeverStop()
{
    return false;
}

// The serializer the demo ships, in a folder of this process's own that becomes the working folder.
bool EnterSerializerFolder()
{
    std::ifstream file(std::string(PENDREL_SOURCE_DIR) + "/demo/bin/" + kDebuggerSerializerFile);
    std::stringstream text;
    text << file.rdbuf();
    const std::string& folder = FuzzFreshFolder();
    return !text.str().empty() &&
           FuzzWriteFile(folder, kDebuggerSerializerFile, text.str().data(), text.str().size()) &&
           chdir(folder.c_str()) == 0;
}

// Watches are compiled and run: one that could loop or call would make the input a hang, not a finding.
bool IsSafeWatchLine(const std::string& line)
{
    return line.compare(0, 2, "aw") != 0 || line.find_first_of("(){}") == std::string::npos;
}

std::string SafeCommands(const uint8_t* data, size_t size)
{
    std::string commands;
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; std::getline(lines, line);)
        if (IsSafeWatchLine(line))
            commands += line + '\n';
    return commands;
}

int ConnectClient(int port)
{
    const int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (client >= 0 && connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    {
        close(client);
        return -1;
    }
    return client;
}

bool SendAll(int client, const std::string& bytes)
{
    return send(client, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
}

// The commands go once before "rd", read while the debugger waits for its client, and once more with
// the end of the client's writing after it: the first break reads them and, at their end, ends as a
// client that left does.
void RunWithClient(HSQUIRRELVM vm, const std::string& commands)
{
    ScriptDebugger* debugger = ScriptDebugger_Init(vm, 0, false);
    if (!debugger)
        return;
    const int client = ConnectClient(debugger->Port());
    if (client >= 0 && SendAll(client, kBreakPoints + commands + "rd\n") && debugger->WaitForConnections() == 0 &&
        SendAll(client, commands) && shutdown(client, SHUT_WR) == 0)
    {
        debugger->EnableDebugHooks();
        ScriptRunString(vm, kScript, SQInteger(sizeof kScript - 1), kSource);
    }
    ScriptDebugger_Shutdown(debugger);
    if (client >= 0)
        close(client);
    ShellResetQuit();
}
} // namespace

FUZZ_TARGET(sqdebug)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    static const bool entered = EnterSerializerFolder();
    if (!entered || size > kMaxInput)
        return 0;
    HSQUIRRELVM vm = FuzzSharedVm();
    {
        ScriptDebugger debugger(vm, false);
        debugger.Receive(reinterpret_cast<const char*>(data), size);
    }
    ScriptDebuggerSetStopWaiting(NeverStop);
    sq_enabledebuginfo(vm, SQTrue);
    RunWithClient(vm, SafeCommands(data, size));
    return 0;
}

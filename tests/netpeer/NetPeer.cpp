// A host or client of a network game with nothing but the network layer: it
// joins (a client) or hosts, runs the lock-step on the wall clock, sends an
// input for every released step to every other node, and logs what it sees,
// one line each, to the file it is given:
//   release K            this node released step K
//   input FROM K VALUE   a node's input for step K arrived
//   join ID / leave ID / sorry / granted ID
// Usage: pendrel_netpeer host|client LOG [options]
//   --host NAME          (client) the host's user name
//   --clients A,B,...    (host) the users whose connections it makes, as a lobby would
//   --max-nodes N        (host) default 4
//   --start-at N         (host) start the lock-step once N nodes are in the game
//   --last-release K     stop stepping after release K (default 200)
//   --seconds S          give up after S seconds (default 90), exit 3
//   --quit-on-input N    quit the game inside the Nth input callback
//   --reset-on-leave     reset the connections inside the disconnect callback

#include "core/Clock.h"
#include "core/LogError.h"
#include "online/ConnectionMaker.h"
#include "online/ConnectionManager.h"
#include "online/DataPacker.h"
#include "online/NetworkCommunicator.h"
#include "online/PlatformServices.h"
#include "online/ScriptPacket.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/StorefrontUser.h"
#include "script/ScriptBinding.h"
#include "script/ScriptHost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace
{
constexpr float kFixedStep = 1.0f / 30.0f;

struct Options
{
    bool host = false;
    std::string log;
    std::string hostName;
    std::vector<std::string> clients;
    int maxNodes = 4;
    int startAt = 1;
    int lastRelease = 200;
    int seconds = 90;
    int quitOnInput = -1;
    bool resetOnLeave = false;
};

struct Peer
{
    Options options;
    FILE* log = nullptr;
    DataPacker send;
    DataPacker receive;
    std::vector<std::string> connectedClients;
    bool joinRequested = false;
    bool started = false;
    bool everInGame = false;
    bool sawHost = false;
    int inputs = 0;
};

Peer g_peer;

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vfprintf(g_peer.log, format, arguments);
    va_end(arguments);
    fputc('\n', g_peer.log);
    fflush(g_peer.log);
}

bool UserId(const std::string& name, uint64_t& id)
{
    return StorefrontFindLiveUser(name.c_str(), id);
}

SQInteger ScriptLog(HSQUIRRELVM vm)
{
    const SQChar* text = nullptr;
    if (SQ_SUCCEEDED(sq_getstring(vm, 2, &text)))
        Log("%s", text);
    return 0;
}

SQInteger ScriptReadInput(HSQUIRRELVM vm)
{
    SQInteger from = -1;
    sq_getinteger(vm, 2, &from);
    DataPacker& packer = g_peer.receive;
    const int32_t step = packer.ReadInt();
    const int32_t value = packer.ReadInt();
    if (!packer.IsOverrun())
        Log("input %d %d %d", static_cast<int>(from), step, value);
    if (++g_peer.inputs == g_peer.options.quitOnInput)
    {
        Log("quitting");
        GetConnectionMaker().QuitGame();
    }
    return 0;
}

SQInteger ScriptLeft(HSQUIRRELVM)
{
    if (g_peer.options.resetOnLeave)
    {
        Log("resetting");
        GetConnectionMaker().ResetConnections();
    }
    return 0;
}

void Register(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "PeerLog", ScriptLog);
    ScriptBindGlobalFunction(vm, "PeerReadInput", ScriptReadInput);
    ScriptBindGlobalFunction(vm, "PeerLeft", ScriptLeft);
}

const char* kGameScript = R"(
function CanAnotherNodeJoin() { return true; }
function NetworkNewNodeJoined(id) { PeerLog("join " + id); }
function NetworkNodeDisconnect(id) { PeerLog("leave " + id); PeerLeft(); }
function SorryYouCanNotJoin() { PeerLog("sorry"); }
function InGameStepSync(delta) {}
function NetworkRecvFromNetID(id) { PeerReadInput(id); }
)";

bool ParseOptions(int argc, char** argv, Options& options)
{
    if (argc < 3)
        return false;
    options.host = strcmp(argv[1], "host") == 0;
    options.log = argv[2];
    for (int i = 3; i < argc; ++i)
    {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--reset-on-leave")
        {
            options.resetOnLeave = true;
            continue;
        }
        ++i;
        if (option == "--host")
            options.hostName = value;
        else if (option == "--clients")
        {
            std::string list = value;
            for (size_t start = 0; start <= list.size();)
            {
                const size_t comma = list.find(',', start);
                const size_t end = comma == std::string::npos ? list.size() : comma;
                if (end > start)
                    options.clients.push_back(list.substr(start, end - start));
                start = end + 1;
            }
        }
        else if (option == "--max-nodes")
            options.maxNodes = atoi(value);
        else if (option == "--start-at")
            options.startAt = atoi(value);
        else if (option == "--last-release")
            options.lastRelease = atoi(value);
        else if (option == "--seconds")
            options.seconds = atoi(value);
        else if (option == "--quit-on-input")
            options.quitOnInput = atoi(value);
        else
            return false;
    }
    return true;
}

// The lobby's part: the host makes a connection to each client that is live,
// a client asks the host to join once the host is live.
void MeetPeers()
{
    ConnectionMaker& maker = GetConnectionMaker();
    if (g_peer.options.host)
    {
        for (const std::string& name : g_peer.options.clients)
        {
            uint64_t id = 0;
            bool known = false;
            for (const std::string& connected : g_peer.connectedClients)
                known = known || connected == name;
            if (!known && UserId(name, id))
            {
                maker.AddPendingConnection(id);
                g_peer.connectedClients.push_back(name);
            }
        }
        return;
    }
    uint64_t hostId = 0;
    if (!g_peer.joinRequested && UserId(g_peer.options.hostName, hostId))
        g_peer.joinRequested = maker.RequestJoin(hostId);
}

void SendInputs(int32_t step)
{
    ConnectionMaker& maker = GetConnectionMaker();
    const int32_t self = maker.GetMyNetID();
    for (int n = 0; n < maker.GetGameNodeCount(); ++n)
    {
        const int id = maker.GetNthNodeNetID(n);
        if (!maker.IsNthNodeValid(n) || id == self)
            continue;
        uint8_t bytes[8];
        DataPacker packer;
        packer.Attach(bytes, sizeof bytes);
        packer.WriteInt(step);
        packer.WriteInt(self * 100000 + step);
        maker.SendToNodeWithNetID(id, bytes, packer.ByteSize(), true);
    }
}

// One fixed step; false once the last release is done.
bool FixedStep()
{
    ConnectionMaker& maker = GetConnectionMaker();
    if (g_peer.options.host && !g_peer.started && maker.GetGameNodeCount() >= g_peer.options.startAt)
    {
        g_peer.started = true;
        maker.SetStepDelta(kFixedStep, kFixedStep);
    }
    const int before = maker.OnStepNumber();
    NetworkStepSync(kFixedStep);
    const int after = maker.OnStepNumber();
    if (after != before && after != -1)
    {
        Log("release %d", after - 1);
        SendInputs(after - 1);
        if (after - 1 >= g_peer.options.lastRelease)
            return false;
    }
    return true;
}

uint64_t Now()
{
    return ClockNow();
}
} // namespace

int main(int argc, char** argv)
{
    if (!ParseOptions(argc, argv, g_peer.options))
    {
        fprintf(stderr, "usage: pendrel_netpeer host|client LOG [options]\n");
        return 2;
    }
    // Reports go to the error stream, for the tests to read.
    SetLogErrorHandler([](const char* message) { fputs(message, stderr); });
    g_peer.log = fopen(g_peer.options.log.c_str(), "w");
    if (!g_peer.log || !PlatformInit() || !ScriptInit(false, Register))
        return 2;
    ScriptRunString(ScriptGetVM(), kGameScript, static_cast<SQInteger>(strlen(kGameScript)), "peer");
    ScriptPacketAttach(&g_peer.send, &g_peer.receive);
    GetConnectionManager().SetSpareRoomResends(true);
    NetworkCommunicator::Init();
    ConnectionMaker& maker = GetConnectionMaker();
    if (g_peer.options.host)
    {
        maker.SetMaxNodes(g_peer.options.maxNodes);
        maker.SetAsParent(true);
    }

    const uint64_t start = Now();
    const uint64_t deadline = start + static_cast<uint64_t>(g_peer.options.seconds) * 1000000;
    uint64_t last = start;
    float accumulated = 0.0f;
    bool stepping = true;
    uint64_t lingerUntil = 0;
    int loggedId = -1;
    int result = 3;
    while (Now() < deadline)
    {
        PlatformRunCallbacks();
        NetworkServiceLostConnection();
        MeetPeers();
        const uint64_t now = Now();
        accumulated += static_cast<float>(now - last) / 1e6f;
        last = now;
        for (int i = 0; i < 5 && stepping && accumulated >= kFixedStep; ++i)
        {
            accumulated -= kFixedStep;
            stepping = FixedStep();
        }
        if (accumulated > kFixedStep)
            accumulated = kFixedStep;
        NetworkFrame();
        if (maker.GetMyNetID() != loggedId)
        {
            loggedId = maker.GetMyNetID();
            if (loggedId > 0)
                Log("granted %d", loggedId);
            g_peer.everInGame = g_peer.everInGame || loggedId >= 0;
        }
        const bool outOfGame = g_peer.everInGame && maker.GetMyNetID() == -1;
        g_peer.sawHost = g_peer.sawHost || (!maker.IsParent() && maker.FindNodeByNetID(0));
        const bool clientAlone = g_peer.sawHost && !maker.FindNodeByNetID(0);
        if (outOfGame || clientAlone)
        {
            result = 0;
            break;
        }
        if (!stepping && lingerUntil == 0)
            lingerUntil = Now() + 2000000; // the others still need our last messages
        if (lingerUntil != 0 && Now() >= lingerUntil)
        {
            result = 0;
            break;
        }
        const timespec pause = {0, 2000000};
        nanosleep(&pause, nullptr);
    }
    Log("exit %d", result);
    NetworkCommunicator::Close();
    ScriptShutdown();
    PlatformShutdown();
    fclose(g_peer.log);
    return result;
}

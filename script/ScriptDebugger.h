#pragma once
// The remote script debugger: one TCP client on the loopback (by default)
// that sets breakpoints and watches, steps, and is told of every break with
// a view of the VM's state that a script serializer writes as elements.
// Everything runs on the main thread: the socket is polled from the VM's
// debug hook and, while a break holds the script, from the break loop.

#include <squirrel.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

constexpr int kDebuggerPort = 1234;
constexpr int kDebuggerElementDepth = 10;
constexpr size_t kDebuggerElementName = 256;
constexpr size_t kDebuggerLineMax = 1023;
constexpr size_t kDebuggerSerializerMax = 8192;
// Replies may wait this many bytes for a client that reads slowly; one more
// and the client is dropped, so a client that never reads cannot hold the game.
constexpr size_t kDebuggerQueueMax = size_t(4) << 20;
// What one update reads at most: a client that floods commands cannot keep
// the update reading for ever.
constexpr size_t kDebuggerReadPerUpdate = size_t(16) << 10;
constexpr char kDebuggerSerializerFile[] = "searlise_state.nut";
// Names another address to listen on than 127.0.0.1.
constexpr char kDebuggerAddressVariable[] = "PENDREL_SQDEBUG_ADDRESS";
// Names another port to listen on than kDebuggerPort (1 to 65535), so that
// several engines can be debugged on one machine.
constexpr char kDebuggerPortVariable[] = "PENDREL_SQDEBUG_PORT";

// The port "-sqdebug" listens on: the variable's when it names a valid one
// (another value is reported), else kDebuggerPort.
int DebuggerListenPort();

enum ScriptDebuggerState
{
    kDebuggerRunning = 0,
    kDebuggerStepOver = 1,
    kDebuggerStepInto = 2,
    kDebuggerStepReturn = 3,
    kDebuggerSuspended = 4,
    kDebuggerDisabled = 5,
};

// Character by character without case, '\\' read as '/', ending at the end
// of the shorter name: a name and its prefix are equivalent. That is no
// strict weak order, so it serves only the breakpoint lookup.
bool SourceNameLess(const char* a, const char* b);

struct BreakPoint
{
    int line;
    std::string source;
};

// Line, then the whole name without case, '\\' as '/': the set's order.
struct BreakPointLess
{
    bool operator()(const BreakPoint& a, const BreakPoint& b) const;
};

// The reply writer's escapes for attribute values.
std::string DebuggerEscape(const char* text);

// The stored form of a breakpoint's source: the characters it shares with
// the working folder (without case, '\\' as '/') are stripped, then what
// remains keeps only what follows its first '/'; a source left without a
// '/' is stored as it was sent.
std::string DebuggerNormaliseSource(const char* source, const char* workingFolder);

class ScriptDebugger
{
public:
    ScriptDebugger(HSQUIRRELVM vm, bool autoUpdate);
    ~ScriptDebugger();
    ScriptDebugger(const ScriptDebugger&) = delete;
    ScriptDebugger& operator=(const ScriptDebugger&) = delete;

    // Creates the socket and listens on the port (0: any free port).
    bool Listen(int port);
    // The debug root and its natives, the hook and handler in the registry,
    // both installed.
    bool Init();
    void EnableDebugHooks();
    // Loads the serializer, takes one client and returns once it says "rd":
    // 0, or negative (the VM's last error says why) when the client leaves,
    // the shell is asked to quit, or the socket fails.
    int WaitForConnections();
    // Sends what waits, reads what the client sent without waiting (up to
    // kDebuggerReadPerUpdate) and handles whole lines: 0, or negative after
    // "socket error", "disconnected" or a drop for replies left unread.
    int Update();
    // Bytes as they came from the client: whole lines are handled, the rest
    // kept; a line over kDebuggerLineMax characters is dropped whole.
    void Receive(const char* bytes, size_t count);
    void ParseMsg(const char* line);

    // The debug hook's work for one event ('l', 'c' or 'r').
    void Hook(int event, const char* source, int line);
    void OnError(const char* error, const char* function, const char* source, int line);
    void Break(int line, const char* source, const char* type, const char* error);
    void BreakExecution();
    void SerializeState();
    // Hooks off, state disabled, client closed.
    void Detach();

    // The reply writer (the natives' too); false when refused.
    bool BeginElement(const char* name);
    bool EndElement(const char* name);
    void Attribute(const char* name, const char* value);
    // Queues the text; what the socket takes goes out at once.
    void Send(const char* text);

    int Port() const;
    int State() const { return m_state; }
    bool Ready() const { return m_ready; }
    bool Attached() const { return m_state != kDebuggerDisabled; }
    bool AutoUpdate() const { return m_autoUpdate; }
    const std::set<BreakPoint, BreakPointLess>& BreakPoints() const { return m_breakPoints; }
    const std::map<int, std::string>& Watches() const { return m_watches; }
    // Time of the last poll from the hook, which polls at most once per millisecond.
    uint64_t& LastPoll() { return m_lastPoll; }
    bool& SocketFailureRaised() { return m_socketFailureRaised; }
    // Bytes of replies waiting when the client was dropped for not reading
    // them; 0 when it was not.
    size_t UnreadAtDrop() const { return m_unreadAtDrop; }

private:
    struct Element
    {
        char name[kDebuggerElementName + 1];
        bool hasChildren;
    };

    bool FindBreakPoint(int line, const char* source) const;
    void AddBreakPoint(const char* arguments, bool add);
    void AddWatch(const char* arguments);
    void RemoveWatch(const char* arguments);
    void StepOver(int event);
    void StepReturn(int event);
    bool LoadSerializer();
    void CloseSockets();
    void CloseClient();
    void Flush();
    const char* LostText() const;
    // The VM's debug hook off and the host's error handler back.
    void RemoveHooks();

    HSQUIRRELVM m_vm;
    Element m_elements[kDebuggerElementDepth] = {};
    int m_depth = -1;
    HSQOBJECT m_debugRoot;
    HSQOBJECT m_serializer;
    int m_listener = -1;
    int m_client = -1;
    int m_state = kDebuggerRunning;
    int m_nesting = 0;
    bool m_ready = false;
    bool m_autoUpdate;
    bool m_pendingBreak = false;
    bool m_socketFailureRaised = false;
    std::set<BreakPoint, BreakPointLess> m_breakPoints;
    std::map<int, std::string> m_watches;
    std::string m_line;
    bool m_dropping = false;
    std::string m_reply;
    // Replies not yet taken by the socket; those before m_outgoingSent went.
    std::string m_outgoing;
    size_t m_outgoingSent = 0;
    size_t m_unreadAtDrop = 0;
    uint64_t m_lastPoll = 0;
};

// Creates, listens and initialises; null after setting the VM's error.
ScriptDebugger* ScriptDebugger_Init(HSQUIRRELVM vm, int port, bool autoUpdate);
int WaitForConnections(ScriptDebugger* debugger);
void ScriptDebugger_Shutdown(ScriptDebugger* debugger);

// Asked between polls while waiting for a client: true stops the wait. The
// shell's message pump by default, so SIGTERM or a window close end it.
void ScriptDebuggerSetStopWaiting(bool (*stopWaiting)());

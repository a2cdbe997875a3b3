#include "script/ScriptDebugger.h"

#include "core/Clock.h"
#include "core/LogError.h"
#include "platform/Shell.h"
#include "script/ScriptHost.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kBreakPollMilliseconds = 10;
constexpr uint64_t kHookPollMicroseconds = 1000;
// Without a cap of our own the kernel grows its send buffer to megabytes
// beyond the queue's bound.
constexpr int kClientSendBuffer = 256 << 10;
// Replies leave whole at their line end, or in pieces this large.
constexpr size_t kFlushBytes = 16 << 10;
constexpr char kDebugHookName[] = "_sqdbg_debug_hook_";
constexpr char kErrorHandlerName[] = "_sqdbg_error_handler_";

bool (*g_stopWaiting)() = MessagePump;

int FoldedChar(char c)
{
    return c == '\\' ? '/' : std::tolower(static_cast<unsigned char>(c));
}

// Negative, zero or positive as strcmp, over the folded names.
int CompareFolded(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (FoldedChar(*a) != FoldedChar(*b))
            return FoldedChar(*a) - FoldedChar(*b);
    return FoldedChar(*a) - FoldedChar(*b);
}

ScriptDebugger* FreeDebugger(HSQUIRRELVM vm)
{
    SQUserPointer debugger = nullptr;
    sq_getuserpointer(vm, -1, &debugger);
    return static_cast<ScriptDebugger*>(debugger);
}

// The natives keep their debugger as their one free variable, which sits on
// the stack top above the arguments.
ScriptDebugger* DebuggerOf(HSQUIRRELVM vm)
{
    return FreeDebugger(vm);
}

const char* StringArg(HSQUIRRELVM vm, SQInteger index, const char* fallback)
{
    const SQChar* text = nullptr;
    return SQ_SUCCEEDED(sq_getstring(vm, index, &text)) ? text : fallback;
}

SQInteger sqdbg_beginelement(HSQUIRRELVM vm)
{
    if (!DebuggerOf(vm)->BeginElement(StringArg(vm, 2, "")))
        return sq_throwerror(vm, "elements nest too deeply");
    return 0;
}

SQInteger sqdbg_endelement(HSQUIRRELVM vm)
{
    if (!DebuggerOf(vm)->EndElement(StringArg(vm, 2, "")))
        return sq_throwerror(vm, "no element is open");
    return 0;
}

SQInteger sqdbg_attribute(HSQUIRRELVM vm)
{
    DebuggerOf(vm)->Attribute(StringArg(vm, 2, ""), StringArg(vm, 3, ""));
    return 0;
}

SQInteger sqdbg_debug_hook(HSQUIRRELVM vm)
{
    ScriptDebugger* debugger = DebuggerOf(vm);
    SQInteger event = 0, line = 0;
    sq_getinteger(vm, 2, &event);
    sq_getinteger(vm, 4, &line);
    debugger->Hook(int(event), StringArg(vm, 3, ""), int(line));
    if (!debugger->AutoUpdate() || debugger->State() == kDebuggerDisabled)
        return 0;
    // A system call per line would slow scripts many times over.
    const uint64_t now = ClockNow();
    if (now - debugger->LastPoll() < kHookPollMicroseconds)
        return 0;
    debugger->LastPoll() = now;
    if (debugger->Update() >= 0)
        return 0;
    debugger->Detach();
    if (debugger->SocketFailureRaised())
        return 0;
    debugger->SocketFailureRaised() = true;
    // Our own drop is no socket failure: the script goes on undisturbed.
    if (debugger->UnreadAtDrop() > 0)
    {
        LogError("Remote debugger: the client left %zu bytes of replies unread; dropped, the game goes on "
                 "without it.\n",
                 debugger->UnreadAtDrop());
        return 0;
    }
    LogError("Remote debugger: socket failed; detached.\n");
    return sq_throwerror(vm, "socket failed");
}

SQInteger sqdbg_error_handler(HSQUIRRELVM vm)
{
    ScriptDebugger* debugger = DebuggerOf(vm);
    SQStackInfos info = {};
    const bool known = SQ_SUCCEEDED(sq_stackinfos(vm, 1, &info));
    const char* error = sq_gettop(vm) >= 3 ? StringArg(vm, 2, nullptr) : nullptr;
    debugger->OnError(error, known && info.funcname ? info.funcname : "unknown",
                      known && info.source ? info.source : "unknown", known ? int(info.line) : 0);
    return 0;
}

void NewNative(HSQUIRRELVM vm, ScriptDebugger* debugger, const char* name, SQFUNCTION function,
               const char* mask)
{
    sq_pushstring(vm, name, -1);
    sq_pushuserpointer(vm, debugger);
    sq_newclosure(vm, function, 1);
    sq_setnativeclosurename(vm, -1, name);
    if (mask)
        sq_setparamscheck(vm, SQInteger(strlen(mask)), mask);
    sq_newslot(vm, -3, SQFalse);
}

void SetLastError(HSQUIRRELVM vm, const char* text)
{
    sq_throwerror(vm, text);
}

bool ListenAddress(in_addr& address)
{
    const char* named = getenv(kDebuggerAddressVariable);
    if (!named || !*named)
    {
        address.s_addr = htonl(INADDR_LOOPBACK);
        return true;
    }
    return inet_pton(AF_INET, named, &address) == 1;
}

void SleepMilliseconds(int milliseconds)
{
    poll(nullptr, 0, milliseconds);
}
} // namespace

int DebuggerListenPort()
{
    const char* named = getenv(kDebuggerPortVariable);
    if (!named || !*named)
        return kDebuggerPort;
    char* end = nullptr;
    errno = 0;
    const long port = strtol(named, &end, 10);
    if (errno != 0 || *end != '\0' || port < 1 || port > 65535)
    {
        LogError("Remote debugger: %s=%s is no port; listening on %d.\n", kDebuggerPortVariable, named,
                 kDebuggerPort);
        return kDebuggerPort;
    }
    return int(port);
}

bool SourceNameLess(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (FoldedChar(*a) != FoldedChar(*b))
            return FoldedChar(*a) < FoldedChar(*b);
    return false;
}

bool BreakPointLess::operator()(const BreakPoint& a, const BreakPoint& b) const
{
    if (a.line != b.line)
        return a.line < b.line;
    return CompareFolded(a.source.c_str(), b.source.c_str()) < 0;
}

std::string DebuggerEscape(const char* text)
{
    std::string escaped;
    for (; *text; ++text)
    {
        switch (*text)
        {
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '&':
            escaped += "&amp;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        // The client's own reading of a line break in a value.
        case '\n':
            escaped += "&quot;n";
            break;
        case '\r':
            escaped += "&quot;r";
            break;
        default:
            escaped += *text;
            break;
        }
    }
    return escaped;
}

std::string DebuggerNormaliseSource(const char* source, const char* workingFolder)
{
    // What the source shares with the working folder goes, and with it the
    // first folder where the two part: from ".../demo/bin" both
    // ".../demo/data/game.nut" and "scripts/game.nut" end as "game.nut", the
    // name the game compiled the file under.
    const char* rest = source;
    for (const char* folder = workingFolder; *folder && *rest && FoldedChar(*folder) == FoldedChar(*rest); ++folder)
        ++rest;
    const char* slash = strchr(rest, '/');
    return slash ? slash + 1 : source;
}

ScriptDebugger::ScriptDebugger(HSQUIRRELVM vm, bool autoUpdate) : m_vm(vm), m_autoUpdate(autoUpdate)
{
    sq_resetobject(&m_debugRoot);
    sq_resetobject(&m_serializer);
}

ScriptDebugger::~ScriptDebugger()
{
    if (m_vm)
    {
        // The VM outlives the debugger: its hooks must not call into it.
        RemoveHooks();
        sq_release(m_vm, &m_debugRoot);
        sq_release(m_vm, &m_serializer);
    }
    CloseSockets();
}

void ScriptDebugger::CloseSockets()
{
    if (m_listener >= 0)
        close(m_listener);
    m_listener = -1;
    CloseClient();
}

void ScriptDebugger::CloseClient()
{
    if (m_client >= 0)
        close(m_client);
    m_client = -1;
    m_outgoing.clear();
    m_outgoingSent = 0;
}

bool ScriptDebugger::Listen(int port)
{
    in_addr address = {};
    if (!ListenAddress(address))
    {
        LogError("Remote debugger: %s is no IPv4 address.\n", getenv(kDebuggerAddressVariable));
        return false;
    }
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return false;
    const int on = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = htons(uint16_t(port));
    where.sin_addr = address;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0)
    {
        CloseSockets();
        return false;
    }
    // Listening from the start lets a client connect before the wait begins.
    if (listen(m_listener, 0) != 0)
    {
        LogError("Remote debugger: error on listen(socket)\n");
        CloseSockets();
        return false;
    }
    return true;
}

int ScriptDebugger::Port() const
{
    sockaddr_in where = {};
    socklen_t size = sizeof where;
    const int socket = m_listener >= 0 ? m_listener : m_client;
    if (socket < 0 || getsockname(socket, reinterpret_cast<sockaddr*>(&where), &size) != 0)
        return 0;
    return ntohs(where.sin_port);
}

bool ScriptDebugger::Init()
{
    HSQUIRRELVM vm = m_vm;
    sq_newtable(vm);
    sq_getstackobj(vm, -1, &m_debugRoot);
    sq_addref(vm, &m_debugRoot);
    sq_pushstring(vm, "watches", -1);
    sq_pushnull(vm);
    sq_newslot(vm, -3, SQFalse);
    NewNative(vm, this, "beginelement", sqdbg_beginelement, ".s");
    NewNative(vm, this, "endelement", sqdbg_endelement, ".s");
    NewNative(vm, this, "attribute", sqdbg_attribute, ".ss");
    sq_pop(vm, 1);

    sq_pushregistrytable(vm);
    NewNative(vm, this, kDebugHookName, sqdbg_debug_hook, nullptr);
    NewNative(vm, this, kErrorHandlerName, sqdbg_error_handler, nullptr);
    sq_pop(vm, 1);
    EnableDebugHooks();
    return true;
}

void ScriptDebugger::EnableDebugHooks()
{
    HSQUIRRELVM vm = m_vm;
    sq_pushregistrytable(vm);
    sq_pushstring(vm, kDebugHookName, -1);
    if (SQ_SUCCEEDED(sq_rawget(vm, -2)))
        sq_setdebughook(vm);
    sq_pushstring(vm, kErrorHandlerName, -1);
    if (SQ_SUCCEEDED(sq_rawget(vm, -2)))
        sq_seterrorhandler(vm);
    sq_pop(vm, 1);
    m_pendingBreak = false;
}

bool ScriptDebugger::LoadSerializer()
{
    FILE* file = fopen(kDebuggerSerializerFile, "rb");
    std::vector<char> text(kDebuggerSerializerMax);
    const size_t size = file ? fread(text.data(), 1, text.size(), file) : 0;
    if (file)
        fclose(file);
    if (!file || SQ_FAILED(sq_compilebuffer(m_vm, text.data(), SQInteger(size), "SERIALIZE_STATE", SQTrue)))
    {
        SetLastError(m_vm, "error compiling the serialization function");
        return false;
    }
    sq_getstackobj(m_vm, -1, &m_serializer);
    sq_addref(m_vm, &m_serializer);
    sq_pop(m_vm, 1);
    return true;
}

int ScriptDebugger::WaitForConnections()
{
    if (!LoadSerializer())
        LogError("Remote debugger: no serializer (%s); breaks carry their attributes only.\n",
                 kDebuggerSerializerFile);
    if (m_listener < 0)
    {
        SetLastError(m_vm, "error on listen(socket)");
        return -1;
    }
    for (;;)
    {
        pollfd waiting = {m_listener, POLLIN, 0};
        if (poll(&waiting, 1, kBreakPollMilliseconds) > 0)
            break;
        if (g_stopWaiting && g_stopWaiting())
        {
            SetLastError(m_vm, "no client came before quitting");
            return -1;
        }
    }
    m_client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    close(m_listener);
    m_listener = -1;
    if (m_client < 0)
    {
        SetLastError(m_vm, "error accept(socket)");
        return -1;
    }
    setsockopt(m_client, SOL_SOCKET, SO_SNDBUF, &kClientSendBuffer, sizeof kClientSendBuffer);
    while (!m_ready)
    {
        if (Update() < 0)
            return -1;
        if (m_ready)
            break;
        if (g_stopWaiting && g_stopWaiting())
        {
            SetLastError(m_vm, "no ready client before quitting");
            return -1;
        }
        SleepMilliseconds(kBreakPollMilliseconds);
    }
    return 0;
}

int ScriptDebugger::Update()
{
    Flush();
    char bytes[512];
    for (size_t read = 0; m_client >= 0 && read < kDebuggerReadPerUpdate;)
    {
        const ssize_t got = recv(m_client, bytes, sizeof bytes, MSG_DONTWAIT);
        if (got > 0)
        {
            read += size_t(got);
            Receive(bytes, size_t(got));
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return 0;
        CloseClient();
        SetLastError(m_vm, got == 0 ? "disconnected" : "socket error");
        return -1;
    }
    if (m_client >= 0)
        return 0;
    SetLastError(m_vm, LostText());
    return -1;
}

const char* ScriptDebugger::LostText() const
{
    return m_unreadAtDrop > 0 ? "the client left its replies unread" : "disconnected";
}

void ScriptDebugger::Receive(const char* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        const char c = bytes[i];
        if (c == '\n')
        {
            if (!m_dropping)
                ParseMsg(m_line.c_str());
            m_line.clear();
            m_dropping = false;
        }
        else if (c == '\r' || m_dropping)
            continue;
        else if (m_line.size() == kDebuggerLineMax)
        {
            LogError("Remote debugger: a line over %d characters was dropped.\n", int(kDebuggerLineMax));
            m_line.clear();
            m_dropping = true;
        }
        else
            m_line += c;
    }
}

void ScriptDebugger::ParseMsg(const char* line)
{
    if (strlen(line) < 2)
    {
        printf("unknown packet");
        return;
    }
    const char* arguments = strlen(line) > 3 ? line + 3 : "";
    // Bytes past ASCII are plain numbers here: a signed char would shift a negative value.
    const int command = (static_cast<unsigned char>(line[0]) << 8) | static_cast<unsigned char>(line[1]);
    switch (command)
    {
    case ('a' << 8) | 'b':
        AddBreakPoint(arguments, true);
        break;
    case ('r' << 8) | 'b':
        AddBreakPoint(arguments, false);
        break;
    case ('a' << 8) | 'w':
        AddWatch(arguments);
        break;
    case ('r' << 8) | 'w':
        RemoveWatch(arguments);
        break;
    case ('g' << 8) | 'o':
        if (m_state != kDebuggerRunning)
        {
            m_state = kDebuggerRunning;
            printf("go (execution resumed)\n");
            BeginElement("resumed");
            EndElement("resumed");
            Send("\r\n");
        }
        break;
    case ('s' << 8) | 'p':
        m_state = kDebuggerSuspended;
        printf("suspend\n");
        break;
    case ('s' << 8) | 'o':
    case ('s' << 8) | 'i':
    case ('s' << 8) | 'r':
        if (m_state == kDebuggerSuspended)
        {
            m_state = line[1] == 'o' ? kDebuggerStepOver : line[1] == 'i' ? kDebuggerStepInto : kDebuggerStepReturn;
            if (m_state == kDebuggerStepInto)
                printf("step into\n");
            else if (m_state == kDebuggerStepReturn)
                printf("step return\n");
        }
        break;
    case ('d' << 8) | 'i':
        m_state = kDebuggerDisabled;
        printf("disabled\n");
        break;
    case ('t' << 8) | 'r':
        printf("terminate from user\n");
        break;
    case ('r' << 8) | 'd':
        m_ready = true;
        printf("ready\n");
        break;
    default:
        printf("unknown packet");
        break;
    }
    fflush(stdout);
}

void ScriptDebugger::AddBreakPoint(const char* arguments, bool add)
{
    char* end = nullptr;
    const long line = strtol(arguments, &end, 16);
    if (end == arguments || *end != ':')
    {
        printf(add ? "error parsing add breakpoint" : "error parsing remove breakpoint");
        return;
    }
    char folder[4096];
    if (!getcwd(folder, sizeof folder))
        folder[0] = 0;
    const BreakPoint point{int(line), DebuggerNormaliseSource(end + 1, folder)};
    const char* element = add ? "addbreakpoint" : "removebreakpoint";
    if (add)
    {
        m_breakPoints.insert(point);
        printf("added bp %d %s\n", point.line, point.source.c_str());
    }
    else if (m_breakPoints.erase(point) == 0)
    {
        BeginElement("break");
        Attribute("desc", "the breakpoint doesn't exists");
        EndElement("break");
        Send("\r\n");
        return;
    }
    else
        printf("removed bp %d %s\n", point.line, point.source.c_str());
    BeginElement(element);
    Attribute("line", std::to_string(point.line).c_str());
    Attribute("src", point.source.c_str());
    EndElement(element);
    Send("\r\n");
}

void ScriptDebugger::AddWatch(const char* arguments)
{
    char* end = nullptr;
    const long id = strtol(arguments, &end, 16);
    if (end == arguments || *end != ':')
    {
        printf("error parsing add watch");
        return;
    }
    m_watches[int(id)] = end + 1;
    printf("added watch %d %s\n", int(id), end + 1);
}

void ScriptDebugger::RemoveWatch(const char* arguments)
{
    char* end = nullptr;
    const long id = strtol(arguments, &end, 16);
    if (end == arguments)
    {
        printf("error parsing remove watch");
        return;
    }
    if (m_watches.erase(int(id)) == 0)
    {
        BeginElement("error");
        Attribute("desc", "the watch does not exists");
        EndElement("error");
        Send("\r\n");
        return;
    }
    printf("removed watch %d\n", int(id));
}

bool ScriptDebugger::FindBreakPoint(int line, const char* source) const
{
    auto at = m_breakPoints.lower_bound(BreakPoint{line, std::string()});
    for (; at != m_breakPoints.end() && at->line == line; ++at)
        if (!SourceNameLess(at->source.c_str(), source) && !SourceNameLess(source, at->source.c_str()))
            return true;
    return false;
}

void ScriptDebugger::StepOver(int event)
{
    if (event == 'c')
        ++m_nesting;
    else if (event == 'r' && m_nesting > 0)
        --m_nesting;
    else if (event == 'r')
    {
        // The next event, in the caller, breaks.
        m_pendingBreak = true;
        m_state = kDebuggerRunning;
    }
}

void ScriptDebugger::StepReturn(int event)
{
    if (event == 'c')
        ++m_nesting;
    else if (event == 'r')
    {
        if (m_nesting > 0)
            --m_nesting;
        else
            m_state = kDebuggerStepOver;
    }
}

void ScriptDebugger::Hook(int event, const char* source, int line)
{
    switch (m_state)
    {
    case kDebuggerRunning:
        if (m_pendingBreak)
        {
            m_pendingBreak = false;
            Break(line, source, "step", nullptr);
            BreakExecution();
        }
        else if (event == 'l' && !m_breakPoints.empty() && FindBreakPoint(line, source))
        {
            Break(line, source, "step", nullptr);
            BreakExecution();
        }
        return;
    case kDebuggerSuspended:
        m_nesting = 0;
        [[fallthrough]];
    case kDebuggerStepOver:
        if (event == 'l' && m_nesting == 0)
        {
            Break(line, source, "step", nullptr);
            BreakExecution();
            return;
        }
        StepOver(event);
        return;
    case kDebuggerStepInto:
        if (event == 'l')
        {
            m_nesting = 0;
            Break(line, source, "step", nullptr);
            BreakExecution();
        }
        return;
    case kDebuggerStepReturn:
        StepReturn(event);
        return;
    default:
        return;
    }
}

void ScriptDebugger::OnError(const char* error, const char* function, const char* source, int line)
{
    printf("*FUNCTION [%s] %s line [%d]\n", function, source, line);
    printf("\nAN ERROR HAS OCCURED [%s]\n", error ? error : "unknown");
    fflush(stdout);
    if (m_state == kDebuggerDisabled)
        return;
    Break(line, source, "error", error ? error : "unknown");
    BreakExecution();
}

void ScriptDebugger::Break(int line, const char* source, const char* type, const char* error)
{
    m_depth = -1;
    BeginElement("break");
    Attribute("line", std::to_string(line).c_str());
    Attribute("src", source);
    Attribute("type", type);
    if (error)
        Attribute("error", error);
    SerializeState();
    EndElement("break");
    Send("\r\n");
}

void ScriptDebugger::SerializeState()
{
    if (sq_type(m_serializer) == OT_NULL)
        return;
    HSQUIRRELVM vm = m_vm;
    const SQInteger top = sq_gettop(vm);
    sq_pushnull(vm);
    sq_setdebughook(vm);
    sq_pushnull(vm);
    sq_seterrorhandler(vm);

    sq_pushobject(vm, m_debugRoot);
    sq_pushstring(vm, "watches", -1);
    sq_newtable(vm);
    for (const auto& [id, expression] : m_watches)
    {
        sq_pushinteger(vm, id);
        sq_pushstring(vm, expression.c_str(), -1);
        sq_newslot(vm, -3, SQFalse);
    }
    sq_set(vm, -3);
    sq_pop(vm, 1);

    sq_pushobject(vm, m_serializer);
    sq_pushobject(vm, m_debugRoot);
    const SQChar* text = nullptr;
    if (SQ_SUCCEEDED(sq_call(vm, 1, SQTrue, SQTrue)) && SQ_SUCCEEDED(sq_getstring(vm, -1, &text)))
        Send(text);
    sq_settop(vm, top);
    EnableDebugHooks();
}

void ScriptDebugger::BreakExecution()
{
    m_state = kDebuggerSuspended;
    while (m_state == kDebuggerSuspended)
    {
        if (Update() < 0)
        {
            // Ends in order: the frame finishes and the shell stops, and
            // the process ends with 0 as an ended debugging session does.
            if (m_unreadAtDrop > 0)
                LogError("Remote debugger: the client left %zu bytes of replies unread during a break; dropped, "
                         "quitting.\n",
                         m_unreadAtDrop);
            else
                LogError("Remote debugger: the client left during a break; quitting.\n");
            Detach();
            RequestQuitWithExitCode(0);
            return;
        }
        if (m_state != kDebuggerSuspended)
            break;
        SleepMilliseconds(kBreakPollMilliseconds);
    }
}

void ScriptDebugger::RemoveHooks()
{
    sq_pushnull(m_vm);
    sq_setdebughook(m_vm);
    ScriptInstallErrorHandler(m_vm);
}

void ScriptDebugger::Detach()
{
    RemoveHooks();
    m_state = kDebuggerDisabled;
    m_pendingBreak = false;
    CloseClient();
}

bool ScriptDebugger::BeginElement(const char* name)
{
    if (m_depth + 1 >= kDebuggerElementDepth)
        return false;
    if (m_depth >= 0 && !m_elements[m_depth].hasChildren)
    {
        Send(">");
        m_elements[m_depth].hasChildren = true;
    }
    ++m_depth;
    Element& element = m_elements[m_depth];
    snprintf(element.name, sizeof element.name, "%s", name);
    element.hasChildren = false;
    Send("<");
    Send(element.name);
    return true;
}

bool ScriptDebugger::EndElement(const char* name)
{
    if (m_depth < 0)
        return false;
    if (!m_elements[m_depth].hasChildren)
        Send("/>");
    else
    {
        char cut[kDebuggerElementName + 1];
        snprintf(cut, sizeof cut, "%s", name);
        Send("</");
        Send(cut);
        Send(">");
    }
    --m_depth;
    return true;
}

void ScriptDebugger::Attribute(const char* name, const char* value)
{
    m_reply = " ";
    m_reply += name;
    m_reply += "=\"";
    m_reply += DebuggerEscape(value);
    m_reply += "\"";
    Send(m_reply.c_str());
}

void ScriptDebugger::Send(const char* text)
{
    if (m_client < 0)
        return;
    m_outgoing += text;
    const size_t waiting = m_outgoing.size() - m_outgoingSent;
    if (waiting >= kFlushBytes || (waiting > 0 && m_outgoing.back() == '\n'))
        Flush();
    if (m_client < 0 || m_outgoing.size() - m_outgoingSent <= kDebuggerQueueMax)
        return;
    // The next update reports the drop.
    m_unreadAtDrop = m_outgoing.size() - m_outgoingSent;
    CloseClient();
}

void ScriptDebugger::Flush()
{
    while (m_client >= 0 && m_outgoingSent < m_outgoing.size())
    {
        const ssize_t sent = send(m_client, m_outgoing.data() + m_outgoingSent, m_outgoing.size() - m_outgoingSent,
                                  MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0)
            m_outgoingSent += size_t(sent);
        else if (sent < 0 && errno == EINTR)
            continue;
        else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        else
            CloseClient(); // the next update reports the disconnect
    }
    if (m_outgoingSent == m_outgoing.size())
    {
        m_outgoing.clear();
        m_outgoingSent = 0;
    }
    else if (m_outgoingSent >= kFlushBytes)
    {
        m_outgoing.erase(0, m_outgoingSent);
        m_outgoingSent = 0;
    }
}

ScriptDebugger* ScriptDebugger_Init(HSQUIRRELVM vm, int port, bool autoUpdate)
{
    auto* debugger = new ScriptDebugger(vm, autoUpdate);
    if (!debugger->Listen(port))
    {
        delete debugger;
        SetLastError(vm, "failed to bind the socket");
        return nullptr;
    }
    if (!debugger->Init())
    {
        delete debugger;
        SetLastError(vm, "failed to initialize the debugger");
        return nullptr;
    }
    return debugger;
}

int WaitForConnections(ScriptDebugger* debugger)
{
    return debugger ? debugger->WaitForConnections() : -1;
}

void ScriptDebugger_Shutdown(ScriptDebugger* debugger)
{
    delete debugger;
}

void ScriptDebuggerSetStopWaiting(bool (*stopWaiting)())
{
    g_stopWaiting = stopWaiting;
}

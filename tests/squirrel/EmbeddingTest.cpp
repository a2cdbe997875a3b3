// Embedding the VM the way the engine's binding layer does: native structs inside instances, members through
// _get/_set, parameter masks, release hooks, error and debug hooks, and the VM's engine extensions.
#include <squirrel.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string g_printed;

void CapturePrint(HSQUIRRELVM, const SQChar* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    g_printed += buffer;
}

struct Particle
{
    double mass;
    int32_t hits;
    float speed;
};

const char kParticleTag[] = "Particle";

struct HookCalls
{
    int count = 0;
    SQUserPointer lastPointer = nullptr;
    SQInteger lastSize = -1;
};
HookCalls g_hooks;

SQInteger CountRelease(SQUserPointer pointer, SQInteger size)
{
    g_hooks.count++;
    g_hooks.lastPointer = pointer;
    g_hooks.lastSize = size;
    return 0;
}

SQInteger ParticleConstructor(HSQUIRRELVM v)
{
    SQUserPointer area = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &area, SQUserPointer(kParticleTag))))
        return SQ_ERROR;
    Particle* p = new (area) Particle();
    p->mass = 2.5;
    p->hits = 7;
    sq_setreleasehook(v, 1, CountRelease);
    return 0;
}

// The member table is the closure's free variable: name -> byte offset of an int32 or float member.
SQInteger MemberAddress(HSQUIRRELVM v, SQInteger varsIndex, unsigned char** address, SQInteger* offset)
{
    sq_push(v, 2);
    if (SQ_FAILED(sq_tryrawget(v, varsIndex)))
        return SQ_ERROR;
    sq_getinteger(v, -1, offset);
    sq_pop(v, 1);
    SQUserPointer object = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &object, nullptr)) || !object)
        return sq_throwerror(v, "no native object");
    *address = static_cast<unsigned char*>(object) + *offset;
    return SQ_OK;
}

SQInteger MemberGet(HSQUIRRELVM v)
{
    unsigned char* address = nullptr;
    SQInteger offset = 0;
    if (SQ_FAILED(MemberAddress(v, 3, &address, &offset)))
    {
        sq_reseterror(v);
        return SQ_ERROR; // no error: the VM goes on as for a missing member
    }
    if (offset == SQInteger(offsetof(Particle, hits)))
        sq_pushinteger(v, *reinterpret_cast<int32_t*>(address));
    else
        sq_pushfloat(v, *reinterpret_cast<float*>(address));
    return 1;
}

SQInteger MemberSet(HSQUIRRELVM v)
{
    unsigned char* address = nullptr;
    SQInteger offset = 0;
    if (SQ_FAILED(MemberAddress(v, 4, &address, &offset)))
        return sq_throwerror(v, "no such member");
    if (offset == SQInteger(offsetof(Particle, hits)))
        sq_getinteger(v, 3, reinterpret_cast<int32_t*>(address));
    else
        sq_getfloat(v, 3, reinterpret_cast<float*>(address));
    return 0;
}

// Derived classes hold the same native object: the size is the hook's free variable.
SQInteger Inherited(HSQUIRRELVM v)
{
    // the new class and its attributes come first, then the free variables
    SQInteger size = 0;
    sq_getinteger(v, 3, &size);
    return sq_setclassudsize(v, 1, size);
}

SQInteger NameLength(HSQUIRRELVM v)
{
    const SQChar* s = nullptr;
    sq_getstring(v, 2, &s);
    sq_pushinteger(v, SQInteger(strlen(s)));
    return 1;
}

class Embedding : public testing::Test
{
protected:
    void SetUp() override
    {
        g_printed.clear();
        g_hooks = HookCalls();
        v = sq_open(1024);
        sq_setprintfunc(v, CapturePrint, CapturePrint);
    }
    void TearDown() override
    {
        if (v)
            sq_close(v);
    }
    bool Run(const char* source)
    {
        if (SQ_FAILED(sq_compilebuffer(v, source, SQInteger(strlen(source)), "test.nut", SQTrue)))
            return false;
        sq_pushroottable(v);
        const bool ok = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue));
        sq_pop(v, 1);
        return ok;
    }
    std::string LastError()
    {
        sq_getlasterror(v);
        const SQChar* s = "(not a string)";
        sq_getstring(v, -1, &s);
        std::string text = s;
        sq_pop(v, 1);
        return text;
    }
    SQInteger GlobalInt(const char* name)
    {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        SQInteger value = -1;
        if (SQ_SUCCEEDED(sq_get(v, -2)))
        {
            sq_getinteger(v, -1, &value);
            sq_pop(v, 1);
        }
        sq_pop(v, 1);
        return value;
    }
    void AddClosure(SQInteger target, const char* name, SQFUNCTION f, SQInteger freeVars,
                    bool isStatic = false)
    {
        sq_newclosure(v, f, SQUnsignedInteger(freeVars));
        sq_pushstring(v, name, -1);
        sq_push(v, -2);
        sq_remove(v, -3);
        sq_newslot(v, target, isStatic ? SQTrue : SQFalse);
    }
    // Binds Particle as the root-table class "Particle" with members hits and speed.
    void BindParticle()
    {
        sq_pushroottable(v);
        sq_pushstring(v, "Particle", -1);
        ASSERT_EQ(sq_newclass(v, SQFalse), SQ_OK);
        const SQInteger cls = sq_gettop(v);
        sq_settypetag(v, cls, SQUserPointer(kParticleTag));
        sq_setclassudsize(v, cls, sizeof(Particle));
        // the free variable pushed last is the first the native sees
        sq_push(v, cls);
        sq_pushinteger(v, sizeof(Particle));
        AddClosure(cls, "_inherited", Inherited, 2);
        AddClosure(cls, "constructor", ParticleConstructor, 0);
        sq_newtable(v);
        const SQInteger vars = sq_gettop(v);
        const std::pair<const char*, size_t> members[] = {{"hits", offsetof(Particle, hits)},
                                                          {"speed", offsetof(Particle, speed)}};
        for (const auto& [name, offset] : members)
        {
            sq_pushstring(v, name, -1);
            sq_pushinteger(v, SQInteger(offset));
            sq_newslot(v, vars, SQFalse);
        }
        sq_push(v, vars);
        AddClosure(cls, "_get", MemberGet, 1);
        sq_push(v, vars);
        AddClosure(cls, "_set", MemberSet, 1);
        sq_pop(v, 1); // vars
        sq_pushstring(v, "kind", -1);
        sq_pushstring(v, "particle", -1);
        sq_newslot(v, cls, SQTrue);
        sq_newslot(v, -3, SQFalse); // Particle into the root table
        sq_pop(v, 1);
    }
    HSQUIRRELVM v = nullptr;
};

TEST_F(Embedding, OpenedVmHasTheBuiltInGlobals)
{
    EXPECT_TRUE(Run("print(typeof array(2));"));
    EXPECT_EQ(g_printed, "array");
}

TEST_F(Embedding, InstancesHoldAnAlignedNativeAreaOfTheClassSize)
{
    BindParticle();
    ASSERT_TRUE(Run("p <- Particle();"));
    sq_pushroottable(v);
    sq_pushstring(v, "p", -1);
    ASSERT_EQ(sq_get(v, -2), SQ_OK);
    EXPECT_EQ(sq_getsize(v, -1), SQInteger(sizeof(Particle)));
    SQUserPointer area = nullptr;
    ASSERT_EQ(sq_getinstanceup(v, -1, &area, SQUserPointer(kParticleTag)), SQ_OK);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(area) % alignof(max_align_t), 0u);
    EXPECT_EQ(static_cast<Particle*>(area)->mass, 2.5);
    // the type-tag check refuses another class's tag
    static const char other[] = "Other";
    EXPECT_EQ(sq_getinstanceup(v, -1, &area, SQUserPointer(other)), SQ_ERROR);
    sq_pop(v, 2);
}

TEST_F(Embedding, ScriptClassDerivedFromABoundClassHoldsTheNativeObject)
{
    BindParticle();
    ASSERT_TRUE(Run("class Spark extends Particle { constructor() { base.constructor(); hits += 1; } }"
                    "s <- Spark(); hits <- s.hits; kind <- s.kind.len();"))
        << LastError();
    EXPECT_EQ(GlobalInt("hits"), 8);
    EXPECT_EQ(GlobalInt("kind"), 8); // a static seen through the instance
}

TEST_F(Embedding, MembersGoThroughGetAndSetAndMissesReachTheDefaultDelegate)
{
    BindParticle();
    ASSERT_TRUE(Run("local p = Particle(); p.hits = 41; p.hits += 1; p.speed = 3;"
                    "hits <- p.hits; speed <- (p.speed * 2).tointeger(); text <- p.tostring().len();"))
        << LastError();
    EXPECT_EQ(GlobalInt("hits"), 42);
    EXPECT_EQ(GlobalInt("speed"), 6);
    EXPECT_GT(GlobalInt("text"), 0);
    EXPECT_FALSE(Run("local p = Particle(); local x = p.nothing;"));
    EXPECT_EQ(LastError(), "the index 'nothing' does not exist");
    EXPECT_FALSE(Run("local p = Particle(); p.nothing = 1;"));
    EXPECT_EQ(LastError(), "no such member");
}

TEST_F(Embedding, GetterThatRaisesAnErrorStopsTheLookup)
{
    ASSERT_TRUE(Run("class G { function _get(k) { throw \"getter failed\"; } }"
                    "try { local x = G().tostring(); } catch (e) { err <- e; }"));
    sq_pushroottable(v);
    sq_pushstring(v, "err", -1);
    ASSERT_EQ(sq_get(v, -2), SQ_OK);
    const SQChar* s = nullptr;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "getter failed");
    sq_pop(v, 2);
}

TEST_F(Embedding, TypeMasksFixTheParameterCountAndTypes)
{
    sq_pushroottable(v);
    sq_newclosure(v, NameLength, 0);
    ASSERT_EQ(sq_setparamscheck(v, SQ_MATCHTYPEMASKSTRING, ".s"), SQ_OK);
    sq_pushstring(v, "namelen", -1);
    sq_push(v, -2);
    sq_remove(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    struct Case
    {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"n <- namelen(\"four\");", nullptr},
        {"n <- namelen();", "wrong number of parameters"},
        {"n <- namelen(\"a\", \"b\");", "wrong number of parameters"},
        {"n <- namelen(3);", "parameter 1 has an invalid type 'integer' ; expected: 'string'"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Run(c.script), c.error == nullptr) << c.script;
        if (c.error)
        {
            EXPECT_EQ(LastError(), c.error) << c.script;
        }
    }
    EXPECT_EQ(GlobalInt("n"), 4);
}

TEST_F(Embedding, ReleaseHooksRunWithThePointerAndSizeWhenTheLastReferenceGoes)
{
    BindParticle();
    ASSERT_TRUE(Run("local p = Particle();"));
    EXPECT_EQ(g_hooks.count, 1);
    EXPECT_EQ(g_hooks.lastSize, 0); // an instance's hook is told no size
    // on collection: an instance that holds itself through a table
    ASSERT_TRUE(Run("class Holder extends Particle { me = null; } local h = Holder(); h.me = { i = h };"));
    EXPECT_EQ(g_hooks.count, 1);
    sq_collectgarbage(v);
    EXPECT_EQ(g_hooks.count, 2);
    // at close
    ASSERT_TRUE(Run("kept <- Particle();"));
    sq_close(v);
    v = nullptr;
    EXPECT_EQ(g_hooks.count, 3);
}

TEST_F(Embedding, BareInstancesHaveNoAreaRunNoConstructorAndSkipTheClassHook)
{
    BindParticle();
    Particle native{};
    native.hits = 99;
    sq_pushroottable(v);
    sq_pushstring(v, "Particle", -1);
    ASSERT_EQ(sq_get(v, -2), SQ_OK);
    sq_setreleasehook(v, -1, CountRelease); // the class's hook ends owned objects only
    ASSERT_EQ(sq_createbareinstance(v, -1), SQ_OK);
    SQUserPointer up = &native;
    ASSERT_EQ(sq_getinstanceup(v, -1, &up, nullptr), SQ_OK);
    EXPECT_EQ(up, nullptr);
    EXPECT_EQ(sq_getsize(v, -1), 0);
    sq_setinstanceup(v, -1, &native);
    sq_pushstring(v, "view", -1);
    sq_push(v, -2);
    sq_newslot(v, 1, SQFalse);
    sq_pop(v, 3);
    ASSERT_TRUE(Run("hits <- view.hits; view.hits = 5; view = null;"));
    EXPECT_EQ(GlobalInt("hits"), 99);
    EXPECT_EQ(native.hits, 5);
    EXPECT_EQ(g_hooks.count, 0);
    // the class is locked like after any instance
    EXPECT_FALSE(Run("Particle.extra <- 1;"));
}

TEST_F(Embedding, TryRawGetMissesWithoutAnError)
{
    sq_newtable(v);
    sq_pushstring(v, "a", -1);
    sq_pushinteger(v, 1);
    sq_newslot(v, -3, SQFalse);
    sq_reseterror(v);
    const SQInteger top = sq_gettop(v);
    sq_pushstring(v, "b", -1);
    EXPECT_EQ(sq_tryrawget(v, -2), SQ_ERROR);
    EXPECT_EQ(sq_gettop(v), top);
    sq_getlasterror(v);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);
    sq_pushstring(v, "a", -1);
    ASSERT_EQ(sq_tryrawget(v, -2), SQ_OK);
    SQInteger a = 0;
    sq_getinteger(v, -1, &a);
    EXPECT_EQ(a, 1);
    sq_pushinteger(v, 0);
    EXPECT_EQ(sq_tryrawget(v, -1), SQ_ERROR); // an integer has no slots: a miss too
    EXPECT_EQ(sq_gettop(v), top + 1);
    sq_pop(v, 2);
}

std::string g_report;

SQInteger ReportError(HSQUIRRELVM v)
{
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++)
        g_report += std::string(si.funcname) + ":" + std::to_string(si.line) + "\n";
    for (SQUnsignedInteger level = 0; level < 4; level++)
    {
        const SQChar* name;
        for (SQUnsignedInteger i = 0; (name = sq_getlocal(v, level, i)) != nullptr; i++)
        {
            sq_tostring(v, -1);
            const SQChar* text = "";
            sq_getstring(v, -1, &text);
            g_report +=
                std::string("[") + name + "] " + (sq_gettype(v, -2) == OT_TABLE ? "TABLE" : text) + "\n";
            sq_pop(v, 2);
        }
    }
    return 0;
}

TEST_F(Embedding, ErrorHandlerSeesTheCallStackAndTheLocalsOfAnUncaughtError)
{
    g_report.clear();
    sq_newclosure(v, ReportError, 0);
    sq_seterrorhandler(v);
    EXPECT_FALSE(Run("local factor = 3;\n"
                     "function Inner(x) {\n"
                     "  local label = \"deep\";\n"
                     "  return x.missing * factor;\n"
                     "}\n"
                     "function Outer() { return Inner(5) + 1; }\n"
                     "Outer();\n"));
    EXPECT_EQ(g_report.rfind("Inner:4\nOuter:6\nmain:7\n", 0), 0u) << g_report;
    // free variables first, then the locals as their scopes close: the last declared first, 'this' last
    EXPECT_NE(g_report.find("[factor] 3\n[label] deep\n[x] 5\n[this] TABLE\n"), std::string::npos)
        << g_report;
}

std::vector<std::string> g_events;

SQInteger RecordHook(HSQUIRRELVM v)
{
    SQInteger type = 0, line = 0;
    const SQChar* func = "?";
    sq_getinteger(v, 2, &type);
    sq_getinteger(v, 4, &line);
    if (sq_gettype(v, 5) == OT_STRING)
        sq_getstring(v, 5, &func);
    g_events.push_back(std::string(1, char(type)) + " " + func + " " + std::to_string(line));
    return 0;
}

TEST_F(Embedding, DebugHookSeesLinesCallsAndReturnsInOrder)
{
    g_events.clear();
    sq_enabledebuginfo(v, SQTrue);
    sq_newclosure(v, RecordHook, 0);
    sq_setdebughook(v);
    EXPECT_TRUE(Run("function Twice(n) {\n"
                    "  return n * 2;\n"
                    "}\n"
                    "local r = Twice(4);\n"));
    const std::vector<std::string> expected = {"c main 1",  "l main 1",  "l main 4", "c Twice 2",
                                               "l Twice 2", "r Twice 2", "r main 5"};
    EXPECT_EQ(g_events, expected);
    // (main returns where its source ends) without line information only calls and returns are seen
    g_events.clear();
    sq_enabledebuginfo(v, SQFalse);
    EXPECT_TRUE(Run("function One() { return 1; }\nOne();\n"));
    const std::vector<std::string> callsOnly = {"c main 1", "c One 1", "r One 1", "r main 3"};
    EXPECT_EQ(g_events, callsOnly);
    // a tail call is still a return of the caller and a call of the callee
    g_events.clear();
    EXPECT_TRUE(Run("function Leaf() { return 1; }\nfunction Tail() { return Leaf(); }\nTail();\n"));
    const std::vector<std::string> tail = {"c main 1", "c Tail 2", "c Leaf 1",
                                           "r Leaf 1", "r Tail 2", "r main 4"};
    EXPECT_EQ(g_events, tail);
    // a null hook stops the reports
    g_events.clear();
    sq_pushnull(v);
    sq_setdebughook(v);
    EXPECT_TRUE(Run("local z = 1;"));
    EXPECT_TRUE(g_events.empty());
}

TEST_F(Embedding, PrintDumpsArraysOnlyWhenSwitchedOn)
{
    ASSERT_TRUE(Run("print([1]);"));
    EXPECT_EQ(g_printed.rfind("(array : ", 0), 0u) << g_printed;
    g_printed.clear();
    sq_enablearrayprint(v, SQTrue);
    ASSERT_TRUE(Run("print([1, [2, 3], \"a\"]);"));
    EXPECT_EQ(g_printed, "Array: \n    1\n    Array: \n        2\n        3\n    a\n");
    g_printed.clear();
    ASSERT_TRUE(Run("local a = [1]; a.append(a); print(a); a.clear();"));
    EXPECT_EQ(g_printed.rfind("Array: \n    1\n    (array : ", 0), 0u) << g_printed;
}

TEST_F(Embedding, SmallBlockPoolServesTheVmsObjectsOnceSwitchedOn)
{
    HSQOBJECT before;
    sq_newtable(v);
    sq_getstackobj(v, -1, &before);
    EXPECT_FALSE(sq_smallblockpoolowns(before._unVal.pTable));
    sq_enablesmallblockpool();
    const SQInteger freeAtStart = sq_smallblockpoolfreecount();
    HSQOBJECT after;
    sq_newtable(v);
    sq_getstackobj(v, -1, &after);
    EXPECT_TRUE(sq_smallblockpoolowns(after._unVal.pTable));
    EXPECT_LT(sq_smallblockpoolfreecount(), freeAtStart);
    // a released block is the next one handed out
    sq_pop(v, 1);
    sq_newtable(v);
    HSQOBJECT again;
    sq_getstackobj(v, -1, &again);
    EXPECT_EQ(again._unVal.pTable, after._unVal.pTable);
    sq_pop(v, 2); // the table from before the switch goes back to the heap
    // closures and the locals they capture give every block they took back to the pool
    const SQInteger freeBeforeClosures = sq_smallblockpoolfreecount();
    ASSERT_TRUE(Run("local box = function(x) { return function() { return x; }; };"
                    "local sum = 0; for (local i = 0; i < 50; i++) sum += box(i)();"));
    EXPECT_EQ(sq_smallblockpoolfreecount(), freeBeforeClosures);
    // more objects than blocks: the rest come from the heap, and scripts run on
    ASSERT_TRUE(Run("keep <- []; for (local i = 0; i < 1500; i++) keep.append({ n = i });"
                    "total <- 0; foreach (t in keep) total += t.n;"));
    EXPECT_EQ(GlobalInt("total"), 1500 * 1499 / 2);
    sq_pushroottable(v);
    sq_pushstring(v, "keep", -1);
    ASSERT_EQ(sq_get(v, -2), SQ_OK);
    for (SQInteger index : {0, 1499})
    {
        sq_pushinteger(v, index);
        ASSERT_EQ(sq_get(v, -2), SQ_OK);
        HSQOBJECT table;
        sq_getstackobj(v, -1, &table);
        EXPECT_EQ(sq_smallblockpoolowns(table._unVal.pTable), index == 0 ? SQTrue : SQFalse) << index;
        sq_pop(v, 1);
    }
    sq_pop(v, 2);
    sq_close(v);
    v = nullptr;
    EXPECT_EQ(sq_smallblockpoolfreecount(), SQInteger(1024));
}
} // namespace

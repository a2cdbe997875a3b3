// The C API as host code written for Squirrel 3.0 meets it: each row is a sequence of calls on a fresh VM
// with the result of the last call, the stack top after it, and the value it leaves (the last error when
// one was raised, else the value on top).
#include "support/TempDir.h"

#include <sqstdio.h>
#include <squirrel.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{

// The text a host prints for the value at idx.
std::string Shown(HSQUIRRELVM v, SQInteger idx)
{
    switch (sq_gettype(v, idx))
    {
    case OT_NULL:
        return "null";
    case OT_STRING:
    {
        const SQChar* s = nullptr;
        sq_getstring(v, idx, &s);
        return s;
    }
    case OT_BOOL:
    {
        SQBool b = SQFalse;
        sq_getbool(v, idx, &b);
        return b ? "true" : "false";
    }
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
        return "function";
    case OT_INTEGER:
    case OT_FLOAT:
    {
        sq_tostring(v, idx);
        std::string text = Shown(v, -1);
        sq_poptop(v);
        return text;
    }
    default:
    {
        sq_typeof(v, idx);
        std::string text = Shown(v, -1);
        sq_poptop(v);
        return text;
    }
    }
}

std::string LastError(HSQUIRRELVM v)
{
    sq_getlasterror(v);
    std::string text = Shown(v, -1);
    sq_poptop(v);
    return text;
}

bool Compile(HSQUIRRELVM v, const char* source)
{
    return SQ_SUCCEEDED(sq_compilebuffer(v, source, SQInteger(strlen(source)), "capi", SQTrue));
}

// Runs a script with the root table as 'this'; the stack is left as it was.
bool RunScript(HSQUIRRELVM v, const char* source, SQBool raise = SQTrue)
{
    const SQInteger top = sq_gettop(v);
    bool ok = Compile(v, source);
    if (ok)
    {
        sq_pushroottable(v);
        ok = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, raise));
    }
    sq_settop(v, top);
    return ok;
}

// Pushes the global of that name.
void PushGlobal(HSQUIRRELVM v, const char* name)
{
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    sq_get(v, -2);
    sq_remove(v, -2);
}

void SetGlobalNative(HSQUIRRELVM v, const char* name, SQFUNCTION f)
{
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    sq_newclosure(v, f, 0);
    sq_setnativeclosurename(v, -1, name);
    sq_newslot(v, -3, SQFalse);
    sq_poptop(v);
}

struct Row
{
    const char* what;
    const char* script; // run first, may be null
    std::function<SQInteger(HSQUIRRELVM)> calls;
    SQInteger result;
    SQInteger top;
    const char* shown;
};

// Checks every row on its own VM.
void CheckRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        HSQUIRRELVM v = sq_open(1024);
        if (row.script)
        {
            ASSERT_TRUE(RunScript(v, row.script)) << LastError(v);
        }
        sq_reseterror(v);
        const SQInteger result = row.calls(v);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(sq_gettop(v), row.top);
        // a call that failed shows its error; one that worked, the value it left on top
        sq_getlasterror(v);
        const bool failed = sq_gettype(v, -1) != OT_NULL;
        sq_poptop(v);
        const std::string shown = failed ? LastError(v) : sq_gettop(v) > 0 ? Shown(v, -1) : "";
        EXPECT_EQ(shown, row.shown);
        sq_close(v);
    }
}

TEST(CApiStack, CallsMoveTheStackAsDocumented)
{
    CheckRows({
        {"cmp: the value on top greater", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 1);
             sq_pushinteger(v, 2);
             return sq_cmp(v);
         },
         1, 2, "2"},
        {"cmp: the value on top smaller", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 5);
             sq_pushfloat(v, 2.5f);
             return sq_cmp(v);
         },
         -1, 2, "2.5"},
        {"cmp: equal strings", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushstring(v, "a", -1);
             sq_pushstring(v, "a", -1);
             return sq_cmp(v);
         },
         0, 2, "a"},
        {"remove shifts the values above down", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 1);
             sq_pushinteger(v, 2);
             sq_pushinteger(v, 3);
             sq_remove(v, -2);
             return sq_cmp(v); // 3 against 1: integers compare as -1, 0 or 1
         },
         1, 2, "3"},
        {"settop grows with nulls", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 7);
             sq_settop(v, 3);
             return SQInteger(SQ_OK);
         },
         SQ_OK, 3, "null"},
        {"push copies a slot", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushstring(v, "first", -1);
             sq_pushinteger(v, 2);
             sq_push(v, 1);
             return SQInteger(SQ_OK);
         },
         SQ_OK, 3, "first"},
        {"pushing a null string pushes null", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushstring(v, nullptr, -1);
             return SQInteger(SQ_OK);
         },
         SQ_OK, 1, "null"},
        {"typeof honours _typeof",
         "class Meters { function _typeof() { return \"meters\"; } } m <- Meters();",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "m");
             return sq_typeof(v, -1);
         },
         SQ_OK, 2, "meters"},
        {"hash of an integer is its value", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 77);
             return SQInteger(sq_gethash(v, -1));
         },
         77, 1, "77"},
    });
}

TEST(CApiTables, FailuresLeaveTheStackAsHostCodeExpects)
{
    CheckRows({
        {"newslot needs three values", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushstring(v, "k", -1);
             return sq_newslot(v, -2, SQFalse);
         },
         SQ_ERROR, 2, "not enough params in the stack"},
        {"newslot into an array is refused, not ignored", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 0);
             sq_pushstring(v, "k", -1);
             sq_pushinteger(v, 1);
             return sq_newslot(v, -3, SQFalse);
         },
         SQ_ERROR, 3, "unexpected type array"},
        {"newslot with a null key", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushnull(v);
             sq_pushinteger(v, 1);
             return sq_newslot(v, -3, SQFalse);
         },
         SQ_ERROR, 3, "null is not a valid key"},
        {"newslot into an instantiated class fails after popping", "class Locked {} Locked();",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Locked");
             sq_pushstring(v, "late", -1);
             sq_pushinteger(v, 1);
             return sq_newslot(v, -3, SQFalse);
         },
         SQ_ERROR, 1, "trying to modify a class that has already been instantiated"},
        {"newslot then get", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtableex(v, 8);
             sq_pushstring(v, "k", -1);
             sq_pushinteger(v, 42);
             sq_newslot(v, -3, SQFalse);
             sq_pushstring(v, "k", -1);
             return sq_get(v, -2);
         },
         SQ_OK, 2, "42"},
        {"set of a missing key keeps key and value", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushstring(v, "nope", -1);
             sq_pushinteger(v, 1);
             return sq_set(v, -3);
         },
         SQ_ERROR, 3, "the index 'nope' does not exist"},
        {"set with a null key", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushnull(v);
             sq_pushinteger(v, 1);
             return sq_set(v, -3);
         },
         SQ_ERROR, 3, "the index 'null' does not exist"},
        {"get of a missing key pops the key", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushinteger(v, 9);
             return sq_get(v, -2);
         },
         SQ_ERROR, 1, "the index '9' does not exist"},
        {"get with a null key", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushnull(v);
             return sq_get(v, -2);
         },
         SQ_ERROR, 1, "the index 'null' does not exist"},
        {"rawset with a null key pops both", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushnull(v);
             sq_pushinteger(v, 1);
             return sq_rawset(v, -3);
         },
         SQ_ERROR, 1, "null key"},
        {"rawset on an integer pops both", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 3);
             sq_pushstring(v, "k", -1);
             sq_pushinteger(v, 1);
             return sq_rawset(v, -3);
         },
         SQ_ERROR, 1, "rawset works only on array/table/class and instance"},
        {"rawset of a missing instance member keeps both", "class Point { x = 0 } p <- Point();",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "p");
             sq_pushstring(v, "z", -1);
             sq_pushinteger(v, 1);
             return sq_rawset(v, -3);
         },
         SQ_ERROR, 3, "the index 'z' does not exist"},
        {"rawget of a weak reference gives its target", "held <- [1]; t <- { w = held.weakref() };",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "t");
             sq_pushstring(v, "w", -1);
             return sq_rawget(v, -2);
         },
         SQ_OK, 2, "array"},
        {"rawget of an array with a string key", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 2);
             sq_pushstring(v, "x", -1);
             return sq_rawget(v, -2);
         },
         SQ_ERROR, 1, "invalid index type for an array"},
        {"deleteslot of a missing key pops the key", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushstring(v, "gone", -1);
             return sq_deleteslot(v, -2, SQTrue);
         },
         SQ_ERROR, 1, "the index 'gone' does not exist"},
        {"deleteslot on an array keeps the key", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 1);
             sq_pushinteger(v, 0);
             return sq_deleteslot(v, -2, SQFalse);
         },
         SQ_ERROR, 2, "wrong argument type, expected 'table' got 'array'"},
        {"deleteslot with a null key keeps it", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushnull(v);
             return sq_deleteslot(v, -2, SQFalse);
         },
         SQ_ERROR, 2, "null is not a valid key"},
        {"deleteslot pushes the value it removed", "t <- { a = \"was here\" };",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "t");
             sq_pushstring(v, "a", -1);
             return sq_deleteslot(v, -2, SQTrue);
         },
         SQ_OK, 2, "was here"},
        {"rawdeleteslot of a missing key pushes null", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushstring(v, "gone", -1);
             return sq_rawdeleteslot(v, -2, SQTrue);
         },
         SQ_OK, 2, "null"},
        {"a delegate cycle is refused", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_push(v, -1);
             return sq_setdelegate(v, -2);
         },
         SQ_ERROR, 2, "delagate cycle"},
        {"a table without a delegate gives null", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             return sq_getdelegate(v, -1);
         },
         SQ_OK, 2, "null"},
        {"bools have no default delegate", nullptr,
         [](HSQUIRRELVM v) { return sq_getdefaultdelegate(v, OT_BOOL); }, SQ_ERROR, 0,
         "the type doesn't have a default delegate"},
        {"integers have one", nullptr, [](HSQUIRRELVM v) { return sq_getdefaultdelegate(v, OT_INTEGER); },
         SQ_OK, 1, "table"},
        {"the root table refuses an array", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 0);
             return sq_setroottable(v);
         },
         SQ_ERROR, 1, "ivalid type"},
        {"next cannot walk a generator", "function Gen() { yield 1; } g <- Gen();",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "g");
             sq_pushnull(v);
             return sq_next(v, -2);
         },
         SQ_ERROR, 2, "cannot iterate a generator"},
    });
}

TEST(CApiTables, NextOverAClassListsMembersNotMetamethods)
{
    HSQUIRRELVM v = sq_open(1024);
    ASSERT_TRUE(
        RunScript(v, "class Vec { x = 1; function _add(o) { return this; } function len() { return 0; } }"));
    PushGlobal(v, "Vec");
    sq_pushnull(v);
    std::vector<std::string> keys;
    for (int guard = 0; guard < 10 && SQ_SUCCEEDED(sq_next(v, -2)); guard++)
    {
        keys.push_back(Shown(v, -2));
        sq_pop(v, 2);
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"len", "x"}));
    sq_close(v);
}

TEST(CApiArrays, FailuresAndStackEffects)
{
    CheckRows({
        {"append needs a value", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 0);
             return sq_arrayappend(v, -1);
         },
         SQ_ERROR, 1, "not enough params in the stack"},
        {"append to a table", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushinteger(v, 1);
             return sq_arrayappend(v, -2);
         },
         SQ_ERROR, 2, "wrong argument type, expected 'array' got 'table'"},
        {"insert out of range still consumes the value", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 1);
             sq_pushinteger(v, 5);
             return sq_arrayinsert(v, -2, 3);
         },
         SQ_ERROR, 1, "index out of range"},
        {"insert at the end", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 1);
             sq_pushinteger(v, 5);
             sq_arrayinsert(v, -2, 1);
             return sq_arraypop(v, -1, SQTrue);
         },
         SQ_OK, 2, "5"},
        {"pop of an empty array", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 0);
             return sq_arraypop(v, -1, SQTrue);
         },
         SQ_ERROR, 1, "empty array"},
        {"negative resize", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 0);
             return sq_arrayresize(v, -1, -1);
         },
         SQ_ERROR, 1, "negative size"},
        {"remove out of range", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 2);
             return sq_arrayremove(v, -1, 2);
         },
         SQ_ERROR, 1, "index out of range"},
        {"reverse of an empty array", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 0);
             return sq_arrayreverse(v, -1);
         },
         SQ_OK, 1, "array"},
        {"clone refuses an integer", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 4);
             return sq_clone(v, -1);
         },
         SQ_ERROR, 1, "cloning a integer"},
        {"clone refuses userdata", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newuserdata(v, 4);
             return sq_clone(v, -1);
         },
         SQ_ERROR, 1, "cloning a userdata"},
        {"clone of an array", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newarray(v, 3);
             sq_clone(v, -1);
             return sq_getsize(v, -1);
         },
         3, 2, "array"},
        {"size of an integer", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 4);
             return sq_getsize(v, -1);
         },
         SQ_ERROR, 1, "unexpected type integer"},
    });
}

const SQUserPointer kShapeTag = SQUserPointer(0x51);

TEST(CApiClasses, OrdersTagsAttributesAndMembers)
{
    const char* shapes = "class Shape </ kind = \"base\" /> { </ unit = \"count\" /> sides = 0 }\n"
                         "class Square extends Shape {}\n"
                         "sq <- Square(); t <- {};";
    CheckRows({
        {"instanceof takes the class below the instance", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Shape");
             PushGlobal(v, "sq");
             return SQInteger(sq_instanceof(v));
         },
         SQTrue, 2, "instance"},
        {"instanceof with the order swapped", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "sq");
             PushGlobal(v, "Shape");
             return SQInteger(sq_instanceof(v));
         },
         SQ_ERROR, 2, "invalid param type"},
        {"a derived class has no type tag of its own", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Shape");
             sq_settypetag(v, -1, kShapeTag);
             PushGlobal(v, "Square");
             SQUserPointer tag = kShapeTag;
             sq_gettypetag(v, -1, &tag);
             return SQInteger(tag != nullptr);
         },
         0, 2, "class"},
        {"a member's attributes", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Shape");
             sq_pushstring(v, "sides", -1);
             sq_getattributes(v, -2);
             sq_pushstring(v, "unit", -1);
             return sq_get(v, -2);
         },
         SQ_OK, 3, "count"},
        {"attributes of a missing member keep the key", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Shape");
             sq_pushstring(v, "corners", -1);
             return sq_getattributes(v, -2);
         },
         SQ_ERROR, 2, "wrong index"},
        {"setting attributes of a missing member keeps key and value", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Shape");
             sq_pushstring(v, "corners", -1);
             sq_pushnull(v);
             return sq_setattributes(v, -3);
         },
         SQ_ERROR, 3, "wrong index"},
        {"attributes of a table", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "t");
             sq_pushnull(v);
             return sq_getattributes(v, -2);
         },
         SQ_ERROR, 2, "wrong argument type, expected 'class' got 'table'"},
        {"the base of a derived class", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Square");
             sq_getbase(v, -1);
             sq_pushnull(v);
             sq_getattributes(v, -2);
             sq_pushstring(v, "kind", -1);
             return sq_get(v, -2);
         },
         SQ_OK, 4, "base"},
        {"an instantiated class keeps its user data size", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Square");
             return sq_setclassudsize(v, -1, 16);
         },
         SQ_ERROR, 1, "the class is locked"},
        {"a new member with attributes", shapes,
         [](HSQUIRRELVM v)
         {
             sq_newclass(v, SQFalse);
             sq_pushstring(v, "speed", -1);
             sq_pushinteger(v, 3);
             sq_newtable(v);
             sq_pushstring(v, "max", -1);
             sq_pushinteger(v, 9);
             sq_newslot(v, -3, SQFalse);
             sq_newmember(v, -4, SQFalse);
             sq_pushstring(v, "speed", -1);
             sq_getattributes(v, -2);
             sq_pushstring(v, "max", -1);
             return sq_rawget(v, -2);
         },
         SQ_OK, 3, "9"},
        {"new members only go into classes", shapes,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushstring(v, "k", -1);
             sq_pushinteger(v, 1);
             sq_pushnull(v);
             return sq_rawnewmember(v, -4, SQFalse);
         },
         SQ_ERROR, 4, "new member only works with classes"},
        {"getclass of a table", shapes,
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "t");
             return sq_getclass(v, -1);
         },
         SQ_ERROR, 1, "wrong argument type, expected 'instance' got 'table'"},
    });
}

std::vector<std::string> g_released;

SQInteger RecordRelease(SQUserPointer p, SQInteger size)
{
    g_released.push_back(std::to_string(reinterpret_cast<uintptr_t>(p)) + "/" + std::to_string(size));
    return 1;
}

TEST(CApiClasses, ReleaseHooksOfClassesAndInstances)
{
    g_released.clear();
    HSQUIRRELVM v = sq_open(1024);
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, SQUserPointer(7));
    sq_setclassudsize(v, -1, 8);
    sq_setreleasehook(v, -1, RecordRelease);
    sq_createinstance(v, -1);
    sq_setinstanceup(v, -1, SQUserPointer(3));
    EXPECT_TRUE(g_released.empty());
    // the instance has no hook of its own: only its class's death is heard, with the tag
    sq_poptop(v);
    EXPECT_TRUE(g_released.empty());
    sq_createinstance(v, -1);
    sq_setinstanceup(v, -1, SQUserPointer(5));
    sq_setreleasehook(v, -1, RecordRelease);
    sq_poptop(v);
    sq_poptop(v);
    EXPECT_EQ(g_released, (std::vector<std::string>{"5/0", "7/0"}));
    sq_close(v);
}

// Tracked(id): an instance whose release hook records its id.
SQInteger TrackedConstructor(HSQUIRRELVM v)
{
    SQInteger id = 0;
    sq_getinteger(v, 2, &id);
    sq_setinstanceup(v, 1, reinterpret_cast<SQUserPointer>(uintptr_t(id)));
    sq_setreleasehook(v, 1, RecordRelease);
    return 0;
}

// A frame that ends lets go of its slots highest first, so the locals declared last are released first.
TEST(CApiClasses, AnEndingFrameReleasesItsLastLocalsFirst)
{
    struct Case
    {
        const char* what;
        const char* script;
        std::vector<std::string> released;
    };
    const Case cases[] = {
        {"a function's locals", "function F() { local a = Tracked(1), b = Tracked(2), c = Tracked(3); b = null; }\nF();",
         {"2/0", "3/0", "1/0"}},
        {"a generator's locals", "function G() { local a = Tracked(1), b = Tracked(2); yield 0; }\n"
         "local g = G(); resume g; resume g;",
         {"2/0", "1/0"}},
        {"the main function's locals", "local a = Tracked(1), b = Tracked(2), c = Tracked(3);", {"3/0", "2/0", "1/0"}},
    };
    for (const Case& c : cases)
    {
        g_released.clear();
        HSQUIRRELVM v = sq_open(1024);
        sq_pushroottable(v);
        sq_pushstring(v, "Tracked", -1);
        sq_newclass(v, SQFalse);
        sq_pushstring(v, "constructor", -1);
        sq_newclosure(v, TrackedConstructor, 0);
        sq_newslot(v, -3, SQFalse);
        sq_newslot(v, -3, SQFalse);
        sq_poptop(v);
        EXPECT_TRUE(RunScript(v, c.script)) << c.what << ": " << LastError(v);
        EXPECT_EQ(g_released, c.released) << c.what;
        sq_close(v);
    }
}

SQInteger FreeVariables(HSQUIRRELVM v)
{
    // arguments first (this and one), then the free variables
    sq_pushinteger(v, sq_gettop(v));
    sq_tostring(v, -1);
    std::string text = Shown(v, -1) + ":" + Shown(v, 3) + "," + Shown(v, 4);
    sq_pushstring(v, text.c_str(), -1);
    return 1;
}

SQInteger Callee(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_getcallee(v)))
        return SQ_ERROR;
    return SQ_SUCCEEDED(sq_getclosurename(v, -1)) ? 1 : SQ_ERROR;
}

TEST(CApiNatives, FreeVariablesNamesAndTypeMasks)
{
    CheckRows({
        {"the last free variable pushed is the first the native sees", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushstring(v, "pushed first", -1);
             sq_pushstring(v, "pushed last", -1);
             sq_newclosure(v, FreeVariables, 2);
             sq_pushroottable(v);
             sq_pushinteger(v, 1);
             return sq_call(v, 2, SQTrue, SQFalse);
         },
         SQ_OK, 2, "4:pushed last,pushed first"},
        {"free variable 0 is the one pushed last", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 10);
             sq_pushinteger(v, 20);
             sq_newclosure(v, FreeVariables, 2);
             sq_getfreevariable(v, -1, 0);
             return SQInteger(SQ_OK);
         },
         SQ_OK, 2, "20"},
        {"setting a free variable out of range keeps the value", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newclosure(v, FreeVariables, 0);
             sq_pushinteger(v, 1);
             return sq_setfreevariable(v, -2, 0);
         },
         SQ_ERROR, 2, "invalid free var index"},
        {"setting a free variable of a table", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushinteger(v, 1);
             return sq_setfreevariable(v, -2, 0);
         },
         SQ_ERROR, 2, "unexpected type table"},
        {"vargv counts as a parameter", "function Many(a, ...) {}",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Many");
             SQUnsignedInteger nparams = 0, nfree = 0;
             sq_getclosureinfo(v, -1, &nparams, &nfree);
             return SQInteger(nparams);
         },
         3, 1, "function"},
        {"a trailing '|' in a mask", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newclosure(v, FreeVariables, 0);
             return sq_setparamscheck(v, 2, ".i|");
         },
         SQ_ERROR, 1, "invalid typemask"},
        {"a leading '|' in a mask", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newclosure(v, FreeVariables, 0);
             return sq_setparamscheck(v, 2, "|i");
         },
         SQ_ERROR, 1, "invalid typemask"},
        {"alternatives in a mask", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newclosure(v, FreeVariables, 0);
             return sq_setparamscheck(v, SQ_MATCHTYPEMASKSTRING, ".i|f s");
         },
         SQ_OK, 1, "function"},
        {"the callee is the native running", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newclosure(v, Callee, 0);
             sq_setnativeclosurename(v, -1, "whoami");
             sq_pushroottable(v);
             return sq_call(v, 1, SQTrue, SQFalse);
         },
         SQ_OK, 2, "whoami"},
        {"no callee outside any call", nullptr, [](HSQUIRRELVM v) { return sq_getcallee(v); }, SQ_ERROR, 0,
         "no closure in the calls stack"},
        {"an anonymous function has a null name", "anon <- function() {}",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "anon");
             return sq_getclosurename(v, -1);
         },
         SQ_OK, 2, "null"},
        {"a named function's name", "function Named() {}",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "Named");
             return sq_getclosurename(v, -1);
         },
         SQ_OK, 2, "Named"},
        {"the name of a table", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             return sq_getclosurename(v, -1);
         },
         SQ_ERROR, 1, "the target is not a closure"},
        {"bindenv of an array", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newclosure(v, FreeVariables, 0);
             sq_newarray(v, 0);
             return sq_bindenv(v, -2);
         },
         SQ_ERROR, 2, "invalid environment"},
    });
}

TEST(CApiNatives, BindenvHoldsItsEnvironmentWeakly)
{
    HSQUIRRELVM v = sq_open(1024);
    ASSERT_TRUE(RunScript(v, "function Where() { return this; }"));
    PushGlobal(v, "Where");
    sq_newtable(v);
    sq_weakref(v, -1);
    HSQOBJECT watch;
    sq_getstackobj(v, -1, &watch);
    sq_addref(v, &watch);
    sq_poptop(v);
    ASSERT_EQ(sq_bindenv(v, -2), SQ_OK);
    EXPECT_EQ(sq_gettop(v), 2); // the environment was consumed, the bound copy pushed
    sq_pushobject(v, watch);
    sq_getweakrefval(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL); // nothing but the binding held the table
    sq_release(v, &watch);
    sq_close(v);
}

SQInteger g_handlerCalls = 0;

SQInteger CountHandler(HSQUIRRELVM)
{
    g_handlerCalls++;
    return 0;
}

// Runs a script the way a host that raises errors would, through a native that calls back into it.
SQInteger CallBack(HSQUIRRELVM v)
{
    sq_push(v, 2);
    sq_pushroottable(v);
    if (SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)))
        return SQ_ERROR;
    return 0;
}

SQInteger Throws(HSQUIRRELVM v)
{
    return sq_throwerror(v, "native failure");
}

TEST(CApiErrors, TheHandlerRunsOncePerLoopThatLeavesTheErrorUncaught)
{
    struct Case
    {
        const char* what;
        const char* script;
        bool notifyAll;
        SQInteger calls;
    };
    const Case cases[] = {
        {"uncaught in script", "throw \"x\";", false, 1},
        {"caught in script", "try { throw \"x\"; } catch (e) {}", false, 0},
        {"caught, all exceptions notified", "try { throw \"x\"; } catch (e) {}", true, 1},
        {"across a native calling back, uncaught", "callback(function() { throw \"x\"; });", false, 2},
        {"across a native, caught outside it", "try { callback(function() { throw \"x\"; }); } catch (e) {}",
         false, 1},
        {"across a native, caught inside the callback",
         "callback(function() { try { throw \"x\"; } catch (e) {} });", false, 0},
        {"a native failing in script", "throws();", false, 1},
        {"a failing metamethod", "class G { function _get(k) { throw \"no \" + k; } } G().missing;", false,
         1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        HSQUIRRELVM v = sq_open(1024);
        SetGlobalNative(v, "callback", CallBack);
        SetGlobalNative(v, "throws", Throws);
        sq_newclosure(v, CountHandler, 0);
        sq_seterrorhandler(v);
        sq_notifyallexceptions(v, c.notifyAll ? SQTrue : SQFalse);
        g_handlerCalls = 0;
        RunScript(v, c.script);
        EXPECT_EQ(g_handlerCalls, c.calls);
        sq_close(v);
    }
}

TEST(CApiErrors, HostCallsThatFailAndWhatTheyReport)
{
    CheckRows({
        {"a native called directly reaches no handler", nullptr,
         [](HSQUIRRELVM v)
         {
             g_handlerCalls = 0;
             sq_newclosure(v, CountHandler, 0);
             sq_seterrorhandler(v);
             sq_newclosure(v, Throws, 0);
             sq_pushroottable(v);
             const SQRESULT r = sq_call(v, 1, SQFalse, SQTrue);
             return g_handlerCalls == 0 ? r : SQInteger(99);
         },
         SQ_ERROR, 1, "native failure"},
        {"a script error with raiseerror off reaches no handler", nullptr,
         [](HSQUIRRELVM v)
         {
             g_handlerCalls = 0;
             sq_newclosure(v, CountHandler, 0);
             sq_seterrorhandler(v);
             Compile(v, "throw \"quiet\";");
             sq_pushroottable(v);
             const SQRESULT r = sq_call(v, 1, SQFalse, SQFalse);
             return g_handlerCalls == 0 ? r : SQInteger(99);
         },
         SQ_ERROR, 1, "quiet"},
        {"resuming a failing generator raises only when asked",
         "function Gen() { yield 1; throw \"spent\"; } g <- Gen();",
         [](HSQUIRRELVM v)
         {
             g_handlerCalls = 0;
             sq_newclosure(v, CountHandler, 0);
             sq_seterrorhandler(v);
             PushGlobal(v, "g");
             sq_resume(v, SQFalse, SQFalse);
             const SQRESULT quiet = sq_resume(v, SQFalse, SQFalse);
             return quiet == SQ_ERROR && g_handlerCalls == 0 ? quiet : SQInteger(99);
         },
         SQ_ERROR, 1, "spent"},
        {"calling an integer says so", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 3);
             sq_pushroottable(v);
             return sq_call(v, 1, SQFalse, SQFalse);
         },
         SQ_ERROR, 1, "attempt to call 'integer'"},
        {"an error handler that is not a function is left on the stack", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 12);
             sq_seterrorhandler(v);
             return SQInteger(SQ_OK);
         },
         SQ_OK, 1, "12"},
        {"getstring of an integer", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 5);
             const SQChar* s = nullptr;
             return sq_getstring(v, -1, &s);
         },
         SQ_ERROR, 1, "wrong argument type, expected 'string' got '5'"},
        {"getthread of a float", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushfloat(v, 1.5f);
             HSQUIRRELVM t = nullptr;
             return sq_getthread(v, -1, &t);
         },
         SQ_ERROR, 1, "wrong argument type, expected 'thread' got '1.5'"},
        {"getuserpointer of a table", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             SQUserPointer p = nullptr;
             return sq_getuserpointer(v, -1, &p);
         },
         SQ_ERROR, 1, "wrong argument type, expected 'userdata' got 'table'"},
        {"getuserdata of a string", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushstring(v, "text", -1);
             SQUserPointer p = nullptr;
             return sq_getuserdata(v, -1, &p, nullptr);
         },
         SQ_ERROR, 1, "wrong argument type, expected 'userdata' got 'text'"},
        {"gettypetag of an integer", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 1);
             SQUserPointer tag = nullptr;
             return sq_gettypetag(v, -1, &tag);
         },
         SQ_ERROR, 1, "invalid object type"},
        {"getinteger refuses a bool", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushbool(v, SQTrue);
             SQInteger i = 0;
             return sq_getinteger(v, -1, &i);
         },
         SQ_ERROR, 1, "true"},
        {"throwobject makes any value the error", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 404);
             return sq_throwobject(v);
         },
         SQ_ERROR, 0, "404"},
        {"function info with nothing running", nullptr,
         [](HSQUIRRELVM v)
         {
             SQFunctionInfo fi;
             return sq_getfunctioninfo(v, 0, &fi);
         },
         SQ_ERROR, 0, "the object is not a closure"},
    });
}

TEST(CApiCompile, CompilingPushesAClosureOrReportsTheError)
{
    CheckRows({
        {"a good buffer", nullptr,
         [](HSQUIRRELVM v) { return SQInteger(Compile(v, "local a = 1;") ? 0 : -1); }, SQ_OK, 1, "function"},
        {"a bad buffer pushes nothing", nullptr,
         [](HSQUIRRELVM v) { return SQInteger(Compile(v, "local = ;") ? 0 : -1); }, SQ_ERROR, 0,
         "expected 'IDENTIFIER'"},
        {"the compiled closure is named main", nullptr,
         [](HSQUIRRELVM v)
         {
             Compile(v, "return 1;");
             return sq_getclosurename(v, -1);
         },
         SQ_OK, 2, "main"},
    });
}

std::vector<std::string> g_seen;

SQInteger Probe(HSQUIRRELVM v)
{
    SQStackInfos si;
    for (SQInteger level = 0; level < 2 && SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++)
        g_seen.push_back(std::string(si.funcname ? si.funcname : "(null)") + "@" +
                         (si.source ? si.source : "(null)") + ":" + std::to_string(si.line));
    for (SQUnsignedInteger i = 0; const SQChar* name = sq_getlocal(v, 1, i); i++)
    {
        g_seen.push_back(std::string("[") + name + "] " + Shown(v, -1));
        sq_poptop(v);
    }
    return 0;
}

TEST(CApiDebug, StackInfosAndLocalsAsReportsPrintThem)
{
    struct Case
    {
        const char* what;
        const char* script;
        std::vector<std::string> seen;
    };
    const Case cases[] = {
        {"locals close last-declared first, this last",
         "function F(a) {\n local x = 1;\n { local gone = 0; }\n local z = \"zed\";\n probe();\n}\nF(7);",
         {"probe@NATIVE:-1", "F@capi:5", "[z] zed", "[x] 1", "[a] 7", "[this] table"}},
        {"an inner block's locals come before the enclosing ones",
         "function G() {\n local outer = 1;\n if (true) {\n  local inner = 2;\n  probe();\n }\n}\nG();",
         {"probe@NATIVE:-1", "G@capi:5", "[inner] 2", "[outer] 1", "[this] table"}},
        {"an anonymous function has no name",
         "(function() {\n probe();\n})();",
         {"probe@NATIVE:-1", "(null)@capi:2", "[this] table"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        HSQUIRRELVM v = sq_open(1024);
        sq_enabledebuginfo(v, SQTrue);
        SetGlobalNative(v, "probe", Probe);
        g_seen.clear();
        ASSERT_TRUE(RunScript(v, c.script)) << LastError(v);
        EXPECT_EQ(g_seen, c.seen);
        sq_close(v);
    }
}

std::vector<std::string> g_hooked;

void NativeHook(HSQUIRRELVM, SQInteger type, const SQChar* source, SQInteger line, const SQChar* func)
{
    g_hooked.push_back(std::string(1, char(type)) + " " + (func ? func : "(null)") + " " +
                       (source ? source : "(null)") + " " + std::to_string(line));
}

TEST(CApiDebug, ANativeDebugHookSeesCallsLinesAndReturns)
{
    g_hooked.clear();
    HSQUIRRELVM v = sq_open(1024);
    sq_enabledebuginfo(v, SQTrue);
    sq_setnativedebughook(v, NativeHook);
    ASSERT_TRUE(RunScript(v, "function Twice(n) {\n  return n * 2;\n}\nTwice(1);\n"));
    const std::vector<std::string> expected = {"c main capi 1",  "l main capi 1",  "l main capi 4",
                                               "c Twice capi 2", "l Twice capi 2", "r Twice capi 2",
                                               "r main capi 5"};
    EXPECT_EQ(g_hooked, expected);
    // a script hook replaces it
    g_hooked.clear();
    sq_pushnull(v);
    sq_setdebughook(v);
    ASSERT_TRUE(RunScript(v, "local a = 1;"));
    EXPECT_TRUE(g_hooked.empty());
    sq_close(v);
}

TEST(CApiReferences, TheHostCountsItsOwnReferences)
{
    HSQUIRRELVM v = sq_open(1024);
    sq_newtable(v);
    HSQOBJECT held;
    sq_getstackobj(v, -1, &held);
    HSQOBJECT stray = held;
    sq_weakref(v, -1);
    HSQOBJECT watch;
    sq_getstackobj(v, -1, &watch);
    sq_addref(v, &watch);
    sq_pop(v, 2);
    EXPECT_EQ(sq_getrefcount(v, &held), 0u);
    EXPECT_EQ(sq_release(v, &stray), SQFalse); // never added: nothing happens
    sq_resetobject(&stray);
    sq_newtable(v);
    sq_getstackobj(v, -1, &held);
    sq_addref(v, &held);
    sq_addref(v, &held);
    sq_poptop(v);
    EXPECT_EQ(sq_getrefcount(v, &held), 2u);
    EXPECT_EQ(sq_release(v, &held), SQFalse);
    EXPECT_EQ(held._type, OT_TABLE); // still held, so the handle stays
    EXPECT_EQ(sq_getrefcount(v, &held), 1u);
    sq_pushobject(v, held);
    sq_weakref(v, -1);
    HSQOBJECT second;
    sq_getstackobj(v, -1, &second);
    sq_addref(v, &second);
    sq_pop(v, 2);
    EXPECT_EQ(sq_release(v, &held), SQTrue);
    EXPECT_EQ(held._type, OT_NULL); // the last reference clears the handle
    sq_pushobject(v, second);
    sq_getweakrefval(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL); // and the table is gone
    sq_pop(v, 2);
    sq_release(v, &second);
    sq_release(v, &watch);
    EXPECT_EQ(sq_getrefcount(v, &watch), 0u);
    sq_close(v);
}

std::vector<std::string> g_closed;

SQInteger RecordClose(SQUserPointer p, SQInteger)
{
    g_closed.push_back(static_cast<const char*>(*static_cast<const char* const*>(p)));
    return 1;
}

void PushTaggedUserData(HSQUIRRELVM v, const char* name)
{
    *static_cast<const char**>(sq_newuserdata(v, sizeof(const char*))) = name;
    sq_setreleasehook(v, -1, RecordClose);
}

TEST(CApiReferences, CloseReleasesGlobalsThenTheStackThenTheHostsReferences)
{
    g_closed.clear();
    HSQUIRRELVM v = sq_open(1024);
    PushTaggedUserData(v, "held");
    HSQOBJECT held;
    sq_getstackobj(v, -1, &held);
    sq_addref(v, &held);
    sq_poptop(v);
    sq_pushroottable(v);
    sq_pushstring(v, "global", -1);
    PushTaggedUserData(v, "global");
    sq_newslot(v, -3, SQFalse);
    sq_poptop(v);
    PushTaggedUserData(v, "stack");
    sq_close(v);
    EXPECT_EQ(g_closed, (std::vector<std::string>{"global", "stack", "held"}));
}

TEST(CApiValues, ConversionsCollectionAndVersion)
{
    CheckRows({
        {"objtobool of a non-bool", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 1);
             HSQOBJECT o;
             sq_getstackobj(v, -1, &o);
             return SQInteger(sq_objtobool(&o));
         },
         SQFalse, 1, "1"},
        {"objtobool of true", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushbool(v, SQTrue);
             HSQOBJECT o;
             sq_getstackobj(v, -1, &o);
             return SQInteger(sq_objtobool(&o));
         },
         SQTrue, 1, "true"},
        {"collecting counts cycles, not objects",
         "function Ring(n) { local first = {}; local t = first; for (local i = 1; i < n; i++) { local next = "
         "{ prev = t }; t.next <- next; t = next; } t.next <- first; }\nRing(3); Ring(5);",
         [](HSQUIRRELVM v) { return sq_collectgarbage(v); }, 2, 0, ""},
        {"nothing to collect", nullptr, [](HSQUIRRELVM v) { return sq_collectgarbage(v); }, 0, 0, ""},
        {"unreachable objects come back in an array", "local a = {}; local b = { a = a }; a.b <- b;",
         [](HSQUIRRELVM v)
         {
             sq_resurrectunreachable(v);
             return sq_getsize(v, -1);
         },
         2, 1, "array"},
        {"a weak reference to an integer is the integer", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushinteger(v, 8);
             sq_weakref(v, -1);
             return SQInteger(sq_gettype(v, -1) == OT_INTEGER);
         },
         1, 2, "8"},
        {"the target of something that is no weak reference", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             return sq_getweakrefval(v, -1);
         },
         SQ_ERROR, 1, "the object must be a weakref"},
        {"nothing unreachable gives null", nullptr, [](HSQUIRRELVM v) { return sq_resurrectunreachable(v); },
         SQ_OK, 1, "null"},
        {"the version number", nullptr, [](HSQUIRRELVM) { return sq_getversion(); }, SQUIRREL_VERSION_NUMBER,
         0, ""},
    });
}

SQInteger TakesUserPointer(HSQUIRRELVM)
{
    return 0;
}

// A writer that takes the first `room` calls and fails every one after.
SQInteger WriteInto(SQUserPointer room, SQUserPointer, SQInteger size)
{
    SQInteger& left = *static_cast<SQInteger*>(room);
    return left-- > 0 ? size : -1;
}

struct Bytes
{
    const char* data;
    size_t size;
    size_t at;
};

SQInteger ReadFrom(SQUserPointer user, SQUserPointer dest, SQInteger size)
{
    Bytes& b = *static_cast<Bytes*>(user);
    const size_t n = std::min(size_t(size), b.size - b.at);
    memcpy(dest, b.data + b.at, n);
    b.at += n;
    return SQInteger(n);
}

SQRESULT ReadClosure(HSQUIRRELVM v, const char* data, size_t size)
{
    Bytes b{data, size, 0};
    return sq_readclosure(v, ReadFrom, &b);
}

SQRESULT WriteClosure(HSQUIRRELVM v, SQInteger room)
{
    Compile(v, "return 1;");
    return sq_writeclosure(v, WriteInto, &room);
}

// The texts and stack effects of host data and of failed calls, as 3.0 has them.
TEST(CApiValues, HostDataAndFailedCallsReportAs30)
{
    CheckRows({
        {"a user pointer is userdata to typeof", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushuserpointer(v, nullptr);
             return sq_typeof(v, -1);
         },
         SQ_OK, 2, "userdata"},
        {"a user pointer as text", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushuserpointer(v, reinterpret_cast<SQUserPointer>(0x1234));
             return sq_tostring(v, -1);
         },
         SQ_OK, 2, "(userdata : 0x0x1234)"},
        {"a 'p' parameter mask names userdata", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newclosure(v, TakesUserPointer, 0);
             sq_setparamscheck(v, 2, ".p");
             sq_pushroottable(v);
             sq_pushinteger(v, 3);
             return sq_call(v, 2, SQFalse, SQFalse);
         },
         SQ_ERROR, 1, "parameter 1 has an invalid type 'integer' ; expected: 'userdata'"},
        {"a null user pointer is false", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushuserpointer(v, nullptr);
             SQBool b = SQTrue;
             sq_tobool(v, -1, &b);
             return SQInteger(b);
         },
         SQFalse, 1, "userdata"},
        {"any other user pointer is true", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushuserpointer(v, &v);
             SQBool b = SQFalse;
             sq_tobool(v, -1, &b);
             return SQInteger(b);
         },
         SQTrue, 1, "userdata"},
        {"cloning a user pointer", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_pushuserpointer(v, nullptr);
             return sq_clone(v, -1);
         },
         SQ_ERROR, 1, "cloning a userdata"},
        {"a member handle of a missing member leaves the key", "class K { x = 1 }",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "K");
             sq_pushstring(v, "y", -1);
             HSQMEMBERHANDLE h;
             return sq_getmemberhandle(v, -2, &h);
         },
         SQ_ERROR, 2, "wrong index"},
        {"a member handle of a table", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             sq_pushstring(v, "y", -1);
             HSQMEMBERHANDLE h;
             return sq_getmemberhandle(v, -2, &h);
         },
         SQ_ERROR, 2, "wrong argument type, expected 'class' got 'table'"},
        {"a found member handle pops the key", "class K { x = 7 }",
         [](HSQUIRRELVM v)
         {
             PushGlobal(v, "K");
             sq_pushstring(v, "x", -1);
             HSQMEMBERHANDLE h;
             sq_getmemberhandle(v, -2, &h);
             return sq_getbyhandle(v, -1, &h);
         },
         SQ_OK, 2, "7"},
        {"get by handle on a table", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             HSQMEMBERHANDLE h{SQFalse, 0};
             return sq_getbyhandle(v, -1, &h);
         },
         SQ_ERROR, 1, "wrong type(expected class or instance)"},
        {"writing something that is no closure", nullptr,
         [](HSQUIRRELVM v)
         {
             sq_newtable(v);
             SQInteger room = 100;
             return sq_writeclosure(v, WriteInto, &room);
         },
         SQ_ERROR, 1, "wrong argument type, expected 'function' got 'table'"},
        {"a writer that fails at once", nullptr, [](HSQUIRRELVM v) { return WriteClosure(v, 0); }, SQ_ERROR, 1,
         "io error"},
        {"a writer that fails after the stream tag", nullptr, [](HSQUIRRELVM v) { return WriteClosure(v, 1); },
         SQ_ERROR, 1, "io error (write function failure)"},
        {"reading from an empty stream", nullptr, [](HSQUIRRELVM v) { return ReadClosure(v, "", 0); }, SQ_ERROR,
         0, "io error"},
        {"reading source text as bytecode", nullptr, [](HSQUIRRELVM v) { return ReadClosure(v, "print", 5); },
         SQ_ERROR, 0, "invalid stream"},
        {"reading a stream tag alone", nullptr, [](HSQUIRRELVM v) { return ReadClosure(v, "\xFA\xFA", 2); },
         SQ_ERROR, 0, "io error, read function failure, the origin stream could be corrupted/trucated"},
    });
}

SQInteger ThreadBody(HSQUIRRELVM v)
{
    sq_pushstring(v, "from the thread", -1);
    return 1;
}

TEST(CApiThreads, ThreadsShareTheRootAndMoveValues)
{
    CheckRows({
        {"newthread pushes the thread on its friend", nullptr,
         [](HSQUIRRELVM v)
         {
             HSQUIRRELVM t = sq_newthread(v, 256);
             HSQUIRRELVM same = nullptr;
             sq_getthread(v, -1, &same);
             return SQInteger(same == t && sq_getvmstate(t) == SQ_VMSTATE_IDLE);
         },
         1, 1, "thread"},
        {"a value moves between threads", nullptr,
         [](HSQUIRRELVM v)
         {
             HSQUIRRELVM t = sq_newthread(v, 256);
             sq_pushstring(t, "moved", -1);
             sq_move(v, t, -1);
             return sq_gettop(t);
         },
         1, 2, "moved"},
        {"a thread sees the root table of its friend", "shared <- 5;",
         [](HSQUIRRELVM v)
         {
             HSQUIRRELVM t = sq_newthread(v, 256);
             PushGlobal(t, "shared");
             sq_move(v, t, -1);
             return SQInteger(SQ_OK);
         },
         SQ_OK, 2, "5"},
        {"a native runs on a thread", nullptr,
         [](HSQUIRRELVM v)
         {
             HSQUIRRELVM t = sq_newthread(v, 256);
             sq_newclosure(t, ThreadBody, 0);
             sq_pushroottable(t);
             sq_call(t, 1, SQTrue, SQFalse);
             sq_move(v, t, -1);
             return sq_gettop(t);
         },
         2, 2, "from the thread"},
    });
}

TEST(CApiStreams, TheFileWrappersReadWriteAndSeek)
{
    TempDir dir;
    const std::string path = dir.PathOf("bytes.bin");
    SQFILE f = sqstd_fopen(path.c_str(), "wb+");
    ASSERT_NE(f, nullptr);
    char text[] = "squirrel";
    EXPECT_EQ(sqstd_fwrite(text, 1, 8, f), 8);
    EXPECT_EQ(sqstd_fflush(f), 0);
    EXPECT_EQ(sqstd_ftell(f), 8);
    EXPECT_EQ(sqstd_fseek(f, 3, SQ_SEEK_SET), 0);
    char buffer[8] = {};
    EXPECT_EQ(sqstd_fread(buffer, 1, 8, f), 5);
    EXPECT_EQ(std::string(buffer, 5), "irrel");
    EXPECT_NE(sqstd_feof(f), 0);
    EXPECT_EQ(sqstd_fseek(f, -2, SQ_SEEK_END), 0);
    EXPECT_EQ(sqstd_ftell(f), 6);
    EXPECT_EQ(sqstd_fseek(f, 1, SQ_SEEK_CUR), 0);
    EXPECT_EQ(sqstd_ftell(f), 7);
    EXPECT_EQ(sqstd_fseek(f, 0, 9), -1); // not an origin
    EXPECT_EQ(sqstd_fclose(f), 0);
    EXPECT_EQ(sqstd_fopen(dir.PathOf("missing/none").c_str(), "rb"), nullptr);
}

} // namespace

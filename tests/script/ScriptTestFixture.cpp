#include "ScriptTestFixture.h"

#include "script/MathScriptAPI.h"

#include <cstdarg>
#include <cstdio>

namespace
{
ScriptTest* g_current = nullptr;

void CollectPrint(HSQUIRRELVM, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    ScriptTest::s_printed += text;
}

void PushGlobal(HSQUIRRELVM vm, const char* name)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    if (SQ_FAILED(sq_rawget(vm, -2)))
        sq_pushnull(vm);
    sq_remove(vm, -2);
}

// The global through the VM's typed getter, or the fallback when it has none of that type.
template <class T> T GlobalValue(const char* name, SQRESULT (*get)(HSQUIRRELVM, SQInteger, T*), T fallback)
{
    PushGlobal(ScriptGetVM(), name);
    T value = fallback;
    get(ScriptGetVM(), -1, &value);
    sq_pop(ScriptGetVM(), 1);
    return value;
}
} // namespace

void ScriptTest::Register(HSQUIRRELVM vm)
{
    RegisterMathScriptAPI(vm);
    RegisterRgba8888ScriptAPI(vm);
}

void ScriptTest::SetUp()
{
    g_current = this;
    s_printed.clear();
    ASSERT_TRUE(dir.MakeFolder("data"));
    FileTableMountDataTree(dir.Root().c_str());
    ASSERT_TRUE(ScriptInit(false, [](HSQUIRRELVM vm) { g_current->Register(vm); }));
    sq_setprintfunc(ScriptGetVM(), CollectPrint, CollectPrint);
}

void ScriptTest::TearDown()
{
    ScriptShutdown();
    FileWatchInit("");
    FileTableRebuild("no such folder");
    g_current = nullptr;
}

void ScriptTest::WriteScript(const std::string& name, const std::string& text)
{
    ASSERT_TRUE(dir.WriteFile("data/" + name, text));
    FileTableMountDataTree(dir.Root().c_str());
}

bool ScriptTest::LoadScript(const std::string& name, const std::string& text)
{
    WriteScript(name, text);
    return ScriptLoadFile(vm(), "game", name.c_str());
}

void ScriptTest::Run(const std::string& code)
{
    ScriptRunString(vm(), code.c_str(), static_cast<SQInteger>(code.size()), "test");
}

bool ScriptTest::HasGlobal(const char* name)
{
    sq_pushroottable(vm());
    sq_pushstring(vm(), name, -1);
    const bool found = SQ_SUCCEEDED(sq_rawget(vm(), -2));
    sq_pop(vm(), found ? 2 : 1);
    return found;
}

float ScriptTest::GlobalFloat(const char* name)
{
    return GlobalValue<SQFloat>(name, sq_getfloat, -12345.0f);
}

// A bool global reads as 0 or 1 (the VM's integer getter refuses bools).
int ScriptTest::GlobalInt(const char* name)
{
    if (GlobalType(name) == "bool")
        return GlobalValue<SQBool>(name, sq_getbool, SQFalse) ? 1 : 0;
    return GlobalValue<SQInteger>(name, sq_getinteger, -12345);
}

std::string ScriptTest::GlobalString(const char* name)
{
    PushGlobal(vm(), name);
    const SQChar* text = "<not a string>";
    sq_getstring(vm(), -1, &text);
    std::string result = text;
    sq_pop(vm(), 1);
    return result;
}

std::string ScriptTest::GlobalType(const char* name)
{
    PushGlobal(vm(), name);
    const SQObjectType type = sq_gettype(vm(), -1);
    sq_pop(vm(), 1);
    switch (type)
    {
    case OT_NULL:
        return "null";
    case OT_INTEGER:
        return "integer";
    case OT_FLOAT:
        return "float";
    case OT_BOOL:
        return "bool";
    case OT_STRING:
        return "string";
    case OT_INSTANCE:
        return "instance";
    default:
        return "other";
    }
}

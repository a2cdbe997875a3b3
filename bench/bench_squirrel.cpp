// The same small programs in Squirrel and in Lua 5.4 (bench/scripts/<name>.nut and .lua); compare the pairs.
// Each pair is written the same way in both languages (fib calls a global function in both); generators are
// Lua coroutines.
#include <sqstdstring.h>
#include <squirrel.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#ifdef PENDREL_HAVE_LUA
extern "C"
{
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}
#endif

namespace
{

std::string ReadScript(const std::string& name)
{
    std::ifstream in(std::string(PENDREL_BENCH_SCRIPTS) + "/" + name, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void Squirrel(benchmark::State& state, const char* name)
{
    const std::string source = ReadScript(std::string(name) + ".nut");
    HSQUIRRELVM v = sq_open(1024);
    sq_pushroottable(v);
    sq_registerbaselib(v);
    sqstd_register_stringlib(v);
    sq_pop(v, 1);
    if (SQ_FAILED(sq_compilebuffer(v, source.data(), SQInteger(source.size()), name, SQFalse)))
    {
        state.SkipWithError("compile failed");
        sq_close(v);
        return;
    }
    for (auto _ : state)
    {
        sq_push(v, -1);
        sq_pushroottable(v);
        if (SQ_FAILED(sq_call(v, 1, SQTrue, SQFalse)))
        {
            state.SkipWithError("script failed");
            break;
        }
        sq_pop(v, 2);
    }
    sq_close(v);
}

#ifdef PENDREL_HAVE_LUA
void Lua(benchmark::State& state, const char* name)
{
    const std::string source = ReadScript(std::string(name) + ".lua");
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    if (luaL_loadbuffer(L, source.data(), source.size(), name) != LUA_OK)
    {
        state.SkipWithError("compile failed");
        lua_close(L);
        return;
    }
    for (auto _ : state)
    {
        lua_pushvalue(L, -1);
        if (lua_pcall(L, 0, 1, 0) != LUA_OK)
        {
            state.SkipWithError("script failed");
            break;
        }
        lua_pop(L, 1);
    }
    lua_close(L);
}
#define PEER(name) BENCHMARK_CAPTURE(Lua, name, #name)->Unit(benchmark::kMillisecond);
#else
#define PEER(name)
#endif

#define PROGRAM(name)                                                                                        \
    BENCHMARK_CAPTURE(Squirrel, name, #name)->Unit(benchmark::kMillisecond);                                 \
    PEER(name)

PROGRAM(fib)
PROGRAM(loop)
PROGRAM(tables)
PROGRAM(objects)
PROGRAM(strings)
PROGRAM(text)
PROGRAM(strwork)  // concatenation, format, slice and tostring together
PROGRAM(strbuild) // a string grown with += in short steps
PROGRAM(sort)
PROGRAM(closures)
PROGRAM(regexp) // Lua's peer uses its own patterns: a different matcher on the same search

} // namespace

BENCHMARK_MAIN();

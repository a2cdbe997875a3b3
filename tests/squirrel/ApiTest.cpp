// Driving scripts from C: calls with arguments and results, native functions, release hooks and collection.
#include <squirrel.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

class Vm : public testing::Test
{
protected:
    void SetUp() override
    {
        v = sq_open(1024);
        sq_pushroottable(v);
        sq_registerbaselib(v);
        sq_pop(v, 1);
    }
    void TearDown() override { sq_close(v); }
    void Run(const char* source)
    {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, source, SQInteger(strlen(source)), "api", SQTrue)));
        sq_pushroottable(v);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
        sq_pop(v, 1);
    }
    void RegisterNative(const char* name, SQFUNCTION f)
    {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        sq_newclosure(v, f, 0);
        sq_newslot(v, -3, SQFalse);
        sq_pop(v, 1);
    }
    HSQUIRRELVM v = nullptr;
};

TEST_F(Vm, CallsAScriptFunctionWithArgumentsAndReadsTheResult)
{
    Run("function mul(a, b) { return a * b; }");
    sq_pushroottable(v);
    sq_pushstring(v, "mul", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_pushroottable(v);
    sq_pushinteger(v, 6);
    sq_pushfloat(v, 0.5f);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 3, SQTrue, SQTrue)));
    SQFloat result = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getfloat(v, -1, &result)));
    EXPECT_EQ(3.0f, result);
    sq_pop(v, 3);
    EXPECT_EQ(0, sq_gettop(v));
}

SQInteger NativeSum(HSQUIRRELVM v)
{
    SQInteger n = sq_gettop(v), total = 0;
    for (SQInteger i = 2; i <= n; i++)
    {
        SQInteger x;
        if (SQ_FAILED(sq_getinteger(v, i, &x)))
            return sq_throwerror(v, "integers only");
        total += x;
    }
    sq_pushinteger(v, total);
    return 1;
}

TEST_F(Vm, ScriptsCallNativeFunctionsAndSeeTheirErrors)
{
    RegisterNative("sum", NativeSum);
    Run("result <- sum(1, 2, 3); try { sum(\"x\"); } catch (e) { message <- e; }");
    sq_pushroottable(v);
    sq_pushstring(v, "result", -1);
    sq_get(v, -2);
    SQInteger result = 0;
    sq_getinteger(v, -1, &result);
    EXPECT_EQ(6, result);
    sq_pushstring(v, "message", -1);
    sq_get(v, -3);
    const SQChar* message = nullptr;
    sq_getstring(v, -1, &message);
    EXPECT_STREQ("integers only", message);
    sq_pop(v, 3);
}

SQInteger WaitForHost(HSQUIRRELVM v)
{
    sq_pushstring(v, "waiting", -1);
    return sq_suspendvm(v);
}

TEST_F(Vm, HostSuspendsAScriptAndWakesItUpLater)
{
    RegisterNative("wait", WaitForHost);
    Run("function script() { local got = wait(); ::result <- \"woke with \" + got; return \"done\"; }");
    sq_pushroottable(v);
    sq_pushstring(v, "script", -1);
    sq_get(v, -2);
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    EXPECT_EQ(SQ_VMSTATE_SUSPENDED, sq_getvmstate(v));
    const SQChar* text = nullptr;
    sq_getstring(v, -1, &text);
    EXPECT_STREQ("waiting", text);
    sq_pop(v, 1);
    sq_pushinteger(v, 7);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(v, SQTrue, SQTrue, SQTrue, SQFalse)));
    EXPECT_EQ(SQ_VMSTATE_IDLE, sq_getvmstate(v));
    sq_getstring(v, -1, &text);
    EXPECT_STREQ("done", text);
    sq_settop(v, 0);
    sq_pushroottable(v);
    sq_pushstring(v, "result", -1);
    sq_get(v, -2);
    sq_getstring(v, -1, &text);
    EXPECT_STREQ("woke with 7", text);
    sq_pop(v, 2);
}

TEST_F(Vm, WakingUpWithAnErrorRaisesItAtTheSuspensionPoint)
{
    RegisterNative("wait", WaitForHost);
    Run("function script() { try { wait(); } catch (e) { ::caught <- e; } }");
    sq_pushroottable(v);
    sq_pushstring(v, "script", -1);
    sq_get(v, -2);
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
    sq_throwerror(v, "cancelled");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(v, SQFalse, SQFalse, SQTrue, SQTrue)));
    sq_settop(v, 0);
    sq_pushroottable(v);
    sq_pushstring(v, "caught", -1);
    sq_get(v, -2);
    const SQChar* text = nullptr;
    sq_getstring(v, -1, &text);
    EXPECT_STREQ("cancelled", text);
    sq_pop(v, 2);
}

TEST_F(Vm, ClosingWhileSuspendedReleasesTheWaitingFrames)
{
    RegisterNative("wait", WaitForHost);
    Run("function script() { local t = {}; t.self <- t; wait(); }");
    sq_pushroottable(v);
    sq_pushstring(v, "script", -1);
    sq_get(v, -2);
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
    EXPECT_EQ(SQ_VMSTATE_SUSPENDED, sq_getvmstate(v));
}

int releasedCount = 0;
SQInteger CountRelease(SQUserPointer, SQInteger)
{
    releasedCount++;
    return 1;
}

SQInteger MakeTracked(HSQUIRRELVM v)
{
    sq_newuserdata(v, 4);
    sq_setreleasehook(v, -1, CountRelease);
    return 1;
}

TEST_F(Vm, ReleaseHookRunsWhenTheLastReferenceGoes)
{
    releasedCount = 0;
    RegisterNative("tracked", MakeTracked);
    Run("local a = tracked(); local b = a; a = null; ::before <- 0; b = null;");
    EXPECT_EQ(1, releasedCount);
    Run("local t = {u = tracked()}; t.self <- t; t = null;");
    EXPECT_EQ(1, releasedCount);
    EXPECT_GT(sq_collectgarbage(v), 0);
    EXPECT_EQ(2, releasedCount);
}

TEST_F(Vm, HeldObjectsSurviveCollectionUntilReleased)
{
    Run("::keep <- {value = 5}; ::keep.self <- ::keep;");
    sq_pushroottable(v);
    sq_pushstring(v, "keep", -1);
    sq_get(v, -2);
    HSQOBJECT held;
    sq_getstackobj(v, -1, &held);
    sq_addref(v, &held);
    sq_pop(v, 2);
    Run("delete ::keep;");
    sq_collectgarbage(v);
    sq_pushobject(v, held);
    sq_pushstring(v, "value", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    SQInteger value = 0;
    sq_getinteger(v, -1, &value);
    EXPECT_EQ(5, value);
    sq_pop(v, 2);
    sq_release(v, &held);
}

} // namespace

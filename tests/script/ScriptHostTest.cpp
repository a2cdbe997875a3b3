#include "ScriptTestFixture.h"

#include "core/FileTable.h"
#include "script/AppConsoleListener.h"

#include <cstring>

namespace
{
using ScriptHostTest = ScriptTest;

void PushInts(HSQUIRRELVM vm, std::initializer_list<int> values)
{
    for (int value : values)
        sq_pushinteger(vm, value);
}

TEST_F(ScriptHostTest, CallPassesArgumentsInOrderWithRootAsThis)
{
    Run("function Combine(a, b) { return a * 10 + b + (this == getroottable() ? 100 : 0); }");
    const SQInteger top = sq_gettop(vm());
    PushInts(vm(), {1, 2});
    ASSERT_TRUE(ScriptCallFunction(vm(), "Combine", 2, true, false));
    SQInteger result = 0;
    sq_getinteger(vm(), -1, &result);
    EXPECT_EQ(result, 112);
    sq_pop(vm(), 1);
    EXPECT_EQ(sq_gettop(vm()), top);
}

TEST_F(ScriptHostTest, CallWithoutResultLeavesTheStackAsBeforeTheArguments)
{
    Run("count <- 0; function Bump(n) { count += n; }");
    const SQInteger top = sq_gettop(vm());
    PushInts(vm(), {5});
    EXPECT_TRUE(ScriptCall(vm(), "game", "Bump", 1, false, false));
    EXPECT_EQ(sq_gettop(vm()), top);
    EXPECT_EQ(GlobalInt("count"), 5);
}

TEST_F(ScriptHostTest, MissingFunctionReturnsFalseAndLeavesTheStackAsBeforeTheArguments)
{
    const SQInteger top = sq_gettop(vm());
    PushInts(vm(), {1, 2, 3});
    EXPECT_FALSE(ScriptCallFunction(vm(), "NoSuchFunction", 3, true, false));
    EXPECT_EQ(sq_gettop(vm()), top);
    EXPECT_FALSE(ScriptGetErrorFlag());
    EXPECT_EQ(Reports(), "");
}

TEST_F(ScriptHostTest, FailedCallThatWantedAResultLeavesNullInItsPlace)
{
    Run("function Fails(a) { throw \"broken\"; }");
    sq_pushstring(vm(), "caller's slot", -1);
    const SQInteger top = sq_gettop(vm());
    PushInts(vm(), {7});
    EXPECT_TRUE(ScriptCallFunction(vm(), "Fails", 1, true, false));
    ASSERT_EQ(sq_gettop(vm()), top + 1);
    EXPECT_EQ(sq_gettype(vm(), -1), OT_NULL);
    sq_pop(vm(), 1);
    const SQChar* text = "";
    sq_getstring(vm(), -1, &text);
    EXPECT_STREQ(text, "caller's slot");
    EXPECT_TRUE(ScriptGetErrorFlag());
}

TEST_F(ScriptHostTest, EngineCallAfterAScriptErrorReturnsFalseAndPopsItsArguments)
{
    Run("ran <- false; function Later(a, b) { ran = true; } local nothing = null; nothing.member = 1;");
    ASSERT_TRUE(ScriptGetErrorFlag());
    const SQInteger top = sq_gettop(vm());
    PushInts(vm(), {1, 2});
    EXPECT_FALSE(ScriptCallFunction(vm(), "Later", 2, true, false));
    EXPECT_EQ(sq_gettop(vm()), top);
    EXPECT_EQ(GlobalInt("ran"), 0);
}

TEST_F(ScriptHostTest, ConsoleLineRunsAfterAnErrorAndPutsTheFlagBack)
{
    AppConsoleListener console;
    Run("null.member = 1;");
    ASSERT_TRUE(ScriptGetErrorFlag());
    console.OnLine(nullptr, "consoleRan <- 1;");
    EXPECT_EQ(GlobalInt("consoleRan"), 1);
    EXPECT_TRUE(ScriptGetErrorFlag());

    ScriptSetErrorFlag(false);
    ClearReports();
    console.OnLine(nullptr, "null.member = 2;");
    EXPECT_FALSE(ScriptGetErrorFlag());
    EXPECT_TRUE(ReportsContain("Squirrel error : "));
}

TEST_F(ScriptHostTest, CallMethodRunsOnTheObjectAndLeavesIt)
{
    Run("class Counter { total = 0; function Add(a, b) { total += a * b; } } counter <- Counter();");
    sq_pushroottable(vm());
    sq_pushstring(vm(), "counter", -1);
    sq_get(vm(), -2);
    sq_remove(vm(), -2);
    const SQInteger objectSlot = sq_gettop(vm());
    PushInts(vm(), {3, 4});
    EXPECT_TRUE(ScriptCallMethod(vm(), -3, "Add", 2, false));
    EXPECT_EQ(sq_gettop(vm()), objectSlot);
    PushInts(vm(), {1});
    EXPECT_FALSE(ScriptCallMethod(vm(), -2, "Missing", 1, false));
    EXPECT_EQ(sq_gettop(vm()), objectSlot);
    sq_pop(vm(), 1);
    Run("total <- counter.total;");
    EXPECT_EQ(GlobalInt("total"), 12);
}

TEST_F(ScriptHostTest, CompileErrorReportsThePathLineAndColumnAndRunsNothing)
{
    EXPECT_TRUE(LoadScript("scripts/broken.nut", "before <- 1;\nlocal a = 2;\nlocal b = = 3;\n"));
    const std::string path = FileTableFind("scripts/broken.nut");
    EXPECT_TRUE(ReportsContain("compile error:\n" + path + "(3) : (col ")) << Reports();
    EXPECT_TRUE(ReportsContain("Script compile 'scripts/broken.nut' failed.\n"));
    EXPECT_TRUE(ScriptGetErrorFlag());
    EXPECT_FALSE(HasGlobal("before"));
}

TEST_F(ScriptHostTest, RunTimeErrorReportHasTheErrorTheCallStackAndTheLocals)
{
    LoadScript("scripts/fails.nut", "function Inner(x) {\n  local text = \"word\";\n  return x.missing;\n}\n"
                                    "function Outer() { return Inner(5); }\n");
    ClearReports();
    EXPECT_TRUE(ScriptCallFunction(vm(), "Outer", 0, false, false));
    EXPECT_TRUE(ScriptGetErrorFlag());
    const std::string reports = Reports();
    EXPECT_EQ(reports.rfind("----------------\nSquirrel error : ", 0), 0u) << reports;
    EXPECT_NE(reports.find("        CALLSTACK:\n"), std::string::npos);
    EXPECT_NE(reports.find("        LOCALS:\n"), std::string::npos);
    EXPECT_EQ(reports.substr(reports.size() - 17), "----------------\n");

    const std::string path = FileTableFind("scripts/fails.nut");
    EXPECT_NE(reports.find("        CALLSTACK:\n" + path + "(3) : Inner()\n" + path + "(5) : Outer()\n"),
              std::string::npos)
        << reports;
    EXPECT_NE(reports.find("[text] \"word\"\n"), std::string::npos) << reports;
    EXPECT_NE(reports.find("[x] 5\n"), std::string::npos) << reports;
}

TEST_F(ScriptHostTest, ErrorThatIsNotAStringIsReportedAsUnknown)
{
    Run("throw 5;");
    EXPECT_TRUE(ReportsContain("Squirrel error : unknown.\n")) << Reports();
}

TEST_F(ScriptHostTest, MissingScriptFileIsReported)
{
    EXPECT_FALSE(ScriptLoadFile(vm(), "game", "scripts/none.nut"));
    EXPECT_EQ(Reports(), "Open script scripts/none.nut failed.\n");
}

TEST_F(ScriptHostTest, LoadedFileIsMarkedAsAScriptInTheFileTable)
{
    ASSERT_TRUE(LoadScript("scripts/ok.nut", "loaded <- 1;"));
    EXPECT_EQ(GlobalInt("loaded"), 1);
    const FileTableEntry* entry = FileTableFindEntry("scripts/ok.nut");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->kind, kResourceScript);
    EXPECT_STREQ(static_cast<const char*>(entry->resource), "game");
}

TEST_F(ScriptHostTest, DofileRunsAFileAndNonStringArgumentsAreIgnored)
{
    WriteScript("scripts/other.nut", "fromOther <- 42;");
    Run("dofile(\"scripts/other.nut\"); dofile(3); SetAppTitle(5); SetAppTitle(\"Title\");");
    EXPECT_EQ(GlobalInt("fromOther"), 42);
    EXPECT_FALSE(ScriptGetErrorFlag());
}

TEST_F(ScriptHostTest, PrintDumpsArraysRecursively)
{
    Run("print([1, [2, 3], \"a\"]); print(\"plain\");");
    EXPECT_EQ(s_printed, "Array: \n"
                         "    1\n"
                         "    Array: \n"
                         "        2\n"
                         "        3\n"
                         "    a\n"
                         "plain");
}

TEST_F(ScriptHostTest, PrintOfAnArrayHoldingItselfStops)
{
    Run("local a = [1]; a.append(a); print(a);");
    EXPECT_EQ(s_printed.rfind("Array: \n    1\n    ", 0), 0u) << s_printed;
    EXPECT_EQ(s_printed.find("Array: ", 1), std::string::npos) << s_printed;
    EXPECT_FALSE(ScriptGetErrorFlag());
}

TEST_F(ScriptHostTest, ProfiledCallRunsAndLogsOnlyWhatTheHookSaw)
{
    Run("calls <- 0; function Step(dt) { calls += 1; }");
    sq_pushfloat(vm(), 0.5f);
    EXPECT_TRUE(ScriptCallFunction(vm(), "Step", 1, false, true));
    sq_pushfloat(vm(), 0.5f);
    EXPECT_TRUE(ScriptCallFunction(vm(), "Step", 1, false, false));
    EXPECT_EQ(GlobalInt("calls"), 2);
    const std::string log = ScriptGetProfileLog();
    EXPECT_NE(log.find("Step ("), std::string::npos) << log;
}
} // namespace

// The standard libraries driven through the VM, as the interpreter sets them up.
#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdio.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>
#include <squirrel.h>

#include "squirrel/stdlib/SqLocalText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

std::string g_printed;
std::string g_errors;

void AppendFormatted(std::string* out, const SQChar* format, va_list args)
{
    char buffer[4096];
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n > 0)
        out->append(buffer, size_t(std::min<int>(n, int(sizeof buffer) - 1)));
}

void PrintToString(HSQUIRRELVM, const SQChar* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatted(&g_printed, format, args);
    va_end(args);
}

void ErrorToString(HSQUIRRELVM, const SQChar* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatted(&g_errors, format, args);
    va_end(args);
}

// A VM with the base library and every standard library in its root table, as the interpreter sets it up.
class StdVm
{
public:
    StdVm()
    {
        g_printed.clear();
        g_errors.clear();
        m_v = sq_open(1024);
        sq_setprintfunc(m_v, PrintToString, ErrorToString);
        sq_pushroottable(m_v);
        sq_registerbaselib(m_v);
        sqstd_register_bloblib(m_v);
        sqstd_register_iolib(m_v);
        sqstd_register_systemlib(m_v);
        sqstd_register_mathlib(m_v);
        sqstd_register_stringlib(m_v);
        sq_pop(m_v, 1);
        sqstd_seterrorhandlers(m_v);
    }
    ~StdVm() { sq_close(m_v); }
    StdVm(const StdVm&) = delete;
    StdVm& operator=(const StdVm&) = delete;

    HSQUIRRELVM Vm() const { return m_v; }

    bool Run(const std::string& source, const char* name)
    {
        const SQInteger top = sq_gettop(m_v);
        bool ok = SQ_SUCCEEDED(sq_compilebuffer(m_v, source.c_str(), SQInteger(source.size()), name, SQTrue));
        if (ok)
        {
            sq_pushroottable(m_v);
            ok = SQ_SUCCEEDED(sq_call(m_v, 1, SQFalse, SQTrue));
        }
        sq_settop(m_v, top);
        return ok;
    }

private:
    HSQUIRRELVM m_v;
};

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::filesystem::path> LibraryScripts()
{
    std::vector<std::filesystem::path> scripts;
    // Kept apart from the language scripts until the language runner registers the libraries.
    const std::filesystem::path folder =
        std::filesystem::path(PENDREL_SOURCE_DIR) / "tests/squirrel/conformance/std_libs";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        if (name.rfind("std_", 0) == 0 && entry.path().extension() == ".nut")
            scripts.push_back(entry.path());
    }
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

} // namespace

// Scripts create and remove files next to themselves; each runs in a folder of its own so that other
// runs of the same script (another runner, another build) never share them.
class ScopedWorkingFolder
{
public:
    explicit ScopedWorkingFolder(const std::string& name)
        : m_previous(std::filesystem::current_path()),
          m_folder(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_folder);
        std::filesystem::current_path(m_folder);
    }
    ~ScopedWorkingFolder()
    {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_folder;
};

class StdLibScript : public testing::TestWithParam<std::filesystem::path>
{
};

TEST_P(StdLibScript, PrintsItsExpectedOutput)
{
    const std::filesystem::path& script = GetParam();
    const ScopedWorkingFolder folder("sqstd_" + script.stem().string());
    StdVm vm;
    const bool ok = vm.Run(ReadText(script), script.filename().c_str());
    EXPECT_TRUE(ok) << g_errors;
    std::filesystem::path expected = script;
    expected.replace_extension(".out");
    EXPECT_EQ(g_printed, ReadText(expected));
}

INSTANTIATE_TEST_SUITE_P(StdLib, StdLibScript, testing::ValuesIn(LibraryScripts()),
                         [](const testing::TestParamInfo<std::filesystem::path>& info)
                         { return info.param.stem().string(); });

const char* const kFailingScript = "function fail(count) {\n"
                                   "    local ratio = 2.5;\n"
                                   "    local label = \"x\";\n"
                                   "    throw \"boom\";\n"
                                   "}\n"
                                   "fail(3);\n";

TEST(StdLib, UncaughtErrorsPrintTheMessageAndTheCallStack)
{
    StdVm vm;
    EXPECT_FALSE(vm.Run(kFailingScript, "errors.nut"));
    EXPECT_EQ(g_errors.rfind("\nAN ERROR HAS OCCURED [boom]\n"
                             "\nCALLSTACK\n"
                             "*FUNCTION [fail()] errors.nut line [4]\n"
                             "*FUNCTION [main()] errors.nut line [6]\n"
                             "\nLOCALS\n",
                             0),
              0u)
        << g_errors;
    EXPECT_TRUE(g_printed.empty());
}

TEST(StdLib, RegexpsThatGiveUpRaiseAnErrorInsteadOfAnsweringNoMatch)
{
    StdVm vm;
    const std::string script = "local s = \"" + std::string(3000, 'x') + "\";\n"
                               "local r = regexp(\"((a*)*)*\");\n"
                               "foreach (call in [@() r.match(s), @() r.search(s), @() r.capture(s)])\n"
                               "    try { print(call() + \";\"); } catch (e) { print(e + \";\"); }\n"
                               "print(regexp(\"(x)*\").match(\"xxxx\") + \";\");\n"
                               "try { regexp(\"" + std::string(30000, '(') + "\"); } catch (e) { print(e); }\n";
    EXPECT_TRUE(vm.Run(script, "giveup.nut")) << g_errors;
    EXPECT_EQ(g_printed, "the regexp is too complex for this text;the regexp is too complex for this text;"
                         "the regexp is too complex for this text;true;groups nested too deeply");
}

TEST(StdLib, CaughtErrorsPrintNothing)
{
    StdVm vm;
    EXPECT_TRUE(vm.Run("try { throw \"quiet\"; } catch (e) { print(e); }", "caught.nut"));
    EXPECT_EQ(g_printed, "quiet");
    EXPECT_TRUE(g_errors.empty()) << g_errors;
}

TEST(StdLib, UncaughtErrorsPrintTheLocalsOfEachLevel)
{
    StdVm vm;
    EXPECT_FALSE(vm.Run(kFailingScript, "errors.nut"));
    for (const char* local : {"[label] \"x\"\n", "[ratio] 2.5\n", "[count] 3\n", "[this] TABLE\n"})
        EXPECT_NE(g_errors.find(local), std::string::npos) << local << "\n" << g_errors;
}

TEST(StdLib, LocalVariableLinesForEveryType)
{
    struct Case
    {
        const char* expression;
        const char* line;
    };
    const Case cases[] = {
        {"null", "[v] NULL\n"},
        {"-7", "[v] -7\n"},
        {"2.5", "[v] 2.5\n"},
        {"0.1", "[v] 0.10000000149012\n"},
        {"true", "[v] true\n"},
        {"\"a b\"", "[v] \"a b\"\n"},
        {"{}", "[v] TABLE\n"},
        {"[]", "[v] ARRAY\n"},
        {"function() {}", "[v] CLOSURE\n"},
        {"print", "[v] NATIVECLOSURE\n"},
        {"(function() { yield 1; })()", "[v] GENERATOR\n"},
        {"blob(1)", "[v] INSTANCE\n"},
        {"newthread(print)", "[v] THREAD\n"},
        {"blob", "[v] CLASS\n"},
        {"[].weakref()", "[v] WEAKREF\n"},
    };
    StdVm vm;
    HSQUIRRELVM v = vm.Vm();
    for (const Case& c : cases)
    {
        const SQInteger top = sq_gettop(v);
        const std::string source = std::string("return ") + c.expression + ";";
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, source.c_str(), SQInteger(source.size()), "local", SQTrue)))
            << c.expression;
        sq_pushroottable(v);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue))) << c.expression;
        EXPECT_EQ(SqLocalText(v, "v"), c.line) << c.expression;
        sq_settop(v, top);
    }
    sq_pushuserpointer(v, nullptr);
    EXPECT_EQ(SqLocalText(v, "p"), "[p] USERPOINTER\n");
    sq_pop(v, 1);
}

SQInteger PrintCallStackNative(HSQUIRRELVM v)
{
    sqstd_printcallstack(v);
    return 0;
}

TEST(StdLib, PrintCallStackListsTheCallingFunctionsFromTheCaller)
{
    StdVm vm;
    HSQUIRRELVM v = vm.Vm();
    sq_pushroottable(v);
    sq_pushstring(v, "dump", -1);
    sq_newclosure(v, PrintCallStackNative, 0);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    EXPECT_TRUE(vm.Run("function inner() {\n    dump();\n}\ninner();\n", "stack.nut"));
    EXPECT_EQ(g_errors.rfind("\nCALLSTACK\n"
                             "*FUNCTION [inner()] stack.nut line [2]\n"
                             "*FUNCTION [main()] stack.nut line [4]\n"
                             "\nLOCALS\n",
                             0),
              0u)
        << g_errors;
}

TEST(StdLib, ErrorsThatAreNotStringsStillGetReported)
{
    StdVm vm;
    EXPECT_FALSE(vm.Run("throw 12;", "thrown.nut"));
    EXPECT_NE(g_errors.find("AN ERROR HAS OCCURED [unknown]"), std::string::npos) << g_errors;
}

TEST(StdLib, CompileErrorsPrintSourceLineAndColumn)
{
    StdVm vm;
    EXPECT_FALSE(vm.Run("local a = 1;\nlocal = 2;\n", "broken.nut"));
    EXPECT_EQ(g_errors.rfind("broken.nut line = (2) column = (", 0), 0u) << g_errors;
    EXPECT_NE(g_errors.find(") : error "), std::string::npos) << g_errors;
}

TEST(StdLib, BlobsCanBeMadeAndReadFromTheEmbeddingSide)
{
    StdVm vm;
    HSQUIRRELVM v = vm.Vm();
    const SQInteger top = sq_gettop(v);
    SQUserPointer data = sqstd_createblob(v, 3);
    ASSERT_NE(data, nullptr);
    std::memcpy(data, "abc", 3);
    EXPECT_EQ(sq_gettop(v), top + 1);
    EXPECT_EQ(sqstd_getblobsize(v, -1), 3);
    SQUserPointer again = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_getblob(v, -1, &again)));
    EXPECT_EQ(again, data);
    // what is no blob fails with the error the instance lookup leaves
    const struct
    {
        void (*push)(HSQUIRRELVM);
        const char* error;
    } notBlobs[] = {
        {[](HSQUIRRELVM v) { sq_pushinteger(v, 5); }, "the object is not a class instance"},
        {[](HSQUIRRELVM v)
         {
             sq_newclass(v, SQFalse);
             sq_createinstance(v, -1);
             sq_remove(v, -2);
         },
         "invalid type tag"},
    };
    for (const auto& c : notBlobs)
    {
        c.push(v);
        sq_reseterror(v);
        EXPECT_TRUE(SQ_FAILED(sqstd_getblob(v, -1, &again)));
        sq_getlasterror(v);
        const SQChar* error = "";
        sq_getstring(v, -1, &error);
        EXPECT_STREQ(error, c.error);
        sq_poptop(v);
        EXPECT_EQ(sqstd_getblobsize(v, -1), -1);
        sq_poptop(v);
    }
    sq_settop(v, top);
}

TEST(StdLib, FilesCanBeWrappedAndUnwrappedFromTheEmbeddingSide)
{
    StdVm vm;
    HSQUIRRELVM v = vm.Vm();
    const SQInteger top = sq_gettop(v);
    FILE* handle = std::tmpfile();
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_createfile(v, handle, SQTrue)));
    EXPECT_EQ(sq_gettype(v, -1), OT_INSTANCE);
    SQFILE unwrapped = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_getfile(v, -1, &unwrapped)));
    EXPECT_EQ(unwrapped, handle);
    sqstd_createblob(v, 1);
    EXPECT_TRUE(SQ_FAILED(sqstd_getfile(v, -1, &unwrapped)));
    sq_settop(v, top); // the file object owns the handle and closes it when collected
}

TEST(StdLib, DofileRunsWithTheGivenThisAndPushesTheResult)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("sqstd_dofile_" + std::to_string(::getpid()) + ".nut");
    std::ofstream(path) << "return this.x * 2;";
    StdVm vm;
    HSQUIRRELVM v = vm.Vm();
    const SQInteger top = sq_gettop(v);
    sq_newtable(v);
    sq_pushstring(v, "x", -1);
    sq_pushinteger(v, 21);
    sq_newslot(v, -3, SQFalse);
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_dofile(v, path.c_str(), SQTrue, SQFalse)));
    ASSERT_EQ(sq_gettop(v), top + 2);
    SQInteger result = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &result)));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(sq_gettype(v, -2), OT_TABLE);
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_dofile(v, path.c_str(), SQFalse, SQFalse)));
    EXPECT_EQ(sq_gettop(v), top + 1);
    std::filesystem::remove(path);
    EXPECT_TRUE(SQ_FAILED(sqstd_loadfile(v, path.c_str(), SQFalse)));
    EXPECT_EQ(sq_gettop(v), top + 1);
    sq_settop(v, top);
}

// The compiler error handler hears of a syntax error only when the script passes true as the second argument.
TEST(StdLib, ScriptLoadersReportCompileErrorsOnlyWhenAsked)
{
    const ScopedWorkingFolder folder("sqstd_raiseerror");
    std::ofstream("bad.nut") << "return 1 +;";
    const struct
    {
        const char* call;
        bool reported;
    } cases[] = {
        {"dofile(\"bad.nut\")", false},  {"dofile(\"bad.nut\", false)", false},
        {"dofile(\"bad.nut\", true)", true}, {"loadfile(\"bad.nut\")", false},
        {"loadfile(\"bad.nut\", true)", true},
    };
    for (const auto& c : cases)
    {
        StdVm vm;
        const std::string script = std::string("try { ") + c.call + "; } catch (e) { print(e); }";
        EXPECT_TRUE(vm.Run(script, "caller.nut")) << c.call;
        EXPECT_EQ(g_printed, "expression expected") << c.call;
        EXPECT_EQ(g_errors.find("bad.nut line = (1)") != std::string::npos, c.reported) << c.call << ": " << g_errors;
    }
}

TEST(StdLib, FormatWritesIntoTheScratchpad)
{
    StdVm vm;
    HSQUIRRELVM v = vm.Vm();
    const SQInteger top = sq_gettop(v);
    sq_pushstring(v, "%s=%03d", -1);
    sq_pushstring(v, "n", -1);
    sq_pushinteger(v, 7);
    SQChar* out = nullptr;
    SQInteger length = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_format(v, top + 1, &length, &out)));
    EXPECT_EQ(std::string(out, size_t(length)), "n=007");
    sq_settop(v, top);
}

TEST(StdLib, RegularExpressionApiReportsMatchesAndSubExpressions)
{
    const SQChar* error = nullptr;
    EXPECT_EQ(sqstd_rex_compile("(a", &error), nullptr);
    EXPECT_NE(error, nullptr);
    SQRex* rex = sqstd_rex_compile("(\\d+)-(\\d+)", &error);
    ASSERT_NE(rex, nullptr);
    EXPECT_TRUE(sqstd_rex_match(rex, "12-345"));
    EXPECT_FALSE(sqstd_rex_match(rex, "12-345x"));
    const char* text = "ab 7-8 cd";
    const SQChar* begin = nullptr;
    const SQChar* end = nullptr;
    ASSERT_TRUE(sqstd_rex_search(rex, text, &begin, &end));
    EXPECT_EQ(begin - text, 3);
    EXPECT_EQ(end - text, 6);
    EXPECT_EQ(sqstd_rex_getsubexpcount(rex), 3);
    SQRexMatch match;
    ASSERT_TRUE(sqstd_rex_getsubexp(rex, 2, &match));
    EXPECT_EQ(match.begin - text, 5);
    EXPECT_EQ(match.len, 1);
    EXPECT_FALSE(sqstd_rex_getsubexp(rex, 3, &match));
    EXPECT_FALSE(sqstd_rex_searchrange(rex, text, text + 5, &begin, &end));
    sqstd_rex_free(rex);
}

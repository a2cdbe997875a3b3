// The sq executable as a user meets it: scripts with arguments, error reports and exit status, bytecode,
// and the line-by-line console fed through a pipe.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <utility>

namespace
{

struct SqResult
{
    int status = -1;
    std::string out;
    std::string err;
};

class SqInterpreter : public testing::Test
{
protected:
    // Runs sq with the arguments (already shell-quoted where needed) and the given standard input.
    SqResult Run(const std::string& arguments, const std::string& input = "")
    {
        m_dir.WriteFile("stdin.txt", input);
        const std::string command = "cd '" + m_dir.Path() + "' && '" PENDREL_BINARY_DIR "/squirrel/sq' " +
                                    arguments + " < stdin.txt > stdout.txt 2> stderr.txt";
        const int raw = std::system(command.c_str());
        SqResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = m_dir.ReadFile("stdout.txt");
        result.err = m_dir.ReadFile("stderr.txt");
        return result;
    }

    void Write(const std::string& name, const std::string& text) { m_dir.WriteFile(name, text); }

private:
    TempDir m_dir;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Scripts that run to their end: what they print for the given command-line arguments.
TEST_F(SqInterpreter, RunsScriptsToTheirEnd)
{
    struct Case
    {
        const char* what;
        const char* script;
        const char* arguments;
        const char* printed;
    };
    const Case cases[] = {
        {"arguments are strings in vargv",
         "print(vargv.len() + \":\");\nforeach (a in vargv) print(\" \" + typeof a + \"=\" + a);\n",
         "one 2 'three four'", "3: string=one string=2 string=three four"},
        {"no arguments leave vargv empty", "print(typeof vargv + vargv.len());", "", "array0"},
        {"every standard library is registered",
         "print(format(\"%d\", floor(2.5)) + blob(3).len() + (typeof file) + (typeof clock) + (typeof "
         "regexp) +"
         " (typeof sqrt));\n",
         "", "23classfunctionclassfunction"},
    };
    for (const Case& c : cases)
    {
        Write("script.nut", c.script);
        const SqResult r = Run(std::string("script.nut ") + c.arguments);
        EXPECT_EQ(0, r.status) << c.what << ": " << r.err;
        EXPECT_EQ(c.printed, r.out) << c.what;
        EXPECT_EQ("", r.err) << c.what;
    }
}

TEST_F(SqInterpreter, UncaughtErrorPrintsTheCallStackToStandardErrorAndFails)
{
    Write("fail.nut", "print(\"before\\n\");\n"
                      "function inner(count) {\n"
                      "    throw \"boom\";\n"
                      "}\n"
                      "inner(3);\n"
                      "print(\"never\\n\");\n");
    const SqResult r = Run("fail.nut");
    EXPECT_NE(0, r.status);
    EXPECT_EQ("before\n", r.out);
    EXPECT_TRUE(Contains(r.err, "AN ERROR HAS OCCURED [boom]")) << r.err;
    EXPECT_TRUE(Contains(r.err, "*FUNCTION [inner()] fail.nut line [3]")) << r.err;
    EXPECT_TRUE(Contains(r.err, "*FUNCTION [main()] fail.nut line [5]")) << r.err;
    EXPECT_TRUE(Contains(r.err, "[count] 3")) << r.err;
}

// A script's own error handler replaces the default report. call() reports the callee's error where it
// leaves the callee and again where it leaves the caller; a protected call keeps the handler out of the
// callee, so only the caller's frame reports it.
TEST_F(SqInterpreter, ScriptErrorHandlerSeesUncaughtErrorsWhereTheyLeaveTheScript)
{
    const std::pair<const char*, const char*> cases[] = {
        {"thrower();", "oops in thrower line 3"},
        {"thrower.call(this);", "oops in thrower line 3oops in main line 4"},
        {"thrower.pcall(this);", "oops in main line 4"},
        {"thrower.pacall([this]);", "oops in main line 4"},
    };
    for (const auto& c : cases)
    {
        const std::string handler =
            "seterrorhandler(function(e) {\n"
            "    local at = getstackinfos(2); print(e + \" in \" + at.func + \" line \" + at.line); });\n";
        Write("handled.nut", handler + "function thrower() { throw \"oops\"; }\n" + c.first + "\n");
        const SqResult r = Run("handled.nut");
        EXPECT_NE(0, r.status) << c.first;
        EXPECT_EQ(c.second, r.out) << c.first;
        EXPECT_EQ("", r.err) << c.first;
    }
}

TEST_F(SqInterpreter, CompileErrorsAndMissingFilesFail)
{
    Write("bad.nut", "local x = 1;\nlocal y = ;\n");
    const SqResult bad = Run("bad.nut");
    EXPECT_NE(0, bad.status);
    EXPECT_TRUE(Contains(bad.err, "bad.nut line = (2)")) << bad.err;
    EXPECT_EQ("", bad.out);

    const SqResult missing = Run("missing.nut");
    EXPECT_NE(0, missing.status);
    EXPECT_TRUE(Contains(missing.err, "missing.nut")) << missing.err;
}

TEST_F(SqInterpreter, ScriptIntegerResultIsTheExitStatus)
{
    Write("ret.nut", "return 7;\n");
    EXPECT_EQ(7, Run("ret.nut").status);
    Write("retnull.nut", "return \"text\";\n");
    EXPECT_EQ(0, Run("retnull.nut").status);
}

TEST_F(SqInterpreter, CompilesToBytecodeThatRunsLikeTheSource)
{
    Write("prog.nut", "print(\"bytecode \" + vargv.len() + vargv[0]);\n");
    const SqResult compiled = Run("-c -o prog.cnut prog.nut");
    EXPECT_EQ(0, compiled.status) << compiled.err;
    EXPECT_EQ("", compiled.out);
    const SqResult r = Run("prog.cnut A");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("bytecode 1A", r.out);

    Write("broken.nut", "local = 1;\n");
    EXPECT_NE(0, Run("-c -o broken.cnut broken.nut").status);
}

TEST_F(SqInterpreter, CompiledClosuresCapturingFromTwoFunctionsUpRun)
{
    Write("outer.nut", "function Outer() { local x = 5; return function() { return function() { return x; }; }; }\n"
                       "print(Outer()()());\n");
    const SqResult compiled = Run("-c -o outer.cnut outer.nut");
    EXPECT_EQ(0, compiled.status) << compiled.err;
    const SqResult r = Run("outer.cnut");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("5", r.out);
}

TEST_F(SqInterpreter, BytecodeThatDoesNotLoadIsReported)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"only the tag", std::string("\xFA\xFA", 2), "invalid bytecode header"},
        {"a header of another build", std::string("\xFA\xFASQPB\x09\0\0\0", 10), "invalid bytecode header"},
    };
    for (const Case& c : cases)
    {
        Write("bad.cnut", c.bytes);
        const SqResult r = Run("bad.cnut");
        EXPECT_NE(0, r.status) << c.what;
        EXPECT_EQ(std::string("Error [bad.cnut] ") + c.reason + "\n", r.err) << c.what;
    }
    Write("prog.nut", "print(\"x\");\n");
    ASSERT_EQ(0, Run("-c -o prog.cnut prog.nut").status);
    const SqResult cut = Run("-c -o prog.cnut prog.nut && head -c 40 prog.cnut > cut.cnut && '" PENDREL_BINARY_DIR
                             "/squirrel/sq' cut.cnut");
    EXPECT_NE(0, cut.status);
    EXPECT_EQ("Error [cut.cnut] invalid or truncated bytecode\n", cut.err);
}

TEST_F(SqInterpreter, UnknownOptionFails)
{
    EXPECT_NE(0, Run("-q").status);
    EXPECT_EQ(0, Run("-h").status);
}

TEST_F(SqInterpreter, ConsoleReadsPipedLinesUntilEndOfInput)
{
    const SqResult r = Run("", "print(1 + 2)\n"
                               "=4 * 5\n"
                               "function twice(x) {\n"
                               "    return x * 2\n"
                               "}\n"
                               "=twice(21)\n"
                               "print(\"a\" + \\\n"
                               "\"b\")\n"
                               "undefined_function()\n"
                               "print(\"still here\")\n"
                               "print(\"last line without newline\")");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("320\n42\nabstill herelast line without newline", r.out);
    EXPECT_TRUE(Contains(r.err, "AN ERROR HAS OCCURED [the index 'undefined_function' does not exist]"))
        << r.err;
}

TEST_F(SqInterpreter, ConsoleEndsAtQuit)
{
    const SqResult r = Run("", "print(\"a\")\nquit()\nprint(\"b\")\n");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("a", r.out);
}

TEST_F(SqInterpreter, ConsoleWithEmptyInputEndsAtOnce)
{
    const SqResult r = Run("", "");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
}

} // namespace

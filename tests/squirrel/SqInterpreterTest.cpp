// The sq executable as a user meets it: scripts with arguments, error reports and exit status, bytecode,
// and the line-by-line console fed through a pipe.
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <squirrel.h>

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

// The report goes to standard error; the exit status stays 0, as the reference interpreter's does.
TEST_F(SqInterpreter, UncaughtErrorPrintsTheCallStackToStandardError)
{
    Write("fail.nut", "print(\"before\\n\");\n"
                      "function inner(count) {\n"
                      "    throw \"boom\";\n"
                      "}\n"
                      "inner(3);\n"
                      "print(\"never\\n\");\n");
    const SqResult r = Run("fail.nut");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("before\n", r.out);
    EXPECT_TRUE(Contains(r.err, "AN ERROR HAS OCCURED [boom]")) << r.err;
    EXPECT_TRUE(Contains(r.err, "*FUNCTION [inner()] fail.nut line [3]")) << r.err;
    EXPECT_TRUE(Contains(r.err, "*FUNCTION [main()] fail.nut line [5]")) << r.err;
    EXPECT_TRUE(Contains(r.err, "[count] 3")) << r.err;
}

// The whole report for an error thrown in a constructor: the constructor is a frame of its own, and the
// locals of each frame follow, the latest declared first.
TEST_F(SqInterpreter, UncaughtErrorReportListsFramesAndLocals)
{
    Write("report.nut", "class Box {\n"
                        "    constructor(size) {\n"
                        "        local area = size * 1.5;\n"
                        "        throw \"too big\";\n"
                        "    }\n"
                        "}\n"
                        "function make(n) {\n"
                        "    local label = \"box\", flags = [1], ok = true, none = null;\n"
                        "    return Box(n);\n"
                        "}\n"
                        "make(4);\n");
    const SqResult r = Run("report.nut");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("\nAN ERROR HAS OCCURED [too big]\n"
              "\nCALLSTACK\n"
              "*FUNCTION [constructor()] report.nut line [4]\n"
              "*FUNCTION [make()] report.nut line [9]\n"
              "*FUNCTION [main()] report.nut line [11]\n"
              "\nLOCALS\n"
              "[area] 6\n"
              "[size] 4\n"
              "[this] INSTANCE\n"
              "[none] NULL\n"
              "[ok] true\n"
              "[flags] ARRAY\n"
              "[label] \"box\"\n"
              "[n] 4\n"
              "[this] TABLE\n"
              "[vargv] ARRAY\n"
              "[this] TABLE\n",
              r.err);
}

// A script's own error handler replaces the default report. call() reports the callee's error where it
// leaves the callee and again where it leaves the caller; a protected call keeps the handler out of the
// callee, so only the caller's frame reports it.
TEST_F(SqInterpreter, UncaughtErrorInAGeneratorListsItsFrameAboveTheResumer)
{
    Write("gen.nut", "function steps(a) {\n"
                     "    local q = a * 2;\n"
                     "    yield q;\n"
                     "    throw \"oops\";\n"
                     "}\n"
                     "function walk() {\n"
                     "    local g = steps(5);\n"
                     "    local first = resume g;\n"
                     "    foreach (v in g) print(v);\n"
                     "}\n"
                     "walk();\n");
    const SqResult r = Run("gen.nut");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    // the loop's hidden iterator counts like its index, from 0
    EXPECT_EQ("\nAN ERROR HAS OCCURED [oops]\n"
              "\nCALLSTACK\n"
              "*FUNCTION [steps()] gen.nut line [4]\n"
              "*FUNCTION [walk()] gen.nut line [9]\n"
              "*FUNCTION [main()] gen.nut line [11]\n"
              "\nLOCALS\n"
              "[q] 10\n"
              "[a] 5\n"
              "[this] TABLE\n"
              "[@ITERATOR@] 0\n"
              "[v] NULL\n"
              "[@INDEX@] 0\n"
              "[first] 10\n"
              "[g] GENERATOR\n"
              "[this] TABLE\n"
              "[vargv] ARRAY\n"
              "[this] TABLE\n",
              r.err);
}

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
        EXPECT_EQ(0, r.status) << c.first;
        EXPECT_EQ(c.second, r.out) << c.first;
        EXPECT_EQ("", r.err) << c.first;
    }
}

// A script that does not load is named on standard output with the reason, and sq exits with -2 (254):
// the compiler's report goes to standard error first. Past the first line the column counts one more, as
// Squirrel 3.0's compiler counts it.
TEST_F(SqInterpreter, CompileErrorsAndMissingFilesFail)
{
    Write("bad.nut", "local x = 1;\nlocal y = ;\n");
    const SqResult bad = Run("bad.nut");
    EXPECT_EQ(254, bad.status);
    EXPECT_EQ("bad.nut line = (2) column = (12) : error expression expected\n", bad.err);
    EXPECT_EQ("Error [expression expected]\n", bad.out);

    const SqResult missing = Run("missing.nut");
    EXPECT_EQ(254, missing.status);
    EXPECT_EQ("Error [cannot open the file]\n", missing.out);
    EXPECT_EQ("", missing.err);

    const SqResult compileOnly = Run("-c -o out.cnut missing.nut");
    EXPECT_EQ(254, compileOnly.status);
    EXPECT_EQ("Error [cannot open the file]\n", compileOnly.out);
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
        {"only the tag", std::string("\xFA\xFA", 2),
         "io error, read function failure, the origin stream could be corrupted/trucated"},
        {"a header of another build", std::string("\xFA\xFASQPB\x09\0\0\0", 10),
         "invalid or corrupted closure stream"},
    };
    for (const Case& c : cases)
    {
        Write("bad.cnut", c.bytes);
        const SqResult r = Run("bad.cnut");
        EXPECT_EQ(254, r.status) << c.what;
        EXPECT_EQ(std::string("Error [") + c.reason + "]\n", r.out) << c.what;
    }
    Write("prog.nut", "print(\"x\");\n");
    ASSERT_EQ(0, Run("-c -o prog.cnut prog.nut").status);
    const SqResult cut = Run("-c -o prog.cnut prog.nut && head -c 40 prog.cnut > cut.cnut && '" PENDREL_BINARY_DIR
                             "/squirrel/sq' cut.cnut");
    EXPECT_EQ(254, cut.status);
    EXPECT_EQ("Error [io error, read function failure, the origin stream could be corrupted/trucated]\n", cut.out);
}

// The banner names the release and the integer width; -v and -h end the run without running the script.
// A bad option prints the banner and its name on standard output and the usage on standard error.
TEST_F(SqInterpreter, OptionsPrintTheBannerAndUsage)
{
    const std::string banner = std::string(SQUIRREL_VERSION) + " " + SQUIRREL_COPYRIGHT + " (32 bits)\n";
    Write("loud.nut", "print(\"ran\");\n");
    struct Case
    {
        const char* arguments;
        int status;
        std::string out;
        bool usage;
    };
    const Case cases[] = {
        {"-v loud.nut", 0, banner, false},
        {"-h loud.nut", 0, banner, true},
        {"-d -version loud.nut", 0, banner, false},
        {"-q loud.nut", 255, banner + "unknown prameter '-q'\n", true},
        {"-- loud.nut", 255, banner + "unknown prameter '--'\n", true},
        {"-d loud.nut", 0, "ran", false},
        {"-dx loud.nut", 0, "ran", false},
    };
    for (const Case& c : cases)
    {
        const SqResult r = Run(c.arguments);
        EXPECT_EQ(c.status, r.status) << c.arguments;
        EXPECT_EQ(c.out, r.out) << c.arguments;
        EXPECT_EQ(c.usage, Contains(r.err, "usage: sq <options> <scriptpath [args]>.\n")) << c.arguments;
    }
    const SqResult help = Run("-h");
    EXPECT_TRUE(Contains(help.err, "   -c              compiles only\n   -d              generates debug infos\n"))
        << help.err;
}

// Compiling writes out.cnut unless -o names another file; arguments after the script are ignored then.
TEST_F(SqInterpreter, CompileOnlyWritesTheDefaultOutput)
{
    Write("prog.nut", "print(\"default \" + vargv.len());\n");
    const SqResult compiled = Run("-c prog.nut ignored");
    EXPECT_EQ(0, compiled.status) << compiled.out << compiled.err;
    EXPECT_EQ("", compiled.out);
    EXPECT_EQ("default 0", Run("out.cnut").out);
}

// The console prints the banner and a prompt before each statement, whether or not its input is a
// terminal, and stops at the end of its input or after quit().
TEST_F(SqInterpreter, ConsoleReadsPipedLinesUntilEndOfInput)
{
    const std::string banner = std::string(SQUIRREL_VERSION) + " " + SQUIRREL_COPYRIGHT + " (32 bits)\n";
    const SqResult r = Run("", "print(1 + 2)\n"
                               "=4 * 5\n"
                               "function twice(x) {\n"
                               "    return x * 2\n"
                               "}\n"
                               "=twice(21)\n"
                               "print(\"a\" + \\\n"
                               "\"b\")\n"
                               "undefined_function()\n"
                               " =1\n"
                               "print(\"still here\")\n"
                               "print(\"last line without newline\")");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(banner + "\nsq>3\nsq>\n20\n\nsq>\nsq>\n42\n\nsq>ab\nsq>\nsq>\nsq>still here"
                       "\nsq>last line without newline",
              r.out);
    EXPECT_TRUE(Contains(r.err, "AN ERROR HAS OCCURED [the index 'undefined_function' does not exist]"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "interactive console line = (1) column = (2) : error expression expected\n"))
        << r.err;
}

TEST_F(SqInterpreter, ConsoleEndsAtQuit)
{
    const std::string banner = std::string(SQUIRREL_VERSION) + " " + SQUIRREL_COPYRIGHT + " (32 bits)\n";
    struct Case
    {
        const char* input;
        std::string out;
    };
    const Case cases[] = {
        {"print(\"a\")\nquit()\nprint(\"b\")\n", banner + "\nsq>a\nsq>"},
        {"print(\"a\"); quit(); print(\"c\")\nprint(\"b\")\n", banner + "\nsq>ac"},
        {"", banner + "\nsq>"},
    };
    for (const Case& c : cases)
    {
        const SqResult r = Run("", c.input);
        EXPECT_EQ(0, r.status) << c.input;
        EXPECT_EQ(c.out, r.out) << c.input;
    }
    // options without a script lead to the console too
    EXPECT_EQ(banner + "\nsq>x", Run("-d -c", "print(\"x\")").out);
    EXPECT_TRUE(Contains(Run("", "quit(1)\n").err, "[wrong number of parameters]"));
}

// Braces keep a statement open across lines; a quote of either kind shields '{' from the count but
// not '}', so a '}' in a string keeps the statement open until a '{' outside quotes balances it.
TEST_F(SqInterpreter, ConsoleCountsBracesToFindTheEndOfAStatement)
{
    const std::string banner = std::string(SQUIRREL_VERSION) + " " + SQUIRREL_COPYRIGHT + " (32 bits)\n";
    const SqResult r = Run("", "local t = {\n a = 1\n}; print(t.a)\n"
                               "print(\"{\")\n"
                               "print(\"}\")\n"
                               "print(1) // {\n"
                               "print(2)\n");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(banner + "\nsq>1\nsq>{\nsq>}1\nsq>2\nsq>", r.out);
}

TEST_F(SqInterpreter, ConsoleCutsOverlongStatements)
{
    const std::string statement = "print(\"" + std::string(1100, 'x') + "\")\n";
    const SqResult r = Run("", statement);
    EXPECT_TRUE(Contains(r.err, "sq : input line too long\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "interactive console line = (1) column = (1023) : error unfinished string\n"))
        << r.err;
}

} // namespace

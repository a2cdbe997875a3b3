// Compile errors carry the source name, line and column; run-time errors carry the messages hosts know.
// The column counts the characters read up to the end of the offending token (or to where the lexer
// stopped): from 0 on the first line, from 1 after a line break, as hosts of Squirrel 3.0 see it.
#include "SquirrelRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace
{

struct CompileErrorCase
{
    const char* source;
    const char* message;
    int line;
    int column;
};

// Short labels keep the discovered test names readable.
void PrintTo(const CompileErrorCase& c, std::ostream* os)
{
    *os << "line" << c.line << "col" << c.column;
}

class CompileErrors : public testing::TestWithParam<CompileErrorCase>
{
};

TEST_P(CompileErrors, ReportSourceLineAndColumn)
{
    const CompileErrorCase& c = GetParam();
    SquirrelRun run = RunSquirrel(c.source, "broken.nut");
    EXPECT_FALSE(run.compiled);
    EXPECT_EQ(c.message, run.error);
    EXPECT_EQ("broken.nut", run.errorSource);
    EXPECT_EQ(c.line, run.errorLine);
    EXPECT_EQ(c.column, run.errorColumn);
}

INSTANTIATE_TEST_SUITE_P(
    Squirrel, CompileErrors,
    testing::Values(CompileErrorCase{"local x = ;", "expression expected", 1, 11},
                    CompileErrorCase{"\nlocal a = 1\nif (a { }", "expected ')'", 3, 8},
                    CompileErrorCase{"local s = \"open", "unfinished string", 1, 15},
                    CompileErrorCase{"local a = 1 local b = 2", "end of statement expected (; or lf)", 1, 17},
                    CompileErrorCase{"local a = 1\nif (a) { a = 2 } a = 3", "end of statement expected (; or lf)", 2, 19},
                    CompileErrorCase{"if (0) {} else {} local b = 1", "end of statement expected (; or lf)", 1, 23},
                    CompileErrorCase{"if (0) f(); else if (1) g(); h()", "end of statement expected (; or lf)", 1, 30},
                    CompileErrorCase{"local n = 0\ndo n++; while (n < 3)", "expected 'while'", 2, 8},
                    CompileErrorCase{"if (1) {", "expression expected", 1, 8},
                    CompileErrorCase{"while (1) {\n", "expression expected", 2, 1},
                    CompileErrorCase{"function f() {", "expression expected", 1, 14},
                    CompileErrorCase{"print(1", "expression expected", 1, 7},
                    CompileErrorCase{"break;", "'break' has to be in a loop block", 1, 5},
                    CompileErrorCase{"1 = 2;", "can't assign expression", 1, 3},
                    CompileErrorCase{"local x = 1 $ 2;", "end of statement expected (; or lf)", 1, 13},
                    CompileErrorCase{"local x = \"a\" + \x01;", "unexpected character(control)", 1, 16},
                    CompileErrorCase{"/* never closed", "missing \"*/\" in comment", 1, 15},
                    CompileErrorCase{"/*\n*/ local = 1;", "expected 'IDENTIFIER'", 2, 13},
                    CompileErrorCase{"local x = 0x123456789;", "too many digits for an Hex number", 1, 21},
                    CompileErrorCase{"local x = 018;", "invalid octal number", 1, 12},
                    CompileErrorCase{"local x = 1e;", "exponent expected", 1, 12},
                    CompileErrorCase{"local c = 'ab';", "constant too long", 1, 14},
                    CompileErrorCase{"local c = '';", "empty constant", 1, 12},
                    CompileErrorCase{"local x = .5;", "expression expected", 1, 11},
                    CompileErrorCase{"local y = 7.tofloat();", "end of statement expected (; or lf)", 1, 19},
                    CompileErrorCase{"class 1 {}", "invalid class name", 1, 7},
                    CompileErrorCase{"local C = null;\nclass C {}",
                                     "cannot create a class in a local with the syntax(class <local>)", 2, 10},
                    CompileErrorCase{"const X = [];", "scalar expected : integer,float or string", 1, 11},
                    CompileErrorCase{"const Y = -\"s\";", "scalar expected : integer,float", 1, 14},
                    CompileErrorCase{"enum E { A = {} }", "scalar expected : integer,float or string", 1, 14},
                    CompileErrorCase{"f(1,);", "expression expected, found ')'", 1, 5},
                    CompileErrorCase{"local x = 1; delete x;", "cannot delete an (outer) local", 1, 22},
                    CompileErrorCase{"local y = 1;\nfunction f() { delete y; }", "cannot delete an (outer) local", 2,
                                     25},
                    CompileErrorCase{"local a = [1];\nlocal b = a\n[0];",
                                     "cannot brake deref/or comma needed after [exp]=exp slot declaration", 3, 2},
                    CompileErrorCase{"local t = { [1] = 2\n[2] = 3 };",
                                     "cannot brake deref/or comma needed after [exp]=exp slot declaration", 2, 2},
                    CompileErrorCase{"enum E { A }\nlocal v = E.B;", "invalid constant [E.B]", 2, 15},
                    CompileErrorCase{"enum E { A }\nlocal v = E;", "expected '.'", 2, 13},
                    CompileErrorCase{"function f(a b) {}", "expected ')' or ','", 1, 14},
                    // members of a class may be parted by ';' only, slots of a table by ',' only
                    CompileErrorCase{"class K { a = 1, b = 2 }", "expected 'IDENTIFIER'", 1, 16},
                    CompileErrorCase{"local t = {a = 1; b = 2};", "expected 'IDENTIFIER'", 1, 17}));

// A frame holds at most 256 slots: 'this', parameters, locals and temporaries. The 257th is a compile
// error, reported where it is taken: at a literal initializer itself, else after the token that ends
// the name or parameter.
TEST(SquirrelRun, AFunctionHoldsAtMost256StackSlots)
{
    struct Case
    {
        const char* what;
        int locals;
        const char* declaration; // %d stands for the local's number
        bool compiles;
        int line;
        int column;
    };
    const Case cases[] = {
        {"255 initialized locals fit", 255, "local v%d = %d;\n", true, 0, 0},
        {"the 256th initialized local fails at its literal", 256, "local v%d = %d;\n", false, 257, 17},
        {"the 256th uninitialized local fails after its ';'", 256, "local v%d;\n", false, 257, 12},
    };
    for (const Case& c : cases)
    {
        std::string source = "function f() {\n";
        char line[64];
        for (int i = 0; i < c.locals; ++i)
        {
            snprintf(line, sizeof line, c.declaration, i, i);
            source += line;
        }
        source += "return v" + std::to_string(c.locals - 1) + ";\n}\nprint(f());\n";
        SquirrelRun run = RunSquirrel(source);
        EXPECT_EQ(c.compiles, run.compiled) << c.what;
        if (c.compiles)
        {
            EXPECT_EQ(std::to_string(c.locals - 1), run.output) << c.what;
            continue;
        }
        EXPECT_EQ("internal compiler error: too many locals", run.error) << c.what;
        EXPECT_EQ(c.line, run.errorLine) << c.what;
        EXPECT_EQ(c.column, run.errorColumn) << c.what;
    }

    std::string params = "function f(";
    for (int i = 0; i < 255; ++i)
        params += "p" + std::to_string(i) + ", ";
    const SquirrelRun fits = RunSquirrel(params + "last) { return 1; }");
    EXPECT_FALSE(fits.compiled) << "this and 256 parameters need 257 slots";
    EXPECT_EQ("internal compiler error: too many locals", fits.error);
    EXPECT_EQ(int(params.size() + 5), fits.errorColumn);
    params.resize(params.size() - 2);
    EXPECT_TRUE(RunSquirrel(params + ") { return p254; }").compiled);
}

// Number literals read as the language reads them.
TEST(SquirrelRun, NumberLiteralsKeepTheirValues)
{
    struct Case
    {
        const char* literal;
        const char* printed;
    };
    const Case cases[] = {
        {"0x", "0"},          {"0xFF", "255"},
        {"0xffffffff", "-1"}, {"017", "15"},
        {"08", "8"},          {"09.5", "9.5"},
        {"00", "0"},          {"4294967297", "1"},
        {"1.5e2", "150"},     {"2E-1", "0.2"},
        {"1.2.3", "1.2"},     {"3.", "3"},
        {"'A'", "65"},        {"2147483648", "-2147483648"},
    };
    for (const Case& c : cases)
    {
        SquirrelRun run = RunSquirrel(std::string("print(") + c.literal + ");");
        EXPECT_TRUE(run.ran) << c.literal << ": " << run.error;
        EXPECT_EQ(c.printed, run.output) << c.literal;
    }
}

// A run-time error names the line where its statement starts, with or without a closing semicolon.
TEST(SquirrelRun, RuntimeErrorsNameTheLineOfTheFailingStatement)
{
    struct Case
    {
        const char* body;
        int line;
    };
    const Case cases[] = {
        {"local t = {}\nlocal v = t.missing\nprint(1)\n", 2},
        {"local t = {}\nlocal v = t.missing;\nprint(1)\n", 2},
        {"local t = {}\nt.a.b = 1\n\nprint(1)\n", 2},
        {"local t = null\nlocal v = [1,\n  2,\n  t.x]\n", 2},
        {"local n = 1\nn()\nprint(1)", 2},
    };
    for (const Case& c : cases)
    {
        SquirrelRun run =
            RunSquirrel(std::string("seterrorhandler(function(e) { print(getstackinfos(2).line) });\n"
                                    "function body() {\n") +
                        c.body + "}\nbody();\n");
        EXPECT_FALSE(run.ran) << c.body;
        EXPECT_EQ(std::to_string(c.line + 2), run.output) << c.body;
    }
}

struct RuntimeErrorCase
{
    const char* source;
    const char* message;
};

void PrintTo(const RuntimeErrorCase&, std::ostream* os)
{
    *os << "case";
}

class RuntimeErrors : public testing::TestWithParam<RuntimeErrorCase>
{
};

TEST_P(RuntimeErrors, ReachTheHostWithTheirMessage)
{
    SquirrelRun run = RunSquirrel(GetParam().source);
    ASSERT_TRUE(run.compiled) << run.error;
    EXPECT_FALSE(run.ran);
    EXPECT_EQ(GetParam().message, run.error);
}

INSTANTIATE_TEST_SUITE_P(
    Squirrel, RuntimeErrors,
    testing::Values(
        RuntimeErrorCase{"local t = {}; t.missing;", "the index 'missing' does not exist"},
        RuntimeErrorCase{"function f(a) {} f();", "wrong number of parameters"},
        RuntimeErrorCase{"local n = null; n.x = 1;", "trying to set 'null'"},
        RuntimeErrorCase{"local x = 1 / 0;", "division by zero"},
        RuntimeErrorCase{"nothing();", "the index 'nothing' does not exist"},
        RuntimeErrorCase{"local a = [1]; a[3] = 0;", "the index '3' does not exist"},
        RuntimeErrorCase{"local x = 1 + {};", "arith op + on between 'integer' and 'table'"},
        RuntimeErrorCase{"throw \"custom\";", "custom"},
        RuntimeErrorCase{"local s = 5; s();", "attempt to call 'integer'"},
        RuntimeErrorCase{"function r() { return 1 + r(); } r();", "stack overflow"},
        RuntimeErrorCase{"local t = {}; t[null] <- 1;", "null cannot be used as index"},
        RuntimeErrorCase{"class C { function _get(k) { return this[k]; } } C().x;", "Native stack overflow"},
        RuntimeErrorCase{"[1].insert(\"a\", 1);",
                         "parameter 1 has an invalid type 'string' ; expected: 'integer|float'"}));

TEST(SquirrelRun, DeepNestingIsACompileErrorNotACrash)
{
    std::string source = "local x = " + std::string(5000, '(') + "1" + std::string(5000, ')') + ";";
    SquirrelRun run = RunSquirrel(source);
    EXPECT_FALSE(run.compiled);
    EXPECT_EQ("expression or block nested too deeply", run.error);
}

TEST(SquirrelRun, LongPrefixOperatorChainsAreBoundedLikeNesting)
{
    const char* const operators[] = {"!", "- ", "~", "typeof ", "clone ", "resume ", "++", "--"};
    for (const char* op : operators)
    {
        std::string source = "local x = 1; local y = ";
        for (int i = 0; i < 40000; i++)
            source += op;
        source += "x;";
        SquirrelRun run = RunSquirrel(source);
        EXPECT_FALSE(run.compiled) << op;
        EXPECT_EQ("expression or block nested too deeply", run.error) << op;
    }
}

TEST(SquirrelRun, LongElseIfChainsCompileAsAChain)
{
    const int branches = 1000;
    std::string source = "local picked = [];\nforeach (x in [0, 1, 500, " + std::to_string(branches - 1) +
                         ", -1]) {\n    if (x == 0) picked.append(\"first\");\n";
    for (int i = 1; i < branches; i++)
        source += "    else if (x == " + std::to_string(i) + ") picked.append(" + std::to_string(i) + ");\n";
    source += "    else picked.append(\"none\");\n}\nforeach (p in picked) print(p + \" \");\n";
    SquirrelRun run = RunSquirrel(source);
    ASSERT_TRUE(run.compiled) << run.error;
    EXPECT_TRUE(run.ran) << run.error;
    EXPECT_EQ("first 1 500 " + std::to_string(branches - 1) + " none ", run.output);
}

// Instructions name a key by a 16-bit index: a function with more distinct keys is refused at compile
// time instead of running with the keys cut short.
TEST(SquirrelRun, KeysBeyondWhatAnInstructionCanNameAreACompileError)
{
    struct Case
    {
        int keys;
        bool compiles;
    };
    for (const Case c : {Case{65000, true}, Case{66000, false}})
    {
        std::string source = "local t = {};\n";
        for (int i = 0; i < c.keys; i++)
            source += "t.k" + std::to_string(i) + " <- " + std::to_string(i) + ";\n";
        source += "print(t.k0 + \" \" + t.k" + std::to_string(c.keys - 1) + " + \" \" + t.len());\n";
        SquirrelRun run = RunSquirrel(source);
        EXPECT_EQ(c.compiles, run.compiled) << c.keys << ": " << run.error;
        if (c.compiles)
            EXPECT_EQ("0 " + std::to_string(c.keys - 1) + " " + std::to_string(c.keys), run.output);
        else
            EXPECT_EQ("too many literals in one function", run.error);
    }
}

TEST(SquirrelRun, DebugHookSeesTheLinesOfCodeCompiledWithDebugInfo)
{
    SquirrelRun run =
        RunSquirrel("local lines = [];\n"
                    "setdebughook(function(type, src, line, fn) { if (type == 'l') lines.append(line); });\n"
                    "enabledebuginfo(true);\n"
                    "local f = compilestring(\"local a = 1\\nfunction g() {\\n return 2\\n}\\nlocal b = "
                    "g()\", \"dbg\");\n"
                    "enabledebuginfo(false);\n"
                    "f();\n"
                    "setdebughook(null);\n"
                    "foreach (l in lines) print(l + \" \");\n");
    EXPECT_TRUE(run.ran) << run.error;
    EXPECT_EQ("1 2 5 3 ", run.output);
}

TEST(SquirrelRun, ScriptResultsReachTheHost)
{
    SquirrelRun run = RunSquirrel("print(\"a\" + 1 + 2.5);");
    EXPECT_TRUE(run.ran);
    EXPECT_EQ("a12.5", run.output);
}

TEST(SquirrelRun, ErrorHandlerSeesTheFramesOfAnUncaughtError)
{
    SquirrelRun run = RunSquirrel(
        "seterrorhandler(function(e) {\n"
        "    local where = getstackinfos(2);\n"
        "    print(e + \" in \" + where.func + \" line \" + where.line + \" n=\" + where.locals.n);\n"
        "});\n"
        "try { throw \"caught errors stay quiet\"; } catch (e) {}\n"
        "function fails() {\n"
        "    local n = null;\n"
        "    n.field = 1;\n"
        "}\n"
        "fails();\n");
    EXPECT_FALSE(run.ran);
    EXPECT_EQ("trying to set 'null'", run.error);
    EXPECT_EQ("trying to set 'null' in fails line 8 n=(null : 0x(nil))", run.output);
}

// The handler runs once where an uncaught error leaves the script frames of the loop the host started:
// a class's constructor is one of those frames, while metamethods and the functions natives call back
// run quietly and the error is seen where they were called. call() starts a loop of its own, so an
// error passing through it is seen twice.
TEST(SquirrelRun, ErrorHandlerRunsWhereTheErrorLeavesTheScriptFrames)
{
    struct Case
    {
        const char* source;
        const char* printed;
    };
    const Case cases[] = {
        {"class K { constructor() { throw \"c\"; } }\nK();\n", "c in constructor line 2;"},
        {"class K { constructor(a, b) { local n = a + b; throw n; } }\nfunction make() { local k = K(1, 2); }\n"
         "make();\n",
         "3 in constructor line 2;"},
        {"class K { constructor() { throw \"c\"; } }\ntry { K(); } catch (e) { print(\"caught \" + e); }\n",
         "caught c"},
        {"class M { function _get(k) { throw \"g\"; } }\nlocal v = M().x;\n", "g in main line 3;"},
        {"[2, 1].sort(function(a, b) { throw \"s\"; });\n", "s in main line 2;"},
        {"function thrower() { throw \"t\"; }\nclass K { constructor() { thrower.call(this); } }\nK();\n",
         "t in thrower line 2;t in constructor line 3;"},
    };
    for (const Case& c : cases)
    {
        const std::string handler = "seterrorhandler(function(e) { local at = getstackinfos(2);"
                                    " print(e + \" in \" + at.func + \" line \" + at.line + \";\"); });\n";
        SquirrelRun run = RunSquirrel(handler + c.source);
        EXPECT_EQ(c.printed, run.output) << c.source;
    }
}

TEST(SquirrelRun, ErrorFunctionWritesToTheErrorStream)
{
    SquirrelRun run = RunSquirrel("error(\"bad\"); print(\"good\");");
    EXPECT_EQ("bad", run.errorOutput);
    EXPECT_EQ("good", run.output);
}

} // namespace

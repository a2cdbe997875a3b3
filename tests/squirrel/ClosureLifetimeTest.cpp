// Closures, the variables they capture and generators, as they are made, reused, copied and collected in bulk:
// each script computes a number that any stale captured value, lost default or misplaced frame would change.
#include <gtest/gtest.h>

#include <squirrel.h>

#include <cstring>
#include <string>

namespace
{
struct ScriptCase
{
    const char* name;
    const char* source; // returns an integer
    SQInteger expected;
};

class ClosureLifetime : public testing::TestWithParam<ScriptCase>
{
protected:
    void SetUp() override { v = sq_open(1024); }
    void TearDown() override { sq_close(v); }
    // The script's integer result, or -1 with the error in 'error'.
    SQInteger Evaluate(const char* source, std::string& error)
    {
        SQInteger result = -1;
        if (SQ_FAILED(sq_compilebuffer(v, source, SQInteger(strlen(source)), "test.nut", SQFalse)))
        {
            error = "does not compile";
            return result;
        }
        sq_pushroottable(v);
        if (SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)))
        {
            sq_getinteger(v, -1, &result);
            sq_pop(v, 1);
        }
        else
        {
            sq_getlasterror(v);
            const SQChar* text = "(not a string)";
            sq_getstring(v, -1, &text);
            error = text;
            sq_pop(v, 1);
        }
        sq_pop(v, 1);
        return result;
    }
    HSQUIRRELVM v = nullptr;
};

TEST_P(ClosureLifetime, ScriptComputesItsNumber)
{
    std::string error;
    EXPECT_EQ(Evaluate(GetParam().source, error), GetParam().expected) << error;
}

const ScriptCase kCases[] = {
    // every shape in turn, so each closure takes a block another shape gave back
    {"OutersAndDefaultsOfMixedShapesKeepTheirOwnValues",
     "function make(a, b) {"
     "  local c = a * 10;"
     "  switch (b % 3) {"
     "  case 0: return function(x = 7) { return a + x; };"
     "  case 1: return function(x = 1, y = 2, z = 3) { return a + c + x * 100 + y * 1000 + z * 10000; };"
     "  default: return function() { return a + b + c; };"
     "  }"
     "}"
     "local total = 0;"
     "for (local i = 0; i < 300; i++) total += make(i, i)();"
     "return total;",
     // i%3==0: i + 7; i%3==1: 11i + 32100; i%3==2: 12i
     (0 + 297) * 100 / 2 + 7 * 100 + 11 * ((1 + 298) * 100 / 2) + 32100 * 100 + 12 * ((2 + 299) * 100 / 2)},
    {"ClosuresOfOneFrameShareEachCapturedLocal",
     "function pair() {"
     "  local n = 0;"
     "  return [function() { n += 1; return n; }, function() { return n * 100; }];"
     "}"
     "local total = 0;"
     "for (local i = 0; i < 50; i++) { local p = pair(); p[0](); p[0](); total += p[1](); }"
     "return total;",
     50 * 200},
    {"ANestedClosureReachesTheOuterOfItsEnclosingClosure",
     "function outer(k) {"
     "  local hits = k;"
     "  return function() { return function() { hits += 1; return hits; }; };"
     "}"
     "local total = 0;"
     "for (local i = 0; i < 40; i++) { local mid = outer(i); mid()(); total += mid()(); }"
     "return total;",
     (0 + 39) * 40 / 2 + 2 * 40},
    {"AFreshOuterDoesNotSeeTheValueOfOneBeforeIt",
     "function box(v) { local x = v; return function() { return x; }; }"
     "local total = 0;"
     "for (local i = 0; i < 100; i++) { local f = box(i % 2 ? null : i); if (f() == null) total += 1000; else total += f(); }"
     "return total;",
     50 * 1000 + (0 + 98) * 50 / 2},
    {"ACloneSharesTheCapturedLocalAndKeepsTheDefaults",
     "function counter() { local n = 0; return function(step = 5) { n += step; return n; }; }"
     "local a = counter();"
     "local b = a.bindenv(this);"
     "a(); b(); b(1);"
     "return a() * 100 + a.getinfos().defparams[0];",
     1605},
    {"ClosuresInCyclesAreCollectedAndTheirBlocksServeNewOnes",
     "function knot(v) { local self = null; self = function() { return self ? v : -1; }; return self; }"
     "for (local i = 0; i < 200; i++) knot(i);"
     "local freed = collectgarbage();"
     "local total = 0;"
     "for (local i = 0; i < 200; i++) total += knot(i)();"
     "return (freed >= 400 ? 1000000 : 0) + total;",
     1000000 + 199 * 200 / 2},
    {"GeneratorsKeepTheirLocalsAndTrapsBetweenSteps",
     "function gen(n) {"
     "  local sum = 0;"
     "  for (local i = 0; i < n; i++) {"
     "    try { if (i % 3 == 2) throw i; sum += i; yield sum; }"
     "    catch (e) { yield -e; }"
     "  }"
     "  return 1000;"
     "}"
     "local total = 0, steps = 0;"
     "foreach (k, v in gen(9)) { total += v; steps += k; }"
     "return total * 100 + steps;",
     // yields 0, 1, -2, 4, 8, -5, 14, 21, -8
     (0 + 1 - 2 + 4 + 8 - 5 + 14 + 21 - 8) * 100 + 36},
    {"ManyGeneratorsRunSideBySide",
     "function count(from) { for (local i = from; ; i++) yield i; }"
     "local gens = [];"
     "for (local i = 0; i < 20; i++) gens.append(count(i * 100));"
     "local total = 0;"
     "for (local round = 0; round < 3; round++) foreach (g in gens) total += resume g;"
     "return total;",
     3 * (0 + 1900) * 20 / 2 + 20 * (0 + 1 + 2)},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ClosureLifetime, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });
} // namespace

// Every string exists once: equal text from any route is the same string, different text never is, and
// strings that die leave the intern table able to hold their text again.
#include "squirrel/SquirrelRunner.h"

#include <gtest/gtest.h>

namespace
{
// Long strings that share their first 64 characters and differ only in the middle or at the end, made by
// concatenation, then made again by slicing and by concatenating other pieces.
const char* const kLongKeys = R"(
local head = "";
for (local i = 0; i < 64; i++) head += "p";
function key(n) { return head + "-" + n + "-" + head + "|" + (n % 7); }
local keys = {};
for (local n = 0; n < 300; n++) keys[key(n)] <- n;
local count = 0;
foreach (k, v in keys) count++;
local found = 0;
for (local n = 0; n < 300; n++) {
    local again = (head + "-") + (n.tostring() + ("-" + head)) + ("|" + (n % 7).tostring());
    local sliced = ("xx" + key(n) + "yy").slice(2, -2);
    if (keys[again] == n && keys[sliced] == n && again == key(n)) found++;
}
print(count + " " + found + " " + (key(1) == key(2)) + " " + ("a" + key(5) == "a" + key(5)));
)";

// Thousands of strings made, looked up by text made again, and released, round after round: the table grows
// while they live and must have dropped each one that died.
const char* const kReleaseAndRemake = R"(
local found = 0;
for (local round = 0; round < 4; round++) {
    local made = {};
    for (local n = 0; n < 2000; n++) made["s" + round + ":" + n] <- n;
    for (local n = 0; n < 2000; n++) if (made[("s" + round) + (":" + n.tostring())] == n) found++;
    made = null;
}
print(found);
)";
} // namespace

TEST(StringIntern, EqualTextIsOneStringWhicheverWayItWasMade)
{
    const SquirrelRun run = RunSquirrel(kLongKeys);
    ASSERT_TRUE(run.ran) << run.error;
    EXPECT_EQ("300 300 false true", run.output);
}

TEST(StringIntern, ReleasedStringsCanBeMadeAgain)
{
    const SquirrelRun run = RunSquirrel(kReleaseAndRemake);
    ASSERT_TRUE(run.ran) << run.error;
    EXPECT_EQ("8000", run.output);
}

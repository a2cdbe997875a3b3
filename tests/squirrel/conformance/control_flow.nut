// if/else, while, do/while, for, foreach, switch with fall-through, break, continue, ternary, logic.
function classify(n) {
    if (n < 0) return "negative";
    else if (n == 0) return "zero";
    else return "positive";
}
print(classify(-5) + " " + classify(0) + " " + classify(3) + "\n");
local i = 0, s = 0;
while (i < 10) { s += i; i++; }
print("while: " + s + "\n");
i = 0;
do { i += 3; } while (i < 10);
print("do/while runs at least once: " + i + "\n");
local n = 100;
do n++ while (false);
print("do without block: " + n + "\n");
local f = "";
for (local k = 0; k < 5; k++) f += k;
print("for: " + f + "\n");
f = "";
for (local a = 0, b = 10; a < b; a += 3, b -= 1) f += a + "/" + b + " ";
print("for with commas: " + f + "\n");
local count = 0;
for (;;) { if (++count >= 4) break; }
print("for ever with break: " + count + "\n");
f = "";
for (local k = 0; k < 10; k++) {
    if (k % 2) continue;
    if (k > 6) break;
    f += k;
}
print("continue/break: " + f + "\n");
f = "";
foreach (v in [10, 20, 30]) f += v + ",";
print("foreach values: " + f + "\n");
f = "";
foreach (idx, v in ["a", "b"]) f += idx + v;
print("foreach index: " + f + "\n");
f = "";
for (local x = 0; x < 3; x++)
    for (local y = 0; y < 3; y++) {
        if (y == 2) break;
        f += x + "" + y + " ";
    }
print("nested loops: " + f + "\n");
function sw(v) {
    local r = "";
    switch (v) {
        case 1:
            r += "one ";
        case 2:
            r += "two ";
            break;
        case "s":
            r += "string ";
            break;
        case 3.5:
            r += "float ";
            break;
        default:
            r += "default ";
    }
    return r;
}
print("switch: " + sw(1) + "| " + sw(2) + "| " + sw("s") + "| " + sw(3.5) + "| " + sw(9) + "\n");
function swNoDefault(v) {
    local r = "none";
    switch (v) { case 1: r = "matched"; }
    return r;
}
print("switch without default: " + swNoDefault(1) + " " + swNoDefault(2) + "\n");
local loopSwitch = "";
for (local k = 0; k < 4; k++) {
    switch (k) {
        case 1: continue;
        case 2: loopSwitch += "two"; break;
        default: loopSwitch += k;
    }
    loopSwitch += ".";
}
print("continue inside switch: " + loopSwitch + "\n");
print("ternary: " + (true ? "yes" : "no") + " " + (0 ? "yes" : "no") + " " + (1 ? 2 ? "a" : "b" : "c") + "\n");
print("and/or values: " + (null || "fallback") + " " + (1 && "second") + " " + (0 && "never") + "\n");
local calls = 0;
function touch() { calls++; return true; }
local r = false && touch();
r = true || touch();
print("short circuit: " + calls + "\n");
print("falsy: " + (!null) + (!0) + (!0.0) + (!false) + " truthy: " + (!"") + (![]) + "\n");
local x = 5;
{
    local x = 6;
    print("block scope inner: " + x + "\n");
}
print("block scope outer: " + x + "\n");
if (x == 5) print("if without braces\n"); else print("wrong\n");
local semicolons = 1; ; ;
print("empty statements: " + semicolons + "\n")
print("newline ends statement\n")
# a hash comment
local afterComments = /* block comment */ "comments skipped";
print(afterComments + "\n");
// what may follow an if or a do body on the same line
local branches = "";
if (x == 5) branches += "a"; branches += "b";
if (x == 4) branches += "c"; else branches += "d"; branches += "e";
if (x == 5) branches += "f" else branches += "g";
if (x == 5) { branches += "h" }; branches += "i";
if (x == 4) { branches += "j" } else { branches += "k" }; branches += "l";
if (x == 4) branches += "m"; else if (x == 5) branches += "n"
local turns = 0;
do turns++ while (turns < 3);
do { turns++ } while (turns < 5)
print("same-line statements: " + branches + " " + turns + "\n");

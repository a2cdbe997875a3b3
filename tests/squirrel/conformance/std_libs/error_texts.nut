// The error texts of the base and string libraries, word for word.
function attempt(label, fn) {
    try { print(label + ": " + fn() + "\n"); } catch (e) { print(label + ": " + e + "\n"); }
}
local cases = [
    ["string slice past the end", @() "abc".slice(0, 9)],
    ["string slice before the start", @() "abc".slice(-9)],
    ["string slice reversed", @() "abc".slice(2, 1)],
    ["array slice past the end", @() [1, 2].slice(1, 5)],
    ["rawget of a missing key", @() {}.rawget("k")],
    ["waking an idle thread", @() newthread(@() 1).wakeup()],
    ["format without values", @() format("%d %d", 1)],
    ["format %s of a number", @() format("%s", 1)],
    ["format %d of a string", @() format("%d", "x")],
    ["format %f of null", @() format("%f", null)],
    ["regexp unclosed group", @() regexp("(ab")],
    ["regexp unclosed class", @() regexp("[ab")],
    ["regexp bad braces", @() regexp("a{2x")],
    ["regexp unclosed braces", @() regexp("a{2,3")],
    ["regexp stray paren", @() regexp("ab)")],
    ["regexp escape at the end", @() regexp("ab\\")],
    ["array top of nothing", @() [].top()],
    ["array insert out of range", @() [].insert(3, 1)],
    ["array remove out of range", @() [].remove(0)],
    ["compilestring of bad code", @() compilestring("local = 1")],
];
foreach (c in cases) attempt(c[0], c[1]);

// Threads, metamethod failures, class creation and the text of null, at their less travelled edges.

// suspend() hands the caller the top of its call: the last argument, or 'this' when it has none
local bare = newthread(function() { suspend(); return "end"; });
print("bare suspend yields the root table: " + (bare.call() == getroottable()) + "\n");
print("wakeup with nothing resumes to the end: " + bare.wakeup() + " " + bare.getstatus() + "\n");
local two = newthread(function() { local got = suspend("a", "b"); return got; });
print("suspend with two values yields the last: " + two.call() + "\n");
print("wakeup without a value resumes with null: " + (two.wakeup() == null) + "\n");
local failing = newthread(function() { suspend(1); throw "after wakeup"; });
failing.call();
try { failing.wakeup(); } catch (e) print("a failing wakeup passes its error: " + e + " " + failing.getstatus() + "\n");
try { failing.wakeup(); } catch (e) print("then the thread is idle: " + e + "\n");

// a new thread registers the built-in globals again in the shared root table
::savedPrint <- print;
::print <- function(s) { ::savedPrint("[replaced] " + s); };
print("through the replacement\n");
newthread(function() {});
print("a new thread restored the built-in print\n");

// errors inside metamethods reach the caller; 'throw null' in _get or _set only means "no such slot"
class Faulty {
    function _get(k) { if (k == "quiet") throw null; throw "_get of " + k; }
    function _set(k, v) { if (k == "quiet") throw null; throw "_set of " + k; }
    function _cmp(o) { throw "_cmp"; }
    function _call(self, a) { throw "_call"; }
    function _typeof() { throw "_typeof"; }
    function _tostring() { throw "_tostring"; }
    function _mul(o) { throw "_mul"; }
    function _unm() { throw "_unm"; }
    function _nexti(i) { throw "_nexti"; }
    function _cloned(o) { throw "_cloned"; }
    function _newslot(k, v) { throw "_newslot"; }
    function _delslot(k) { throw "_delslot"; }
}
local f = Faulty();
local cases = [
    ["_get", @() f.missing],
    ["_get throwing null", @() f.quiet],
    ["a default method looked up through _get", @() f.tostring()],
    ["_set", function() { f.missing = 1; }],
    ["_set throwing null", function() { f.quiet = 1; }],
    ["_cmp", @() f < Faulty()],
    ["_call", @() f(1)],
    ["_typeof", @() typeof f],
    ["_tostring in a concatenation", @() "x" + f],
    ["_mul", @() f * 2],
    ["_unm", @() -f],
    ["_nexti", function() { foreach (k in f) {} }],
    ["_cloned", @() clone f],
    ["_newslot", function() { f.fresh <- 1; }],
    ["_delslot", function() { delete f.fresh; }],
];
foreach (c in cases) {
    try { c[1](); print(c[0] + ": no error\n"); }
    catch (e) print(c[0] + ": " + e + "\n");
}

// an instance takes '<-' only through _newslot
class Collector {
    got = null;
    constructor() { got = []; }
    function _newslot(k, v) { got.append(k + "=" + v); }
}
local col = Collector();
col.a <- 1;
col.b <- "two";
print("_newslot saw: " + col.got[0] + " " + col.got[1] + "\n");
class Bare {}
try { Bare().x <- 1; } catch (e) print("an instance without _newslot: " + e + "\n");

// _inherited gets the new class and its attributes, before the class holds them; its failures are dropped
class Watcher {
    static seen = [];
    function _inherited(attrs) {
        Watcher.seen.append((attrs == null ? "none" : attrs.tag) + "/" + (this.getattributes(null) == null));
        throw "ignored";
    }
}
class Child extends Watcher </ tag = "t" /> { value = 5 }
class Other extends Watcher {}
print("_inherited saw: " + Watcher.seen[0] + " " + Watcher.seen[1] + "\n");
print("classes made despite the errors: " + Child().value + " " + Child.getattributes(null).tag + "\n");
class Sloppy { static calls = [0]; function _inherited() { Sloppy.calls[0]++; } }
class SloppyChild extends Sloppy {}
print("an _inherited without a parameter is never run: " + Sloppy.calls[0] + "\n");

// null becomes text as the pointer forms do
local n = null;
print("concatenated: " + n + "\n");
print(n);
print("\n");
print("in a table: " + {v = null}.v + "\n");

// 'in' and 'instanceof' bind as loosely as '&&': each side is a whole bitwise expression
class Shape {}
local shape = Shape();
local keys = {k = 1};
local none = null;
print("&& takes the test on its right: " + (none && "k" in keys) + " " + (keys && "k" in keys) + "\n");
print("arithmetic and bitwise sides: " + (1 + 1 in [0, 1, 2]) + " " + (0 | 1 in [0, 1]) + "\n");
print("a comparison on the right side: " + ("k" in keys == false) + "\n");
try { print(shape instanceof Shape == true); } catch (e) print("instanceof of a comparison: " + e + "\n");
print("not binds first: " + (!shape instanceof Shape) + "\n");

// compile errors as compilestring reports them
foreach (src in ["local x = 1; delete x;", "delete this;", "delete (1 + 2);", "function f(a b) {}",
                 "function f(a = 1, b) {}", "const c = true;", "local s = \"", "local s = \"open"]) {
    try { compilestring(src); print("compiled: " + src + "\n"); }
    catch (e) print(src + " -> " + e + "\n");
}
// 'this' is a local like any other, and may be assigned
function rebound() { this = {a = 5}; return a; }
print("this reassigned: " + rebound() + "\n");
// 'in' on a string takes a negative index whose size is below the length
print("in with negative string indices: " + (-1 in "abc") + " " + (-2 in "abc") + " " + (-3 in "abc") + " " + (3 in "abc") + "\n");
// _newmember is always given the key, value, attributes and static flag
class Narrow { function _newmember(k, v) {} }
try { class Wider extends Narrow { x = 1 } } catch (e) print("a _newmember taking two parameters: " + e + "\n");
// a frame's locals take its captured variables and the foreach iterator and index
local captured = 7;
local probe = function(a) {
    local inner = captured + a;
    foreach (v in [a]) {
        local names = [];
        foreach (k, x in getstackinfos(1).locals) names.append(k);
        names.sort();
        local line = "";
        foreach (n in names) line += n + " ";
        return line;
    }
};
print("locals seen: " + probe(1) + "\n");

// The behaviours the language reference describes, one table per chapter; each case prints its value.
function show(chapter, cases) {
    print("== " + chapter + "\n");
    foreach (c in cases) {
        local text;
        try { local v = c[1](); text = v == null ? "null" : v.tostring(); } catch (e) { text = "error: " + e; }
        print(c[0] + ": " + text + "\n");
    }
}

show("lexical structure", [
    ["hash comment", @() compilestring("# a comment\nreturn 1")()],
    ["verbatim string keeps backslashes", @() @"a\nb".len()],
    ["verbatim string doubles quotes", @() @"say ""hi"""],
    ["hexadecimal escape", @() "\x41\x42"],
    ["character constant", @() 'a' + 1],
    ["octal literal", @() 0777],
    ["scientific literal", @() 1e3 + 1.5e-1],
    ["keywords are not names", @() compilestring("local while = 1") == null],
]);

show("values and data types", [
    ["integers are 32 bits", @() 2147483647 + 1],
    ["integer division truncates", @() -7 / 2],
    ["float is single precision", @() (16777216.0 + 1.0).tointeger()],
    ["strings are immutable values", function() { local s = "ab"; local t = s; t += "c"; return s + " " + t }],
    ["null is false", @() null ? "true" : "false"],
    ["0.0 is false", @() 0.0 ? "true" : "false"],
    ["tables are references", function() { local a = {}; local b = a; b.x <- 1; return a.x }],
]);

show("statements", [
    ["switch falls through", function() {
        local r = "";
        switch (2) { case 1: r += "one"; case 2: r += "two"; case 3: r += "three"; break; default: r += "default"; }
        return r }],
    ["switch on strings", function() { switch ("b") { case "a": return 1; case "b": return 2; } return 0 }],
    ["foreach over a string gives characters", function() { local r = 0; foreach (i, c in "AB") r += i * 100 + c; return r }],
    ["foreach over a table gives keys and values", function() { local n = 0; foreach (k, v in { a = 1, b = 2 }) n += v; return n }],
    ["while and continue", function() { local i = 0, n = 0; while (i < 5) { i++; if (i % 2) continue; n += i; } return n }],
    ["do while runs once", function() { local n = 0; do n++ while (false); return n }],
    ["local declarations chain", function() { local a = 1, b = a + 1; return b }],
    ["try catch receives the thrown value", function() { try { throw { code = 7 } } catch (e) { return e.code } }],
]);

show("expressions", [
    ["three-way compare", @() (1 <=> 2) + " " + (2 <=> 2) + " " + ("b" <=> "a")],
    ["three-way compare of strings", @() ("a" <=> "c") + " " + ("ab" <=> "a") + " " + ("" <=> "abc") + " " + ("\xe9" <=> "e") + " " + ("x" <=> "x")],
    ["logical operators return operands", @() (null || "right") + " " + (1 && 2)],
    ["ternary", @() true ? "yes" : "no"],
    ["in on arrays uses indices", @() (1 in [5, 6]) + " " + (2 in [5, 6])],
    ["bitwise operators", @() (5 & 3) + " " + (5 | 3) + " " + (5 ^ 3) + " " + (~0) + " " + (1 << 4) + " " + (-16 >> 2) + " " + (-16 >>> 28)],
    ["comma operator", function() { local a = 0, b = 0; for (a = 0, b = 10; a < 3; a++, b--); return a + b }],
    ["typeof", @() typeof [] + " " + typeof {} + " " + typeof 1.0 + " " + typeof null],
    ["string plus anything", @() "x" + 1 + 2.5 + null + true],
    ["delete returns the value", function() { local t = { a = 5 }; return delete t.a }],
    ["integer and float mix", @() 3 / 2.0],
]);

show("tables", [
    ["computed keys", function() { local k = "dyn"; local t = { [k] = 1, [2] = "two" }; return t.dyn + t[2] }],
    ["JSON style keys", @() { "quoted key": 3 }["quoted key"]],
    ["new slot", function() { local t = {}; t.a <- 1; t["b"] <- 2; return t.a + t.b }],
    ["assigning a missing slot fails", function() { local t = {}; t.a = 1; return t.a }],
    ["functions in tables get this", @() { v = 3, function get() { return v } }.get()],
]);

show("arrays", [
    ["array() fills", @() array(3, "x").reduce(@(a, b) a + b)],
    ["append push pop top", function() { local a = [1]; a.append(2); a.push(3); local p = a.pop(); return p + a.top() }],
    ["insert and remove", function() { local a = [1, 3]; a.insert(1, 2); a.remove(0); return a[0] * 10 + a[1] }],
    ["resize with a fill", function() { local a = [1]; a.resize(3, 9); return a[2] + a.len() }],
    ["sort with a function", function() { local a = [3, 1, 2]; a.sort(@(x, y) y <=> x); return a[0] }],
    ["reverse", function() { local a = [1, 2, 3]; a.reverse(); return a[0] }],
    ["map filter find", @() [1, 2, 3].map(@(v) v * 2).filter(@(i, v) v > 2).find(6)],
    ["extend", function() { local a = [1]; a.extend([2, 3]); return a.len() }],
    ["methods that change the array return null", function() {
        local a = [2, 1], r = [a.append(3), a.push(4), a.extend([5]), a.insert(0, 0), a.resize(7), a.sort(), a.reverse(), a.apply(@(v) v), a.clear()];
        return r.filter(@(i, v) v != null).len() }],
    ["out of range read", @() [1][5]],
]);

show("functions", [
    ["default parameters", function() { local f = function(a, b = 10) { return a + b }; return f(1) + f(1, 2) }],
    ["variable arguments", function() { local f = function(...) { return vargv.len() }; return f(1, 2, 3) }],
    ["free variables are shared", function() { local n = 0; local inc = function() { n++ }; inc(); inc(); return n }],
    ["lambda", @() (@(a, b) a * b)(6, 7)],
    ["call with this", @() (function() { return this.v }).call({ v = 4 })],
    ["acall", @() (function(a) { return a + this.v }).acall([{ v = 1 }, 2])],
    ["bindenv", function() { local env = { v = 8 }; local f = (function() { return v }).bindenv(env); return f() }],
    ["bindenv holds its table weakly", function() { local f = (function() { return this }).bindenv({ v = 8 }); return f() }],
    ["too many arguments", @() (function(a) {})(1, 2)],
    ["tail recursion", function() { local f; f = function(n) { if (n == 0) return "done"; return f(n - 1) }; return f(10000) }],
]);

show("classes", [
    ["constructor and members", function() { local C = class { v = 0; constructor(x) { v = x } }; return C(5).v }],
    ["static members are shared", function() { local C = class { static s = "st" }; return C.s + C().s }],
    ["base calls", function() {
        local A = class { function f() { return "A" } };
        local B = class extends A { function f() { return "B" + base.f() } };
        return B().f() }],
    ["instanceof and getclass", function() { local C = class {}; local i = C(); return (i instanceof C) + " " + (i.getclass() == C) }],
    ["attributes", function() { local C = class { </ kind = "num" /> v = 1 }; return C.getattributes("v").kind }],
    ["instance fields are copies", function() { local C = class { a = [] }; local x = C(), y = C(); x.a = [1]; return y.a.len() }],
    ["a class's methods can be added after instancing", function() { local C = class {}; C(); C.late <- @() "late"; return C().late() }],
    ["fields cannot be added after instancing", function() { local C = class {}; C(); C.late <- 1; return "added" }],
    ["_tostring and _cmp", function() {
        local C = class { v = 0; constructor(x) { v = x } function _cmp(o) { return v <=> o.v } function _tostring() { return "C" + v } };
        return (C(1) < C(2)) + " " + C(3) }],
    ["_call", function() { local C = class { function _call(self, a) { return a * 2 } }; return C()(21) }],
]);

show("generators", [
    ["resume", function() { local g = (function() { yield 1; yield 2; })(); return resume g + resume g }],
    ["status", function() { local g = (function() { yield 1; })(); local a = g.getstatus(); resume g; resume g; return a + " " + g.getstatus() }],
    ["foreach ends at return", function() { local r = ""; foreach (v in (function() { yield "a"; yield "b"; return "c"; })()) r += v; return r }],
    ["resuming a dead generator", function() { local g = (function() { yield 1; })(); resume g; resume g; return resume g }],
]);

show("constants and enumerations", [
    ["const", @() compilestring("const K = 5; return K * 2")()],
    ["enum", @() compilestring("enum Dir { Up, Down = 10, Left } return Dir.Left")()],
    ["constants are fixed at compile time", @() compilestring("const K = 1; K = 2;") == null],
]);

show("threads", [
    ["call, suspend and wakeup", function() {
        local t = newthread(function(a) { local b = suspend(a * 2); return b + 1 });
        local first = t.call(5);
        local status = t.getstatus();
        local last = t.wakeup(10);
        return first + " " + status + " " + last + " " + t.getstatus() }],
]);

show("weak references", [
    ["ref while alive", function() { local t = {}; local w = t.weakref(); return typeof w.ref() }],
    ["ref after release", function() { local t = {}; local w = t.weakref(); t = null; return w.ref() }],
    ["values are their own weakref", @() (5).weakref()],
]);

show("metamethods", [
    ["arithmetic", function() {
        local V;
        V = class { x = 0; constructor(a) { x = a } function _add(o) { return V(x + o.x) } function _unm() { return V(-x) } };
        return (V(1) + V(2)).x + (-V(4)).x }],
    ["_typeof", @() typeof (class { function _typeof() { return "custom" } })()],
    ["_cloned", function() { local C = class { copies = 0; function _cloned(o) { copies = o.copies + 1 } }; return (clone clone C()).copies }],
    ["_nexti", function() {
        local C = class { function _nexti(i) { if (i == null) return 0; if (i < 2) return i + 1; return null } function _get(k) { return k * 10 } };
        local r = 0; foreach (k, v in C()) r += v; return r }],
    ["_newslot and _delslot", function() {
        local log = "";
        local t = {}.setdelegate({ function _newslot(k, v) { log += "new " + k; rawset(k, v) } function _delslot(k) { log += " del " + k; rawdelete(k) } });
        t.a <- 1; delete t.a; return log }],
]);

show("built-in functions", [
    ["type", @() type(1) + " " + type(print)],
    ["getroottable", @() getroottable() == ::getroottable()],
    ["assert", @() assert(false)],
    ["callee", @() (function() { return typeof callee() })()],
    ["compilestring names its buffer", @() compilestring("return 1", "buffer").getinfos().src],
    ["collectgarbage returns a count", @() typeof collectgarbage()],
    ["_versionnumber_", @() _versionnumber_ >= 300],
]);

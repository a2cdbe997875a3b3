// The default delegates of numbers, bools, strings, tables, classes, instances and weak references.
function attempt(label, fn) {
    try { print(label + ": " + fn() + "\n"); } catch (e) { print(label + ": error\n"); }
}

// integer, float and bool
print("integer: " + (7).tofloat() + " " + typeof (7).tofloat() + " " + (7).tointeger() + " " + typeof (7).tostring() + " " + (65).tochar() + "\n");
print("float: " + (2.75).tointeger() + " " + (-2.75).tointeger() + " " + (2.5).tofloat() + " " + (66.9).tochar() + " " + typeof (2.5).tostring() + "\n");
print("bool: " + true.tointeger() + " " + false.tointeger() + " " + true.tofloat() + " " + typeof true.tofloat() + " " + true.tostring() + " " + false.tostring() + "\n");
print("weakref of values are the values: " + (5).weakref() + " " + (1.5).weakref() + " " + true.weakref() + "\n");

// string
local s = "Hello World";
print("len: " + s.len() + " " + "".len() + "\n");
print("tointeger: " + "42".tointeger() + " " + "-17".tointeger() + " " + typeof "3.9".tointeger() + " " + "3.9".tointeger() + "\n");
print("tofloat: " + "2.5".tofloat() + " " + typeof "4".tofloat() + " " + "1e3".tofloat() + "\n");
print("leading numbers convert: " + "12px".tointeger() + " " + " 7".tointeger() + " " + "2.5cm".tofloat() + "\n");
try { "abc".tointeger(); } catch (e) { print("tointeger of a word: " + e + "\n"); }
try { "abc".tofloat(); } catch (e) { print("tofloat of a word: " + e + "\n"); }
print("tostring: " + s.tostring() + "\n");
print("slice: [" + s.slice(6) + "] [" + s.slice(0, 5) + "] [" + s.slice(-5) + "] [" + s.slice(-5, -3) + "] [" + s.slice(3, 3) + "]\n");
attempt("slice past the end", @() s.slice(0, 50));
attempt("slice reversed", @() s.slice(5, 2));
print("find: " + s.find("o") + " " + s.find("o", 5) + " " + s.find("World") + " " + s.find("xyz") + " " + s.find("") + "\n");
print("case: " + s.tolower() + " " + s.toupper() + " " + "MiXeD 123".tolower() + "\n");
local sw = s.weakref();
print("string weakref: " + typeof sw + "\n");

// table
local t = { a = 1, b = 2 };
print("table len: " + t.len() + "\n");
print("rawset returns null: " + (t.rawset("c", 3) == null) + " " + t.c + "\n");
print("rawget: " + t.rawget("a") + "\n");
attempt("rawget of a missing key", @() t.rawget("zz"));
print("rawin: " + t.rawin("a") + " " + t.rawin("zz") + "\n");
print("rawdelete returns the value: " + t.rawdelete("a") + " then " + t.rawin("a") + " " + t.len() + "\n");
print("rawdelete of a missing key: " + t.rawdelete("zz") + "\n");
local proto = { inherited = "from delegate" };
local child = { own = 1 };
print("setdelegate returns the table: " + (child.setdelegate(proto) == child) + "\n");
print("delegation: " + child.inherited + " rawin " + child.rawin("inherited") + " in " + ("inherited" in child) + "\n");
attempt("rawget skips the delegate", @() child.rawget("inherited"));
print("getdelegate: " + (child.getdelegate() == proto) + " " + ({}).getdelegate() + "\n");
child.setdelegate(null);
print("delegate removed: " + child.getdelegate() + " " + ("inherited" in child) + "\n");
print("clear returns null: " + (t.clear() == null) + " " + t.len() + "\n");
print("table tostring starts with: " + t.tostring().slice(0, 8) + "\n");
local tw = t.weakref();
print("table weakref: " + typeof tw + " " + (tw.ref() == t) + "\n");

// class and instance
class Base </ kind = "base" /> {
    </ tag = "x" /> value = 1;
    function describe() { return "base"; }
}
class Derived extends Base {
    extra = 2;
}
print("class getattributes: " + Base.getattributes(null).kind + " " + Base.getattributes("value").tag + "\n");
local previous = Base.setattributes("value", { tag = "y" });
print("setattributes returns the previous: " + previous.tag + " now " + Base.getattributes("value").tag + "\n");
attempt("getattributes of a missing member", @() Base.getattributes("nothing"));
print("class rawin: " + Derived.rawin("extra") + " " + Derived.rawin("value") + " " + Derived.rawin("nope") + "\n");
print("class rawget: " + Derived.rawget("extra") + "\n");
Derived.rawset("added", 5);
print("class rawset: " + Derived.added + "\n");
print("getbase: " + (Derived.getbase() == Base) + " " + Base.getbase() + "\n");
class WithConstructor {
    built = "no";
    constructor() { built = "yes"; }
}
local bare = WithConstructor.instance();
print("instance() skips the constructor: " + bare.built + " " + (bare instanceof WithConstructor) + "\n");
local d = Derived();
print("getclass: " + (d.getclass() == Derived) + "\n");
print("instance rawin: " + d.rawin("extra") + " " + d.rawin("nope") + "\n");
print("instance rawget: " + d.rawget("extra") + "\n");
d.rawset("extra", 20);
print("instance rawset: " + d.extra + " class keeps " + Derived.extra + "\n");
class Shown { function _tostring() { return "shown!"; } }
print("instance tostring uses _tostring: " + Shown().tostring() + "\n");
local dw = d.weakref();
print("instance weakref: " + typeof dw + " " + (dw.ref() == d) + "\n");

// newmember goes through _newmember, rawnewmember does not
class Hooked {
    function _newmember(key, value, attrs, isStatic) {
        ::memberLog.append(key + (isStatic ? " static" : ""));
        ::Hooked.rawnewmember(key, value, attrs, isStatic);
    }
}
::memberLog <- [];
Hooked.newmember("x", 5, { note = "attr" });
Hooked.rawnewmember("y", 6);
Hooked.newmember("s", 7, null, true);
foreach (l in memberLog) print("_newmember saw " + l + "\n");
print("members: " + Hooked.x + " " + Hooked.y + " " + Hooked.s + " " + Hooked.getattributes("x").note + "\n");
class Plain {}
Plain.newmember("f", function() { return "method"; });
Plain.rawnewmember("g", 1, { tag = 2 });
print("added to a plain class: " + Plain().f() + " " + Plain().g + " " + Plain.getattributes("g").tag + "\n");

// weak reference
local target = [1, 2];
local w = target.weakref();
print("ref: " + w.ref().len() + " weakref of a weakref: " + typeof w.weakref() + "\n");
target = null;
print("ref after release: " + w.ref() + "\n");

// array.sort beyond the simple cases
local function sorted(a, cmp) {
    for (local i = 1; i < a.len(); i++) if (cmp(a[i - 1], a[i]) > 0) return false;
    return true;
}
local numbers = [];
local seed = 7;
for (local i = 0; i < 60; i++) { seed = (seed * 1103 + 12345) % 1000; numbers.append(seed % 50); }
local total = numbers.reduce(@(a, b) a + b);
numbers.sort();
print("sort of 60 numbers: " + sorted(numbers, @(a, b) a <=> b) + " " + numbers.len() + " " + (numbers.reduce(@(a, b) a + b) == total) + "\n");
local records = [];
for (local i = 0; i < 20; i++) records.append({ key = (i * 7) % 5, id = i });
records.sort(@(a, b) a.key <=> b.key);
print("sort of records by key: " + sorted(records, @(a, b) a.key <=> b.key) + " " + records.len() + "\n");
local descending = [3, 1, 2, 5, 4];
descending.sort(@(a, b) b <=> a);
local shown = "";
foreach (x in descending) shown += x;
print("sort descending: " + shown + "\n");
local odd = [5, 3, 8, 1, 9, 2];
odd.sort(@(a, b) -1);
print("an inconsistent compare function still ends: " + odd.len() + "\n");
try { [2, 1].sort(@(a, b) "no"); } catch (e) { print("compare must return a number: error\n"); }
try { [2, "a", {}].sort(); } catch (e) { print("sort of values that do not compare: error\n"); }
local one = [1], none = [];
one.sort();
none.sort();
print("sort of one and none: " + one.len() + none.len() + "\n");

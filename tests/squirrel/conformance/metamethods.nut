// Metamethods on classes and table delegates.
class Vec {
    x = 0;
    y = 0;
    constructor(a, b) { x = a; y = b; }
    function _add(o) { return Vec(x + o.x, y + o.y); }
    function _sub(o) { return Vec(x - o.x, y - o.y); }
    function _mul(k) { return Vec(x * k, y * k); }
    function _div(k) { return Vec(x / k, y / k); }
    function _modulo(k) { return Vec(x % k, y % k); }
    function _unm() { return Vec(-x, -y); }
    function _tostring() { return "Vec(" + x + "," + y + ")"; }
    function _cmp(o) { return (x + y) <=> (o.x + o.y); }
    function _typeof() { return "Vec"; }
    function _call(self, k) { return x * k; }
    function _cloned(orig) { x = orig.x * 10; }
}
local a = Vec(1, 2), b = Vec(4, 6);
print("_add " + (a + b) + "\n");
print("_sub " + (b - a) + "\n");
print("_mul " + (a * 3) + "\n");
print("_div " + (b / 2) + "\n");
print("_modulo " + (b % 4) + "\n");
print("_unm " + (-a) + "\n");
print("_cmp " + (a < b) + " " + (a > b) + " " + (a <= b) + " " + (a >= a) + " " + (a <=> b) + "\n");
print("_typeof " + typeof a + "\n");
print("_call " + a(5) + "\n");
print("_cloned " + (clone a) + "\n");
print("_tostring in concatenation: " + a + "\n");

class Bag {
    data = null;
    constructor() { data = {}; }
    function _get(k) {
        if (k in data) return data[k];
        throw null;
    }
    function _set(k, v) { data[k] <- v; }
    function _nexti(prev) {
        local keys = ["one", "two"];
        if (prev == null) return keys[0];
        local i = keys.find(prev);
        return i + 1 < keys.len() ? keys[i + 1] : null;
    }
}
local bag = Bag();
bag.one = 1;
bag.two = 2;
print("_set/_get " + bag.one + bag.two + "\n");
try { bag.three; } catch (e) { print("_get throw null: " + e + "\n"); }
local seen = "";
foreach (k, v in bag) seen += k + "=" + v + " ";
print("_nexti " + seen + "\n");

local log = [];
local proto = {
    _get = function(k) { return "default:" + k; },
    _newslot = function(k, v) { ::print("_newslot " + k + "\n"); },
    _delslot = function(k) { ::print("_delslot " + k + "\n"); },
    _call = function(self, x) { return x + 1; }
};
local t = {};
t.setdelegate(proto);
print("table _get " + t.missing + "\n");
t.fresh <- 1;
delete t.anything;
print("table _call " + t(41) + "\n");

local parent = {inherited = "from parent", shared = function() { return "shared " + this.own; }};
local child = {own = "child"}.setdelegate(parent);
print("delegate lookup: " + child.inherited + "\n");
print("delegate method sees this: " + child.shared() + "\n");
print("getdelegate: " + (child.getdelegate() == parent) + "\n");
print("in ignores the delegate: " + !("inherited" in child) + " rawin does not: " + child.rawin("inherited") + "\n");

// _inherited is always given the new class's attributes; one declared without a parameter fails on the
// count, and that failure is dropped: the class is made and the handler's body never runs
class Tracker {
    static log = [];
    function _inherited() { Tracker.log.append("inherited"); }
}
class Sub extends Tracker {}
print("_inherited called: " + Tracker.log.len() + "\n");
class Recorder {
    static members = [];
    function _newmember(name, value, attrs, isstatic) { Recorder.members.append(name); }
}
class Recorded extends Recorder {
    x = 1;
    function f() {}
}
print("_newmember: " + Recorder.members.len() + " " + Recorder.members[0] + "\n");

// a _tostring that gives no string leaves the default text
class Mute { function _tostring() { return 5; } }
print("_tostring giving an integer: " + ("" + Mute()).slice(0, 12) + " " + Mute().tostring().slice(0, 12) + "\n");

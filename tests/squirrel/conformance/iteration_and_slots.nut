// Walking instances with foreach, deleting slots from every kind of value, and fields of instantiated classes.
function attempt(label, fn) {
    try { print(label + ": " + fn() + "\n"); } catch (e) { print(label + ": " + e + "\n"); }
}

class Plain { x = 1; function f() {} }
class Counted {
    function _nexti(prev) { if (prev == null) return 0; return prev < 2 ? prev + 1 : null; }
    function _get(k) { if (typeof k == "integer") return k * 10; throw null; }
}
class Misleading { function _nexti(prev) { return prev == null ? "nowhere" : null; } }
class Erasable { function _delslot(k) { ::print("_delslot " + k + "\n"); return "gone " + k; } }
class Field { value = 1; function method() { return "m"; } }
Field();
class Base {}
class Derived extends Base {}
class Root {}
class Leaf extends Root {}
Leaf();

local cases = [
    ["foreach over an instance without _nexti", function() { local r = ""; foreach (k, v in Plain()) r += k; return r; }],
    ["foreach over an instance with _nexti", function() { local r = ""; foreach (k, v in Counted()) r += k + "=" + v + " "; return r; }],
    ["_nexti giving a key nobody holds", function() { foreach (k, v in Misleading()) {} return "walked"; }],
    ["foreach over an integer", function() { foreach (v in 5) {} return "walked"; }],
    ["foreach over null", function() { foreach (v in null) {} return "walked"; }],
    ["delete from an array", @() delete [1, 2][0]],
    ["delete from a string", @() delete "ab".len],
    ["delete from an integer", function() { local n = 1; return delete n.x; }],
    ["delete from an instance without _delslot", @() delete Plain().x],
    ["delete through _delslot", @() delete Erasable().anything],
    ["delete a missing table slot", @() delete {a = 1}.b],
    ["delete gives the old value", @() delete {a = "old"}.a],
    ["new field on an instantiated class", function() { Field.extra <- 1; return "added"; }],
    ["new default on an instantiated class", function() { Field.value <- 2; return "changed"; }],
    ["new method on an instantiated class", function() { Field.other <- function() { return "o"; }; return Field().other(); }],
    ["rawset of a new field is ignored", function() { Field.rawset("quiet", 1); return Field.rawin("quiet"); }],
    ["rawset of a method is kept", function() { Field.rawset("late", @() 1); return Field.rawin("late"); }],
    ["new field on a class that was only derived from", function() { Base.x <- 1; return Base.x; }],
    ["the derived class keeps the members it copied", @() Derived.rawin("x")],
    ["an instance of a derived class fixes its base", function() { Root.y <- 1; return "added"; }],
];
foreach (c in cases) attempt(c[0], c[1]);

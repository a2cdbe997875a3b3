// Lookups and assignments that go through delegates.
function attempt(label, fn) {
    try { print(label + ": " + fn() + "\n"); } catch (e) { print(label + ": " + e + "\n"); }
}

local root = { shared = "root", function describe() { return "described" } };
local middle = { level = "middle" }.setdelegate(root);
local top = {}.setdelegate(middle);
print("chain lookup: " + top.level + " " + top.shared + " " + top.describe() + "\n");
print("in asks the table itself: " + ("level" in top) + " " + ("shared" in middle) + " " + ("len" in top) + "\n");

// assigning a key that only a delegate holds changes the delegate
top.level = "changed";
print("assignment through the chain: " + middle.level + " own: " + top.rawin("level") + "\n");
top.shared = "changed too";
print("deeper assignment: " + root.shared + "\n");
attempt("assigning a missing key", function() { top.nothing = 1; return "set" });

// the default methods of a delegate come before any _get
local getter = { function _get(key) { return "got " + key } };
local proxied = {}.setdelegate({}.setdelegate(getter));
print("default method before _get: " + proxied.len() + " " + typeof proxied.getdelegate() + "\n");
print("_get answers what nobody holds: " + proxied.anything + "\n");
local direct = {}.setdelegate(getter);
print("a table's own delegate's _get: " + direct.missing + " rawget: " + direct.rawin("missing") + "\n");

// _set sees keys no table in the chain holds
local log = [];
local setter = { function _set(key, value) { log.append(key + "=" + value) } };
local observed = {}.setdelegate(setter);
observed.fresh = 5;
print("_set called: " + log[0] + " stored: " + observed.rawin("fresh") + "\n");

// metamethods are found only in the immediate delegate
local adder = { function _add(other) { return "added" } };
local near = {}.setdelegate(adder);
local far = {}.setdelegate(near);
print("metamethod of the delegate: " + (near + 1) + "\n");
attempt("metamethod two delegates away", @() far + 1);

// a cycle of delegates is refused
local a = {}, b = {}.setdelegate(a);
attempt("delegate cycle", @() a.setdelegate(b));

// raw access skips delegates; a weak reference in a slot reads as its object
local held = [1, 2, 3];
local slots = { weak = held.weakref() };
print("rawget through a weakref: " + typeof slots.rawget("weak") + " " + typeof slots.weak + "\n");
attempt("rawget of a missing key", @() top.rawget("shared"));
attempt("reading the null key", @() top[null]);
attempt("writing the null key", function() { top[null] = 1; return "set" });
print("clear returns null: " + ({ x = 1 }).clear() + "\n");

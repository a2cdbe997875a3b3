// Tables: slots, new slot vs assignment, delete, in, raw access, iteration, clone.
local function sortedKeys(t) {
    local keys = [];
    foreach (k, v in t) keys.append(k);
    keys.sort();
    local s = "";
    foreach (k in keys) s += k + "=" + t[k] + " ";
    return s;
}
local t = {a = 1, b = "two", ["c"] = 3.5, "d": 4};
print("literal: " + sortedKeys(t) + "\n");
t.e <- 5;
print("new slot: " + t.e + "\n");
t.a = 10;
print("assign: " + t.a + "\n");
try { t.zz = 1; } catch (e) { print("assign missing: " + e + "\n"); }
print("len: " + t.len() + "\n");
print("delete returns: " + delete t.b + "\n");
print("in after delete: " + ("b" in t) + "\n");
try { delete t.nothing; } catch (e) { print("delete missing: " + e + "\n"); }
print("rawin: " + t.rawin("a") + "\n");
print("rawget: " + t.rawget("a") + "\n");
t.rawset("f", 6);
print("rawset: " + t.f + "\n");
print("rawdelete: " + t.rawdelete("f") + " " + ("f" in t) + "\n");
local keys = {};
keys[1] <- "int";
keys[1.0] <- "float";
keys[true] <- "bool";
print("int and float keys differ: " + keys[1] + " " + keys[1.0] + " " + keys[true] + "\n");
try { keys[null] <- 1; } catch (e) { print("null key: " + e + "\n"); }
local copy = clone t;
copy.a = 99;
print("clone is shallow copy: " + t.a + " " + copy.a + "\n");
local nested = {inner = {x = 1}};
local nc = clone nested;
nc.inner.x = 2;
print("clone shares nested: " + nested.inner.x + "\n");
local big = {};
for (local i = 0; i < 1000; i++) big["k" + i] <- i;
local sum = 0;
foreach (k, v in big) sum += v;
print("1000 slots sum: " + sum + " len " + big.len() + "\n");
for (local i = 0; i < 1000; i += 2) delete big["k" + i];
sum = 0;
foreach (k, v in big) sum += v;
print("after deleting evens: " + sum + " len " + big.len() + "\n");
local removed = 0;
foreach (k, v in big) { delete big[k]; removed++; }
print("delete while iterating: " + removed + " left " + big.len() + "\n");
t.clear();
print("clear: " + t.len() + "\n");
local fns = {
    function twice(x) { return x * 2; }
    half = function(x) { return x / 2; }
};
print("functions in tables: " + fns.twice(4) + " " + fns.half(8) + "\n");
local env = {val = 7, get = function() { return val; }};
print("this is the table: " + env.get() + "\n");
::globalSlot <- "root";
print("root slot: " + globalSlot + " " + ::globalSlot + "\n");
print("typeof: " + typeof {} + "\n");

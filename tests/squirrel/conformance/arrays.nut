// Arrays and the array delegate.
local function show(a) {
    local s = "[";
    foreach (i, v in a) s += (i ? "," : "") + v;
    return s + "]";
}
local a = [1, 2, 3];
print("literal: " + show(a) + " len " + a.len() + "\n");
a.append(4);
a.push(5);
print("append push: " + show(a) + "\n");
print("pop: " + a.pop() + " top: " + a.top() + "\n");
a.insert(0, 0);
print("insert: " + show(a) + "\n");
print("remove returns: " + a.remove(1) + " -> " + show(a) + "\n");
a.resize(6);
print("resize grows with null: " + show(a) + "\n");
a.resize(7, "x");
print("resize with fill: " + show(a) + "\n");
a.resize(3);
print("resize shrinks: " + show(a) + "\n");
a.extend([7, 8]);
print("extend: " + show(a) + "\n");
a.reverse();
print("reverse: " + show(a) + "\n");
print("slice: " + show(a.slice(1, 3)) + " " + show(a.slice(-2)) + "\n");
local s = [5, 3, 9, 1, 7];
s.sort();
print("sort: " + show(s) + "\n");
s.sort(@(x, y) y <=> x);
print("sort with compare: " + show(s) + "\n");
local words = ["pear", "apple", "fig"];
words.sort();
print("sort strings: " + show(words) + "\n");
print("map: " + show([1, 2, 3].map(@(x) x * x)) + "\n");
local ap = [1, 2, 3];
ap.apply(@(x) x + 10);
print("apply: " + show(ap) + "\n");
print("reduce: " + [1, 2, 3, 4].reduce(@(acc, x) acc + x) + "\n");
print("filter: " + show([1, 2, 3, 4, 5, 6].filter(@(i, x) x % 2 == 0)) + "\n");
print("find: " + [10, 20, 30].find(20) + " missing " + [10].find(5) + "\n");
local filled = array(3, 0);
print("array(): " + show(filled) + " " + show(array(2)) + "\n");
local m = [[1, 2], [3, 4]];
m[1][0] = 30;
print("nested: " + m[1][0] + "\n");
try { a[10]; } catch (e) { print("read out of range: " + e + "\n"); }
try { a[10] = 1; } catch (e) { print("write out of range: " + e + "\n"); }
try { [].pop(); } catch (e) { print("pop empty: " + e + "\n"); }
local shared = [1];
local alias = shared;
alias.append(2);
print("arrays are references: " + shared.len() + "\n");
local c = clone shared;
c.append(3);
print("clone copies: " + shared.len() + " " + c.len() + "\n");
print("in checks index: " + (1 in shared) + " " + (5 in shared) + "\n");
c.clear();
print("clear: " + c.len() + "\n");
print("typeof: " + typeof [] + "\n");

// sort: a heap sort, asking the compare function as often and in the same order as 3.0 does
function sortAttempt(label, fn) {
    try { print("sort " + label + ": " + fn() + "\n"); } catch (e) { print("sort " + label + ": " + e + "\n"); }
}
function joined(a) { local r = ""; foreach (v in a) r += v + " "; return r; }
local sortCases = [
    ["compare calls", function() { local n = 0; local a = [5, 3, 9, 1, 7, 2]; a.sort(function(x, y) { n++; return x <=> y; }); return n + " " + joined(a); }],
    ["float answers", function() { local a = [0.5, 0.2, 0.9, 0.1]; a.sort(@(x, y) (x - y) * 10); return joined(a); }],
    ["float answers cut to integers", function() { local a = [0.5, 0.2, 0.9, 0.1]; a.sort(@(x, y) x - y); return joined(a); }],
    ["bool answer", function() { [2, 1].sort(@(x, y) x < y); return "sorted"; }],
    ["compare throws null", function() { [2, 1].sort(function(x, y) { throw null; }); return "sorted"; }],
    ["compare throws an integer", function() { [2, 1].sort(function(x, y) { throw 5; }); return "sorted"; }],
    ["compare throws a text", function() { [2, 1].sort(function(x, y) { throw "mine"; }); return "sorted"; }],
    ["ties keep the heap's order", function() { local a = [[1, "a"], [0, "b"], [1, "c"], [0, "d"], [1, "e"]]; a.sort(@(x, y) x[0] <=> y[0]); local r = ""; foreach (v in a) r += v[1]; return r; }],
];
foreach (c in sortCases) sortAttempt(c[0], c[1]);

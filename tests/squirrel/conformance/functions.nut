// Functions, default parameters, varargs, closures capturing locals, lambdas, environments.
function add(a, b) { return a + b; }
print("call: " + add(2, 3) + "\n");
function withDefaults(a, b = 10, c = "c") { return a + "," + b + "," + c; }
print("defaults: " + withDefaults(1) + " | " + withDefaults(1, 2) + " | " + withDefaults(1, 2, 3) + "\n");
function count(...) { return vargv.len(); }
print("varargs: " + count() + " " + count(1, 2, 3) + "\n");
function sumAll(first, ...) {
    local s = first;
    foreach (v in vargv) s += v;
    return s;
}
print("varargs after fixed: " + sumAll(1, 2, 3, 4) + "\n");
try { add(1); } catch (e) { print("too few: " + e + "\n"); }
try { add(1, 2, 3); } catch (e) { print("too many: " + e + "\n"); }
try { local n = null; n(); } catch (e) { print("call null: " + e + "\n"); }

function counter() {
    local n = 0;
    return function() { return ++n; };
}
local c1 = counter(), c2 = counter();
c1(); c1();
print("closures keep their own state: " + c1() + " " + c2() + "\n");

local shared = 0;
local inc = function() { shared++; };
inc(); inc();
print("closure writes outer local: " + shared + "\n");

local fns = [];
for (local i = 0; i < 3; i++) {
    local j = i;
    fns.append(function() { return j; });
}
print("each iteration captures its own local: " + fns[0]() + fns[1]() + fns[2]() + "\n");

function outer() {
    local x = 1;
    local function middle() {
        return function() { return x * 100; };
    }
    x = 2;
    return middle()();
}
print("capture through two levels: " + outer() + "\n");

local sq = @(x) x * x;
print("lambda: " + sq(9) + "\n");
local addTo = @(a, b = 1) a + b;
print("lambda default: " + addTo(5) + "\n");

local function fact(n) { return n <= 1 ? 1 : n * fact(n - 1); }
try { fact(10); } catch (e) print("a local function does not see itself: " + e + "\n");
local factorial;
factorial = function(n) { return n <= 1 ? 1 : n * factorial(n - 1); };
print("local recursive function: " + factorial(10) + "\n");

function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }
print("recursion: " + fib(20) + "\n");

local obj = {value = 42};
function getValue() { return this.value; }
print("call with this: " + getValue.call(obj) + "\n");
print("acall: " + add.acall([null, 4, 5]) + "\n");
local bound = getValue.bindenv(obj);
print("bindenv: " + bound() + "\n");
print("typeof closure: " + typeof add + " native: " + typeof print + "\n");
local info = add.getinfos();
print("getinfos native: " + info.native + " name: " + info.name + "\n");

function defaultsEvaluatedAtDeclaration() {
    local k = 5;
    local f = function(x = k) { return x; };
    k = 6;
    return f();
}
print("default captured at declaration: " + defaultsEvaluatedAtDeclaration() + "\n");

local t = { function m() { return "method"; } };
print("function in table: " + t.m() + "\n");
::ns <- {};
function ns::inner() { return "namespaced"; }
print("function a::b: " + ns.inner() + "\n");
::hits <- 0;
local tracker = { bump = function() { hits = hits + 1; hits += 1; } };
tracker.bump();
print("assigning a root slot from a method: " + hits + "\n");
function whoAmI() { return callee(); }
print("callee: " + (whoAmI() == whoAmI) + "\n");
function countDown(n) {
    if (n == 0) return "bottom reached";
    return countDown(n - 1);
}
print("tail calls keep the stack flat: " + countDown(200000) + "\n");

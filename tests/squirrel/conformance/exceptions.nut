// throw with any value, try/catch nesting, errors from the runtime, rethrow and unwinding.
local values = ["text", 42, 1.5, null, [1, 2], {code = 7}];
foreach (v in values) {
    try {
        throw v;
    } catch (e) {
        local shown = e;
        if (typeof e == "array") shown = "array of " + e.len();
        else if (typeof e == "table") shown = "table code " + e.code;
        print("caught " + typeof e + ": " + shown + "\n");
    }
}
class MyError { msg = null; constructor(m) { msg = m; } }
try { throw MyError("custom"); } catch (e) { print("instance: " + (e instanceof MyError) + " " + e.msg + "\n"); }
function thrower(depth) {
    if (depth == 0) throw "from depth";
    return thrower(depth - 1);
}
try { thrower(5); } catch (e) { print("unwinds frames: " + e + "\n"); }
try {
    try {
        throw "inner";
    } catch (e) {
        throw "rethrown " + e;
    }
} catch (e) {
    print(e + "\n");
}
local after = 0;
for (local i = 0; i < 5; i++) {
    try {
        if (i % 2) throw i;
        after += 10;
    } catch (e) {
        after += e;
    }
}
print("try in loop: " + after + "\n");
function tryBreak() {
    local n = 0;
    while (true) {
        try {
            n++;
            if (n == 3) break;
        } catch (e) {}
    }
    try { throw "after break"; } catch (e) { return n + " " + e; }
}
print("break out of try: " + tryBreak() + "\n");
function tryReturn() {
    try { return "returned from try"; } catch (e) {}
}
print(tryReturn() + "\n");
try { tryReturn(); throw "still caught"; } catch (e) { print(e + "\n"); }
local runtime = [
    @() null.x,
    @() {}.missing,
    @() [1][5],
    @() 1 / 0,
    @() "a" - 1,
    @() undefinedFunction(),
    @() (1)(),
    @() (@(a) a)(),
];
foreach (f in runtime) {
    try { f(); } catch (e) { print("runtime: " + e + "\n"); }
}
local caughtInMethod = class {
    function run() {
        try { this.nope(); } catch (e) { return "method caught: " + e; }
    }
}();
print(caughtInMethod.run() + "\n");
local nativeError = "";
try { [].top(); } catch (e) { nativeError = e; }
print("native error: " + nativeError + "\n");
try { throw "x"; } catch (e) { }
print("execution continues\n");
try { [1, 2].map(@(x) x + undefinedName); } catch (e) { print("error inside a native callback: " + e + "\n"); }
local errorInToString = class { function _tostring() { throw "no text"; } }();
try { print("value: " + errorInToString); } catch (e) { print("error inside _tostring: " + e + "\n"); }

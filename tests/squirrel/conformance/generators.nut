// Generators (yield/resume) and threads (coroutines with suspend and wakeup).
function numbers(n) {
    for (local i = 0; i < n; i++) yield i * i;
    return "end";
}
local g = numbers(3);
print("typeof: " + typeof g + " status: " + g.getstatus() + "\n");
print("resume: " + resume g + " " + resume g + " " + resume g + "\n");
print("final resume returns: " + resume g + " status: " + g.getstatus() + "\n");
try { resume g; } catch (e) { print("resume dead: " + e + "\n"); }
local s = "";
foreach (i, v in numbers(4)) s += i + ":" + v + " ";
print("foreach over generator: " + s + "\n");
function fibs() {
    local a = 0, b = 1;
    while (true) {
        yield a;
        local t = a + b;
        a = b;
        b = t;
    }
}
local f = fibs();
local out = [];
for (local i = 0; i < 10; i++) out.append(resume f);
local line = "";
foreach (v in out) line += v + " ";
print("infinite generator: " + line + "\n");
function withArgs(from, step = 2) {
    local v = from;
    yield v;
    v += step;
    yield v;
}
local w = withArgs(5);
print("generator args: " + resume w + " " + resume w + "\n");
function guarded() {
    try {
        yield 1;
        throw "inside";
    } catch (e) {
        yield "caught " + e;
    }
}
local gg = guarded();
print("try across yield: " + resume gg + " / " + resume gg + "\n");

function worker(a, b) {
    print("worker starts with " + a + " " + b + "\n");
    local got = suspend(a + b);
    print("worker woke with " + got + "\n");
    got = suspend("second");
    print("worker woke again with " + got + "\n");
    return "finished";
}
local th = newthread(worker);
print("thread typeof: " + typeof th + " status: " + th.getstatus() + "\n");
local r = th.call(1, 2);
print("call returned: " + r + " status: " + th.getstatus() + "\n");
r = th.wakeup("hello");
print("wakeup returned: " + r + "\n");
r = th.wakeup("again");
print("last wakeup returned: " + r + " status: " + th.getstatus() + "\n");
function deep(n) {
    if (n == 0) return suspend("bottom");
    return deep(n - 1) + 1;
}
local dt = newthread(deep);
print("suspend from nested call: " + dt.call(3) + "\n");
print("resumes through frames: " + dt.wakeup(10) + "\n");
local failing = newthread(function() { throw "thread error"; });
try { failing.call(); } catch (e) { print("error in thread: " + e + "\n"); }
local viaMeta = newthread(function() {
    local c = class { function _get(k) { return ::suspend(k); } }();
    return c.x;
});
try { viaMeta.call(); } catch (e) { print("suspend inside a metamethod: " + e + "\n"); }
::escaped <- null;
local holder = newthread(function() {
    local secret = "kept";
    ::escaped = function() { return secret; };
    suspend(0);
});
holder.call();
holder = null;
print("closure outlives its suspended thread: " + escaped() + "\n");
function state1() { ::suspend("state1"); return state2(); }
function state2() { ::suspend("state2"); return state3(); }
function state3() { ::suspend("state3"); return state1(); }
local machine = ::newthread(state1);
local last = machine.call();
for (local i = 0; i < 10000; i++) last = machine.wakeup();
print("state machine through tail calls: " + last + "\n");
function sleeper(tag) {
    local note = tag + "!";
    suspend();
}
local sleeping = newthread(sleeper);
sleeping.call("zz");
local frame = sleeping.getstackinfos(0);
print("suspended thread frame: " + frame.func + " " + frame.locals.note + "\n");

// A generator runs on the resuming thread's own frames: a suspend inside it pauses the whole thread, and
// the thread's frame list shows the generator above the function that resumed it.
function pausing() {
    local got = suspend("paused in generator");
    yield "first " + got;
    got = suspend("paused again");
    yield "second " + got;
}
function driver() {
    local g = pausing();
    local a = resume g;
    local s = "";
    foreach (i, v in g) s += i + "=" + v;
    return a + " / " + s + " / " + g.getstatus();
}
local paused = newthread(driver);
print("suspend inside a resumed generator: " + paused.call() + " status: " + paused.getstatus() + "\n");
print("frames while paused: " + paused.getstackinfos(0).func + " over " + paused.getstackinfos(1).func + "\n");
print("wakeup continues the generator: " + paused.wakeup("A") + "\n");
print("frames while paused in foreach: " + paused.getstackinfos(0).func + " over " +
      paused.getstackinfos(1).func + "\n");
print("wakeup finishes the loop: " + paused.wakeup("B") + " status: " + paused.getstatus() + "\n");

// the error handler sees the generator's frame above its resumer's, once per uncaught error
local handled = 0;
seterrorhandler(function(e) {
    handled++;
    local names = "";
    for (local level = 2; getstackinfos(level) != null; level++)
        names += " " + getstackinfos(level).func;
    print("handler: " + e + " in" + names + "\n");
});
function faulty(n) {
    yield n;
    throw "bad step " + n;
}
function resumer() {
    local g = faulty(1);
    resume g;
    resume g;
}
function looper() {
    foreach (v in faulty(2)) print("looper got " + v + "\n");
}
try { newthread(resumer).call(); } catch (e) { print("thread failed: " + e + "\n"); }
try { newthread(looper).call(); } catch (e) { print("thread failed: " + e + "\n"); }
function catcher() {
    local g = faulty(3);
    try { resume g; resume g; } catch (e) { print("caught around resume: " + e + " " + g.getstatus() + "\n"); }
    try {
        foreach (v in faulty(4)) print("catcher got " + v + "\n");
    } catch (e) {
        print("caught around foreach: " + e + "\n");
    }
    return "done";
}
print("caught errors: " + newthread(catcher).call() + "\n");
print("handler calls: " + handled + "\n");
seterrorhandler(null);

// the iterator of a foreach over a generator counts like its index
function twice() { yield "a"; local x = null; x.missing; }
try {
    foreach (i, v in twice()) print("index " + i + " value " + v + "\n");
} catch (e) {
    print("foreach stopped by: " + e + "\n");
}
function walkSelf() {
    foreach (v in ::selfWalker) yield v;
    yield 0;
}
::selfWalker <- walkSelf();
try { resume ::selfWalker; } catch (e) { print("foreach over its own generator: " + e + "\n"); }

// generators resuming generators nest as deep as the stack allows, not as native calls do
function nested(depth) {
    if (depth == 0) {
        yield "bottom";
        return;
    }
    local inner = nested(depth - 1);
    yield resume inner;
}
print("nested resumes: " + resume nested(300) + "\n");
function chained(depth) {
    if (depth > 0) foreach (v in chained(depth - 1)) yield v;
    yield depth;
}
local total = 0;
foreach (v in chained(250)) total += v;
print("nested foreach: " + total + "\n");

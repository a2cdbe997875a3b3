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

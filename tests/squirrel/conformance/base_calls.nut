// Calling functions through their delegate, and the thread and generator delegates.
function who(a, b) { return (this == ::getroottable() ? "root" : this.name) + " " + a + " " + b; }
local env = { name = "env" };
print("call: " + who.call(env, 1, 2) + "\n");
print("pcall: " + who.pcall(env, 3, 4) + "\n");
print("acall: " + who.acall([env, 5, 6]) + "\n");
print("pacall: " + who.pacall([env, 7, 8]) + "\n");
try { who.acall([]); } catch (e) { print("acall without this fails\n"); }
function fails() { throw "failed inside"; }
try { fails.pcall(this); } catch (e) { print("pcall still throws to the caller: " + e + "\n"); }
try { fails.pacall([this]); } catch (e) { print("pacall still throws to the caller: " + e + "\n"); }
try { who.call(env, 1); } catch (e) { print("call with too few arguments fails\n"); }
local native = print.call(this, "native call\n");

local bound = who.bindenv(env);
print("bindenv: " + bound(9, 10) + " even when called as a method: " + ({ name = "other", f = bound }).f(1, 1) + "\n");
class Counter { count = 3; function get() { return count; } }
local counter = Counter();
counter.count = 4;
local instanceBound = Counter().get.bindenv(counter);
print("bindenv to an instance: " + instanceBound() + "\n");

function withDefaults(a, b = 2) { return a + b; }
local info = withDefaults.getinfos();
print("getinfos: native " + info.native + " name " + info.name + " src " + typeof info.src + " defparams " + info.defparams.len() + " " + info.defparams[0] + "\n");
local params = "";
foreach (p in info.parameters) params += p + " ";
print("parameters: " + params + "\n");
local ninfo = print.getinfos();
print("native getinfos: native " + ninfo.native + " name " + ninfo.name + "\n");

print("closure tostring starts with: " + who.tostring().slice(0, 10) + "\n");
local fw = who.weakref();
print("closure weakref: " + (fw.ref() == who) + "\n");

// generators
function gen() { yield 1; yield 2; }
local g = gen();
print("generator before: " + g.getstatus() + "\n");
resume g;
print("generator after a resume: " + g.getstatus() + "\n");
foreach (x in g) {}
print("generator exhausted: " + g.getstatus() + "\n");
function selfStatus() { yield ::runningGen.getstatus(); }
::runningGen <- selfStatus();
print("generator inside itself: " + resume ::runningGen + "\n");

// threads
local log = [];
local th = newthread(function(start) {
    log.append("started " + start);
    local got = suspend("first");
    log.append("woke with " + got);
    got = suspend("second");
    log.append("woke again with " + got);
    return "done";
});
print("new thread: " + th.getstatus() + "\n");
print("call returns the suspend value: " + th.call(10) + "\n");
print("after suspend: " + th.getstatus() + "\n");
print("wakeup returns the next suspend value: " + th.wakeup("A") + "\n");
print("wakeup returns the result: " + th.wakeup("B") + "\n");
print("finished: " + th.getstatus() + "\n");
foreach (l in log) print("  " + l + "\n");
try { th.wakeup(); } catch (e) { print("waking an idle thread fails\n"); }
local inner = newthread(function() {
    local depth = 1;
    suspend();
});
inner.call();
local frame = inner.getstackinfos(0);
print("thread getstackinfos: " + frame.locals.depth + " " + typeof frame.line + "\n");
inner.wakeup();
local running = newthread(function() { return ::threadSelf.getstatus(); });
::threadSelf <- running;
print("thread inside itself: " + running.call() + "\n");
print("thread tostring starts with: " + th.tostring().slice(0, 9) + "\n");

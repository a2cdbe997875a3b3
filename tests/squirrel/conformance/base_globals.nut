// The global functions of the base library.
print("print " + 1 + " " + 2.5 + " " + true + " " + null + "\n");
error("error goes to the error stream\n");

print("type: " + type(1) + " " + type(1.5) + " " + type("s") + " " + type(null) + " " + type(true) + " "
      + type([]) + " " + type({}) + "\n");
class Typed { function _typeof() { return "custom"; } }
print("type ignores _typeof: " + type(Typed()) + " typeof uses it: " + typeof Typed() + "\n");

local a = array(3);
print("array(3): " + a.len() + " " + a[0] + " " + a[2] + "\n");
local f = array(2, "x");
print("array(2,fill): " + f[0] + f[1] + "\n");
print("array(0): " + array(0).len() + "\n");
try { array("3"); print("no error\n"); } catch (e) { print("array of a string fails\n"); }

assert(true);
assert(1);
try { assert(false); } catch (e) { print("assert(false): " + e + "\n"); }
try { assert(null); } catch (e) { print("assert(null): " + e + "\n"); }
try { assert(0); } catch (e) { print("assert(0): " + e + "\n"); }

// root table
::rootValue <- 5;
local root = getroottable();
print("getroottable: " + root.rootValue + " " + ("print" in root) + "\n");
local other = { print = print, marker = "other root" };
local previous = setroottable(other);
print("setroottable returns the previous root: " + (previous == root) + "\n");
print("lookups go to the new root: " + marker + "\n");
setroottable(previous);
print("restored: " + ("marker" in getroottable()) + " " + rootValue + "\n");

// const table
const K = 3;
local consts = getconsttable();
print("getconsttable: " + consts.K + "\n");
consts.LATE <- 9;
print("a const added at run time is seen by later compiles: " + compilestring("return LATE")() + "\n");
local oldConsts = setconsttable({ ONLY = 1 });
print("setconsttable returns the previous table: " + (oldConsts == consts) + "\n");
print("later compiles see the new table: " + compilestring("return ONLY")() + "\n");
setconsttable(oldConsts);

// compilestring
local fn = compilestring("return 6 * 7");
print("compilestring: " + typeof fn + " " + fn() + "\n");
local withArgs = compilestring("return vargv.len()");
print("compiled scripts take varargs: " + withArgs(1, 2, 3) + "\n");
local counter = 0;
::bump <- function() { ::counterValue <- 41 + 1; };
compilestring("::bump()")();
print("compiled script sees the root: " + counterValue + "\n");
try { compilestring("local = ;"); print("no error\n"); } catch (e) { print("compile errors throw a " + typeof e + "\n"); }
local named = compilestring("return 1", "named_buffer");
print("named buffer compiles: " + named() + "\n");

// versions and sizes
print("_versionnumber_ is 3.0: " + (_versionnumber_ >= 300 && _versionnumber_ < 310) + "\n");
print("_version_ is a " + typeof _version_ + "\n");
print("_charsize_ " + _charsize_ + " _intsize_ " + _intsize_ + " _floatsize_ " + _floatsize_ + "\n");

// collectgarbage and cycles
local cyc = {};
cyc.self <- cyc;
cyc = null;
print("collectgarbage finds the cycle: " + (collectgarbage() >= 1) + "\n");
print("nothing left to collect: " + collectgarbage() + "\n");

// getstackinfos: level 1 is the calling function, 2 its caller
function where(level) {
    local marker = "m";
    return getstackinfos(level);
}
function outer() {
    return where(2);
}
local here = where(1);
print("getstackinfos(1): " + here.func + " " + here.src.slice(-16) + " " + here.line + " locals " + here.locals.level + here.locals.marker + "\n");
local up = outer();
print("getstackinfos(2): " + up.func + " line " + up.line + "\n");
print("getstackinfos past the stack: " + getstackinfos(100) + "\n");

// the error handler can be set and cleared
seterrorhandler(function(e) { print("handler: " + e + "\n"); });
seterrorhandler(null);
print("error handler set and cleared\n");

// the debug hook
local events = {};
function hooked(x) { return x + 1; }
setdebughook(function(type, src, line, name) {
    if (name == "hooked") events[type.tochar()] <- true;
});
hooked(1);
setdebughook(null);
print("debug hook saw a call: " + ("c" in events) + " and a return: " + ("r" in events) + "\n");

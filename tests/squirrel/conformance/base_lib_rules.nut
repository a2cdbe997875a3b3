// Slices that reach back past the start, the argument counts of base functions and the values they take.
local a = [1, 2, 3];
local back = a.slice(-5);
print(back.len() + ":");
foreach (v in back) print(" " + v);
print("\n");
print(a.slice(-5, -1).len() + " " + a.slice(-3, 2).len() + " " + a.slice(-1)[0] + "\n");
foreach (c in [@() a.slice(0, null), @() a.slice(2, 1), @() a.slice(0, 4), @() "abc".slice(1, null),
               @() assert(false, "why"), @() assert(), @() setroottable(1), @() setconsttable(1),
               @() setconsttable(null), @() {}.rawset(null, 1), @() (@() 1).acall([]), @() (@() 1).pacall([])]) {
    try {
        c();
        print("no error\n");
    } catch (e) {
        print(e + "\n");
    }
}
print(typeof collectgarbage(1, 2) + "\n");
print(seterrorhandler(1) + " " + setdebughook("x") + "\n");
seterrorhandler(function(e) { print("handler saw " + e + "\n"); });
seterrorhandler(1);
local th = newthread(function() { throw "inside"; });
try { th.call(); } catch (e) { print("caught " + e + "\n"); }
print(true.tochar()[0] + " " + false.tochar()[0] + " " + true.tochar().len() + "\n");
local old = setconsttable({});
print((getconsttable() != old) + " " + (setconsttable(old) != old) + " " + (getconsttable() == old) + "\n");

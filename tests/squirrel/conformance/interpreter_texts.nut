// What scripts see of the interpreter itself: the version globals, and how print writes each kind of
// value (print adds no line end of its own).
print(_version_ + "|" + _versionnumber_ + "|" + _charsize_ + "|" + _intsize_ + "|" + _floatsize_ + "\n");
print(typeof _version_ + " " + typeof _versionnumber_ + "\n");

print(1); print(-7); print("\n");
print(1.5); print(" "); print(3.0); print(" "); print(-0.0); print(" "); print(1e20); print(" ");
print(1.0 / 3); print(" "); print(123456789.0); print(" "); print(1e-5); print("\n");
print(null); print(" "); print(true); print(" "); print(false); print("\n");
print("text"); print(""); print("\n");

// Reference values print as "(type : 0x" and their address.
class Shape {}
function PrintStart(value) {
    local text = value.tostring();
    local open = text.find(" : 0x");
    print(text.slice(0, open + 5) + " " + (text.slice(-1) == ")") + "\n");
}
local samples = [{}, [], Shape, Shape(), print, function() {}, newthread(print),
                 (function() { yield 1; })()];
foreach (value in samples)
    PrintStart(value);
// An array element that is a weak reference reads as its target through an index, but top() and a
// local keep the reference itself.
local target = {};
local weak = target.weakref();
PrintStart(weak);
samples.append(weak);
PrintStart(samples[samples.len() - 1]);
PrintStart(samples.top());

// A _tostring metamethod speaks for an instance.
class Named { function _tostring() { return "named instance"; } }
print(Named()); print("\n");

// Type names, comparisons, cloning and instanceof as scripts see them.
function attempt(label, fn) {
    try { print(label + ": " + fn() + "\n"); } catch (e) { print(label + ": " + e + "\n"); }
}
class Thing {}

// every function is a "function", in typeof and in the texts that name types
print("typeof: " + typeof function() {} + " " + typeof print + " " + typeof (@(x) x) + " " + typeof Thing + "\n");
attempt("a native's type mask", @() newthread(1));
attempt("calling an integer", @() (5)());

// ordering: null before everything, mixed types refused with their values
local orderings = [
    ["null < 1", @() null < 1], ["1 > null", @() 1 > null], ["null < \"\"", @() null < ""],
    ["null <= null", @() null <= null], ["1 < 2.5", @() 1 < 2.5], ["\"b\" > \"a\"", @() "b" > "a"],
    ["1 < \"a\"", @() 1 < "a"], ["\"x\" > 2.5", @() "x" > 2.5], ["instance < 0", @() Thing() < 0],
    ["[] < {}", @() [] < {}], ["true < 1", @() true < 1]
];
foreach (o in orderings) attempt(o[0], o[1]);
local mixed = [3, null, 1, null, 2];
mixed.sort();
print("sorting with nulls: " + mixed.map(@(v) v == null ? "null" : v.tostring()).reduce(@(a, b) a + " " + b) + "\n");

// cloning values that have no copy
foreach (v in [1, 1.5, "s", true, null, print])
    attempt("clone of " + typeof v, @() clone v);
attempt("clone of a closure", @() clone function() {});
print("clone of containers: " + (clone [1, 2]).len() + " " + (clone { a = 1 }).a + "\n");

// instanceof names the class side first
attempt("instance instanceof 1", @() Thing() instanceof 1);
attempt("1 instanceof Thing", @() 1 instanceof Thing);
attempt("instance instanceof Thing", @() Thing() instanceof Thing);

// IEEE equality for floats
local zero = 0.0, negzero = -0.0, nan = (0.0 / 0.0);
print("-0.0 == 0.0: " + (negzero == zero) + " nan == nan: " + (nan == nan) + "\n");
attempt("modulo by zero", @() 5 % 0);

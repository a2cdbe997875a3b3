// Class members: definitions outside the body, metamethods, attributes and assignment rules.
function attempt(label, fn) {
    try { print(label + ": " + fn() + "\n"); } catch (e) { print(label + ": " + e + "\n"); }
}

class Toggle { state = null }
function Toggle::constructor(s) { state = s }
function Toggle::flip() { state = !state; return this }
Toggle.label <- "toggle";
Toggle["count"] <- 0;
Toggle.describe <- function() { return label + "=" + state };
class Toggle.Part { name = "part" }
function Toggle::Part::constructor(n) { name = n }
function Toggle::Part::tell() { return "part " + name }

local forms = [
    ["function A::constructor", @() Toggle(true).state],
    ["function A::method", @() Toggle(true).flip().state],
    ["A.field <- value", @() Toggle(false).label],
    ["A[\"field\"] <- value", @() Toggle(false).count],
    ["A.method <- function", @() Toggle(true).describe()],
    ["class A.B", @() typeof Toggle.Part],
    ["function A::B::constructor", @() Toggle.Part("wheel").name],
    ["function A::B::method", @() Toggle.Part("gear").tell()]
];
foreach (f in forms) attempt(f[0], f[1]);

// a method defined outside the body reaches the base class like one defined inside
class Base { function who() { return "base" } }
class Derived extends Base {}
function Derived::who() { return "derived over " + base.who() }
print("base from an outside method: " + Derived().who() + "\n");

// metamethods are not members
class Printable { function _tostring() { return "printable" } function _newmember(k, v, a, s) { rawnewmember(k, v, a, s) } }
print("metamethod works: " + Printable() + "\n");
print("metamethods are not members: " + ("_tostring" in Printable) + " " + ("_newmember" in Printable) + "\n");
class PrintableChild extends Printable { extra = 1 }
print("inherited metamethod: " + PrintableChild() + " member: " + ("_newmember" in PrintableChild) + " " + ("extra" in PrintableChild) + "\n");
print("a field added through _newmember: " + PrintableChild.extra + "\n");

// _inherited receives the attributes of the new class
class Watched {
    function _inherited(attributes) { ::lastAttributes <- attributes }
}
class Plain extends Watched {}
print("no attributes: " + lastAttributes + "\n");
class Tagged extends Watched </ tag = "yes" /> {}
print("attributes: " + lastAttributes.tag + "\n");

// members of a class change only with '<-'; '=' on a class is refused
class Fixed { value = 1 }
attempt("assigning a class member", function() { Fixed.value = 2; return "assigned" });
Fixed.value <- 3;
print("'<-' replaces a default: " + Fixed().value + "\n");
attempt("new slot on an integer", function() { local n = 1; n.foo <- 1; return "added" });
attempt("new slot on a string", function() { local s = "s"; s.foo <- 1; return "added" });

// Classes: fields, constructors, methods, static members, inheritance, base, attributes, instanceof.
class Animal {
    name = null;
    legs = 4;
    static kingdom = "animalia";
    constructor(n) { name = n; }
    function speak() { return name + " makes a sound"; }
    function describe() { return name + " has " + legs + " legs"; }
}
class Bird extends Animal {
    legs = 2;
    constructor(n) { base.constructor(n + " the bird"); }
    function speak() { return base.speak() + " (tweet)"; }
}
local a = Animal("cat");
local b = Bird("tweety");
print(a.speak() + "\n");
print(b.speak() + "\n");
print(b.describe() + "\n");
print("static: " + Animal.kingdom + " " + a.kingdom + " " + Bird.kingdom + "\n");
print("instanceof: " + (b instanceof Bird) + " " + (b instanceof Animal) + " " + (a instanceof Bird) + "\n");
print("typeof: " + typeof a + " " + typeof Animal + "\n");
print("getclass: " + (a.getclass() == Animal) + " base: " + (Bird.getbase() == Animal) + "\n");
class Point {
    x = 0;
    y = 0;
    constructor(px, py) { x = px; y = py; }
    function len2() { return x * x + y * y; }
}
local p = Point(3, 4);
local q = Point(1, 1);
p.x = 6;
print("fields are per instance: " + p.len2() + " " + q.len2() + "\n");
try { p.z = 1; } catch (e) { print("unknown field: " + e + "\n"); }
try { print(p.nothing); } catch (e) { print("missing member: " + e + "\n"); }
class Defaults { items = null; constructor() { items = []; } }
local d1 = Defaults(), d2 = Defaults();
d1.items.append(1);
print("constructor gives own array: " + d1.items.len() + " " + d2.items.len() + "\n");
class NoCtor { v = 5; }
print("no constructor: " + NoCtor().v + "\n");
class Counter {
    static created = [0];
    constructor() { created[0]++; }
}
Counter(); Counter();
print("static shared: " + Counter.created[0] + "\n");
class Attr </ doc = "class doc" /> {
    </ tag = "field" />
    f = 1;
    </ tag = "method", weight = 2 />
    function m() {}
}
print("class attributes: " + Attr.getattributes(null).doc + "\n");
print("member attributes: " + Attr.getattributes("f").tag + " " + Attr.getattributes("m").weight + "\n");
class Open {}
Open.added <- function() { return "added before any instance"; };
print(Open().added() + "\n");
local cl = clone p;
cl.y = 40;
print("clone instance: " + p.y + " " + cl.y + "\n");
class Outer {
    function make() { return Inner(); }
}
class Inner { function name() { return "inner"; } }
print("class resolves at call time: " + Outer().make().name() + "\n");
local ns = {};
class ns.Nested { function hi() { return "nested class"; } }
print(ns.Nested().hi() + "\n");
local anon = class { v = "anonymous"; };
print(anon().v + "\n");
class Base2 { function who() { return "base"; } function call() { return who(); } }
class Derived2 extends Base2 { function who() { return "derived"; } }
print("virtual dispatch: " + Derived2().call() + "\n");
foreach (k, v in Point) if (k == "len2") print("foreach over class finds methods\n");
try { Point.newField <- 1; } catch (e) { print("field added after instances: " + e + "\n"); }
Point.scaled <- function(k) { return Point(x * k, y * k); };
print("method added after instances: " + p.scaled(2).len2() + "\n");

// foreach walks table slots in the order Squirrel 3.0 lays them out: node position by key hash, colliding
// keys in the highest free node, rebuilds that reinsert in node order. Each line is one walk.
local function walk(label, t) {
    local s = label + ":";
    foreach (k, v in t) s += " " + k + "=" + v;
    print(s + "\n");
}

// a literal's table is made sized for its keys (8 nodes here)
walk("literal", {alpha = 1, beta = 2, gamma = 3, delta = 4, epsilon = 5});
walk("literal small", {x = 1, y = 2, z = 3});

// bytes from 0x80 up hash as signed characters; keys past 32 bytes hash only a leading sample, so these
// long keys of one length collide and chain
local bytes = "bytes (values):";
foreach (k, v in {["\xe9t\xe9"] = 1, ["ete"] = 2, ["\xfc"] = 3, ["u"] = 4})
    bytes += " " + v;
print(bytes + "\n");
local pad = "";
for (local i = 0; i < 7; i++)
    pad += "0123456789";
local long = {[pad + "1"] = 1, [pad + "22"] = 2, [pad + "3"] = 3, [pad + "44"] = 4, ["short"] = 5};
local ls = "long (lengths):";
foreach (k, v in long)
    ls += " " + k.len() + "=" + v;
print(ls + "\n");

// keys added one by one: the 4-node table fills and rebuilds at 8, then 16
local grow = {};
foreach (i, name in ["one", "two", "three", "four", "five", "six", "seven"]) {
    grow[name] <- i;
    if (i == 2 || i == 3 || i == 6)
        walk("grow " + (i + 1), grow);
}

// integer keys hash to themselves; negative ones and ones past the size wrap by the mask
local ints = {};
foreach (k in [7, 3, 12, -1, 0, 100, 5, 21])
    ints[k] <- k * 2;
walk("ints", ints);

// float keys hash by their integer part, but stay apart from the integer keys
local floats = {};
floats[2.5] <- "a";
floats[2] <- "b";
floats[0.25] <- "c";
floats[-3.75] <- "d";
walk("floats", floats);

// deletes leave nodes in place until the table drops to a quarter full, which halves it
local dels = {};
foreach (i, k in ["a", "b", "c", "d", "e", "f", "g", "h", "i", "j"])
    dels[k] <- i;
walk("before deletes", dels);
delete dels.c;
delete dels.h;
walk("two deleted", dels);
dels.k <- 10;
dels.c <- 11;
walk("re-added", dels);
foreach (k in ["a", "b", "d", "e", "f", "g", "i", "k"])
    delete dels[k];
walk("shrunk", dels);

// a clone inserts the slots in walk order into a table of the same size: collisions can settle differently
local src = {};
foreach (k in [1, 5, 9, 13, 2])
    src[k] <- "v" + k;
walk("source", src);
walk("clone", clone src);

// a class's members walk in its member table's order; a derived class starts from a copy of its base's
class Base {
    name = "base";
    size = 3;
    function describe() { return name; }
    color = "red";
}
class Derived extends Base {
    extra = 1;
    function more() { return extra; }
    speed = 2.5;
}
local cs = "class Base:";
foreach (k, v in Base)
    cs += " " + k + (typeof v == "function" ? "()" : "=" + v);
print(cs + "\n");
cs = "class Derived:";
foreach (k, v in Derived)
    cs += " " + k + (typeof v == "function" ? "()" : "=" + v);
print(cs + "\n");

// an instance walks through _nexti; here it hands out its class's fields in the class's walk order
class Walkable {
    red = 1;
    green = 2;
    blue = 3;
    alpha = 4;
    function _nexti(prev) {
        local keys = [];
        foreach (k, v in this.getclass())
            if (typeof v != "function")
                keys.append(k);
        local i = prev == null ? 0 : keys.find(prev) + 1;
        return i < keys.len() ? keys[i] : null;
    }
}
local inst = Walkable();
inst.green = 20;
local is = "instance:";
foreach (k, v in inst)
    is += " " + k + "=" + v;
print(is + "\n");

// Zero bytes inside the strings given to the string library: format copies them, while lstrip, split and
// regular expressions read their arguments only up to the first one.
local z = "\x00";
local withZero = "a" + z + "b";
local formatted = format("x" + z + "%d|%s", 5, "p" + z + "q");
print(formatted.len() + " " + formatted.slice(2) + "\n");
try { format("a" + z + "%d"); } catch (e) { print(e + "\n"); }
local padded = " " + withZero + " ";
print(strip(padded).len() + " " + lstrip(padded).len() + " " + rstrip(padded).len() + "\n");
local bySeparator = split("a,b" + z + ",c", ",");
local byZero = split("a" + z + "b,c", z);
print(bySeparator.len() + " " + byZero.len() + " " + byZero[0] + "\n");
local b = regexp("b");
print((b.search(withZero) == null) + " " + (b.capture(withZero) == null) + " " + regexp("a").match(withZero) + "\n");
local atEnd = regexp("a$").search(withZero);
print(atEnd.begin + "-" + atEnd.end + "\n");
local past = b.search(withZero, 2);
print(past.begin + "-" + past.end + "\n");
print(regexp("a" + z + "b").match("a") + " " + regexp("a" + z + "b").match("ab") + "\n");
try { regexp("[a" + z + "]"); } catch (e) { print(e + "\n"); }
print(withZero.find("b") + " " + withZero.find(z) + "\n");

// The string library: format, the strip family, split and regular expressions.
print(format("%s %d 0x%02X\n", "this is a test :", 123, 10));
print(format("[%5d][%-5d][%05d][%+d][%x][%o][%c]\n", 42, 42, 42, 42, 255, 8, 65));
print(format("[%.2f][%8.3f][%e][%g][%g]\n", 3.14159, 2.5, 1000.0, 0.5, 100000));
print(format("[%.3s][%6s][%-6s][100%%]\n", "abcdef", "ab", "ab"));
print(format("%d %f\n", 3.9, 2));
print(format("no values\n"));
foreach (c in [["%s %s", "x"], ["%d", "x"], ["%s", 1], ["%f", "x"], ["%y", 1], ["%100d", 1], ["%.100f", 1]]) {
    try { format(c[0], c[1]); } catch (e) { print(e + "\n"); }
}
print("[" + strip("  a b \t\n") + "][" + lstrip("  a ") + "][" + rstrip(" a  ") + "][" + strip("   ") + "]\n");
local parts = split("1.2-3;4/5", ".-/;");
print(parts.len() + ":");
foreach (p in parts) print(" " + p);
print("\n");
print(split("..a..b..", ".").len() + " " + split("", ",").len() + " " + split("abc", ",")[0] + "\n");
try { split("abc", ""); } catch (e) { print(e + "\n"); }
local ex = regexp(@"(\d+) ([a-zA-Z]+)(\p)");
local s = "stuff 123 Test;";
foreach (i, val in ex.capture(s)) {
    print(format("match number[%02d] %s\n", i, s.slice(val.begin, val.end)));
}
print(ex.subexpcount() + " " + typeof ex + "\n");
local word = regexp("[a-zA-Z]+");
local res = word.search("123 Test;");
print(res.begin + " " + res.end + "\n");
res = word.search("ab 123 cd", 2);
print(res.begin + " " + res.end + "\n");
print((word.search("123") == null) + " " + word.match("Test") + " " + word.match("Test1") + "\n");
print(regexp("^a.c$").match("abc") + " " + regexp("a|b").match("b") + " " + regexp("x{2,3}").match("xxxx") + "\n");
local caps = regexp("(a|b)(c)").capture("xbc");
print(caps.len() + " " + caps[1].begin + " " + caps[2].end + "\n");
print(regexp("(?:ab)+(c)").capture("xababc")[1].begin + "\n");
print(regexp(@"\bis\b").search("this is").begin + "\n");
try { regexp("(ab"); print("compiled\n"); } catch (e) { print("bad pattern\n"); }
print(regexp("\\d+").capture("abc") == null);
print("\n");
// capture() gives a group that matched nothing as 0..0; search() keeps where an empty match stands
foreach (c in regexp("a(b*)c").capture("xac")) print(c.begin + "-" + c.end + " ");
foreach (c in regexp("x*").capture("abc", 2)) print(c.begin + "-" + c.end + " ");
local empty = regexp("x*").search("abc", 2);
print(empty.begin + "-" + empty.end + "\n");
// %d of a float converts as tointeger() does, also past the integer range
print(format("%d %d %d %d", 3000000000.0, -3000000000.0, 2.9, -2.9) + " " + (3000000000.0).tointeger() + "\n");

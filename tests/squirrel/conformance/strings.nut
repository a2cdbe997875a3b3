// String literals, escapes, verbatim strings and the string delegate.
local cases = [
    ["escapes", @() "a\tb\\c\"d\'e"],
    ["hex escape", @() "\x41\x42"],
    ["hex escape reads up to four digits and keeps the low byte", @() "\x4142|\x41423|\x004a|\x7e!"],
    ["newline escape length", @() "a\nb".len()],
    ["verbatim keeps backslash", @() @"C:\path\n"],
    ["verbatim doubled quote", @() @"say ""hi"""],
    ["verbatim spans lines", @() @"one
two"],
    ["len", @() "hello".len()],
    ["index gives char code", @() "ABC"[1]],
    ["bytes past 127 read as negative codes", function() { local r = "\xe9"[0] + " " + '\xff' + " " + '\x7f'; foreach (c in "\x80") r += " " + c; return r }],
    ["slice", @() "hello world".slice(6)],
    ["slice range", @() "hello".slice(1, 3)],
    ["slice negative", @() "hello".slice(-3)],
    ["slice negative end", @() "hello".slice(0, -1)],
    ["find", @() "hello".find("l")],
    ["find from", @() "hello".find("l", 3)],
    ["find missing", @() "hello".find("z")],
    ["find of nothing starts only on a character", @() "abc".find("") + " " + "abc".find("", 2) + " " + "abc".find("", 3) + " " + "".find("")],
    ["toupper", @() "MiXeD".toupper()],
    ["tolower", @() "MiXeD".tolower()],
    ["tointeger", @() "42".tointeger() + 1],
    ["tointeger negative", @() "-17".tointeger()],
    ["tofloat", @() "2.5".tofloat() * 2],
    ["tostring", @() "same".tostring()],
    ["equality", @() "abc" == "a" + "bc"],
    ["ordering", @() "apple" < "banana"],
    ["concatenation chain", @() "a" + 1 + 2],
    ["numbers first", @() 1 + 2 + "a"],
    ["typeof", @() typeof "s"],
    ["empty string is true", @() "" ? "yes" : "no"],
];
foreach (c in cases) print(c[0] + ": " + c[1]() + "\n");

local codes = "";
foreach (i, ch in "hey") codes += i + "=" + ch + " ";
print("foreach over string: " + codes + "\n");
try { "abc".slice(2, 1); } catch (e) { print("bad slice: " + e + "\n"); }
try { local s = "abc"; s[5]; } catch (e) { print("bad index: " + e + "\n"); }
local built = "";
for (local i = 0; i < 5; i++) built += i;
print("built " + built + "\n");

// The behaviours the standard library reference describes, one table per library; each case prints its value.
// Cases run as methods of their table, so library functions that share a name with a default method of arrays
// (remove) are called through the root table.
function show(library, cases) {
    print("== " + library + "\n");
    foreach (c in cases) {
        local text;
        try { local v = c[1](); text = v == null ? "null" : v.tostring(); } catch (e) { text = "error: " + e; }
        print(c[0] + ": " + text + "\n");
    }
}
function join(items) {
    local s = "";
    foreach (i, item in items) s += (i ? "," : "") + item;
    return s;
}
function slices(text, matches) {
    local parts = [];
    foreach (m in matches) parts.append(text.slice(m.begin, m.end));
    return join(parts);
}

show("string", [
    ["format follows printf", @() format("%s %d 0x%02X", "value :", 123, 10)],
    ["format pads and rounds floats", @() format("[%5.2f] [%-4d] [%04d] [%%]", 3.14159, 7, 42)],
    ["format with no arguments", @() format("plain")],
    ["split at any separator character", @() join(split("1.2-3;4/5", ".-/;"))],
    ["split keeps empty pieces", @() split("a,,b", ",").len()],
    ["split gives strings", @() typeof split("1.2", ".")[0]],
    ["strip both ends", @() "[" + strip(" \t x y \n") + "]"],
    ["lstrip the start", @() "[" + lstrip("  x  ") + "]"],
    ["rstrip the end", @() "[" + rstrip("  x  ") + "]"],
    ["search gives begin and end", function() { local s = "123 Test;"; local m = regexp("[a-zA-Z]+").search(s); return m.begin + " " + m.end + " " + s.slice(m.begin, m.end) }],
    ["search from a start index", function() { local s = "ab ab"; return regexp("ab").search(s, 1).begin }],
    ["search without a match is null", @() regexp("z").search("abc")],
    ["capture lists the whole match then each group", function() { local s = "stuff 123 Test;"; return slices(s, regexp(@"(\d+) ([a-zA-Z]+)(\p)").capture(s)) }],
    ["capture without a match is null", @() regexp("(x)").capture("abc")],
    ["match needs the whole string", @() regexp("[a-z]+").match("abc") + " " + regexp("[a-z]+").match("abc1")],
    ["non capturing groups", @() regexp("(?:ab)+(c)").capture("ababc").len()],
    ["subexpcount counts the whole match", @() regexp("(a)(b)").subexpcount()],
    ["alternation", function() { local s = "a dog"; local m = regexp("cat|dog").search(s); return s.slice(m.begin, m.end) }],
    ["anchors", @() regexp("^ab$").match("ab") + " " + (regexp("^b").search("ab") == null)],
    ["bounded repeats", @() regexp("a{2,3}").match("aaa") + " " + regexp("a{2}").match("aaa")],
    ["predefined classes", @() regexp(@"\w+\s\d\p").match("ab_1 2!") + " " + regexp(@"\x+").match("0fA")],
    ["word boundary", function() { local m = regexp(@"\bis\b").search("this is"); return m.begin }],
    ["escaped metacharacters", @() regexp(@"a\.b\*").match("a.b*")],
    ["typeof a regexp", @() typeof regexp("a")],
]);

show("blob", [
    ["a new blob has its size and starts at 0", function() { local b = blob(8); return b.len() + " " + b.tell() }],
    ["bytes through []", function() { local b = blob(2); b[1] = 0x1ff; return b[0] + " " + b[1] }],
    ["writing past the end grows it", function() { local b = blob(1); b.seek(1); b.writen(7, 'i'); return b.len() }],
    ["readn types", function() {
        local b = blob();
        foreach (t in ['i', 's', 'w', 'c', 'b']) b.writen(-2, t);
        b.writen(0.5, 'f');
        b.writen(0.25, 'd');
        b.seek(0);
        local r = [];
        foreach (t in ['i', 's', 'w', 'c', 'b', 'f', 'd']) r.append(b.readn(t));
        return join(r) + " " + b.eos() }],
    ["'l' reads and writes an integer of 32 bits", function() { local b = blob(); b.writen(-5, 'l'); b.seek(0); return b.len() + " " + b.readn('l') }],
    ["seek defaults to the beginning", function() { local b = blob(4); b.seek(3); b.seek(1); return b.tell() }],
    ["seek from the current place and the end", function() { local b = blob(10); b.seek(4); b.seek(2, 'c'); local c = b.tell(); b.seek(-3, 'e'); return c + " " + b.tell() }],
    ["eos is null before the end", @() blob(1).eos()],
    ["flush succeeds", @() blob(1).flush() != null],
    ["readblob and writeblob", function() {
        local b = blob();
        b.writen(0x04030201, 'i');
        b.seek(1);
        local part = b.readblob(2);
        local c = blob();
        c.writeblob(part);
        return part.len() + " " + c[0] + " " + c[1] }],
    ["resize changes the length", function() { local b = blob(2); b.resize(6); return b.len() }],
    ["swap2 and swap4 on the content", function() {
        local b = blob();
        b.writen(0x01020304, 'i');
        b.swap2();
        local s2 = b[0] + "" + b[1] + b[2] + b[3];
        b.swap4();
        return s2 + " " + b[0] + b[1] + b[2] + b[3] }],
    ["global byte swaps", @() format("%X %X", swap2(0x0102), swap4(0x01020304))],
    ["castf2i and casti2f keep the bits", @() format("%X", castf2i(1.0)) + " " + casti2f(0x40000000)],
    ["swapfloat swaps a float's bytes", @() format("%X", castf2i(swapfloat(1.0)))],
    ["foreach visits every byte", function() { local b = blob(3); b[2] = 9; local s = ""; foreach (i, v in b) s += i + ":" + v + " "; return s }],
    ["clone copies the bytes", function() { local b = blob(1); local c = clone b; c[0] = 5; return b[0] + " " + c[0] }],
    ["typeof a blob", @() typeof blob()],
]);

show("io", [
    ["a file opened wb+ reads back what it wrote", function() {
        local f = file("manual_io.tmp", "wb+");
        f.writen(12345, 'i');
        f.writen(2.5, 'f');
        f.seek(0);
        local r = f.readn('i') + " " + f.readn('f') + " " + f.len() + " " + f.tell();
        f.close();
        return r }],
    ["a file's eos, flush and seek", function() {
        local f = file("manual_io.tmp", "rb+");
        local r = (f.eos() == null) + " " + (f.flush() != null) + " ";
        f.seek(0, 'e');
        r += f.eos() + " " + f.tell();
        f.close();
        return r }],
    ["readblob from a file", function() { local f = file("manual_io.tmp", "rb"); local b = f.readblob(100); f.close(); return b.len() }],
    ["a missing file cannot be opened", @() file("manual_io_missing.tmp", "rb")],
    ["the standard streams are files", @() typeof stdin + " " + typeof stdout + " " + typeof stderr],
    ["dofile returns what the script returns", function() {
        local f = file("manual_io_script.tmp", "wb");
        foreach (c in "return 40 + 2;") f.writen(c, 'b');
        f.close();
        return dofile("manual_io_script.tmp") }],
    ["loadfile returns a function", @() typeof loadfile("manual_io_script.tmp")],
    ["writeclosuretofile output loads back", function() {
        writeclosuretofile("manual_io_bytecode.tmp", function() { return "from bytecode"; });
        return dofile("manual_io_bytecode.tmp") }],
    ["a syntax error fails dofile", function() {
        local f = file("manual_io_bad.tmp", "wb");
        foreach (c in "return 1 +;") f.writen(c, 'b');
        f.close();
        return dofile("manual_io_bad.tmp") }],
]);

show("system", [
    ["clock gives seconds as a float", @() typeof clock() + " " + (clock() >= 0)],
    ["time gives an integer", @() typeof time()],
    ["date splits a time into slots", function() { local d = date(86400 * 365 + 3600 * 5 + 61, 'u'); return d.year + " " + d.month + " " + d.day + " " + d.hour + " " + d.min + " " + d.sec + " " + d.wday + " " + d.yday }],
    ["date defaults to local time now", function() { local d = date(); return (d.year >= 2000) + " " + (d.month >= 0 && d.month <= 11) }],
    ["getenv of an unset variable is null", @() getenv("SQ_MANUAL_SURELY_UNSET")],
    ["rename and remove", function() {
        local f = file("manual_sys_a.tmp", "wb");
        f.close();
        ::rename("manual_sys_a.tmp", "manual_sys_b.tmp");
        ::remove("manual_sys_b.tmp");
        try { ::remove("manual_sys_b.tmp"); } catch (e) { return e; }
        return "still there" }],
]);

show("math", [
    ["abs gives an integer, fabs a float", @() abs(-3) + " " + typeof abs(-3.7) + " " + fabs(-2.5)],
    ["square roots and powers", @() sqrt(16) + " " + pow(2, 10) + " " + typeof pow(2, 2)],
    ["rounding", @() floor(-1.5) + " " + ceil(-1.5) + " " + floor(2)],
    ["trigonometry", @() format("%.3f %.3f %.3f %.3f", sin(PI / 2), cos(0), atan2(1, 1), acos(-1))],
    ["logarithms and exponent", @() format("%.3f %.3f %.3f", log(exp(2)), log10(1000), exp(0))],
    ["rand stays within RAND_MAX", function() { for (local i = 0; i < 100; i++) { local r = rand(); if (r < 0 || r > RAND_MAX) return r; } return "ok" }],
    ["srand repeats a sequence", function() { srand(77); local a = rand(); srand(77); return a == rand() }],
    ["PI", @() format("%.5f", PI)],
]);

foreach (name in ["manual_io.tmp", "manual_io_script.tmp", "manual_io_bytecode.tmp", "manual_io_bad.tmp"]) ::remove(name);

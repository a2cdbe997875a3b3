// How regular expression patterns are read: the first character of a branch is taken as written, '^'
// anchors only at the start of a branch, and a '*' or '+' right after a repeat is refused.
foreach (c in [["*a", "x*a"], ["a*?", "baa?"], ["a^b", "xa^b"], ["(|b)", "a|b"], ["^ab", "cab"], ["(^a|^b)c", "xbc"]]) {
    local found = regexp(c[0]).search(c[1]);
    print(c[0] + " in " + c[1] + ": " + (found ? found.begin + "-" + found.end : "none") + "\n");
}
print(regexp("(^a|^b)c").match("bc") + " " + regexp("a*?").match("aaa?") + "\n");
foreach (p in ["", "^", "a|", "()", "[a", "[a-]", "[!-]", "a**", "a?*", "a{2}+", "(a**)", "(?a)", "a\tb", "[\n]"]) {
    try {
        regexp(p);
        print("compiled\n");
    } catch (e) {
        print(e + "\n");
    }
}
// A repeat stops at the first count where what follows it matches; nothing is tried again after a branch
// of an alternation has matched; a search never starts at the end of the text.
foreach (c in [["a.*b", "axxbyyb"], ["<.*>", "<a><b>"], ["a*ab", "aaab"], ["[a-z]+ing", "singing"],
               ["a{2,3}a", "aaaa"], ["(a|ab)c", "abc"], ["(ab|a)c", "abc"], ["$", "abc"], ["\\d+", "ab1234c"]]) {
    local found = regexp(c[0]).search(c[1]);
    print(c[0] + " in " + c[1] + ": " + (found ? found.begin + "-" + found.end : "none") + "\n");
}
print(regexp("a|ab").match("ab") + " " + regexp("ab|a").match("ab") + "\n");
// a repeated group keeps its first match
foreach (r in regexp("(\\w)+").capture("xyz")) print(r.begin + "-" + r.end + " ");
print("\n");
// a failed attempt clears the capture of a group it started, and keeps that of a group that matched in it
foreach (t in [" axc", " ac"]) {
    foreach (r in regexp("c|(a|b)a{2}\\d").capture(t)) print(r.begin + "-" + r.end + " ");
    print("\n");
}
// A group that matched gives the turn to record back to the groups after it, even where they were looked at
// ahead (and failed) from inside it; a group after a nested one is not recorded
foreach (c in [["(a*)(b)", "aab"], ["(a+)(b)", "aab"], ["([a]*)(b)", "aab"], ["^(\\s*)(\\w+)", "  hi"],
               ["([a-z]+)([0-9]+)", "abc123"], ["(a*)(b)", "ab"], ["((a)(b))(c)", "abc"], ["((a))(b)", "ab"],
               ["(x|(a*))(b)", "aab"], ["(?:(a)*)(b)", "aab"], ["(\\d+) ([a-zA-Z]+)(\\p)", "stuff 123 Test;"]]) {
    print(c[0] + " ~ " + c[1] + ":");
    foreach (r in regexp(c[0]).capture(c[1])) print(" " + r.begin + "-" + r.end);
    print("\n");
}

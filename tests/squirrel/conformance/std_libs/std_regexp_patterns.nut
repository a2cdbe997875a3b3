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

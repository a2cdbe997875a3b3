#pragma once
// A small backtracking regular-expression matcher in the classic regexp(3)
// style: compile once, execute many times. Execute searches: the pattern may
// match anywhere in the text unless it anchors itself with '^' and '$'.
//
// Syntax: ordinary characters, '.', '^', '$', [set] and [^set] with a-b
// ranges (']' first and '-' first or last are members), '\' quoting the next
// character, the repeats '*', '+' and '?', '|' alternatives and '(' ')'
// groups. Matching is leftmost, greedy, with backtracking.

constexpr int kRegexSlots = 10; // the whole match and nine groups
constexpr int kRegexMaxProgram = 32767;

struct regexp
{
    // After a successful RegexExecute: slot 0 spans the whole match, slots 1-9
    // the groups in the order their '(' appear; unused slots are null.
    const char* startp[kRegexSlots];
    const char* endp[kRegexSlots];
    char firstChar; // every match starts with it; 0 when unknown
    char anchored;  // the pattern begins with '^'
    int mustOffset; // a literal every match holds, in the program; -1 for none
    int programSize;
    unsigned char* program; // the magic byte, then the nodes; same allocation
};

using RegexErrorHandler = void (*)(const char* text);

// Errors go to the handler; with none installed (the default) they are silent.
void RegexSetErrorHandler(RegexErrorHandler handler);

// The compiled program, owned by the caller and freed with RegexFree (or
// free()), or null when the pattern does not compile.
regexp* RegexCompile(const char* pattern);
bool RegexExecute(regexp* program, const char* text);
void RegexFree(regexp* program);

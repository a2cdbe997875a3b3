#include "core/Regex.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// The program is a chain of nodes: an opcode byte, a two-byte link to the
// next node (relative, so nodes can be inserted in front of an operand while
// compiling; kBack links backwards), then the operand. A kBranch node's
// operand is its alternative, which runs on to the node after the whole
// alternation; kStar and kPlus repeat a one-character operand and are used
// only for those, other repeats are built from branches and back links.

namespace
{
constexpr unsigned char kMagic = 156;

enum Opcode : unsigned char
{
    kEnd = 0,
    kBol,
    kEol,
    kAny,
    kAnySet, // operand: a 256-bit membership map
    kBranch,
    kBack,
    kExactly, // operand: the zero-terminated literal
    kNothing,
    kStar,
    kPlus,
    kOpen = 20,  // kOpen + n opens group n
    kClose = 30, // kClose + n closes group n
};

constexpr int kNodeHeader = 3;
constexpr int kSetBytes = 32;
constexpr int kNone = -1;

// What the parser knows about the piece it just compiled.
enum PieceFlags : int
{
    kWorst = 0,
    kHasWidth = 1, // never matches the empty string
    kSimple = 2,   // matches exactly one character, so kStar/kPlus can take it
    kStartsWithRepeat = 4,
};

RegexErrorHandler g_errorHandler = nullptr;

void RegexError(const char* text)
{
    if (g_errorHandler)
        g_errorHandler(text);
}

bool IsRepeat(char c)
{
    return c == '*' || c == '+' || c == '?';
}
bool IsSpecial(char c)
{
    return c != 0 && strchr("^$.[()|?+*\\", c) != nullptr;
}

bool SetHas(const unsigned char* set, unsigned char c)
{
    return (set[c >> 3] >> (c & 7)) & 1;
}

int LinkOf(const unsigned char* program, int node)
{
    return (program[node + 1] << 8) | program[node + 2];
}

// The node a node links to, or kNone for the last of a chain.
int NextNode(const unsigned char* program, int node)
{
    const int link = LinkOf(program, node);
    if (link == 0)
        return kNone;
    return program[node] == kBack ? node - link : node + link;
}

int Operand(int node)
{
    return node + kNodeHeader;
}

class Compiler
{
public:
    explicit Compiler(const char* pattern) : m_parse(pattern) { m_code.push_back(kMagic); }

    bool Compile(int& flags) { return Alternation(false, flags) != kNone && !m_failed; }

    const std::vector<unsigned char>& Code() const { return m_code; }

private:
    int Fail(const char* text)
    {
        if (!m_failed)
            RegexError(text);
        m_failed = true;
        return kNone;
    }

    int Size() const { return static_cast<int>(m_code.size()); }

    bool Grow(int count)
    {
        if (Size() + count > kRegexMaxProgram)
        {
            Fail("regexp too big");
            return false;
        }
        return true;
    }

    int EmitNode(unsigned char op)
    {
        if (!Grow(kNodeHeader))
            return kNone;
        const int node = Size();
        m_code.push_back(op);
        m_code.push_back(0);
        m_code.push_back(0);
        return node;
    }

    bool EmitByte(unsigned char byte)
    {
        if (!Grow(1))
            return false;
        m_code.push_back(byte);
        return true;
    }

    // Puts a new node in front of the operand that starts at `node`.
    bool InsertNode(unsigned char op, int node)
    {
        if (!Grow(kNodeHeader))
            return false;
        const unsigned char header[kNodeHeader] = {op, 0, 0};
        m_code.insert(m_code.begin() + node, header, header + kNodeHeader);
        return true;
    }

    void SetLink(int node, int target)
    {
        const int link = m_code[node] == kBack ? node - target : target - node;
        m_code[node + 1] = static_cast<unsigned char>(link >> 8);
        m_code[node + 2] = static_cast<unsigned char>(link & 0xFF);
    }

    // Links the last node of the chain that starts at `node` to `target`.
    void LinkTail(int node, int target)
    {
        if (node == kNone || m_failed)
            return;
        int last = node;
        for (int next = NextNode(m_code.data(), last); next != kNone; next = NextNode(m_code.data(), last))
            last = next;
        SetLink(last, target);
    }

    // As LinkTail, for the alternative inside a branch node.
    void LinkBranchTail(int node, int target)
    {
        if (node != kNone && !m_failed && m_code[node] == kBranch)
            LinkTail(Operand(node), target);
    }

    // alternation := branch ('|' branch)*; in a group, wrapped in open/close.
    int Alternation(bool inGroup, int& flags)
    {
        flags = kHasWidth;
        int group = 0;
        int start = kNone;
        if (inGroup)
        {
            if (m_groupCount >= kRegexSlots)
                return Fail("too many ()");
            group = m_groupCount++;
            start = EmitNode(static_cast<unsigned char>(kOpen + group));
            if (start == kNone)
                return kNone;
        }

        for (;;)
        {
            int branchFlags = 0;
            const int branch = Branch(branchFlags);
            if (branch == kNone)
                return kNone;
            if (start == kNone)
                start = branch;
            else
                LinkTail(start, branch);
            if (!(branchFlags & kHasWidth))
                flags &= ~kHasWidth;
            flags |= branchFlags & kStartsWithRepeat;
            if (*m_parse != '|')
                break;
            ++m_parse;
        }

        const int ender = EmitNode(static_cast<unsigned char>(inGroup ? kClose + group : kEnd));
        if (ender == kNone)
            return kNone;
        LinkTail(start, ender);
        for (int node = start; node != kNone; node = NextNode(m_code.data(), node))
            LinkBranchTail(node, ender);

        if (inGroup)
        {
            if (*m_parse != ')')
                return Fail("unmatched ()");
            ++m_parse;
        }
        else if (*m_parse != 0)
            return Fail(*m_parse == ')' ? "unmatched ()" : "junk on end");
        return start;
    }

    // branch := piece*; an empty branch matches the empty string.
    int Branch(int& flags)
    {
        flags = kWorst;
        const int branch = EmitNode(kBranch);
        if (branch == kNone)
            return kNone;
        int chain = kNone;
        while (*m_parse != 0 && *m_parse != '|' && *m_parse != ')')
        {
            int pieceFlags = 0;
            const int piece = Piece(pieceFlags);
            if (piece == kNone)
                return kNone;
            flags |= pieceFlags & kHasWidth;
            if (chain == kNone)
                flags |= pieceFlags & kStartsWithRepeat;
            else
                LinkTail(chain, piece);
            chain = piece;
        }
        if (chain == kNone && EmitNode(kNothing) == kNone)
            return kNone;
        return branch;
    }

    // piece := atom followed by at most one repeat.
    int Piece(int& flags)
    {
        int atomFlags = 0;
        const int atom = Atom(atomFlags);
        if (atom == kNone)
            return kNone;
        const char op = *m_parse;
        if (!IsRepeat(op))
        {
            flags = atomFlags;
            return atom;
        }
        // Repeating what can match nothing would loop forever.
        if (!(atomFlags & kHasWidth) && op != '?')
            return Fail("*+ operand could be empty");
        flags = op == '+' ? (kWorst | kHasWidth) : (kWorst | kStartsWithRepeat);

        const bool ok = (atomFlags & kSimple) && op != '?' ? InsertNode(op == '*' ? kStar : kPlus, atom)
                                                           : BuildRepeat(op, atom);
        if (!ok)
            return kNone;
        ++m_parse;
        if (IsRepeat(*m_parse))
            return Fail("nested *?+");
        return atom;
    }

    // The repeats of operands longer than one character, as branches:
    //   x*  branch(x, back to the branch) | branch(nothing)
    //   x+  x, branch(back to x) | branch(nothing)
    //   x?  branch(x) | branch(nothing)
    bool BuildRepeat(char op, int atom)
    {
        // Once the program overflows every step below does nothing, so the
        // failure is checked once, at the end.
        if (op == '+')
        {
            const int loop = EmitNode(kBranch);
            LinkTail(atom, loop);
            LinkTail(EmitNode(kBack), atom);
            LinkTail(loop, EmitNode(kBranch));
        }
        else
        {
            InsertNode(kBranch, atom);
            if (op == '*')
            {
                LinkBranchTail(atom, EmitNode(kBack));
                LinkBranchTail(atom, atom);
            }
            LinkTail(atom, EmitNode(kBranch));
        }
        const int nothing = EmitNode(kNothing);
        LinkTail(atom, nothing);
        if (op == '?')
            LinkBranchTail(atom, nothing);
        return !m_failed;
    }

    int Atom(int& flags)
    {
        flags = kWorst;
        const char c = *m_parse++;
        switch (c)
        {
        case '^':
            return EmitNode(kBol);
        case '$':
            return EmitNode(kEol);
        case '.':
            flags = kHasWidth | kSimple;
            return EmitNode(kAny);
        case '[':
            flags = kHasWidth | kSimple;
            return Set();
        case '(':
        {
            int groupFlags = 0;
            const int group = Alternation(true, groupFlags);
            flags = groupFlags & (kHasWidth | kStartsWithRepeat);
            return group;
        }
        case 0:
        case '|':
        case ')':
            return Fail("internal urp"); // the branch loop stops before these
        case '?':
        case '+':
        case '*':
            return Fail("?+* follows nothing");
        case '\\':
            if (*m_parse == 0)
                return Fail("trailing \\");
            flags = kHasWidth | kSimple;
            return Literal(m_parse++, 1);
        default:
        {
            --m_parse;
            int length = 0;
            while (m_parse[length] != 0 && !IsSpecial(m_parse[length]))
                ++length;
            if (length <= 0)
                return Fail("internal disaster");
            // A repeat after a run binds to its last character only.
            if (length > 1 && IsRepeat(m_parse[length]))
                --length;
            flags = kHasWidth | (length == 1 ? kSimple : 0);
            const int node = Literal(m_parse, length);
            m_parse += length;
            return node;
        }
        }
    }

    int Literal(const char* text, int length)
    {
        const int node = EmitNode(kExactly);
        if (node == kNone)
            return kNone;
        for (int i = 0; i < length; ++i)
            if (!EmitByte(static_cast<unsigned char>(text[i])))
                return kNone;
        return EmitByte(0) ? node : kNone;
    }

    // After '['.
    int Set()
    {
        unsigned char members[kSetBytes] = {};
        const bool negated = *m_parse == '^';
        if (negated)
            ++m_parse;
        auto add = [&members](unsigned char c)
        { members[c >> 3] |= static_cast<unsigned char>(1 << (c & 7)); };
        if (*m_parse == ']' || *m_parse == '-')
            add(static_cast<unsigned char>(*m_parse++));
        while (*m_parse != 0 && *m_parse != ']')
        {
            if (*m_parse == '-' && m_parse[1] != ']' && m_parse[1] != 0)
            {
                const int low = static_cast<unsigned char>(m_parse[-1]);
                const int high = static_cast<unsigned char>(m_parse[1]);
                if (low > high)
                    return Fail("invalid [] range");
                for (int c = low; c <= high; ++c)
                    add(static_cast<unsigned char>(c));
                m_parse += 2;
            }
            else
                add(static_cast<unsigned char>(*m_parse++));
        }
        if (*m_parse != ']')
            return Fail("unmatched []");
        ++m_parse;

        const int node = EmitNode(kAnySet);
        if (node == kNone)
            return kNone;
        for (int i = 0; i < kSetBytes; ++i)
            if (!EmitByte(negated ? static_cast<unsigned char>(~members[i]) : members[i]))
                return kNone;
        // The terminator is never a member, negated or not.
        m_code[Operand(node)] &= 0xFE;
        return node;
    }

    const char* m_parse;
    int m_groupCount = 1;
    bool m_failed = false;
    std::vector<unsigned char> m_code;
};

// Hints that let the search skip start positions and whole texts.
void FindHints(regexp& re, int flags)
{
    const unsigned char* program = re.program;
    const int first = 1;
    if (program[NextNode(program, first)] != kEnd)
        return; // several top-level alternatives: no single hint holds
    const int scan = Operand(first);
    if (program[scan] == kExactly)
        re.firstChar = static_cast<char>(program[Operand(scan)]);
    else if (program[scan] == kBol)
        re.anchored = 1;

    // The nodes of the top-level chain must all match, so any literal among
    // them must appear in the text; the longest rejects best. Worth it mainly
    // when the pattern starts with a repeat and the first-character hint fails.
    if (!(flags & kStartsWithRepeat))
        return;
    size_t longest = 0;
    for (int node = scan; node != kNone; node = NextNode(program, node))
    {
        if (program[node] != kExactly)
            continue;
        const size_t length = strlen(reinterpret_cast<const char*>(program + Operand(node)));
        if (length >= longest)
        {
            longest = length;
            re.mustOffset = Operand(node);
        }
    }
}

class Matcher
{
public:
    Matcher(regexp& re, const char* text)
        : m_re(re), m_program(re.program), m_begin(text), m_maxSteps(kBaseSteps + kStepsPerChar * long(strlen(text)))
    {
    }

    // Set once the match ran out of depth or steps; its answer is then "no match", reported once.
    bool GaveUp() const { return m_gaveUp; }

    bool TryAt(const char* start)
    {
        for (int i = 0; i < kRegexSlots; ++i)
        {
            m_re.startp[i] = nullptr;
            m_re.endp[i] = nullptr;
        }
        m_input = start;
        if (!Match(1))
            return false;
        m_re.startp[0] = start;
        m_re.endp[0] = m_input;
        return true;
    }

private:
    // Each node of a repeated group recurses, so a group repeated over a long text nests deep; and some
    // patterns ("(a|a)+b", ".*.*.*x") backtrack in time exponential or polynomial in the text. Both are
    // bounded: the budget grows with the text, so only runaway backtracking exhausts it.
    static constexpr int kMaxDepth = 4000;
    static constexpr long kBaseSteps = 1000000;
    static constexpr long kStepsPerChar = 100;

    struct DepthGuard
    {
        explicit DepthGuard(int& depth) : m_depth(++depth) {}
        ~DepthGuard() { --m_depth; }
        int& m_depth;
    };

    bool WithinBounds()
    {
        if (m_gaveUp)
            return false;
        if (m_depth > kMaxDepth || ++m_steps > m_maxSteps)
        {
            m_gaveUp = true;
            RegexError("match too complex");
            return false;
        }
        return true;
    }

    bool ValidNode(int node) const { return node > 0 && node + kNodeHeader <= m_re.programSize; }

    bool Match(int node)
    {
        const DepthGuard guard(m_depth);
        while (node != kNone)
        {
            if (!ValidNode(node))
                break;
            if (!WithinBounds())
                return false;
            int next = NextNode(m_program, node);
            const unsigned char op = m_program[node];
            switch (op)
            {
            case kBol:
                if (m_input != m_begin)
                    return false;
                break;
            case kEol:
                if (*m_input != 0)
                    return false;
                break;
            case kAny:
                if (*m_input == 0)
                    return false;
                ++m_input;
                break;
            case kAnySet:
                if (*m_input == 0 || !SetHas(m_program + Operand(node), static_cast<unsigned char>(*m_input)))
                    return false;
                ++m_input;
                break;
            case kExactly:
            {
                const char* literal = reinterpret_cast<const char*>(m_program + Operand(node));
                const size_t length = strlen(literal);
                if (strncmp(literal, m_input, length) != 0)
                    return false;
                m_input += length;
                break;
            }
            case kNothing:
            case kBack:
                break;
            case kBranch:
                if (ValidNode(next) && m_program[next] == kBranch)
                    return MatchAlternatives(node);
                next = Operand(node); // a lone alternative needs no backtracking point
                break;
            case kStar:
            case kPlus:
                return MatchRepeat(node, next, op == kStar ? 0 : 1);
            case kEnd:
                return true;
            default:
                if (op >= kOpen && op < kOpen + kRegexSlots)
                    return MatchGroupEdge(next, m_re.startp[op - kOpen]);
                if (op >= kClose && op < kClose + kRegexSlots)
                    return MatchGroupEdge(next, m_re.endp[op - kClose]);
                RegexError("memory corruption");
                return false;
            }
            node = next;
        }
        RegexError("corrupted pointers");
        return false;
    }

    // Records a group edge once the rest has matched; a repeated group keeps
    // the span of its last pass, which is the first to get here.
    bool MatchGroupEdge(int next, const char*& slot)
    {
        const char* const here = m_input;
        if (!Match(next))
            return false;
        if (!slot)
            slot = here;
        return true;
    }

    bool MatchAlternatives(int node)
    {
        const char* const here = m_input;
        for (; node != kNone && ValidNode(node) && m_program[node] == kBranch;
             node = NextNode(m_program, node))
        {
            if (Match(Operand(node)))
                return true;
            m_input = here;
        }
        return false;
    }

    bool MatchRepeat(int node, int next, int minimum)
    {
        // When a literal follows, only positions where it starts can succeed.
        const char follower =
            ValidNode(next) && m_program[next] == kExactly ? static_cast<char>(m_program[Operand(next)]) : 0;
        const char* const here = m_input;
        for (int count = CountRepeats(Operand(node)); count >= minimum; --count)
        {
            if (!WithinBounds())
                break;
            m_input = here + count;
            if ((follower == 0 || *m_input == follower) && Match(next))
                return true;
        }
        m_input = here;
        return false;
    }

    int CountRepeats(int operand)
    {
        const char* scan = m_input;
        switch (m_program[operand])
        {
        case kAny:
            return static_cast<int>(strlen(scan));
        case kExactly:
        {
            const char c = static_cast<char>(m_program[Operand(operand)]);
            while (*scan == c && c != 0)
                ++scan;
            break;
        }
        case kAnySet:
        {
            const unsigned char* set = m_program + Operand(operand);
            while (*scan != 0 && SetHas(set, static_cast<unsigned char>(*scan)))
                ++scan;
            break;
        }
        default:
            RegexError("internal foulup");
            return 0;
        }
        return static_cast<int>(scan - m_input);
    }

    regexp& m_re;
    const unsigned char* m_program;
    const char* m_begin;
    const char* m_input = nullptr;
    const long m_maxSteps;
    long m_steps = 0;
    int m_depth = 0;
    bool m_gaveUp = false;
};
} // namespace

void RegexSetErrorHandler(RegexErrorHandler handler)
{
    g_errorHandler = handler;
}

regexp* RegexCompile(const char* pattern)
{
    if (!pattern)
    {
        RegexError("NULL argument");
        return nullptr;
    }
    Compiler compiler(pattern);
    int flags = 0;
    if (!compiler.Compile(flags))
        return nullptr;

    const std::vector<unsigned char>& code = compiler.Code();
    void* block = malloc(sizeof(regexp) + code.size());
    if (!block)
    {
        RegexError("out of space");
        return nullptr;
    }
    regexp* re = static_cast<regexp*>(block);
    memset(re, 0, sizeof(regexp));
    re->mustOffset = kNone;
    re->programSize = static_cast<int>(code.size());
    re->program = reinterpret_cast<unsigned char*>(re + 1);
    memcpy(re->program, code.data(), code.size());
    FindHints(*re, flags);
    return re;
}

bool RegexExecute(regexp* re, const char* text)
{
    if (!re || !text)
    {
        RegexError("NULL parameter");
        return false;
    }
    if (re->programSize < 1 || re->program[0] != kMagic)
    {
        RegexError("corrupted program");
        return false;
    }
    if (re->mustOffset != kNone && !strstr(text, reinterpret_cast<const char*>(re->program + re->mustOffset)))
        return false;

    Matcher matcher(*re, text);
    if (re->anchored)
        return matcher.TryAt(text);
    if (re->firstChar != 0)
    {
        for (const char* scan = strchr(text, re->firstChar); scan && !matcher.GaveUp();
             scan = strchr(scan + 1, re->firstChar))
            if (matcher.TryAt(scan))
                return true;
        return false;
    }
    for (const char* scan = text; !matcher.GaveUp(); ++scan)
    {
        if (matcher.TryAt(scan))
            return true;
        if (*scan == 0)
            return false;
    }
    return false;
}

void RegexFree(regexp* re)
{
    free(re);
}

#include "SqRex.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

namespace
{

// Classes follow the C locale, spelled out so that bytes above 127 never belong to a letter class.
bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}
bool IsLower(int c)
{
    return c >= 'a' && c <= 'z';
}
bool IsUpper(int c)
{
    return c >= 'A' && c <= 'Z';
}
bool IsAlpha(int c)
{
    return IsLower(c) || IsUpper(c);
}
bool IsWord(int c)
{
    return IsAlpha(c) || IsDigit(c) || c == '_';
}
bool IsSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsHex(int c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsControl(int c)
{
    return c < 32 || c == 127;
}
bool IsPrintable(int c)
{
    return c >= 32 && c < 127;
}
bool IsPunct(int c)
{
    return c > 32 && c < 127 && !IsAlpha(c) && !IsDigit(c);
}

// The predicate of a predefined class letter, or null when the letter names none.
using ClassTest = bool (*)(int);
ClassTest PredefinedClass(char letter, bool* negated)
{
    *negated = IsUpper(letter);
    switch (letter)
    {
    case 'l':
        return IsLower;
    case 'u':
        return IsUpper;
    case 'a':
    case 'A':
        return IsAlpha;
    case 'w':
    case 'W':
        return IsWord;
    case 's':
    case 'S':
        return IsSpace;
    case 'd':
    case 'D':
        return IsDigit;
    case 'x':
    case 'X':
        return IsHex;
    case 'c':
    case 'C':
        return IsControl;
    case 'p':
    case 'P':
        return IsPunct;
    default:
        return nullptr;
    }
}

char EscapedChar(char letter)
{
    switch (letter)
    {
    case 't':
        return '\t';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 'f':
        return '\f';
    case 'v':
        return '\v';
    default:
        return letter;
    }
}

constexpr int kMaxRepeatCount = 0xFFFF;
// Groups nest no deeper than this: each level recurses through the parser, and the matcher could not
// follow much deeper anyway.
constexpr int kMaxGroupNesting = 200;
// A flat pattern this long at most nests its looks ahead well within the matcher's depth bound.
constexpr size_t kMaxFlatLength = 1000;

} // namespace

// Recursive descent over: alternation := sequence ('|' sequence)*, sequence := (atom closure?)*.
class SqRexParser
{
public:
    SqRexParser(SqRex& rex, const char* pattern) : m_rex(rex), m_pos(pattern) {}

    bool Parse(const char** error)
    {
        m_rex.m_captures.resize(1);
        const int root = NewNode(SqRex::Node::Kind::Group);
        m_rex.m_nodes[root].capture = 0;
        if (!ParseAlternates(root))
        {
            *error = m_error;
            return false;
        }
        if (*m_pos != '\0')
        {
            *error = "unexpected character";
            return false;
        }
        m_rex.m_root = root;
        return true;
    }

private:
    using Kind = SqRex::Node::Kind;

    int NewNode(Kind kind)
    {
        m_rex.m_nodes.emplace_back();
        m_rex.m_nodes.back().kind = kind;
        return int(m_rex.m_nodes.size()) - 1;
    }

    bool Fail(const char* message)
    {
        if (!m_error)
            m_error = message;
        return false;
    }

    bool ParseAlternates(int group)
    {
        for (;;)
        {
            SqRex::Sequence sequence;
            if (!ParseSequence(&sequence))
                return false;
            m_rex.m_nodes[group].alternates.push_back(std::move(sequence));
            if (*m_pos != '|')
                return true;
            ++m_pos;
        }
    }

    // A sequence holds at least one atom, whose first character is taken as written even where it would
    // end the sequence or repeat an atom elsewhere ("|", ")", "*", "{"); '^' anchors only at its start.
    // A '*' or '+' right after a repeat ends the sequence, leaving the caller to report it.
    bool ParseSequence(SqRex::Sequence* sequence)
    {
        if (*m_pos == '^')
        {
            ++m_pos;
            sequence->push_back(NewNode(Kind::LineBegin));
        }
        do
        {
            int node = -1;
            if (!ParseAtom(&node) || !ParseClosure(&node))
                return false;
            sequence->push_back(node);
        } while (*m_pos != '\0' && *m_pos != '|' && *m_pos != ')' && *m_pos != '*' && *m_pos != '+');
        return true;
    }

    bool ParseAtom(int* node)
    {
        const char c = *m_pos++;
        switch (c)
        {
        case '(':
            return ParseGroup(node);
        case '[':
            return ParseClass(node);
        case '.':
            *node = NewNode(Kind::Any);
            std::fill(std::begin(m_rex.m_nodes[*node].accepts), std::end(m_rex.m_nodes[*node].accepts), true);
            return true;
        case '$':
            *node = NewNode(Kind::LineEnd);
            return true;
        case '\\':
            return ParseEscape(node);
        default:
            if (!IsPrintable(c))
                return Fail("letter expected");
            *node = CharNode(c);
            return true;
        }
    }

    int CharNode(char c)
    {
        const int node = NewNode(Kind::Char);
        m_rex.m_nodes[node].accepts[static_cast<unsigned char>(c)] = true;
        return node;
    }

    bool ParseGroup(int* node)
    {
        if (m_groupDepth >= kMaxGroupNesting)
            return Fail("groups nested too deeply");
        *node = NewNode(Kind::Group);
        if (m_pos[0] == '?')
        {
            if (m_pos[1] != ':')
                return Fail("expected paren");
            m_pos += 2;
        }
        else
        {
            m_rex.m_nodes[*node].capture = int(m_rex.m_captures.size());
            m_rex.m_captures.emplace_back();
        }
        ++m_groupDepth;
        const bool parsed = ParseAlternates(*node);
        --m_groupDepth;
        if (!parsed)
            return false;
        if (*m_pos != ')')
            return Fail("expected paren");
        ++m_pos;
        return true;
    }

    bool ParseEscape(int* node)
    {
        const char letter = *m_pos;
        if (letter == '\0')
            return Fail("letter expected");
        ++m_pos;
        if (letter == 'b' || letter == 'B')
        {
            *node = NewNode(letter == 'b' ? Kind::WordBoundary : Kind::NotWordBoundary);
            return true;
        }
        bool negated = false;
        if (const ClassTest test = PredefinedClass(letter, &negated))
        {
            *node = NewNode(Kind::Class);
            AddTestToSet(test, negated, m_rex.m_nodes[*node].accepts);
            return true;
        }
        *node = CharNode(EscapedChar(letter));
        return true;
    }

    static void AddTestToSet(ClassTest test, bool negated, bool* set)
    {
        for (int c = 0; c < 256; ++c)
            if (test(c) != negated)
                set[c] = true;
    }

    // One member of a class: a character, an escaped character or a predefined class. Returns false at
    // the end of the pattern; `single` receives -1 for a predefined class.
    bool ParseClassMember(bool* set, int* single)
    {
        char c = *m_pos;
        // a missing closing ']' shows as the end of the pattern, which is no printable character either
        if (c != '\\' && !IsPrintable(c))
            return Fail("letter expected");
        ++m_pos;
        if (c == '\\')
        {
            const char letter = *m_pos;
            if (letter == '\0')
                return Fail("letter expected");
            ++m_pos;
            bool negated = false;
            if (const ClassTest test = PredefinedClass(letter, &negated))
            {
                AddTestToSet(test, negated, set);
                *single = -1;
                return true;
            }
            c = EscapedChar(letter);
        }
        *single = static_cast<unsigned char>(c);
        return true;
    }

    bool ParseClass(int* node)
    {
        *node = NewNode(Kind::Class);
        bool set[256] = {};
        bool negated = false;
        if (*m_pos == '^')
        {
            negated = true;
            ++m_pos;
        }
        if (*m_pos == ']')
            return Fail("empty class");
        while (*m_pos != ']')
        {
            int first = -1;
            if (!ParseClassMember(set, &first))
                return false;
            // a '-' after a character always opens a range, even right before the closing ']'
            if (first < 0 || m_pos[0] != '-')
            {
                if (first >= 0)
                    set[first] = true;
                continue;
            }
            ++m_pos;
            int last = -1;
            if (!ParseClassMember(set, &last))
                return false;
            if (last < 0)
                return Fail("invalid range");
            if (last < first)
                return Fail("invalid range");
            for (int c = first; c <= last; ++c)
                set[c] = true;
        }
        ++m_pos;
        bool* out = m_rex.m_nodes[*node].accepts;
        for (int c = 0; c < 256; ++c)
            out[c] = set[c] != negated;
        return true;
    }

    bool ParseCount(int* count)
    {
        if (!IsDigit(*m_pos))
            return Fail("number expected");
        int value = 0;
        while (IsDigit(*m_pos))
        {
            value = value * 10 + (*m_pos++ - '0');
            if (value > kMaxRepeatCount)
                return Fail("repeat count too large");
        }
        *count = value;
        return true;
    }

    bool ParseBraces(int* minCount, int* maxCount)
    {
        if (!ParseCount(minCount))
            return false;
        *maxCount = *minCount;
        if (*m_pos == ',')
        {
            ++m_pos;
            *maxCount = -1;
            if (*m_pos != '}' && !ParseCount(maxCount))
                return false;
            if (*m_pos != '}')
                return Fail("expected paren");
        }
        if (*m_pos != '}')
            return Fail(", or } expected");
        ++m_pos;
        if (*maxCount >= 0 && *maxCount < *minCount)
            return Fail("invalid repeat range");
        return true;
    }

    bool ParseClosure(int* node)
    {
        int minCount = 0;
        int maxCount = -1;
        switch (*m_pos)
        {
        case '*':
            ++m_pos;
            break;
        case '+':
            ++m_pos;
            minCount = 1;
            break;
        case '?':
            ++m_pos;
            maxCount = 1;
            break;
        case '{':
            ++m_pos;
            if (!ParseBraces(&minCount, &maxCount))
                return false;
            break;
        default:
            return true;
        }
        const int repeat = NewNode(Kind::Repeat);
        SqRex::Node& r = m_rex.m_nodes[repeat];
        r.child = *node;
        r.minCount = minCount;
        r.maxCount = maxCount;
        *node = repeat;
        return true;
    }

    SqRex& m_rex;
    const char* m_pos;
    const char* m_error = nullptr;
    int m_groupDepth = 0;
};

// Matches the way the language's library does, which differs from a backtracking engine:
// - a repeat takes one more match of its node at a time and stops at the first count within its bounds
//   where the node after it (the repeat's stop) matches too, so "a.*b" ends at the first 'b' after the 'a';
//   only a repeat with nothing after it, or a stop that may match nothing, runs as far as it can;
// - nothing is tried again once a node has matched, apart from the branches of an alternation, each of
//   which runs with no stop after its last node;
// - a group records its capture only when it is the next capture to be recorded, so a repeated group keeps
//   its first match, and a stop looked at ahead records its capture there; a group that fails leaves the
//   turn where its inner groups took it, one that matches takes it back to just after its own capture.
// Unlike the language's library, a character node never matches past the end of the text.
class SqRexMatcher
{
public:
    explicit SqRexMatcher(SqRex& rex)
        : m_rex(rex), m_nodes(rex.m_nodes.data()), m_successor(rex.m_successor.data()),
          m_flat(rex.m_flatSteps.data()), m_flatSize(rex.m_flatSteps.size()), m_begin(rex.m_textBegin),
          m_end(rex.m_textEnd), m_maxSteps(kBaseSteps + kStepsPerChar * long(rex.m_textEnd - rex.m_textBegin))
    {
    }

    // Where a match of node `index` from `pos` ends, or null; `stop` is the node matched after it when it
    // is the last of its sequence (-1 for none). Nesting too deep or running too long gives up: the caller
    // reports it.
    const char* MatchNode(int index, const char* pos, int stop)
    {
        const SqRex::Node& node = m_nodes[index];
        if (node.IsOneByte())
            return MatchOneByte(node, pos);
        if (!TakeStep())
            return nullptr;
        ++m_depth;
        // At the depth bound, whatever is tried one level deeper gives up: its step finds the budget spent.
        const long stepLimit = m_stepLimit;
        if (m_depth >= kMaxDepth)
            m_stepLimit = m_steps;
        const char* end = node.kind == SqRex::Node::Kind::Repeat ? MatchRepeat(index, node, pos, stop)
                                                                 : MatchCompound(node, pos, stop);
        m_stepLimit = stepLimit;
        --m_depth;
        return m_aborted ? nullptr : end;
    }

    // One attempt at a match from `pos`: captures are recorded from the first one again.
    const char* MatchAttempt(const char* pos)
    {
        if (m_flatSize > 0)
            return MatchFlatAttempt(pos);
        m_nextCapture = 0;
        return MatchNode(m_rex.m_root, pos, -1);
    }
    bool Aborted() const { return m_aborted; }
    // Where the first node of the last flat attempt ended (null where it failed).
    const char* LeadEnd() const { return m_leadEnd; }

private:
    static constexpr int kMaxDepth = 3000;
    // The step budget grows with the text, so only patterns whose look-aheads multiply run out of it.
    static constexpr long kBaseSteps = 10000000;
    static constexpr long kStepsPerChar = 100;
    // A repeat with no upper bound counts up to this, as the language's library does.
    static constexpr int kUnbounded = 0xFFFF;

    // Every node matched costs a step and may go one level deeper; false once either bound is passed (the
    // depth bound lowers the step limit). Giving up spends the whole budget, so that every later step fails
    // too.
    bool TakeStep()
    {
        if (++m_steps > m_stepLimit)
        {
            m_aborted = true;
            m_steps = m_maxSteps;
            return false;
        }
        return true;
    }

    // A character, '.' or class: the commonest node, so it skips the dispatch of the others. It costs a
    // step and a level just as they do, so patterns give up at the same place whichever way it is reached.
    const char* MatchOneByte(const SqRex::Node& node, const char* pos)
    {
        if (!TakeStep())
            return nullptr;
        return pos < m_end && node.accepts[static_cast<unsigned char>(*pos)] ? pos + 1 : nullptr;
    }

    const char* MatchCompound(const SqRex::Node& node, const char* pos, int stop)
    {
        switch (node.kind)
        {
        case SqRex::Node::Kind::LineBegin:
            return pos == m_begin ? pos : nullptr;
        case SqRex::Node::Kind::LineEnd:
            return pos == m_end ? pos : nullptr;
        case SqRex::Node::Kind::WordBoundary:
            return AtWordBoundary(pos) ? pos : nullptr;
        case SqRex::Node::Kind::NotWordBoundary:
            return AtWordBoundary(pos) ? nullptr : pos;
        case SqRex::Node::Kind::Group:
            return MatchGroup(node, pos, stop);
        default: // one-byte nodes and repeats never get here
            return nullptr;
        }
    }

    bool AtWordBoundary(const char* pos) const
    {
        const bool before = pos > m_begin && IsWord(static_cast<unsigned char>(pos[-1]));
        const bool after = pos < m_end && IsWord(static_cast<unsigned char>(*pos));
        return before != after;
    }

    int Successor(int index) const { return m_successor[index]; }

    const char* MatchGroup(const SqRex::Node& node, const char* pos, int stop)
    {
        int capture = -1;
        if (node.capture >= 0 && node.capture == m_nextCapture)
        {
            capture = m_nextCapture++;
            m_rex.m_captures[size_t(capture)] = {pos, nullptr};
        }
        // A group that matches hands the turn to record back as it was once its own capture began: the
        // groups inside it, and any looked at ahead from within it, may record again later.
        const int nextCapture = m_nextCapture;
        const char* end = node.alternates.size() == 1 ? MatchSequence(node.alternates[0], pos, stop)
                                                      : MatchAlternates(node, pos);
        if (end)
            m_nextCapture = nextCapture;
        if (capture >= 0)
            m_rex.m_captures[size_t(capture)] = end ? SqRex::Capture{pos, end} : SqRex::Capture{};
        return end;
    }

    // Each node of the sequence stops on the one after it; the last stops on the group's stop.
    const char* MatchSequence(const SqRex::Sequence& sequence, const char* pos, int stop)
    {
        const size_t last = sequence.size() - 1;
        for (size_t i = 0; i < last && pos; ++i)
            pos = MatchNode(sequence[i], pos, sequence[i + 1]);
        return pos ? MatchNode(sequence[last], pos, stop) : nullptr;
    }

    // The first branch that matches whole wins. Its nodes are matched with no stop given: only a repeat
    // still stops on the node after it in the branch.
    const char* MatchAlternates(const SqRex::Node& node, const char* pos)
    {
        for (const SqRex::Sequence& alternate : node.alternates)
        {
            const char* at = pos;
            for (size_t i = 0; i < alternate.size() && at; ++i)
                at = MatchNode(alternate[i], at, -1);
            if (at)
                return at;
        }
        return nullptr;
    }

    static bool CountFits(int count, int minCount, int maxCount)
    {
        return count >= minCount && (maxCount == kUnbounded || count <= maxCount);
    }

    // The first try of a repeated byte is made here, as it commonly decides alone: a repeat is often
    // looked at ahead where its byte is absent.
    const char* MatchRepeat(int index, const SqRex::Node& node, const char* pos, int outerStop)
    {
        if (node.maxCount == 0)
            return pos;
        const SqRex::Node& child = m_nodes[node.child];
        if (!child.IsOneByte())
            return ContinueRepeat(index, node, outerStop, 0, pos);
        if (MatchOneByte(child, pos))
            return ContinueRepeat(index, node, outerStop, 1, pos + 1);
        return node.minCount == 0 && !m_aborted ? pos : nullptr;
    }

    // Whether `byte` is absent from `at`, so that a look at a stop led by it fails at once.
    bool AbsentAt(const SqRex::Node& byte, const char* at) const
    {
        return at >= m_end || !byte.accepts[static_cast<unsigned char>(*at)];
    }

    // Goes on with a repeat that has matched its node `count` times, up to `at`.
    const char* ContinueRepeat(int index, const SqRex::Node& node, int outerStop, int count, const char* at)
    {
        const int stop = Successor(index) >= 0 ? Successor(index) : outerStop;
        // The stop's own stop, for looking ahead at it: the node after it, else the node after the outer
        // stop.
        int stopAfter = -1;
        if (stop >= 0)
            stopAfter = Successor(stop) >= 0 ? Successor(stop) : (outerStop >= 0 ? Successor(outerStop) : -1);
        const SqRex::StopLook look = m_rex.PlanStopLook(stop >= 0 ? &m_nodes[stop] : nullptr);
        const SqRex::Node& child = m_nodes[node.child];
        return RunRepeat(
            node, look, count, at,
            [&](const char* from)
            { return child.IsOneByte() ? MatchOneByte(child, from) : MatchNode(node.child, from, stop); },
            [&](const char* from) { return MatchNode(stop, from, stopAfter); });
    }

    // The counting of a repeat that has matched its node `count` times, up to `at`: `matchOnce` matches the
    // node once more, `lookAtStop` looks ahead at the node after the repeat as `look` tells.
    template <typename MatchOnce, typename LookAtStop>
    const char* RunRepeat(const SqRex::Node& node, const SqRex::StopLook& look, int count, const char* at,
                          MatchOnce matchOnce, LookAtStop lookAtStop)
    {
        const int minCount = node.minCount;
        const int maxCount = node.maxCount < 0 ? kUnbounded : node.maxCount;
        // A look that fails at once is only counted, never made, unless its nodes would reach the depth
        // bound or the steps run out: the full look then gives up where it should.
        const SqRex::Node* quickByte = m_depth + look.missSteps - 1 < kMaxDepth ? look.leadingByte : nullptr;
        const long quickStepLimit = m_stepLimit - look.missSteps; // the limit stays as it is during the loop
        const char* good = at;
        for (;;)
        {
            if (count > 0)
            {
                if (quickByte && AbsentAt(*quickByte, at) && m_steps <= quickStepLimit)
                    m_steps += look.missSteps;
                else if (look.lookAhead && lookAtStop(at) && CountFits(count, minCount, maxCount))
                    break;
                if (at >= m_end)
                    break;
            }
            if (count >= maxCount && count != kUnbounded)
                break;
            at = matchOnce(at);
            if (!at)
                break;
            ++count;
            good = at;
        }
        if (m_aborted)
            return nullptr;
        return CountFits(count, minCount, maxCount) ? good : nullptr;
    }

    // A flat pattern is one sequence of bytes, anchors and repeated bytes: each node stops on the one after
    // it, looks nest no deeper than the sequence is long, and the whole match is the only capture. It is
    // matched along the sequence by position, taking the same steps as the general way.
    const char* MatchFlatAttempt(const char* pos)
    {
        m_leadEnd = nullptr;
        if (!TakeStep())
            return nullptr;
        m_lookedAt = {};
        const char* end = MatchFlatStep(0, pos);
        m_leadEnd = end;
        for (size_t i = 1; i < m_flatSize && end; ++i)
        {
            if (i == m_lookedAt.step && end == m_lookedAt.from && m_steps + m_lookedAt.steps <= m_stepLimit)
            {
                m_steps += m_lookedAt.steps;
                end = m_lookedAt.end;
            }
            else
            {
                end = MatchFlatStep(i, end);
            }
        }
        m_rex.m_captures[0] = end ? SqRex::Capture{pos, end} : SqRex::Capture{};
        return end;
    }

    const char* MatchFlatStep(size_t i, const char* pos)
    {
        const SqRex::FlatStep& step = m_flat[i];
        const SqRex::Node& node = *step.node;
        if (node.IsOneByte())
            return MatchOneByte(node, pos);
        if (!TakeStep())
            return nullptr;
        if (!step.child) // an anchor
            return MatchCompound(node, pos, -1);
        if (node.maxCount == 0)
            return pos;
        const SqRex::Node& child = *step.child;
        if (!MatchOneByte(child, pos))
            return node.minCount == 0 && !m_aborted ? pos : nullptr;
        return RunRepeat(
            node, step.look, 1, pos + 1, [&](const char* from) { return MatchOneByte(child, from); },
            [&](const char* from) { return LookAtFlatStep(i + 1, from); });
    }

    // A repeat stops where its look at the next step succeeds, and the attempt then matches that step from
    // there, which goes the same way: the look is remembered, to be taken again with its steps.
    const char* LookAtFlatStep(size_t i, const char* pos)
    {
        const long before = m_steps;
        const char* end = MatchFlatStep(i, pos);
        if (end)
            m_lookedAt = {i, pos, end, m_steps - before};
        return end;
    }

    SqRex& m_rex;
    const SqRex::Node* m_nodes;
    const int* m_successor;
    const SqRex::FlatStep* m_flat;
    size_t m_flatSize;
    const char* m_begin;
    const char* m_end;
    const long m_maxSteps;
    long m_stepLimit = m_maxSteps;
    int m_depth = 0;
    long m_steps = 0;
    bool m_aborted = false;
    int m_nextCapture = 0;
    const char* m_leadEnd = nullptr;
    // The last look at a flat step that succeeded.
    struct LookedAt
    {
        size_t step = 0; // none: step 0 is never looked at
        const char* from = nullptr;
        const char* end = nullptr;
        long steps = 0;
    };
    LookedAt m_lookedAt;
};

std::unique_ptr<SqRex> SqRex::Compile(const char* pattern, const char** error)
{
    std::unique_ptr<SqRex> rex(new SqRex());
    SqRexParser parser(*rex, pattern);
    if (!parser.Parse(error))
        return nullptr;
    rex->LinkSuccessors();
    if (rex->IsFlat())
    {
        rex->PlanFlatSteps();
        // An unbounded run that may start with its first byte leads the pattern.
        const Node& lead = *rex->m_flatSteps[0].node;
        rex->m_skipsInsideLeadingRun =
            lead.kind == Node::Kind::Repeat && lead.minCount <= 1 && lead.maxCount < 0;
    }
    // Only capture 0 to report: a place where no match can begin may be passed over, as trying it would
    // leave nothing behind.
    if (rex->SubExpCount() == 1)
        rex->m_skipsDeadPlaces = !rex->CollectFirstBytes(rex->m_root, rex->m_firstBytes);
    return rex;
}

void SqRex::LinkSuccessors()
{
    m_successor.assign(m_nodes.size(), -1);
    for (const Node& node : m_nodes)
        for (const Sequence& sequence : node.alternates)
            for (size_t i = 0; i + 1 < sequence.size(); ++i)
                m_successor[size_t(sequence[i])] = sequence[i + 1];
}

bool SqRex::IsFlat() const
{
    const Node& root = m_nodes[size_t(m_root)];
    if (root.alternates.size() != 1 || root.alternates[0].size() > kMaxFlatLength)
        return false;
    for (int index : root.alternates[0])
    {
        const Node& node = m_nodes[size_t(index)];
        if (node.kind == Node::Kind::Group)
            return false;
        if (node.kind == Node::Kind::Repeat && !m_nodes[size_t(node.child)].IsOneByte())
            return false;
    }
    return true;
}

void SqRex::PlanFlatSteps()
{
    const Sequence& sequence = m_nodes[size_t(m_root)].alternates[0];
    for (size_t i = 0; i < sequence.size(); ++i)
    {
        FlatStep step;
        step.node = &m_nodes[size_t(sequence[i])];
        if (step.node->kind == Node::Kind::Repeat)
            step.child = &m_nodes[size_t(step.node->child)];
        step.look = PlanStopLook(i + 1 < sequence.size() ? &m_nodes[size_t(sequence[i + 1])] : nullptr);
        m_flatSteps.push_back(step);
    }
}

SqRex::StopLook SqRex::PlanStopLook(const Node* stop) const
{
    StopLook look;
    // A stop that is itself a repeat able to match nothing would always match: it is not looked at.
    look.lookAhead = stop && !(stop->kind == Node::Kind::Repeat && stop->minCount == 0);
    if (!look.lookAhead)
        return look;
    if (stop->IsOneByte())
    {
        look.leadingByte = stop;
        look.missSteps = 1;
    }
    else if (stop->kind == Node::Kind::Repeat && stop->maxCount != 0 &&
             m_nodes[size_t(stop->child)].IsOneByte())
    {
        look.leadingByte = &m_nodes[size_t(stop->child)];
        look.missSteps = 2;
    }
    return look;
}

bool SqRex::CollectFirstBytes(int index, std::array<bool, 256>& bytes) const
{
    const Node& node = m_nodes[index];
    switch (node.kind)
    {
    case Node::Kind::Char:
    case Node::Kind::Any:
    case Node::Kind::Class:
        for (size_t b = 0; b < bytes.size(); ++b)
            bytes[b] = bytes[b] || node.accepts[b];
        return false;
    case Node::Kind::Group:
    {
        bool empty = false;
        for (const Sequence& alternate : node.alternates)
            empty = CollectFirstBytes(alternate, bytes) || empty;
        return empty;
    }
    case Node::Kind::Repeat:
        return CollectFirstBytes(node.child, bytes) || node.minCount == 0;
    default: // anchors and word boundaries consume nothing
        return true;
    }
}

bool SqRex::CollectFirstBytes(const Sequence& sequence, std::array<bool, 256>& bytes) const
{
    for (int index : sequence)
        if (!CollectFirstBytes(index, bytes))
            return false;
    return true;
}

void SqRex::ClearCaptures()
{
    for (Capture& capture : m_captures)
        capture = {};
}

bool SqRex::Match(const char* begin, const char* end)
{
    m_textBegin = begin;
    m_textEnd = end;
    ClearCaptures();
    SqRexMatcher matcher(*this);
    const char* matchEnd = matcher.MatchAttempt(begin);
    m_gaveUp = matcher.Aborted();
    return matchEnd == end && !m_gaveUp;
}

// Tries each place in turn, the end excluded, so an empty text has no match. With groups to capture, every
// place is tried, even one where no match can begin: a failed attempt can leave the capture of an inner
// group behind, or clear it.
bool SqRex::Search(const char* begin, const char* end, const char** matchBegin, const char** matchEnd)
{
    m_textBegin = begin;
    m_textEnd = end;
    ClearCaptures();
    SqRexMatcher matcher(*this);
    for (const char* pos = begin; pos < end && !matcher.Aborted(); ++pos)
    {
        if (m_skipsDeadPlaces && !m_firstBytes[static_cast<unsigned char>(*pos)])
            continue;
        if (const char* found = matcher.MatchAttempt(pos))
        {
            *matchBegin = pos;
            *matchEnd = found;
            m_gaveUp = false;
            return true;
        }
        // A failed leading run of a flat pattern fails the same way from each place inside it: the run
        // stops where it did, as what follows it is looked at in the same places, and all after that is
        // matched the same. A run long enough to reach the count limit could go further from later on.
        if (m_skipsInsideLeadingRun && matcher.LeadEnd() > pos + 1 &&
            matcher.LeadEnd() - pos < kMaxRepeatCount)
            pos = matcher.LeadEnd() - 1;
    }
    m_gaveUp = matcher.Aborted();
    ClearCaptures();
    return false;
}

bool SqRex::GetSubExp(int index, Capture* capture) const
{
    if (index < 0 || index >= SubExpCount())
        return false;
    *capture = m_captures[size_t(index)];
    return true;
}

#include "SqRex.h"

#include <algorithm>
#include <cstddef>
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
        m_rex.m_nodes[node].ch = static_cast<unsigned char>(c);
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
            AddTestToSet(test, negated, m_rex.m_nodes[*node].classSet);
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
        bool* out = m_rex.m_nodes[*node].classSet;
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

namespace
{

// A non-owning callable reference, so continuations live on the stack without allocation.
class Continuation
{
public:
    template <typename F>
    Continuation(const F& f)
        : m_object(&f), m_call([](const void* o, const char* p) { return (*static_cast<const F*>(o))(p); })
    {
    }
    bool operator()(const char* pos) const { return m_call(m_object, pos); }

private:
    const void* m_object;
    bool (*m_call)(const void*, const char*);
};

} // namespace

class SqRexMatcher
{
public:
    explicit SqRexMatcher(SqRex& rex)
        : m_rex(rex), m_begin(rex.m_textBegin), m_end(rex.m_textEnd),
          m_maxSteps(kBaseSteps + kStepsPerChar * long(rex.m_textEnd - rex.m_textBegin))
    {
    }

    // A pattern that would nest too deep (a group repeated over a long text) or backtrack for too long
    // gives up, rather than overflowing the stack or hanging the script; the caller reports it.
    bool MatchNode(int index, const char* pos, const Continuation& next)
    {
        if (m_aborted)
            return false;
        if (m_depth >= kMaxDepth || ++m_steps > m_maxSteps)
        {
            m_aborted = true;
            return false;
        }
        ++m_depth;
        const bool matched = MatchNodeAt(index, pos, next);
        --m_depth;
        return matched;
    }

    bool Aborted() const { return m_aborted; }

private:
    static constexpr int kMaxDepth = 3000;
    // The step budget grows with the text, so only backtracking that explodes runs out of it.
    static constexpr long kBaseSteps = 1000000;
    static constexpr long kStepsPerChar = 100;

    bool MatchNodeAt(int index, const char* pos, const Continuation& next)
    {
        const SqRex::Node& node = m_rex.m_nodes[index];
        switch (node.kind)
        {
        case SqRex::Node::Kind::LineBegin:
            return pos == m_begin && next(pos);
        case SqRex::Node::Kind::LineEnd:
            return pos == m_end && next(pos);
        case SqRex::Node::Kind::WordBoundary:
            return AtWordBoundary(pos) && next(pos);
        case SqRex::Node::Kind::NotWordBoundary:
            return !AtWordBoundary(pos) && next(pos);
        case SqRex::Node::Kind::Group:
            return MatchGroup(node, pos, next);
        case SqRex::Node::Kind::Repeat:
            return MatchRepeat(node, pos, next);
        default:
            return pos < m_end && MatchesOneChar(node, *pos) && next(pos + 1);
        }
    }

public:
    static bool MatchesOneChar(const SqRex::Node& node, char c)
    {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (node.kind)
        {
        case SqRex::Node::Kind::Char:
            return node.ch == u;
        case SqRex::Node::Kind::Any:
            return true;
        default:
            return node.classSet[u];
        }
    }

private:
    static bool IsSingleChar(const SqRex::Node& node)
    {
        return node.kind == SqRex::Node::Kind::Char || node.kind == SqRex::Node::Kind::Any ||
               node.kind == SqRex::Node::Kind::Class;
    }

    bool AtWordBoundary(const char* pos) const
    {
        const bool before = pos > m_begin && IsWord(static_cast<unsigned char>(pos[-1]));
        const bool after = pos < m_end && IsWord(static_cast<unsigned char>(*pos));
        return before != after;
    }

    bool MatchSequence(const SqRex::Sequence& sequence, size_t i, const char* pos, const Continuation& next)
    {
        if (i == sequence.size())
            return next(pos);
        const auto rest = [&](const char* p) { return MatchSequence(sequence, i + 1, p, next); };
        return MatchNode(sequence[i], pos, rest);
    }

    bool MatchGroup(const SqRex::Node& node, const char* pos, const Continuation& next)
    {
        for (const SqRex::Sequence& alternate : node.alternates)
        {
            if (node.capture < 0)
            {
                if (MatchSequence(alternate, 0, pos, next))
                    return true;
                continue;
            }
            SqRex::Capture& capture = m_rex.m_captures[node.capture];
            const SqRex::Capture saved = capture;
            const auto close = [&](const char* p)
            {
                const SqRex::Capture inner = capture;
                capture = {pos, p};
                if (next(p))
                    return true;
                capture = inner;
                return false;
            };
            if (MatchSequence(alternate, 0, pos, close))
                return true;
            capture = saved;
        }
        return false;
    }

    bool MatchRepeat(const SqRex::Node& node, const char* pos, const Continuation& next)
    {
        const SqRex::Node& child = m_rex.m_nodes[node.child];
        if (IsSingleChar(child))
            return MatchRepeatedChar(node, child, pos, next);
        return MatchRepeatFrom(node, 0, pos, next);
    }

    // Runs of one character class need no recursion per character: take the longest run, then give back.
    bool MatchRepeatedChar(const SqRex::Node& node, const SqRex::Node& child, const char* pos,
                           const Continuation& next)
    {
        const ptrdiff_t limit =
            node.maxCount < 0 ? m_end - pos : std::min<ptrdiff_t>(node.maxCount, m_end - pos);
        ptrdiff_t count = 0;
        while (count < limit && MatchesOneChar(child, pos[count]))
            ++count;
        for (; count >= node.minCount; --count)
            if (next(pos + count))
                return true;
        return false;
    }

    bool MatchRepeatFrom(const SqRex::Node& node, int count, const char* pos, const Continuation& next)
    {
        if (node.maxCount < 0 || count < node.maxCount)
        {
            // An iteration that consumes nothing past the minimum would loop for ever.
            const auto again = [&](const char* p)
            {
                if (p == pos && count >= node.minCount)
                    return false;
                return MatchRepeatFrom(node, count + 1, p, next);
            };
            if (MatchNode(node.child, pos, again))
                return true;
        }
        return count >= node.minCount && next(pos);
    }

    SqRex& m_rex;
    const char* m_begin;
    const char* m_end;
    const long m_maxSteps;
    int m_depth = 0;
    long m_steps = 0;
    bool m_aborted = false;
};

std::unique_ptr<SqRex> SqRex::Compile(const char* pattern, const char** error)
{
    std::unique_ptr<SqRex> rex(new SqRex());
    SqRexParser parser(*rex, pattern);
    if (!parser.Parse(error))
        return nullptr;
    rex->m_matchesEmpty = rex->CollectFirstBytes(rex->m_root, rex->m_firstBytes);
    rex->m_leadingRun = rex->FindLeadingRun();
    return rex;
}

int SqRex::FindLeadingRun() const
{
    const Node* first = &m_nodes[m_root];
    if (first->kind == Node::Kind::Group)
    {
        if (first->alternates.size() != 1 || first->alternates[0].empty())
            return -1;
        first = &m_nodes[first->alternates[0][0]];
    }
    if (first->kind != Node::Kind::Repeat || first->maxCount >= 0)
        return -1;
    const Node::Kind kind = m_nodes[first->child].kind;
    const bool single = kind == Node::Kind::Char || kind == Node::Kind::Any || kind == Node::Kind::Class;
    return single ? first->child : -1;
}

bool SqRex::CollectFirstBytes(int index, std::array<bool, 256>& bytes) const
{
    const Node& node = m_nodes[index];
    switch (node.kind)
    {
    case Node::Kind::Char:
        bytes[node.ch] = true;
        return false;
    case Node::Kind::Any:
        bytes.fill(true);
        return false;
    case Node::Kind::Class:
        for (size_t b = 0; b < bytes.size(); ++b)
            bytes[b] = bytes[b] || node.classSet[b];
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

bool SqRex::MatchAt(SqRexMatcher& matcher, const char* pos, bool wholeText, const char** matchEnd)
{
    for (Capture& capture : m_captures)
        capture = {};
    const auto accept = [&](const char* p)
    {
        if (wholeText && p != m_textEnd)
            return false;
        *matchEnd = p;
        return true;
    };
    return matcher.MatchNode(m_root, pos, accept);
}

bool SqRex::Match(const char* begin, const char* end)
{
    m_textBegin = begin;
    m_textEnd = end;
    const char* matchEnd = nullptr;
    SqRexMatcher matcher(*this);
    const bool matched = MatchAt(matcher, begin, true, &matchEnd);
    m_gaveUp = matcher.Aborted();
    return matched && !m_gaveUp;
}

bool SqRex::Search(const char* begin, const char* end, const char** matchBegin, const char** matchEnd)
{
    m_textBegin = begin;
    m_textEnd = end;
    SqRexMatcher matcher(*this);
    for (const char* pos = begin; pos <= end && !matcher.Aborted(); ++pos)
    {
        if (!m_matchesEmpty && (pos == end || !m_firstBytes[static_cast<unsigned char>(*pos)]))
            continue;
        // once given up, a branch may still reach the end through what it skipped: no answer stands
        if (MatchAt(matcher, pos, false, matchEnd) && !matcher.Aborted())
        {
            *matchBegin = pos;
            m_gaveUp = false;
            return true;
        }
        if (m_leadingRun >= 0 && pos < end && SqRexMatcher::MatchesOneChar(m_nodes[m_leadingRun], *pos))
        {
            while (pos + 1 < end && SqRexMatcher::MatchesOneChar(m_nodes[m_leadingRun], pos[1]))
                ++pos;
        }
    }
    m_gaveUp = matcher.Aborted();
    for (Capture& capture : m_captures)
        capture = {};
    return false;
}

bool SqRex::GetSubExp(int index, Capture* capture) const
{
    if (index < 0 || index >= SubExpCount())
        return false;
    *capture = m_captures[index];
    return true;
}

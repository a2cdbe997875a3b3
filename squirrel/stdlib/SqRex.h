#pragma once
// The string library's regular expressions: a pattern compiled once into a small tree and matched by the
// language's own rules (see SqRexMatcher), which take back nothing once matched. Capture 0 is the whole
// match; each '(' that is not '(?:' opens the next capture.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class SqRexMatcher;

class SqRex
{
public:
    struct Capture
    {
        const char* begin = nullptr;
        const char* end = nullptr;
    };

    // Null with `error` set (to a static text) when the pattern does not compile.
    static std::unique_ptr<SqRex> Compile(const char* pattern, const char** error);

    // True when the whole of [begin, end) matches.
    bool Match(const char* begin, const char* end);
    // Finds the leftmost match inside [begin, end); '^' and '$' anchor to begin and end.
    bool Search(const char* begin, const char* end, const char** matchBegin, const char** matchEnd);

    // Whether the last Match or Search gave up (nesting or backtracking beyond its bounds) instead of
    // deciding: its false then means "unknown", not "no match".
    bool GaveUp() const { return m_gaveUp; }

    // The whole match plus one per capturing group.
    int SubExpCount() const { return int(m_captures.size()); }
    // The capture of the last successful Match or Search; a group that took no part has null pointers.
    bool GetSubExp(int index, Capture* capture) const;

    struct Node;
    using Sequence = std::vector<int>;

private:
    SqRex() = default;
    // The flat steps point into m_nodes.
    SqRex(const SqRex&) = delete;
    SqRex& operator=(const SqRex&) = delete;

    void ClearCaptures();
    // Whether the pattern is one sequence of bytes, anchors and repeated bytes, which the matcher walks by
    // position.
    bool IsFlat() const;
    // Fills m_flatSteps; the nodes are complete by then, so pointers into them stay valid.
    void PlanFlatSteps();
    // Fills m_successor from the sequences.
    void LinkSuccessors();
    // Adds every byte a match of the node (or sequence) can begin with; returns whether it can match without
    // consuming a byte, in which case what follows it may begin the match as well.
    bool CollectFirstBytes(int index, std::array<bool, 256>& bytes) const;
    bool CollectFirstBytes(const Sequence& sequence, std::array<bool, 256>& bytes) const;

    std::vector<Node> m_nodes;
    int m_root = -1;
    std::vector<Capture> m_captures;
    const char* m_textBegin = nullptr;
    const char* m_textEnd = nullptr;
    bool m_gaveUp = false;
    // The bytes a match can begin with, and whether a search may pass over places that begin with none.
    std::array<bool, 256> m_firstBytes = {};
    bool m_skipsDeadPlaces = false;
    // How a repeat looks ahead at its stop, the node after it.
    struct StopLook
    {
        bool lookAhead = false;
        // The byte node every match of the stop begins with, for a byte or a repeated byte, so that a look
        // where that byte is absent fails at once: it costs `missSteps`, one per node tried.
        const Node* leadingByte = nullptr;
        int missSteps = 0;
    };
    StopLook PlanStopLook(const Node* stop) const;

    // For a flat pattern, its sequence node by node; empty otherwise.
    struct FlatStep
    {
        const Node* node = nullptr;
        const Node* child = nullptr; // a repeat's byte
        StopLook look;               // a repeat's look at the node after it
    };
    std::vector<FlatStep> m_flatSteps;
    // Whether a search may go on from where a failed attempt's leading run ended.
    bool m_skipsInsideLeadingRun = false;
    // The node after each node in its sequence, or -1 for the last one (and for a repeat's node).
    std::vector<int> m_successor;

    friend class SqRexParser;
    friend class SqRexMatcher;
};

struct SqRex::Node
{
    enum class Kind : uint8_t
    {
        Char,
        Any,
        Class,
        LineBegin,
        LineEnd,
        WordBoundary,
        NotWordBoundary,
        Group,
        Repeat
    };

    Kind kind = Kind::Char;
    bool accepts[256] = {};           // Char, Any, Class: the bytes the node matches
    int capture = -1;                 // Group: capture index or -1 for '(?:'
    std::vector<Sequence> alternates; // Group: one sequence per '|' branch
    int child = -1;                   // Repeat: the repeated node
    int minCount = 0;
    int maxCount = 0; // Repeat: -1 for no upper bound

    bool IsOneByte() const { return kind == Kind::Char || kind == Kind::Any || kind == Kind::Class; }
};

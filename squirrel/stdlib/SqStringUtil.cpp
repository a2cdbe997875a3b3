#include "SqStringUtil.h"

#include <cstring>

namespace
{
bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
} // namespace

SqTextRange SqStripRange(const char* text, size_t length, bool left, bool right)
{
    SqTextRange range{0, length};
    if (left)
        while (range.begin < range.end && IsSpace(text[range.begin]))
            ++range.begin;
    if (right)
        while (range.end > range.begin && IsSpace(text[range.end - 1]))
            --range.end;
    return range;
}

std::vector<SqTextRange> SqSplitRanges(const char* text, size_t length, const char* separators,
                                       size_t separatorCount)
{
    const auto isSeparator = [&](char c) { return std::memchr(separators, c, separatorCount) != nullptr; };
    std::vector<SqTextRange> pieces;
    size_t i = 0;
    while (i < length)
    {
        while (i < length && isSeparator(text[i]))
            ++i;
        const size_t begin = i;
        while (i < length && !isSeparator(text[i]))
            ++i;
        if (i > begin)
            pieces.push_back({begin, i});
    }
    return pieces;
}

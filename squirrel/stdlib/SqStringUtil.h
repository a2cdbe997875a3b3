#pragma once
// The text routines behind strip(), lstrip(), rstrip() and split(): whitespace is the C locale's.

#include <string>
#include <vector>

struct SqTextRange
{
    size_t begin = 0;
    size_t end = 0;
};

SqTextRange SqStripRange(const char* text, size_t length, bool left, bool right);

// The pieces between runs of separator characters; empty pieces are dropped, as strtok drops them.
std::vector<SqTextRange> SqSplitRanges(const char* text, size_t length, const char* separators,
                                       size_t separatorCount);

// Core regular expressions: the pattern up to the first zero byte, searched in the text after it.
#include "FuzzTarget.h"

#include "core/Regex.h"

FUZZ_TARGET(regex)(const uint8_t* data, size_t size)
{
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    regexp* re = RegexCompile(input.first.c_str());
    if (!re)
        return 0;
    RegexExecute(re, input.rest.c_str());
    RegexExecute(re, input.first.c_str());
    RegexFree(re);
    return 0;
}

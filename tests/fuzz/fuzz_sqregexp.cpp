// The string library's regexp: the pattern up to the first zero byte, matched against and searched in
// the text after it, captures read back.
#include "FuzzTarget.h"

#include "squirrel/stdlib/SqRex.h"

#include <cstdlib>
#include <memory>

FUZZ_TARGET(sqregexp)(const uint8_t* data, size_t size)
{
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    const char* error = nullptr;
    std::unique_ptr<SqRex> rex = SqRex::Compile(input.first.c_str(), &error);
    if (!rex)
        return 0;
    const char* text = input.rest.data();
    const char* end = text + input.rest.size();
    rex->Match(text, end);
    const char* begin = nullptr;
    const char* matchEnd = nullptr;
    if (rex->Search(text, end, &begin, &matchEnd))
    {
        if (begin < text || matchEnd < begin || matchEnd > end)
            abort();
        for (int i = 0; i < rex->SubExpCount(); ++i)
        {
            SqRex::Capture capture;
            if (rex->GetSubExp(i, &capture) && capture.begin &&
                (capture.begin < text || capture.end < capture.begin || capture.end > end))
                abort();
        }
    }
    return 0;
}

// The tokenizer: separators up to the first zero byte, then the text; tokens read into a roomy buffer
// and into one too small for most of them.
#include "FuzzTarget.h"

#include "core/Tokenizer.h"

namespace
{
void ReadAll(Tokenizer* tokenizer, const std::string& text, char* buffer, int room)
{
    TokenizerSetText(tokenizer, text.data(), int(text.size()));
    bool end = false;
    // every token consumes at least one byte of the text
    for (size_t guard = 0; guard <= text.size() + 1 && !end; ++guard)
        if (!TokenizerNextToken(tokenizer, &end, buffer, room))
            break;
}
} // namespace

FUZZ_TARGET(tokenizer)(const uint8_t* data, size_t size)
{
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    Tokenizer* tokenizer = TokenizerCreate();
    char buffer[256];
    ReadAll(tokenizer, input.rest, buffer, int(sizeof buffer));
    TokenizerSetSeparators(tokenizer, input.first.c_str());
    ReadAll(tokenizer, input.rest, buffer, 4);
    TokenizerReset(tokenizer);
    ReadAll(tokenizer, input.first, buffer, int(sizeof buffer));
    TokenizerDestroy(tokenizer);
    return 0;
}

// The command line: set, walked option by option, appended to and walked again, then read as the
// application's start-up options.
#include "FuzzTarget.h"

#include "game/AppOptions.h"
#include "platform/CommandLine.h"

namespace
{
void Walk()
{
    CommandLineReset();
    // each option and argument is a word of the stored line, which holds fewer than 256 characters
    for (int options = 0; options < kCommandLineSize && CommandLineNextOption(); ++options)
        for (int arguments = 0; arguments < kCommandLineSize && CommandLineNextArgument(); ++arguments)
        {
        }
}
} // namespace

FUZZ_TARGET(cmdline)(const uint8_t* data, size_t size)
{
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    CommandLineSet(input.first.c_str());
    Walk();
    CommandLineAppend(input.rest.c_str());
    Walk();
    CommandLineGet();
    AppOptions options;
    AppReadOptions(options);
    return 0;
}

// The texture names a model file stores: the file-table pattern built from a layer name and the model's
// folder (both as read from data), compiled and searched as the texture search does. The folder is the
// input up to the first zero byte, the layer name the bytes after it.
#include "FuzzTarget.h"

#include "core/Regex.h"
#include "cross/ModelTextureSearch.h"

#include <cstring>
#include <string>

FUZZ_TARGET(modeltexture)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    char pattern[1024];
    ModelTexturePattern(input.first.c_str(), input.rest.c_str(), pattern, sizeof(pattern));
    char tight[16];
    ModelTexturePattern(input.first.c_str(), input.rest.c_str(), tight, sizeof(tight));
    if (regexp* re = RegexCompile(pattern))
    {
        // The pattern takes its parts literally: the folder and name joined must match it.
        const std::string name = std::string(input.first.c_str()) + input.rest.c_str();
        const bool whole = strlen(pattern) + 1 < sizeof(pattern);
        if (!RegexExecute(re, name.c_str()) && whole)
            __builtin_trap();
        RegexFree(re);
    }
    return 0;
}

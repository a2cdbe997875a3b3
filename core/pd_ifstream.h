#pragma once
// The input stream; filled in with the archive reader and the cipher.

#include <cstdint>

enum pd_ifstreamMode : int
{
    kOpenPath = 0,
    kOpenRoot = 1,
    kOpenTable = 2,
    kOpenRootToo = 3,
};

// Whether the name opens in the given mode.
bool FileExists(const char* name, int mode);

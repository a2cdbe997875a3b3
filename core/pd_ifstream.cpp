#include "core/pd_ifstream.h"

#include "core/FileTable.h"

#include <cstdio>

bool FileExists(const char* name, int mode)
{
    FixedString256 path;
    if (mode == kOpenPath)
        path.Set(name);
    else if (mode == kOpenRoot || mode == kOpenRootToo)
        path.Set(FileTableGetRoot()).Append(name);
    else
        return false;
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    fclose(file);
    return true;
}

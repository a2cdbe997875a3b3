#include "core/DateStamp.h"

#include <ctime>

namespace
{
char g_stamp[128];
}

const char* FormatDateStamp()
{
    const time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    if (strftime(g_stamp, sizeof g_stamp, "%a %Y-%b-%d %H'%M'%S", &local) == 0)
        g_stamp[0] = 0;
    return g_stamp;
}

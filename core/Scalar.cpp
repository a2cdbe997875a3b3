#include "core/Scalar.h"

#include <cstdint>

uint64_t ParseUInt64(const char* text)
{
    if (!text)
        return 0;
    uint64_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
    {
        const uint64_t digit = static_cast<uint64_t>(*p - '0');
        if (value > (UINT64_MAX - digit) / 10u)
            return UINT64_MAX;
        value = value * 10u + digit;
    }
    return value;
}

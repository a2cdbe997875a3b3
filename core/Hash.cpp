#include "core/Hash.h"

uint32_t HashBytes(const void* bytes, int count)
{
    const int8_t* signedBytes = static_cast<const int8_t*>(bytes);
    uint32_t hash = 0;
    if (!signedBytes)
        return hash;
    for (int i = 0; i < count; ++i)
        hash = hash * 31u + static_cast<uint32_t>(static_cast<int32_t>(signedBytes[i]));
    return hash;
}

uint32_t HashString(const char* text)
{
    // Null hashes as the empty name.
    uint32_t hash = 0;
    if (!text)
        return hash;
    for (const int8_t* p = reinterpret_cast<const int8_t*>(text); *p; ++p)
        hash = hash * 31u + static_cast<uint32_t>(static_cast<int32_t>(*p));
    return hash;
}

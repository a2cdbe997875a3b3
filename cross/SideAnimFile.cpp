#include "cross/SideAnimFile.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr size_t kMagicBytes = 12;
// More keys than any file could hold: a count past it is refused before
// it is turned into an integer.
constexpr float kMostKeys = 16777216.0f;

bool AcceptableCount(float count)
{
    return std::isfinite(count) && count >= 0.0f && count <= kMostKeys;
}

bool VersionIs(float version, float wanted)
{
    return version == wanted;
}
} // namespace

bool SideAnimReadHeader(ByteReader& in, const char* magic, size_t leastTrackBytes, SideAnimHeader& header)
{
    const uint8_t* tag = in.Take(kMagicBytes);
    if (!tag || memcmp(tag, magic, kMagicBytes) != 0)
        return false;
    header.version = in.F32();
    header.word = in.U32();
    header.rate = in.F32();
    if (VersionIs(header.version, kSideAnimSharedCountVersion))
    {
        header.sharedKeyCount = in.F32();
        if (!AcceptableCount(header.sharedKeyCount))
            return false;
    }
    header.trackCount = in.U32();
    return in.Ok() && header.trackCount > 0 && in.Holds(header.trackCount, leastTrackBytes);
}

bool SideAnimReadKeyCount(ByteReader& in, const SideAnimHeader& header, float& stored)
{
    stored = 0.0f;
    if (VersionIs(header.version, kSideAnimSharedCountVersion))
        stored = header.sharedKeyCount;
    else if (VersionIs(header.version, kSideAnimOwnCountVersion))
        stored = in.F32();
    return in.Ok() && AcceptableCount(stored);
}

uint32_t SideAnimWholeKeys(float stored)
{
    return uint32_t(stored);
}

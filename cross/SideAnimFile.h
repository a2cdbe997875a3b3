#pragma once
// What the UV and object side files share: a 12-byte magic, a float version,
// a word, a float rate, for version 0.0 one key count for every track, a
// track count; and per track (version 1.0) a key count of its own.

#include "core/ByteReader.h"
#include "core/StreamBytes.h"

#include <cstdint>

struct SideAnimHeader
{
    float version = 0.0f;
    uint32_t word = 0;
    float rate = 0.0f;
    float sharedKeyCount = 0.0f;
    uint32_t trackCount = 0;
};

// A matrix a frame for twenty tracks over ten minutes takes a third of this.
constexpr FileSizeBound kSideAnimFileBound = {"side animation", 64ull << 20};

constexpr float kSideAnimSharedCountVersion = 0.0f;
constexpr float kSideAnimOwnCountVersion = 1.0f;

// False for a wrong magic, no tracks, a bad shared key count, or a file too
// short for its tracks of at least `leastTrackBytes` each.
bool SideAnimReadHeader(ByteReader& in, const char* magic, size_t leastTrackBytes, SideAnimHeader& header);
// The next track's key count as stored (read here for version 1.0); false
// when it is negative, not a number, or more than the file could hold.
bool SideAnimReadKeyCount(ByteReader& in, const SideAnimHeader& header, float& stored);
// The whole keys of a stored count, once it has passed SideAnimReadKeyCount.
uint32_t SideAnimWholeKeys(float stored);

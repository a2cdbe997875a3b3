// UV side files, whole in memory: read, advanced and sampled.
#include "FuzzTarget.h"

#include "cross/UVAnim.h"

FUZZ_TARGET(uvanim)(const uint8_t* data, size_t size)
{
    std::unique_ptr<UVAnimSet> set = UVAnimParse(data, size, false);
    if (!set)
        return 0;
    UVAnimEnter(set.get());
    UVAnimUpdateAll(2.71f);
    float u, v;
    for (const UVAnimTrack& track : set->tracks)
        UVAnimGetUV(&track, u, v);
    return 0;
}

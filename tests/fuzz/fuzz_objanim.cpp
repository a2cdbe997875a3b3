// Object side files, whole in memory: read, advanced and sampled.
#include "FuzzTarget.h"

#include "cross/ObjAnim.h"

FUZZ_TARGET(objanim)(const uint8_t* data, size_t size)
{
    std::unique_ptr<ObjAnimSet> set = ObjAnimParse(data, size, false);
    if (!set)
        return 0;
    ObjAnimEnter(set.get());
    ObjAnimUpdateAll(2.71f);
    Mat4 matrix;
    for (const ObjAnimTrack& track : set->tracks)
    {
        ObjAnimGetMatrix(&track, matrix, -1);
        ObjAnimGetMatrix(&track, matrix, 7);
    }
    return 0;
}

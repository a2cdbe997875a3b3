#include "cross/ObjAnim.h"

#include "core/Random.h"
#include "cross/AnimFrame.h"
#include "cross/SideAnimSet.h"

namespace
{
constexpr size_t kTrackNameBytes = 128;
constexpr size_t kKeyBytes = 64;

// 0.50 to 1.19 seconds.
float RandomStartDelay()
{
    return float(Rand() % 70 + 50) / 100.0f;
}

bool ReadTrack(ByteReader& in, const SideAnimHeader& header, ObjAnimTrack& track)
{
    in.Text(track.name.data(), sizeof(track.name), kTrackNameBytes);
    if (!SideAnimReadKeyCount(in, header, track.keyCount))
        return false;
    track.flags = in.U32();
    if (track.flags & kObjAnimRandomStartDelay)
        track.startDelay = RandomStartDelay();
    const uint32_t keys = SideAnimWholeKeys(track.keyCount);
    if (!in.Holds(keys, kKeyBytes))
        return false;
    track.keys.resize(keys);
    for (Mat4& key : track.keys)
        in.F32s(key.m, 16);
    return in.Ok();
}
} // namespace

ObjAnimSet::~ObjAnimSet()
{
    ObjAnimRelease(this);
}

std::unique_ptr<ObjAnimSet> ObjAnimParse(const uint8_t* bytes, size_t size, bool swap)
{
    return SideAnimParseSet<ObjAnimSet>(bytes, size, swap, kObjAnimMagic, kTrackNameBytes + 4, ReadTrack);
}

std::unique_ptr<ObjAnimSet> ObjAnimRead(const char* modelPath)
{
    std::vector<uint8_t> bytes;
    if (!SideAnimReadFile(modelPath, kObjAnimSuffix, bytes))
        return nullptr;
    return ObjAnimParse(bytes.data(), bytes.size(), false);
}

void ObjAnimLoad(std::unique_ptr<ObjAnimSet>& holder, const char* modelPath)
{
    holder.reset();
    holder = ObjAnimRead(modelPath);
    ObjAnimEnter(holder.get());
}

void ObjAnimEnter(ObjAnimSet* set)
{
    SideAnimEnter(set);
}

void ObjAnimRelease(ObjAnimSet* set)
{
    SideAnimLeave(set);
}

ObjAnimTrack* ObjAnimFind(ObjAnimSet* set, const char* name)
{
    return SideAnimFindTrack(set, name);
}

bool ObjAnimGetMatrix(const ObjAnimTrack* track, Mat4& out, int frame)
{
    if (!track || track->keys.empty())
        return false;
    const int count = int(track->keys.size());
    const int key = frame >= 0 ? frame % count : track->currentKey;
    out = track->keys[size_t(key)];
    return true;
}

// The delay runs down by the time argument itself (the scene time so far),
// not by the frame's duration.
void ObjAnimUpdateAll(float time)
{
    for (ObjAnimSet* set : SideAnimLiveSets<ObjAnimSet>())
        for (ObjAnimTrack& track : set->tracks)
        {
            if (track.keys.empty())
                continue;
            const int frame = AnimWrapFrame(double(set->rate) * time, int(track.keys.size()));
            if (track.startDelay > 0.0f)
            {
                track.startDelay -= time;
                if (track.startDelay < 0.0f)
                    track.startDelay = 0.0f;
                continue;
            }
            track.currentKey = frame;
        }
}

size_t ObjAnimListSize()
{
    return SideAnimLiveSets<ObjAnimSet>().size();
}

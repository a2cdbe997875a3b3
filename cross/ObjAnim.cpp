#include "cross/ObjAnim.h"

#include "core/FixedString.h"
#include "core/Random.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "cross/AnimFrame.h"
#include "cross/SideAnimFile.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t kTrackNameBytes = 128;
constexpr size_t kKeyBytes = 64;

std::vector<ObjAnimSet*>& LiveSets()
{
    static std::vector<ObjAnimSet*> sets;
    return sets;
}

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
        for (float& value : key.m)
            value = in.F32();
    return in.Ok();
}
} // namespace

ObjAnimSet::~ObjAnimSet()
{
    ObjAnimRelease(this);
}

std::unique_ptr<ObjAnimSet> ObjAnimParse(const uint8_t* bytes, size_t size, bool swap)
{
    ByteReader in(bytes, size, swap);
    SideAnimHeader header;
    if (!SideAnimReadHeader(in, kObjAnimMagic, kTrackNameBytes + 4, header))
        return nullptr;
    std::unique_ptr<ObjAnimSet> set(new ObjAnimSet);
    set->version = header.version;
    set->word = header.word;
    set->rate = header.rate;
    set->tracks.resize(header.trackCount);
    for (ObjAnimTrack& track : set->tracks)
        if (!ReadTrack(in, header, track))
            return nullptr;
    return set;
}

std::unique_ptr<ObjAnimSet> ObjAnimRead(const char* modelPath)
{
    FixedString256 path(modelPath);
    path.Append(kObjAnimSuffix);
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, bytes))
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
    std::vector<ObjAnimSet*>& sets = LiveSets();
    if (set && std::find(sets.begin(), sets.end(), set) == sets.end())
        sets.push_back(set);
}

void ObjAnimRelease(ObjAnimSet* set)
{
    std::vector<ObjAnimSet*>& sets = LiveSets();
    sets.erase(std::remove(sets.begin(), sets.end(), set), sets.end());
}

ObjAnimTrack* ObjAnimFind(ObjAnimSet* set, const char* name)
{
    if (!set || !name)
        return nullptr;
    for (ObjAnimTrack& track : set->tracks)
        if (strcmp(track.name, name) == 0)
            return &track;
    return nullptr;
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
    for (ObjAnimSet* set : LiveSets())
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
    return LiveSets().size();
}

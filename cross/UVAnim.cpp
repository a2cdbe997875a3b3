#include "cross/UVAnim.h"

#include "cross/AnimFrame.h"
#include "cross/SideAnimSet.h"

namespace
{
constexpr size_t kTrackNameBytes = 64;
constexpr size_t kKeyBytes = 8;

bool ReadTrack(ByteReader& in, const SideAnimHeader& header, UVAnimTrack& track)
{
    in.Text(track.name.data(), sizeof(track.name), kTrackNameBytes);
    if (!SideAnimReadKeyCount(in, header, track.keyCount))
        return false;
    track.word = in.U32();
    const uint32_t keys = SideAnimWholeKeys(track.keyCount);
    if (!in.Holds(keys, kKeyBytes))
        return false;
    track.keys.resize(keys);
    for (UVKey& key : track.keys)
    {
        key.u = in.F32();
        key.v = in.F32();
    }
    return in.Ok();
}
} // namespace

UVAnimSet::~UVAnimSet()
{
    UVAnimRelease(this);
}

std::unique_ptr<UVAnimSet> UVAnimParse(const uint8_t* bytes, size_t size, bool swap)
{
    return SideAnimParseSet<UVAnimSet>(bytes, size, swap, kUVAnimMagic, kTrackNameBytes + 4, ReadTrack);
}

std::unique_ptr<UVAnimSet> UVAnimRead(const char* modelPath)
{
    std::vector<uint8_t> bytes;
    if (!SideAnimReadFile(modelPath, kUVAnimSuffix, bytes))
        return nullptr;
    return UVAnimParse(bytes.data(), bytes.size(), false);
}

void UVAnimLoad(std::unique_ptr<UVAnimSet>& holder, const char* modelPath)
{
    holder.reset();
    holder = UVAnimRead(modelPath);
    UVAnimEnter(holder.get());
}

void UVAnimEnter(UVAnimSet* set)
{
    SideAnimEnter(set);
}

void UVAnimRelease(UVAnimSet* set)
{
    SideAnimLeave(set);
}

UVAnimTrack* UVAnimFind(UVAnimSet* set, const char* name)
{
    return SideAnimFindTrack(set, name);
}

void UVAnimGetUV(const UVAnimTrack* track, float& u, float& v)
{
    u = 0.0f;
    v = 0.0f;
    if (!track || track->keys.empty())
        return;
    const UVKey& key = track->keys[size_t(track->currentKey)];
    u = key.u;
    v = key.v;
}

void UVAnimUpdateAll(float time)
{
    for (UVAnimSet* set : SideAnimLiveSets<UVAnimSet>())
        for (UVAnimTrack& track : set->tracks)
            if (!track.keys.empty())
                track.currentKey = AnimWrapFrame(double(set->rate) * time, int(track.keys.size()));
}

size_t UVAnimListSize()
{
    return SideAnimLiveSets<UVAnimSet>().size();
}

#include "cross/UVAnim.h"

#include "core/FixedString.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "cross/AnimFrame.h"
#include "cross/SideAnimFile.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t kTrackNameBytes = 64;
constexpr size_t kKeyBytes = 8;

std::vector<UVAnimSet*>& LiveSets()
{
    static std::vector<UVAnimSet*> sets;
    return sets;
}

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
    ByteReader in(bytes, size, swap);
    SideAnimHeader header;
    if (!SideAnimReadHeader(in, kUVAnimMagic, kTrackNameBytes + 4, header))
        return nullptr;
    std::unique_ptr<UVAnimSet> set(new UVAnimSet);
    set->version = header.version;
    set->word = header.word;
    set->rate = header.rate;
    set->tracks.resize(header.trackCount);
    for (UVAnimTrack& track : set->tracks)
        if (!ReadTrack(in, header, track))
            return nullptr;
    return set;
}

std::unique_ptr<UVAnimSet> UVAnimRead(const char* modelPath)
{
    FixedString256 path(modelPath);
    path.Append(kUVAnimSuffix);
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, bytes))
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
    std::vector<UVAnimSet*>& sets = LiveSets();
    if (set && std::find(sets.begin(), sets.end(), set) == sets.end())
        sets.push_back(set);
}

void UVAnimRelease(UVAnimSet* set)
{
    std::vector<UVAnimSet*>& sets = LiveSets();
    sets.erase(std::remove(sets.begin(), sets.end(), set), sets.end());
}

UVAnimTrack* UVAnimFind(UVAnimSet* set, const char* name)
{
    if (!set || !name)
        return nullptr;
    for (UVAnimTrack& track : set->tracks)
        if (strcmp(track.name, name) == 0)
            return &track;
    return nullptr;
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
    for (UVAnimSet* set : LiveSets())
        for (UVAnimTrack& track : set->tracks)
            if (!track.keys.empty())
                track.currentKey = AnimWrapFrame(double(set->rate) * time, int(track.keys.size()));
}

size_t UVAnimListSize()
{
    return LiveSets().size();
}

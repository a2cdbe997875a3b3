#pragma once
// What the UV and object sets share beyond their file header: the list of
// live sets, finding a track by name, and reading a side file beside a model.

#include "core/ByteReader.h"
#include "core/FixedString.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "cross/SideAnimFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// The live sets of one kind, in the order they entered.
template <typename Set> std::vector<Set*>& SideAnimLiveSets()
{
    static std::vector<Set*> sets;
    return sets;
}

template <typename Set> void SideAnimEnter(Set* set)
{
    std::vector<Set*>& sets = SideAnimLiveSets<Set>();
    if (set && std::find(sets.begin(), sets.end(), set) == sets.end())
        sets.push_back(set);
}

template <typename Set> void SideAnimLeave(Set* set)
{
    std::vector<Set*>& sets = SideAnimLiveSets<Set>();
    sets.erase(std::remove(sets.begin(), sets.end(), set), sets.end());
}

template <typename Set> auto* SideAnimFindTrack(Set* set, const char* name)
{
    using Track = typename decltype(set->tracks)::value_type;
    if (set && name)
        for (Track& track : set->tracks)
            if (strcmp(track.name, name) == 0)
                return &track;
    return static_cast<Track*>(nullptr);
}

// The set in the bytes, each track read by `readTrack`(reader, header,
// track); null for a refused header or track.
template <typename Set, typename ReadTrack>
std::unique_ptr<Set> SideAnimParseSet(const uint8_t* bytes, size_t size, bool swap, const char* magic,
                                      size_t leastTrackBytes, ReadTrack readTrack)
{
    ByteReader in(bytes, size, swap);
    SideAnimHeader header;
    if (!SideAnimReadHeader(in, magic, leastTrackBytes, header))
        return nullptr;
    std::unique_ptr<Set> set(new Set);
    set->version = header.version;
    set->word = header.word;
    set->rate = header.rate;
    set->tracks.resize(header.trackCount);
    for (auto& track : set->tracks)
        if (!readTrack(in, header, track))
            return nullptr;
    return set;
}

// The model's side file (its path followed by `suffix`) read whole; false
// when there is none, or after one report when it cannot be read whole.
inline bool SideAnimReadFile(const char* modelPath, const char* suffix, std::vector<uint8_t>& bytes)
{
    FixedString256 path(modelPath);
    path.Append(suffix);
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    return StreamReadAll(stream, kSideAnimFileBound, bytes);
}

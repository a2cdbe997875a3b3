#pragma once
// UV animations: a side file beside a model ("uvanim" appended to its path)
// whose tracks move the texture coordinates of the material layers of the
// same name. Every live set is on one list, advanced to the scene time once
// a frame.

#include "core/FixedString.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct UVKey
{
    float u = 0.0f;
    float v = 0.0f;
};

struct UVAnimTrack
{
    FixedString64 name;
    uint32_t word = 0;
    std::vector<UVKey> keys;
    int32_t currentKey = 0;
    float keyCount = 0.0f; // as stored; keys.size() is its whole part
};

struct UVAnimSet
{
    float version = 0.0f;
    uint32_t word = 0;
    float rate = 0.0f; // keys per second
    std::vector<UVAnimTrack> tracks;

    UVAnimSet() = default;
    // A set leaves the list before it goes.
    ~UVAnimSet();
    UVAnimSet(const UVAnimSet&) = delete;
    UVAnimSet& operator=(const UVAnimSet&) = delete;
};

constexpr char kUVAnimMagic[] = "UV Animation";
constexpr char kUVAnimSuffix[] = "uvanim";

// The set in the bytes of a UV file, or null for a wrong magic, no tracks or
// a damaged file (a key count that is negative, not a number or past the
// bytes). Does not enter the list.
std::unique_ptr<UVAnimSet> UVAnimParse(const uint8_t* bytes, size_t size, bool swap);
// The set of the model's side file, or null when it is missing or refused.
// Does not enter the list.
std::unique_ptr<UVAnimSet> UVAnimRead(const char* modelPath);

// Frees the holder's set, reads the model's side file and keeps the new set
// (or none) in the holder, entered in the list.
void UVAnimLoad(std::unique_ptr<UVAnimSet>& holder, const char* modelPath);
void UVAnimEnter(UVAnimSet* set);
// Takes the set off the list; freeing it is its owner's work.
void UVAnimRelease(UVAnimSet* set);
UVAnimTrack* UVAnimFind(UVAnimSet* set, const char* name);
// The current key; (0, 0) for a null track or one without keys.
void UVAnimGetUV(const UVAnimTrack* track, float& u, float& v);
void UVAnimUpdateAll(float time);
size_t UVAnimListSize();

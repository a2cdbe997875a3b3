#pragma once
// Object animations: a side file beside a model ("objanim" appended to its
// path) whose tracks move the mesh nodes of the same name by whole matrices.
// Every live set is on one list, advanced to the scene time once a frame.

#include "core/FixedString.h"
#include "core/Mat4.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Track flag: the track waits a random 0.50 to 1.19 s before it moves.
constexpr uint32_t kObjAnimRandomStartDelay = 0x1;

struct ObjAnimTrack
{
    FixedString128 name;
    uint32_t flags = 0;
    std::vector<Mat4> keys;
    int32_t currentKey = 0;
    float startDelay = 0.0f; // seconds
    float keyCount = 0.0f;   // as stored; keys.size() is its whole part
};

struct ObjAnimSet
{
    float version = 0.0f;
    uint32_t word = 0;
    float rate = 0.0f; // keys per second
    std::vector<ObjAnimTrack> tracks;

    ObjAnimSet() = default;
    // A set leaves the list before it goes.
    ~ObjAnimSet();
    ObjAnimSet(const ObjAnimSet&) = delete;
    ObjAnimSet& operator=(const ObjAnimSet&) = delete;
};

constexpr char kObjAnimMagic[] = "Object Anim ";
constexpr char kObjAnimSuffix[] = "objanim";

// As UVAnimParse, for object files; delays draw from the engine's generator.
std::unique_ptr<ObjAnimSet> ObjAnimParse(const uint8_t* bytes, size_t size, bool swap);
std::unique_ptr<ObjAnimSet> ObjAnimRead(const char* modelPath);

void ObjAnimLoad(std::unique_ptr<ObjAnimSet>& holder, const char* modelPath);
void ObjAnimEnter(ObjAnimSet* set);
void ObjAnimRelease(ObjAnimSet* set);
ObjAnimTrack* ObjAnimFind(ObjAnimSet* set, const char* name);
// False for a null track or one without keys. Otherwise copies key (frame
// modulo the key count) for a frame of 0 or more, else the current key.
bool ObjAnimGetMatrix(const ObjAnimTrack* track, Mat4& out, int frame);
void ObjAnimUpdateAll(float time);
size_t ObjAnimListSize();

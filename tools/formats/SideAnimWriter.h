#pragma once
// Writes the two side files of a model: UV animations ("UV Animation") and
// object animations ("Object Anim "), versions 0.0 (one key count for every
// track) and 1.0 (a count per track); other versions for refusal tests.

#include "core/Mat4.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct UVSideTrack
{
    std::string name;
    std::optional<float> keyCount; // written for version 1.0; none: the number of keys
    uint32_t word = 0;
    std::vector<float> keys; // u, v pairs
};

struct UVSideFile
{
    float version = 1.0f;
    float rate = 10.0f;
    std::optional<float> sharedKeyCount; // version 0.0; none: the first track's keys
    std::vector<UVSideTrack> tracks;
};

struct ObjSideTrack
{
    std::string name;
    std::optional<float> keyCount;
    uint32_t flags = 0; // bit 0: random start delay
    std::vector<Mat4> keys;
};

struct ObjSideFile
{
    float version = 1.0f;
    float rate = 10.0f;
    std::optional<float> sharedKeyCount;
    std::vector<ObjSideTrack> tracks;
};

std::vector<uint8_t> UVSideWrite(const UVSideFile& file);
std::vector<uint8_t> ObjSideWrite(const ObjSideFile& file);

#pragma once
// A keyed curve: up to 32 (time, value) keys joined by straight lines, with an
// optional stretch of keys that repeats a number of times. Keys keep the order
// in which they were added; evaluation assumes ascending times.

#include <cstdint>

struct InterpKey
{
    float time;
    float value;
};

struct InterpDef
{
    static constexpr int kMaxKeys = 32;

    uint8_t loop;
    int32_t loopBegin;
    int32_t loopEnd;
    int32_t loopCount;
    int32_t keyCount;
    InterpKey keys[kMaxKeys];

    InterpDef() { Clear(); }

    // Leaves the key array as it was; only the count says what is in use.
    void Clear();
    // False (reported) when the curve is full.
    bool AddKey(float time, float value);
    // Stored as given; the looped evaluation checks the stretch before using it.
    void SetLoop(int32_t begin, int32_t end, int32_t count);
    // The stretch lies inside the keys and spans a positive time.
    bool HasUsableLoop() const;
};

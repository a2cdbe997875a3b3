#pragma once
// Keyframe indices from a time: the whole number of frames elapsed, wrapped
// into 0 .. count - 1. Negative, huge or not-a-number elapsed counts still
// give a valid index (0 for the last).

#include <cmath>

inline int AnimWrapFrame(double elapsedFrames, int count)
{
    if (count <= 0 || !std::isfinite(elapsedFrames))
        return 0;
    double frame = std::fmod(std::trunc(elapsedFrames), double(count));
    if (frame < 0.0)
        frame += count;
    return int(frame);
}

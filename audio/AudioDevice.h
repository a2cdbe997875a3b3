#pragma once
// The OpenAL device and context. The game opens the system's device once at
// start-up; tests and benchmarks open a loopback device instead and render
// its output themselves, so what plays can be measured sample by sample.
// Without a device the audio layer makes no OpenAL call at all.

#include <cstdint>

// Empties the 16 source records and asks for the inverse-distance-clamped
// model, which is set as soon as a context exists.
void AudioSetDistanceModel();
// Opens "DirectSound3D", else the default device; reports and runs on
// silently when neither opens.
bool AudioOpenDevice();
// A loopback device rendering float stereo at the rate; false when the
// library cannot make one.
bool AudioOpenLoopbackDevice(uint32_t rate);
// Mixes the next frames of the loopback device into interleaved left/right
// floats (2 x frames values). Nothing happens without a loopback device.
void AudioRenderSamples(float* stereo, int frames);
// Stops every voice, deletes every source and buffer, empties the sound
// definitions and closes the device: the audio layer is as at start.
void AudioCloseDevice();
bool AudioHasDevice();

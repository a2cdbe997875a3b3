#pragma once
// The one random generator of the engine, with the classic C library's
// contract: values 0 to 32767 from a 32-bit linear congruential state.
// Lock-step play depends on every machine drawing the same sequence.

#include <cstdint>

constexpr int kRandMax = 32767;

void RandSeed(uint32_t seed);
int Rand();
uint32_t RandState();

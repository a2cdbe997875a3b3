#pragma once
// The microsecond wall clock over a high-resolution counter. Everything timed
// in the engine reads it, and tests replace its source to step time instead
// of sleeping.

#include <cstdint>

struct ClockSource
{
    int64_t (*counter)();
    int64_t (*frequency)();
};

// Installs a counter source; null restores the monotonic system clock.
void ClockSetSource(const ClockSource* source);

// Microseconds from a counter value and its frequency. The multiplier k is the
// largest of 1000, 100, 10, 1 that cannot overflow, and the frequency is
// divided down instead, so young counters lose the least precision.
uint64_t ClockMicrosecondsFromCounter(int64_t counter, int64_t frequency);

bool ClockMicroseconds(uint64_t& microseconds);
uint64_t ClockNow();

// Notes the time of the last presented frame.
void ClockTick();
uint64_t ClockLastTick();

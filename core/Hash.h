#pragma once
// The name hash by which keywords, names and identifiers are compared:
// h = h * 31 + b over the bytes, each byte taken as a signed 8-bit value,
// with 32-bit wrap-around. The empty name hashes to 0.

#include <cstdint>

uint32_t HashBytes(const void* bytes, int count);
uint32_t HashString(const char* text);

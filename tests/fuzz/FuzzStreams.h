#pragma once
// What the archive, enciphered-file and file-table targets share: mounting a scratch tree as the game
// does, and reading every entry of the table the ways readers read.

#include <cstddef>
#include <cstdint>

// Mounts "data" and the enciphered tree below the folder, without watching it.
void FuzzMountTree(const char* folder);
// Reads each entry whole, then again in pieces with seeks steered by the input's bytes; at most `limit`
// entries.
void FuzzReadEveryEntry(const uint8_t* steer, size_t steerSize, int limit);
// Empties the table and forgets the archives it opened, so the next input starts clean.
void FuzzUnmount();

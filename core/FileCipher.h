#pragma once
// The cipher of the enciphered data tree. Each byte is XORed with a key byte
// chosen by its absolute file position, so a file deciphers the same in any
// order of pieces, and enciphering is the same operation as deciphering.

#include <cstddef>
#include <cstdint>

// The key is as long as the key name and the base keys are this long, so a
// longer name has no key.
constexpr int kFileCipherKeyMax = 60;

// Whether a key name can key the cipher: 1 to kFileCipherKeyMax characters.
bool FileCipherKeyFits(const char* keyName);

// Enciphers or deciphers `count` bytes in place that start at file position
// `position`. The key name must fit (FileCipherKeyFits); otherwise nothing changes.
void FileCipherApply(uint8_t* bytes, size_t count, const char* keyName, uint64_t position);

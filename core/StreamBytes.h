#pragma once
// The rest of an open stream as bytes in memory, for the binary readers that
// check a whole file before they use any of it.

#include <cstdint>
#include <vector>

class pd_ifstream;

// False when the stream is not open or ends before its size.
bool StreamReadAll(pd_ifstream& stream, std::vector<uint8_t>& bytes);

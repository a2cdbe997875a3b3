#pragma once
// The whole of an open stream as bytes in memory, for the readers that take
// a file whole before they use any of it. Every reader gives the most its
// kind of file may hold, and a larger file is refused before anything is
// allocated for it.

#include <cstdint>
#include <vector>

class pd_ifstream;

// Far above any real file of the kind, so that only a damaged or hostile
// file meets it.
struct FileSizeBound
{
    const char* kind; // as the report names it: "model", "screen file"
    uint64_t bytes;
};

// True when the open stream is no larger than the bound; false after one
// report naming the file.
bool StreamWithinBound(pd_ifstream& stream, const FileSizeBound& bound);

// False when the stream is not open, which is left to the reader to say in
// its own words; false after one report naming the file when the stream is
// larger than the bound or ends before its size.
bool StreamReadAll(pd_ifstream& stream, const FileSizeBound& bound, std::vector<uint8_t>& bytes);

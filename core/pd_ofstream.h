#pragma once
// The output stream: writes a file below the data root, creating the missing
// folders on its way, with optional byte swapping of typed writes.

#include "core/FixedString.h"

#include <cstdint>
#include <cstdio>

enum pd_ofstreamFlags : uint32_t
{
    kOutBinary = 1u << 0,
    kOutWrite = 1u << 2,
};

class pd_ofstream
{
public:
    pd_ofstream(const char* name, int swap, uint32_t flags);
    virtual ~pd_ofstream();
    pd_ofstream(const pd_ofstream&) = delete;
    pd_ofstream& operator=(const pd_ofstream&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    size_t Write(const void* bytes, size_t count);
    bool WriteU8(uint8_t value);
    bool WriteU16(uint16_t value);
    bool WriteU32(uint32_t value);
    // Writes the lines of a text (each ending with a newline) last to first.
    void WriteLinesReversed(const char* text);
    void Flush();
    void Close();

private:
    uint8_t m_swap;
    FixedString16 m_extension;
    FixedString256 m_name;
    FILE* m_file = nullptr;
};

// Creates every folder along a path up to its last '/'.
void CreateFoldersAlongPath(const char* path);

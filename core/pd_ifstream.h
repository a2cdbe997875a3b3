#pragma once
// The one way the engine reads a file: by its own path, below the data root,
// or through the file table, where it may be a member of a ".darnix" archive
// (inflated whole at open, so reads are memory copies) or a loose file of the
// enciphered tree (deciphered by file position as it is read). Typed reads
// optionally reverse the byte order, and the stream listener hears of every
// open and every Read.

#include "core/FixedString.h"

#include <memory>

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum pd_ifstreamMode : int
{
    kOpenPath = 0,    // the name is a path of its own
    kOpenRoot = 1,    // the data root followed by the name
    kOpenTable = 2,   // through the file table
    kOpenRootToo = 3, // as kOpenRoot
};

enum pd_ifstreamFlags : uint32_t
{
    kInBinary = 1u << 0,
    kInRead = 1u << 1,
    kInReadBinary = kInRead | kInBinary, // what readers pass
};

enum pd_ifstreamWhence : int
{
    kSeekStart = 0,
    kSeekCurrent = 1,
    kSeekEnd = 2,
};

// A whole archive member in memory.
struct pd_archivebuffer
{
    std::unique_ptr<uint8_t[]> data;
    uint32_t size = 0;
    uint32_t position = 0;
};

class pd_ifstream
{
public:
    // Swap 1 reverses typed reads; any other value means no swapping.
    pd_ifstream(const char* name, int mode, int swap, uint32_t flags);
    virtual ~pd_ifstream();
    pd_ifstream(const pd_ifstream&) = delete;
    pd_ifstream& operator=(const pd_ifstream&) = delete;

    bool IsOpen() const { return m_archive != nullptr || m_file != nullptr; }
    void Close();

    // Positions are clamped to the data: neither before the start nor past the end.
    bool Seek(int64_t offset, int whence);
    bool SeekSet(uint32_t position) { return Seek(position, kSeekStart); }
    bool Skip(int32_t count) { return Seek(count, kSeekCurrent); }
    // Positions and sizes are 64-bit: a file of 4 GiB and more must not
    // pass for a small one.
    uint64_t Tell() const;
    // The size in bytes; leaves the position at the start, wherever it was.
    uint64_t Size();

    // The count of bytes read, below `count` at the end of the data.
    size_t Read(void* buffer, size_t count);
    // As Read, without telling the listener.
    size_t ReadRaw(void* buffer, size_t count);

    // At the end of the data ReadU8 yields 0xFF and returns false. The wider
    // reads store 0 and return false when the data ends inside the value.
    bool ReadU8(uint8_t& value);
    bool ReadU16(uint16_t& value);
    bool ReadU32(uint32_t& value);
    bool ReadU64(uint64_t& value);
    // The count of whole values read.
    int ReadU16Array(uint16_t* values, int count);
    // Reads records laid out by a format text, one character per field:
    // 'b' 1 byte, 's' 2, 'l' and 'f' 4, 'L' and 'd' 8, anything else none.
    // With swap set, each field of 2, 4 or 8 bytes is reversed in place.
    // Returns the count of whole records read.
    int ReadFormatted(void* buffer, const char* format, int count);

    void SetSwapBytes(int value) { m_swap = value == 1 ? 1 : 0; }
    bool SwapBytes() const { return m_swap != 0; }
    bool IsEnciphered() const { return m_enciphered != 0; }
    const char* Name() const { return m_name; }
    // The text after the last '.' of the name, upper-cased, or empty.
    const char* Extension() const { return m_extension; }

private:
    void OpenFile(const char* path, const char* modeText);
    void OpenThroughTable(const char* modeText);
    bool OpenArchiveMember(const struct FileTableEntry& entry);
    size_t ReadBytes(void* buffer, size_t count);
    template <typename T> bool ReadValue(T& value);

    uint8_t m_swap = 0;
    std::unique_ptr<pd_archivebuffer> m_archive;
    FILE* m_file = nullptr;
    FixedString16 m_extension;
    FixedString256 m_name;
    uint8_t m_enciphered = 0;
};

// Whether the name opens in the given mode.
bool FileExists(const char* name, int mode);

// The text after the last '.' of a name, upper-cased, or empty.
FixedString16 FileExtensionOf(const char* name);

// Reverses the bytes of one value in place.
void SwapByteOrder(void* bytes, size_t size);

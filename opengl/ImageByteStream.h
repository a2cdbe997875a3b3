#pragma once
// Where the image codecs take their bytes from and put them: the file
// streams in the game, memory in tests and benchmarks.

#include <cstddef>
#include <cstdint>
#include <vector>

// Little-endian fields of file headers; the caller has checked the bounds.
inline uint16_t LoadU16LE(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32LE(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

class ImageByteSource
{
public:
    virtual ~ImageByteSource() = default;
    // Up to `count` bytes; fewer only at the end of the data.
    virtual size_t Read(void* buffer, size_t count) = 0;
};

class ImageByteSink
{
public:
    virtual ~ImageByteSink() = default;
    // False when not every byte could be written.
    virtual bool Write(const void* bytes, size_t count) = 0;
    virtual bool Flush() = 0;
};

class MemoryByteSource : public ImageByteSource
{
public:
    MemoryByteSource(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}
    size_t Read(void* buffer, size_t count) override;

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_position = 0;
};

class MemoryByteSink : public ImageByteSink
{
public:
    bool Write(const void* bytes, size_t count) override;
    bool Flush() override { return true; }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

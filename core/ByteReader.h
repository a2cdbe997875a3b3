#pragma once
// A cursor over bytes already in memory for the binary readers: every read
// is checked against the bytes left, and after the first short read the
// cursor stays failed, so a reader can read a whole record and test once.
// With swap set, each value of 2, 4 or 8 bytes is reversed as it is read.

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteReader
{
public:
    ByteReader(const uint8_t* bytes, size_t size, bool swap = false)
        : m_bytes(bytes), m_size(size), m_swap(swap)
    {
    }

    bool Ok() const { return !m_failed; }
    bool Swap() const { return m_swap; }
    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_failed ? 0 : m_size - m_position; }
    // Whether `count` records of `size` bytes each could still be read.
    bool Holds(uint64_t count, uint64_t size) const;

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    float F32();
    // `count` floats in a row (a vector, a quaternion, a matrix).
    void F32s(float* out, int count)
    {
        for (int i = 0; i < count; ++i)
            out[i] = F32();
    }
    // Copies `count` bytes, or zeroes them and fails when fewer are left.
    bool Bytes(void* out, size_t count);
    // The next `count` bytes in place, or null (failing) when fewer are left.
    const uint8_t* Take(size_t count);
    bool Skip(size_t count) { return Take(count) != nullptr || count == 0; }
    // A text field of `field` bytes copied into `out` of `capacity` bytes:
    // cut at its first zero, at the field's end and at capacity - 1.
    bool Text(char* out, size_t capacity, size_t field);

private:
    template <typename T> T Value();

    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_position = 0;
    bool m_swap;
    bool m_failed = false;
};

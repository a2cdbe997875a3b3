#pragma once
// Little-endian values appended to a byte vector, for the format writers.

#include "core/Mat4.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ByteWriter
{
public:
    std::vector<uint8_t>& Bytes() { return m_bytes; }

    void U8(uint8_t value) { m_bytes.push_back(value); }
    void U16(uint16_t value) { Raw(&value, sizeof value); }
    void U32(uint32_t value) { Raw(&value, sizeof value); }
    void U64(uint64_t value) { Raw(&value, sizeof value); }
    void F32(float value) { Raw(&value, sizeof value); }
    void Matrix(const Mat4& matrix)
    {
        for (float value : matrix.m)
            F32(value);
    }
    // The text in a zero-padded field of `field` bytes, cut to fit.
    void Text(const std::string& text, size_t field)
    {
        const size_t start = m_bytes.size();
        m_bytes.resize(start + field, 0);
        memcpy(m_bytes.data() + start, text.data(), std::min(text.size(), field));
    }
    void Raw(const void* bytes, size_t count)
    {
        const uint8_t* p = static_cast<const uint8_t*>(bytes);
        m_bytes.insert(m_bytes.end(), p, p + count);
    }

private:
    std::vector<uint8_t> m_bytes;
};

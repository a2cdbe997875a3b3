#include "core/ByteReader.h"

#include "core/pd_ifstream.h"

bool ByteReader::Holds(uint64_t count, uint64_t size) const
{
    if (m_failed)
        return false;
    if (size == 0)
        return true;
    return count <= Remaining() / size;
}

const uint8_t* ByteReader::Take(size_t count)
{
    if (m_failed || count > m_size - m_position)
    {
        m_failed = true;
        return nullptr;
    }
    const uint8_t* start = m_bytes + m_position;
    m_position += count;
    return start;
}

bool ByteReader::Bytes(void* out, size_t count)
{
    if (count == 0)
        return Ok();
    const uint8_t* source = Take(count);
    if (!source)
    {
        memset(out, 0, count);
        return false;
    }
    memcpy(out, source, count);
    return true;
}

template <typename T> T ByteReader::Value()
{
    T value{};
    const uint8_t* source = Take(sizeof(T));
    if (!source)
        return value;
    memcpy(&value, source, sizeof(T));
    if (m_swap)
        SwapByteOrder(&value, sizeof(T));
    return value;
}

uint8_t ByteReader::U8()
{
    return Value<uint8_t>();
}

uint16_t ByteReader::U16()
{
    return Value<uint16_t>();
}

uint32_t ByteReader::U32()
{
    return Value<uint32_t>();
}

uint64_t ByteReader::U64()
{
    return Value<uint64_t>();
}

float ByteReader::F32()
{
    return Value<float>();
}

bool ByteReader::Text(char* out, size_t capacity, size_t field)
{
    const uint8_t* source = Take(field);
    if (capacity == 0)
        return source != nullptr;
    out[0] = 0;
    if (!source)
        return false;
    size_t length = 0;
    while (length < field && length + 1 < capacity && source[length] != 0)
        ++length;
    memcpy(out, source, length);
    out[length] = 0;
    return true;
}

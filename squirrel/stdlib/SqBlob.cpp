#include "SqBlob.h"

#include <algorithm>
#include <cstring>
#include <limits>

SqBlob::SqBlob(int32_t size) : m_bytes(size_t(std::max(size, 0)), 0)
{
    m_bytes.reserve(1);
}

int32_t SqBlob::Read(void* buffer, int32_t size)
{
    const int32_t count = std::min(std::max(size, 0), Len() - m_pointer);
    if (count <= 0)
        return 0;
    std::memcpy(buffer, m_bytes.data() + m_pointer, size_t(count));
    m_pointer += count;
    return count;
}

int32_t SqBlob::Write(const void* buffer, int32_t size)
{
    if (size <= 0)
        return 0;
    if (size > std::numeric_limits<int32_t>::max() - m_pointer)
        return 0;
    const size_t end = size_t(m_pointer) + size_t(size);
    if (end > m_bytes.size())
        m_bytes.resize(end, 0);
    std::memcpy(m_bytes.data() + m_pointer, buffer, size_t(size));
    m_pointer += size;
    return size;
}

bool SqBlob::Seek(int32_t offset, SqSeekOrigin origin)
{
    int64_t base = 0;
    switch (origin)
    {
    case SqSeekOrigin::Begin:
        base = 0;
        break;
    case SqSeekOrigin::Current:
        base = m_pointer;
        break;
    case SqSeekOrigin::End:
        base = Len();
        break;
    }
    const int64_t target = base + offset;
    if (target < 0 || target > Len())
        return false;
    m_pointer = int32_t(target);
    return true;
}

bool SqBlob::Resize(int32_t size)
{
    if (size < 0)
        return false;
    m_bytes.resize(size_t(size), 0);
    m_pointer = std::min(m_pointer, size);
    return true;
}

void SqBlob::Swap2()
{
    for (size_t i = 0; i + 2 <= m_bytes.size(); i += 2)
        std::swap(m_bytes[i], m_bytes[i + 1]);
}

void SqBlob::Swap4()
{
    for (size_t i = 0; i + 4 <= m_bytes.size(); i += 4)
    {
        std::swap(m_bytes[i], m_bytes[i + 3]);
        std::swap(m_bytes[i + 1], m_bytes[i + 2]);
    }
}

int32_t SqSwap2(int32_t value)
{
    const uint16_t u = uint16_t(value);
    return int16_t(uint16_t((u >> 8) | (u << 8)));
}

int32_t SqSwap4(int32_t value)
{
    const uint32_t u = uint32_t(value);
    return int32_t((u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) | (u << 24));
}

float SqSwapFloat(float value)
{
    return SqCastIntToFloat(SqSwap4(SqCastFloatToInt(value)));
}

int32_t SqCastFloatToInt(float value)
{
    int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float SqCastIntToFloat(int32_t value)
{
    float real = 0;
    std::memcpy(&real, &value, sizeof real);
    return real;
}

#include "online/Composer.h"

#include "core/LogError.h"

#include <cstring>

void composer::Init(int32_t size)
{
    if (m_buffer)
        return;
    if (size < 0 || size > kMaxBytes)
    {
        LogError("Pendrel Save: a save buffer of %d bytes is out of range; it starts empty and grows\n", size);
        size = 0;
    }
    // One byte at least, so that an active composer always holds a buffer.
    m_buffer.reset(new char[size > 0 ? size : 1]);
    m_capacity = size;
    m_length = 0;
    m_active = 1;
}

bool composer::MakeRoom(int64_t needed)
{
    if (needed <= m_capacity)
        return true;
    if (needed > kMaxBytes)
        return false;
    int64_t capacity = m_capacity > 0 ? m_capacity : 64;
    while (capacity < needed)
        capacity *= 2;
    if (capacity > kMaxBytes)
        capacity = kMaxBytes;
    std::unique_ptr<char[]> grown(new char[static_cast<size_t>(capacity)]);
    memcpy(grown.get(), m_buffer.get(), static_cast<size_t>(m_length));
    m_buffer = std::move(grown);
    m_capacity = static_cast<int32_t>(capacity);
    return true;
}

void composer::AddToken(const char* key, const char* value)
{
    if (m_active != 1)
        return;
    const size_t keyLength = key ? strlen(key) : 0;
    const size_t valueLength = value ? strlen(value) : 0;
    if (!MakeRoom(int64_t(m_length) + int64_t(keyLength) + int64_t(valueLength) + 2))
    {
        LogError("Pendrel Save: the save text would pass %d bytes; the line \"%.32s\" is dropped\n", kMaxBytes,
                 key ? key : "");
        return;
    }
    char* out = m_buffer.get() + m_length;
    memcpy(out, key, keyLength);
    out[keyLength] = '\t';
    memcpy(out + keyLength + 1, value, valueLength);
    out[keyLength + 1 + valueLength] = '\n';
    m_length += static_cast<int32_t>(keyLength + valueLength + 2);
}

void composer::Free()
{
    m_buffer.reset();
    m_capacity = 0;
    m_length = 0;
    m_active = 0;
}

#include "opengl/ImageByteStream.h"

#include <cstring>

size_t MemoryByteSource::Read(void* buffer, size_t count)
{
    const size_t available = m_size - m_position;
    const size_t taken = count < available ? count : available;
    if (taken > 0)
        memcpy(buffer, m_bytes + m_position, taken);
    m_position += taken;
    return taken;
}

bool MemoryByteSink::Write(const void* bytes, size_t count)
{
    const uint8_t* first = static_cast<const uint8_t*>(bytes);
    m_bytes.insert(m_bytes.end(), first, first + count);
    return true;
}

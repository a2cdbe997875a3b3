#include "core/pd_ofstream.h"

#include "core/FileTable.h"
#include "core/pd_ifstream.h"

#include <cstring>
#include <sys/stat.h>

void CreateFoldersAlongPath(const char* path)
{
    FixedString256 folder;
    for (const char* slash = strchr(path, '/'); slash; slash = strchr(slash + 1, '/'))
    {
        const int length = static_cast<int>(slash - path);
        if (length == 0 || length >= FixedString256::kCapacity)
            continue;
        memcpy(folder.data(), path, length);
        folder.data()[length] = 0;
        mkdir(folder, 0777);
    }
}

pd_ofstream::pd_ofstream(const char* name, int swap, uint32_t flags) : m_swap(swap == 1 ? 1 : 0), m_name(name)
{
    char mode[4] = {};
    int length = 0;
    if (flags & kOutWrite)
        mode[length++] = 'w';
    if (flags & kOutBinary)
        mode[length++] = 'b';

    FixedString256 path(FileTableGetRoot());
    path.Append(name);
    if (path.Length() < FixedString256::kCapacity && length > 0)
    {
        m_file = fopen(path, mode);
        if (!m_file)
        {
            CreateFoldersAlongPath(path);
            m_file = fopen(path, mode);
        }
    }
    m_extension = FileExtensionOf(name);
}

pd_ofstream::~pd_ofstream()
{
    Close();
}

size_t pd_ofstream::Write(const void* bytes, size_t count)
{
    return m_file ? fwrite(bytes, 1, count, m_file) : 0;
}

bool pd_ofstream::WriteU8(uint8_t value)
{
    return Write(&value, 1) == 1;
}

bool pd_ofstream::WriteU16(uint16_t value)
{
    if (m_swap)
        value = static_cast<uint16_t>((value >> 8) | (value << 8));
    return Write(&value, 2) == 2;
}

bool pd_ofstream::WriteU32(uint32_t value)
{
    if (m_swap)
        value = __builtin_bswap32(value);
    return Write(&value, 4) == 4;
}

void pd_ofstream::WriteLinesReversed(const char* text)
{
    const size_t length = strlen(text);
    if (length < 3)
    {
        Write(text, length);
        return;
    }
    // Walk back from the end: each line runs from just after the previous
    // newline to its own newline inclusive.
    size_t end = length;
    while (end > 0)
    {
        size_t start = end - 1;
        while (start > 0 && text[start - 1] != '\n')
            --start;
        Write(text + start, end - start);
        end = start;
    }
}

void pd_ofstream::Flush()
{
    if (m_file)
        fflush(m_file);
}

void pd_ofstream::Close()
{
    if (m_file)
    {
        fclose(m_file);
        m_file = nullptr;
    }
}

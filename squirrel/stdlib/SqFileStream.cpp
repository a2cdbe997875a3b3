#include "SqFileStream.h"

#include <cstdint>
#include <initializer_list>
#include <limits>

SqFileStream* SqFileStream::Open(const char* path, const char* mode)
{
    FILE* handle = std::fopen(path, mode);
    if (!handle)
        return nullptr;
    return new SqFileStream(handle, true);
}

int32_t SqFileStream::Read(void* buffer, int32_t size)
{
    if (!m_handle || size <= 0)
        return 0;
    return int32_t(std::fread(buffer, 1, size_t(size), m_handle));
}

int32_t SqFileStream::Write(const void* buffer, int32_t size)
{
    if (!m_handle || size <= 0)
        return 0;
    return int32_t(std::fwrite(buffer, 1, size_t(size), m_handle));
}

bool SqFileStream::Flush()
{
    return m_handle && std::fflush(m_handle) == 0;
}

int32_t SqFileStream::Tell()
{
    if (!m_handle)
        return -1;
    const long position = std::ftell(m_handle);
    return position > std::numeric_limits<int32_t>::max() ? -1 : int32_t(position);
}

int32_t SqFileStream::Len()
{
    if (!m_handle)
        return -1;
    const long position = std::ftell(m_handle);
    if (position < 0 || std::fseek(m_handle, 0, SEEK_END) != 0)
        return -1;
    const long length = std::ftell(m_handle);
    std::fseek(m_handle, position, SEEK_SET);
    return length > std::numeric_limits<int32_t>::max() ? -1 : int32_t(length);
}

bool SqFileStream::Seek(int32_t offset, SqSeekOrigin origin)
{
    if (!m_handle)
        return false;
    int whence = SEEK_SET;
    if (origin == SqSeekOrigin::Current)
        whence = SEEK_CUR;
    else if (origin == SqSeekOrigin::End)
        whence = SEEK_END;
    return std::fseek(m_handle, offset, whence) == 0;
}

// A file is at its end when the position reaches the length; a pipe or terminal has neither, so there the last
// read decides.
bool SqFileStream::Eos()
{
    if (!m_handle)
        return true;
    const int32_t position = Tell();
    if (position < 0)
        return std::feof(m_handle) != 0;
    return position == Len();
}

void SqFileStream::Close()
{
    if (m_handle && m_owns)
    {
        std::fclose(m_handle);
        m_handle = nullptr;
        m_owns = false;
    }
}

bool SqReadWholeFile(const char* path, std::vector<char>* bytes)
{
    FILE* handle = std::fopen(path, "rb");
    if (!handle)
        return false;
    bytes->clear();
    char chunk[4096];
    size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, handle)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + count);
    const bool ok = std::ferror(handle) == 0;
    std::fclose(handle);
    return ok;
}

namespace
{

constexpr unsigned char kBytecodeTag[2] = {0xFA, 0xFA};

bool StartsWith(const std::vector<char>& bytes, std::initializer_list<unsigned char> prefix)
{
    if (bytes.size() < prefix.size())
        return false;
    size_t i = 0;
    for (const unsigned char b : prefix)
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    return true;
}

void AppendUtf8(std::string* text, uint32_t code)
{
    if (code < 0x80)
        text->push_back(char(code));
    else if (code < 0x800)
    {
        text->push_back(char(0xC0 | (code >> 6)));
        text->push_back(char(0x80 | (code & 0x3F)));
    }
    else
    {
        text->push_back(char(0xE0 | (code >> 12)));
        text->push_back(char(0x80 | ((code >> 6) & 0x3F)));
        text->push_back(char(0x80 | (code & 0x3F)));
    }
}

std::string NarrowUcs2(const std::vector<char>& bytes, bool bigEndian)
{
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    {
        const uint32_t first = static_cast<unsigned char>(bytes[i]);
        const uint32_t second = static_cast<unsigned char>(bytes[i + 1]);
        AppendUtf8(&text, bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

} // namespace

SqScriptKind SqClassifyScript(const std::vector<char>& bytes)
{
    return StartsWith(bytes, {kBytecodeTag[0], kBytecodeTag[1]}) ? SqScriptKind::Bytecode
                                                                 : SqScriptKind::Source;
}

std::string SqScriptText(const std::vector<char>& bytes)
{
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return std::string(bytes.begin() + 3, bytes.end());
    if (StartsWith(bytes, {0xFF, 0xFE}))
        return NarrowUcs2(bytes, false);
    if (StartsWith(bytes, {0xFE, 0xFF}))
        return NarrowUcs2(bytes, true);
    return std::string(bytes.begin(), bytes.end());
}

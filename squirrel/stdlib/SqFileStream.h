#pragma once
// The file class's stream over a C file handle; stdin, stdout and stderr are wrapped without ownership.

#include "SqStream.h"

#include <cstdio>
#include <string>
#include <vector>

class SqFileStream final : public SqStream
{
public:
    SqFileStream(FILE* handle, bool owns) : m_handle(handle), m_owns(owns) {}
    ~SqFileStream() override { Close(); }
    SqFileStream(const SqFileStream&) = delete;
    SqFileStream& operator=(const SqFileStream&) = delete;

    // Null when fopen refuses the path or the mode.
    static SqFileStream* Open(const char* path, const char* mode);

    int32_t Read(void* buffer, int32_t size) override;
    int32_t Write(const void* buffer, int32_t size) override;
    bool Flush() override;
    int32_t Tell() override;
    int32_t Len() override;
    bool Seek(int32_t offset, SqSeekOrigin origin) override;
    bool IsValid() const override { return m_handle != nullptr; }
    bool Eos() override;
    // Closes an owned handle; a borrowed one (the standard streams) stays open.
    void Close() override;

    FILE* Handle() const { return m_handle; }

private:
    FILE* m_handle;
    bool m_owns;
};

// How loadfile reads a script: compiled bytecode (starting with the 0xFAFA tag) or source text, with a
// UTF-8 byte order mark dropped and UCS-2 text (either byte order, with its mark) narrowed to UTF-8.
enum class SqScriptKind
{
    Source,
    Bytecode
};

bool SqReadWholeFile(const char* path, std::vector<char>* bytes);
SqScriptKind SqClassifyScript(const std::vector<char>& bytes);
std::string SqScriptText(const std::vector<char>& bytes);

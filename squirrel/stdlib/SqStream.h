#pragma once
// The stream behind the blob and file classes: both share the readn/writen/readblob/seek surface.

#include <cstdint>

enum class SqSeekOrigin
{
    Begin,   // 'b'
    Current, // 'c'
    End      // 'e'
};

class SqStream
{
public:
    virtual ~SqStream() = default;

    // Both return the number of bytes moved; a negative size moves nothing.
    virtual int32_t Read(void* buffer, int32_t size) = 0;
    virtual int32_t Write(const void* buffer, int32_t size) = 0;
    virtual bool Flush() = 0;
    virtual int32_t Tell() = 0;
    // -1 when the stream cannot tell its length.
    virtual int32_t Len() = 0;
    virtual bool Seek(int32_t offset, SqSeekOrigin origin) = 0;
    virtual bool IsValid() const = 0;
    virtual bool Eos() = 0;
    virtual void Close() {}
};

// Maps the script's 'b', 'c' and 'e'; false for any other letter.
bool SqSeekOriginFromLetter(int32_t letter, SqSeekOrigin* origin);

// A number for readn/writen: the type letter decides whether the integer or the float half counts.
struct SqStreamNumber
{
    bool isFloat = false;
    int32_t integer = 0;
    float real = 0;
};

enum class SqStreamResult
{
    Ok,
    InvalidFormat,
    IoError
};

// 'l' and 'i' are 32 bits (our integers are 32 bits), 's'/'w' 16 bits signed/unsigned, 'c'/'b' 8 bits
// signed/unsigned, 'f' a 32-bit float, 'd' a 64-bit float narrowed to our float. Bytes are little-endian.
SqStreamResult SqStreamReadNumber(SqStream& stream, int32_t type, SqStreamNumber* number);
// Takes the integer half for integer types and the float half for float types.
SqStreamResult SqStreamWriteNumber(SqStream& stream, int32_t type, const SqStreamNumber& number);

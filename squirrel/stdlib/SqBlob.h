#pragma once
// The blob: a growable byte buffer read and written through one pointer, like a file in memory.

#include "SqStream.h"

#include <cstdint>
#include <vector>

class SqBlob final : public SqStream
{
public:
    // A blob of `size` zero bytes with the pointer at 0; a negative size makes an empty blob.
    explicit SqBlob(int32_t size);

    int32_t Read(void* buffer, int32_t size) override;
    // Writing past the end grows the blob.
    int32_t Write(const void* buffer, int32_t size) override;
    bool Flush() override { return true; }
    int32_t Tell() override { return m_pointer; }
    int32_t Len() override { return Size(); }
    // Positions outside [0, Len()] are refused and leave the pointer where it was.
    bool Seek(int32_t offset, SqSeekOrigin origin) override;
    bool IsValid() const override { return true; }
    bool Eos() override { return m_pointer >= Len(); }

    // New bytes are zero; the pointer is pulled back inside a shrunk blob.
    bool Resize(int32_t size);
    // Reverses the bytes of each whole 16-bit or 32-bit unit; a trailing partial unit is left alone.
    void Swap2();
    void Swap4();

    int32_t Size() const { return int32_t(m_bytes.size()); }
    // Never null, even for an empty blob, so callers can tell a payload from a failure.
    uint8_t* Data() { return m_bytes.data(); }
    const uint8_t* Data() const { return m_bytes.data(); }

private:
    std::vector<uint8_t> m_bytes;
    int32_t m_pointer = 0;
};

// The script globals swap2, swap4, swapfloat, castf2i and casti2f.
int32_t SqSwap2(int32_t value);
int32_t SqSwap4(int32_t value);
float SqSwapFloat(float value);
int32_t SqCastFloatToInt(float value);
float SqCastIntToFloat(int32_t value);

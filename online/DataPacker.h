#pragma once
// The bit stream every network message and datagram is built in and read
// from: a cursor over a byte buffer somebody else owns. Bit n of the stream
// is bit (n mod 8) of byte n / 8, least significant first; multi-byte values
// go out in memory (little-endian) order, integers and floats always 32 bits.
//
// The stream keeps within the size it was attached with: a write past the end
// is dropped, a read past the end yields zero bits, and either raises the
// overrun flag so a reader can refuse a damaged message.

#include "core/Vec3.h"

#include <cstdint>

class DataPacker
{
public:
    static constexpr int kMaxStringLength = 255;

    void Attach(void* buffer, int sizeBytes);
    void Rewind();
    int GetBitPos() const { return m_bitPos; }
    void SetBitPos(int bitPos);
    int ByteSize() const { return m_bitPos / 8 + ((m_bitPos % 8) != 0 ? 1 : 0); }
    int SizeBytes() const { return m_sizeBytes; }
    uint8_t* Buffer() const { return m_buffer; }
    // Bytes from the position to the end of the buffer (whole bytes only).
    int BytesLeft() const;
    bool IsOverrun() const { return m_overrun; }

    void WriteBit(uint8_t value);
    uint8_t ReadBit();
    void WriteBits(const void* source, int bitCount, int firstSourceBit);
    void ReadBits(void* destination, int firstDestinationBit, int bitCount);
    void WriteBytes(const void* source, int count, int sourceOffset = 0);
    void ReadBytes(void* destination, int count);

    // The bit count is accepted for the callers' sake; the stream always
    // carries 32 bits.
    void WriteInt(int32_t value, int bitCount = 32);
    int32_t ReadInt(int bitCount = 32);
    void WriteFloat(float value, int bitCount = 32);
    float ReadFloat(int bitCount = 32);
    void WriteVec3(const Vec3& value);
    void ReadVec3(Vec3& value);

    // At most 255 characters go out, as a 32-bit length and the bytes. A
    // length outside 0..255 or past the end reads as an empty string and
    // raises the overrun flag. The output holds at least 256 bytes.
    void WriteString(const char* text);
    void ReadString(char* text);

private:
    bool HasBits(int count) const { return m_bitPos >= 0 && count <= m_sizeBytes * 8 - m_bitPos; }

    uint8_t* m_buffer = nullptr;
    int32_t m_sizeBytes = 0;
    int32_t m_bitPos = 0;
    bool m_overrun = false;
};

#include "online/DataPacker.h"

#include <cstring>

namespace
{
bool IsAligned(int a, int b)
{
    return (a % 8) == 0 && (b % 8) == 0;
}
} // namespace

void DataPacker::Attach(void* buffer, int sizeBytes)
{
    m_buffer = static_cast<uint8_t*>(buffer);
    m_sizeBytes = buffer && sizeBytes > 0 ? sizeBytes : 0;
    m_bitPos = 0;
    m_overrun = false;
}

void DataPacker::Rewind()
{
    m_bitPos = 0;
    m_overrun = false;
}

void DataPacker::SetBitPos(int bitPos)
{
    if (bitPos < 0 || bitPos > m_sizeBytes * 8)
    {
        m_overrun = true;
        bitPos = bitPos < 0 ? 0 : m_sizeBytes * 8;
    }
    m_bitPos = bitPos;
}

int DataPacker::BytesLeft() const
{
    return m_sizeBytes - ByteSize();
}

void DataPacker::WriteBit(uint8_t value)
{
    if (!HasBits(1))
    {
        m_overrun = true;
        return;
    }
    uint8_t& byte = m_buffer[m_bitPos / 8];
    const int shift = m_bitPos % 8;
    byte = static_cast<uint8_t>((byte & ~(1u << shift)) | ((value & 1u) << shift));
    ++m_bitPos;
}

uint8_t DataPacker::ReadBit()
{
    if (!HasBits(1))
    {
        m_overrun = true;
        return 0;
    }
    const uint8_t bit = (m_buffer[m_bitPos / 8] >> (m_bitPos % 8)) & 1u;
    ++m_bitPos;
    return bit;
}

void DataPacker::WriteBits(const void* source, int bitCount, int firstSourceBit)
{
    if (bitCount <= 0 || firstSourceBit < 0)
        return;
    if (!HasBits(bitCount))
    {
        // Nothing partial: a message that does not fit is refused whole.
        m_overrun = true;
        return;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(source);
    if (IsAligned(m_bitPos, firstSourceBit) && (bitCount % 8) == 0)
    {
        memcpy(m_buffer + m_bitPos / 8, bytes + firstSourceBit / 8, static_cast<size_t>(bitCount / 8));
        m_bitPos += bitCount;
        return;
    }
    for (int i = firstSourceBit; i < firstSourceBit + bitCount; ++i)
        WriteBit((bytes[i / 8] >> (i % 8)) & 1u);
}

void DataPacker::ReadBits(void* destination, int firstDestinationBit, int bitCount)
{
    if (bitCount <= 0 || firstDestinationBit < 0)
        return;
    uint8_t* bytes = static_cast<uint8_t*>(destination);
    if (!HasBits(bitCount))
    {
        // Past the end the stream reads zeros, and stays where it is.
        m_overrun = true;
        for (int j = 0; j < bitCount; ++j)
        {
            const int bit = firstDestinationBit + j;
            bytes[bit / 8] = static_cast<uint8_t>(bytes[bit / 8] & ~(1u << (bit % 8)));
        }
        return;
    }
    if (IsAligned(m_bitPos, firstDestinationBit) && (bitCount % 8) == 0)
    {
        memcpy(bytes + firstDestinationBit / 8, m_buffer + m_bitPos / 8, static_cast<size_t>(bitCount / 8));
        m_bitPos += bitCount;
        return;
    }
    for (int j = 0; j < bitCount; ++j)
    {
        const int bit = firstDestinationBit + j;
        const uint8_t value = ReadBit();
        uint8_t& byte = bytes[bit / 8];
        byte = static_cast<uint8_t>((byte & ~(1u << (bit % 8))) | (value << (bit % 8)));
    }
}

void DataPacker::WriteBytes(const void* source, int count, int sourceOffset)
{
    WriteBits(source, count * 8, sourceOffset * 8);
}

void DataPacker::ReadBytes(void* destination, int count)
{
    if (count < 1)
        return;
    ReadBits(destination, 0, count * 8);
}

void DataPacker::WriteInt(int32_t value, int)
{
    uint8_t bytes[4];
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    WriteBytes(bytes, 4);
}

int32_t DataPacker::ReadInt(int)
{
    uint8_t bytes[4] = {};
    ReadBytes(bytes, 4);
    const uint32_t bits =
        bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return static_cast<int32_t>(bits);
}

void DataPacker::WriteFloat(float value, int bitCount)
{
    int32_t bits;
    memcpy(&bits, &value, sizeof bits);
    WriteInt(bits, bitCount);
}

float DataPacker::ReadFloat(int bitCount)
{
    const int32_t bits = ReadInt(bitCount);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

void DataPacker::WriteVec3(const Vec3& value)
{
    WriteFloat(value.x);
    WriteFloat(value.y);
    WriteFloat(value.z);
}

void DataPacker::ReadVec3(Vec3& value)
{
    value.x = ReadFloat();
    value.y = ReadFloat();
    value.z = ReadFloat();
}

void DataPacker::WriteString(const char* text)
{
    const int length = text ? static_cast<int>(strnlen(text, kMaxStringLength)) : 0;
    WriteInt(length);
    WriteBytes(text, length);
}

void DataPacker::ReadString(char* text)
{
    const int length = ReadInt();
    text[0] = 0;
    if (m_overrun)
        return;
    if (length < 0 || length > kMaxStringLength || length > BytesLeft())
    {
        m_overrun = true;
        return;
    }
    ReadBytes(text, length);
    text[length] = 0;
}

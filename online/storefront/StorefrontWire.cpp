#include "online/storefront/StorefrontWire.h"

#include <cstring>
#include <zlib.h>

namespace
{
constexpr uint8_t kWireMagic[4] = {'P', 'D', 'P', '2'};
constexpr size_t kChecksumAt = 14;

// The checksum covers the header before it and the bytes after it.
uint32_t WireChecksum(const uint8_t* bytes, size_t size)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, bytes, kChecksumAt);
    crc = crc32(crc, bytes + kStorefrontWireHeaderBytes, static_cast<uInt>(size - kStorefrontWireHeaderBytes));
    return static_cast<uint32_t>(crc);
}
} // namespace

size_t StorefrontWireFrame(uint64_t sender, uint16_t port, const void* payload, size_t size, uint8_t* out)
{
    memcpy(out, kWireMagic, 4);
    for (int i = 0; i < 8; ++i)
        out[4 + i] = static_cast<uint8_t>(sender >> (8 * i));
    out[12] = static_cast<uint8_t>(port & 0xFF);
    out[13] = static_cast<uint8_t>(port >> 8);
    if (size > 0)
        memcpy(out + kStorefrontWireHeaderBytes, payload, size);
    const size_t total = kStorefrontWireHeaderBytes + size;
    const uint32_t checksum = WireChecksum(out, total);
    for (int i = 0; i < 4; ++i)
        out[kChecksumAt + i] = static_cast<uint8_t>(checksum >> (8 * i));
    return total;
}

bool StorefrontWireOpen(const uint8_t* bytes, size_t size, uint64_t& sender, const uint8_t*& payload,
                        size_t& payloadSize)
{
    if (!bytes || size < kStorefrontWireHeaderBytes || memcmp(bytes, kWireMagic, 4) != 0)
        return false;
    uint32_t checksum = 0;
    for (int i = 0; i < 4; ++i)
        checksum |= static_cast<uint32_t>(bytes[kChecksumAt + i]) << (8 * i);
    if (checksum != WireChecksum(bytes, size))
        return false;
    sender = 0;
    for (int i = 0; i < 8; ++i)
        sender |= static_cast<uint64_t>(bytes[4 + i]) << (8 * i);
    payload = bytes + kStorefrontWireHeaderBytes;
    payloadSize = size - kStorefrontWireHeaderBytes;
    return true;
}

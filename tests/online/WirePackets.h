#pragma once
// Builds and reads channel datagrams by hand, to feed a connection exact
// bytes and to see exactly what it sends.

#include "online/DataPacker.h"

#include <cstdint>
#include <vector>

struct WirePacket
{
    int flags;
    int32_t stamp;
    int32_t sequence;
    std::vector<uint8_t> payload;

    bool IsReliable() const { return (flags & 1) != 0; }
    int ControlType() const { return (flags >> 1) & 31; }
    int32_t Number() const
    {
        return payload.size() >= 4
                   ? static_cast<int32_t>(payload[0] | (payload[1] << 8) | (payload[2] << 16) |
                                          (static_cast<uint32_t>(payload[3]) << 24))
                   : -1;
    }
};

inline WirePacket Reliable(int16_t stamp, int32_t sequence, std::vector<uint8_t> payload)
{
    return {1, stamp, sequence, std::move(payload)};
}

inline WirePacket Control(int16_t stamp, int type, int32_t sequence, std::vector<uint8_t> payload = {})
{
    return {type << 1, stamp, sequence, std::move(payload)};
}

inline std::vector<uint8_t> Number(int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 24)};
}

inline std::vector<uint8_t> BuildDatagram(const std::vector<WirePacket>& packets)
{
    std::vector<uint8_t> bytes(4096);
    DataPacker stream;
    stream.Attach(bytes.data(), static_cast<int>(bytes.size()));
    stream.WriteInt(static_cast<int32_t>(packets.size()));
    for (const WirePacket& packet : packets)
    {
        stream.WriteInt(12 + static_cast<int32_t>(packet.payload.size()));
        const uint8_t flags[4] = {static_cast<uint8_t>(packet.flags), 0, 0, 0};
        stream.WriteBytes(flags, 4);
        stream.WriteInt(packet.stamp);
        stream.WriteInt(packet.sequence);
        stream.WriteBytes(packet.payload.data(), static_cast<int>(packet.payload.size()));
    }
    bytes.resize(static_cast<size_t>(stream.ByteSize()));
    return bytes;
}

inline std::vector<WirePacket> ParseDatagram(const uint8_t* bytes, int length)
{
    std::vector<WirePacket> packets;
    DataPacker stream;
    stream.Attach(const_cast<uint8_t*>(bytes), length);
    const int32_t count = stream.ReadInt();
    for (int32_t i = 0; i < count && !stream.IsOverrun(); ++i)
    {
        const int32_t packetLength = stream.ReadInt();
        uint8_t flags[4];
        stream.ReadBytes(flags, 4);
        WirePacket packet;
        packet.flags = flags[0];
        packet.stamp = stream.ReadInt();
        packet.sequence = stream.ReadInt();
        packet.payload.resize(static_cast<size_t>(packetLength > 12 ? packetLength - 12 : 0));
        stream.ReadBytes(packet.payload.data(), static_cast<int>(packet.payload.size()));
        packets.push_back(packet);
    }
    return packets;
}

#pragma once
// The storefront's framing of one peer datagram on the wire: "PDP2", the
// sender's 64-bit id, the receiver's port (so a relay can forward it), a
// CRC-32 over everything else, then the game's bytes untouched. A datagram
// damaged in flight fails the check and is dropped here, below the game's
// channel, which sends again what it lacks.

#include <cstddef>
#include <cstdint>

constexpr size_t kStorefrontWireHeaderBytes = 18;

// Writes the framed datagram into `out`, which holds at least
// kStorefrontWireHeaderBytes + size bytes; returns the bytes written.
size_t StorefrontWireFrame(uint64_t sender, uint16_t port, const void* payload, size_t size, uint8_t* out);

// True when the bytes are one whole, undamaged framed datagram; then the
// sender and the game's bytes (inside `bytes`) are given back.
bool StorefrontWireOpen(const uint8_t* bytes, size_t size, uint64_t& sender, const uint8_t*& payload,
                        size_t& payloadSize);

#pragma once
// The local storefront's peer datagrams: one non-blocking UDP socket on
// 127.0.0.1 per signed-in user, its port in users/NAME/endpoint, no thread.
// Every datagram on the wire starts with "PDP1", the sender's 64-bit id and
// the receiver's port (so a relay can forward it); PENDREL_PLATFORM_RELAY=port
// sends everything through a relay on that port. The pump reads the socket
// and checks the liveness of the peers in session.

#include <cstddef>
#include <cstdint>

bool StorefrontLinkOpen();
void StorefrontLinkClose();
void StorefrontLinkPump();

// One datagram as read from the socket: checked, then queued for the game or
// held until the game accepts its sender.
void StorefrontLinkTakeWire(const uint8_t* bytes, size_t size);

constexpr int kStorefrontWireHeaderBytes = 14;

#pragma once
// The storefront's peer datagrams: one non-blocking UDP socket per signed-in
// user, no thread. It binds to PENDREL_PLATFORM_ADDRESS (by default 127.0.0.1
// on the folder, every address on a server) and publishes the address and
// port peers send to: in users/NAME/endpoint, or in the player's record on
// the server. Peers send to each other directly.
// Every datagram is framed and checked as StorefrontWire says;
// PENDREL_PLATFORM_RELAY=port sends everything through a relay on that port.
// The pump reads the socket and checks the liveness of the peers in session.

#include "online/storefront/StorefrontWire.h"

#include <cstddef>
#include <cstdint>

bool StorefrontLinkOpen();
void StorefrontLinkClose();
void StorefrontLinkPump();

// One datagram as read from the socket: checked (a damaged one is dropped),
// then queued for the game or held until the game accepts its sender.
void StorefrontLinkTakeWire(const uint8_t* bytes, size_t size);

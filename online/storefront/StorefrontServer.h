#pragma once
// The storefront's services on a Redis server, chosen with
// PENDREL_PLATFORM=redis://[USER:PASSWORD@]HOST:PORT[/DB]. Every key starts
// with "pendrel:". A player's own keys are "pendrel:user:NAME:..." (its
// record, presence, statistics and cloud files), which the server's access
// rules let only that player write; lobbies, leaderboards, invitations and
// the id counters are shared.

#include "online/storefront/RedisConnection.h"

#include <string>

// True when PENDREL_PLATFORM names a server.
bool StorefrontWantsServer();
// Connects to the server PENDREL_PLATFORM names; false (reported) when it cannot.
bool StorefrontServerOpen();
void StorefrontServerClose();
// True between a successful open and the close.
bool StorefrontOnServer();
RedisConnection& StorefrontServer();
// True while on a server that cannot be reached now.
bool StorefrontServerIsDown();

// "pendrel:user:NAME:PART", a key only that player writes.
std::string StorefrontUserKey(const char* name, const char* part);
// Player names on the server are letters, digits, '_', '-' and '.', so that
// no name's keys fall under another's.
bool IsServerUserName(const char* name);

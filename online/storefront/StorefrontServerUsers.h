#pragma once
// Users on the storefront's server: a record per player (id, name, the
// address and port its datagrams reach), a presence key that lives ten
// seconds unless the player's process renews it, and the shared table from
// ids to names. Ids come from a shared counter at a player's first sign-in.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Takes the player's presence (false when another process holds it) and its id.
bool ServerSignIn(const char* name, uint64_t firstId, uint64_t& id);
void ServerSignOut(const char* name);
// Renews the presence every two seconds.
void ServerUserPump(const char* name);
bool ServerUserIsLive(const char* name);
bool ServerFindUserById(uint64_t id, std::string& name);
bool ServerFindUserByName(const char* name, uint64_t& id);
// Every player of the server, at most a bounded count.
std::vector<std::pair<std::string, uint64_t>> ServerAllUsers();

bool ServerPublishEndpoint(const char* name, const std::string& address, uint16_t port);
enum class EndpointAnswer
{
    Found,
    Gone,        // the player is not signed in, or has no endpoint
    Unreachable, // the server did not answer: what was known still holds
};
EndpointAnswer ServerReadEndpoint(const char* name, std::string& address, uint16_t& port);

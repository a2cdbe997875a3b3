#pragma once
// Lobbies on the storefront's server: each lobby is the text of its lobby
// file under "pendrel:lobby:ID", living ten seconds unless its owner renews
// it, so the lobby of an owner that vanished goes by itself; the set
// "pendrel:lobbies" names them for listing. A change reads, edits and writes
// a lobby in one transaction that starts over when another player changed
// it in between.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

enum class LobbyEdit
{
    Refuse, // nothing is written, the change fails
    Keep,   // nothing to write, the change holds
    Write,
    Remove,
};

bool ServerTakeLobbyId(uint64_t firstId, uint64_t& id);
bool ServerCreateLobby(uint64_t id, const std::string& text);
// False when the lobby is missing or the server did not answer.
bool ServerReadLobby(uint64_t id, std::string& text, size_t maxBytes);
// The edit gets the lobby's text and leaves the new text in its second argument.
bool ServerChangeLobby(uint64_t id, size_t maxBytes,
                       const std::function<LobbyEdit(const std::string&, std::string&)>& edit);
// Every lobby's text, in id order; lobbies that expired leave the set.
std::vector<std::pair<uint64_t, std::string>> ServerAllLobbies(size_t maxBytes);
void ServerRenewLobby(uint64_t id);
// Which of the named players are signed in, in one round trip.
std::vector<bool> ServerUsersLive(const std::vector<std::string>& names);

bool ServerInvite(const char* invitee, uint64_t lobby, uint64_t from);
// The invitations waiting for the player, taken off the server: lobby, inviter.
std::vector<std::pair<uint64_t, uint64_t>> ServerTakeInvites(const char* name);

#pragma once
// The storefront's link to its Redis server: one blocking connection with
// short timeouts, opened from a redis://[USER:PASSWORD@]HOST:PORT[/DB] address.
// A lost connection is reported once and tried again at most every two
// seconds; until then every command fails at once, so a frame never waits
// long on a server that has gone. Replies are bounded before they are used.

#include <hiredis/hiredis.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct RedisReplyFree
{
    void operator()(redisReply* reply) const;
};
using RedisReply = std::unique_ptr<redisReply, RedisReplyFree>;
using RedisCommand = std::vector<std::string>;

struct RedisAddress
{
    std::string user;
    std::string password;
    std::string host;
    int port = 0;
    int database = 0;
};

// False for an address that does not have that shape.
bool ParseRedisAddress(const char* text, RedisAddress& address);

class RedisConnection
{
public:
    RedisConnection() = default;
    ~RedisConnection() { Close(); }
    RedisConnection(const RedisConnection&) = delete;
    RedisConnection& operator=(const RedisConnection&) = delete;

    bool Open(const RedisAddress& address);
    void Close();
    // True while the last command reached the server.
    bool IsUp() const { return m_context != nullptr; }

    // The reply to one command; null when the server could not answer or
    // answered an error (both reported).
    RedisReply Run(const RedisCommand& command);
    // Several commands in one round trip; empty when any could not be run.
    std::vector<RedisReply> RunAll(const std::vector<RedisCommand>& commands);
    // Runs the commands inside MULTI/EXEC: the replies of the commands, or
    // empty when the transaction did not run (a watched key changed: aborted
    // is then true).
    std::vector<RedisReply> RunAtomically(const std::vector<RedisCommand>& commands, bool* aborted = nullptr);

    // Lets the next command try to reconnect at once, as when signing out.
    void RetryNow() { m_lastAttempt = 0; }

    // This side's address of the connection, as text; empty when closed.
    std::string LocalAddress() const;

private:
    bool Connect();
    bool EnsureConnected();
    void Lose(const char* why);
    bool Checked(const RedisReply& reply, const RedisCommand& command);

    RedisAddress m_address;
    redisContext* m_context = nullptr;
    uint64_t m_lastAttempt = 0;
    bool m_lossReported = false;
};

// The reply's text when it is a string of at most maxBytes; false otherwise.
bool RedisText(const redisReply* reply, size_t maxBytes, std::string& text);
// The reply's integer (also from a decimal string).
bool RedisInteger(const redisReply* reply, long long& value);
// True for an array of at most maxElements elements.
bool RedisIsArray(const redisReply* reply, size_t maxElements);

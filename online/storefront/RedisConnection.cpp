#include "online/storefront/RedisConnection.h"

#include "core/Clock.h"
#include "core/LogError.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

namespace
{
constexpr uint64_t kRetryMicroseconds = 2000000;
constexpr long kConnectMicroseconds = 500000;
constexpr long kCommandMicroseconds = 1000000;
constexpr size_t kMaxReportedErrorLength = 200;

bool ParseNumber(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = atoi(text.c_str());
    return value >= low && value <= high;
}

timeval Microseconds(long microseconds)
{
    return {microseconds / 1000000, microseconds % 1000000};
}

bool IsWanted(const redisReply* reply)
{
    return reply && reply->type != REDIS_REPLY_ERROR;
}
} // namespace

void RedisReplyFree::operator()(redisReply* reply) const
{
    if (reply)
        freeReplyObject(reply);
}

bool ParseRedisAddress(const char* text, RedisAddress& address)
{
    address = RedisAddress();
    const std::string scheme = "redis://";
    std::string rest = text ? text : "";
    if (rest.compare(0, scheme.size(), scheme) != 0)
        return false;
    rest.erase(0, scheme.size());
    if (const size_t at = rest.rfind('@'); at != std::string::npos)
    {
        const std::string credentials = rest.substr(0, at);
        const size_t colon = credentials.find(':');
        if (colon == std::string::npos || colon == 0)
            return false;
        address.user = credentials.substr(0, colon);
        address.password = credentials.substr(colon + 1);
        rest.erase(0, at + 1);
    }
    if (const size_t slash = rest.find('/'); slash != std::string::npos)
    {
        if (!ParseNumber(rest.substr(slash + 1), 0, 15, address.database))
            return false;
        rest.erase(slash);
    }
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || !ParseNumber(rest.substr(colon + 1), 1, 65535, address.port))
        return false;
    address.host = rest.substr(0, colon);
    return true;
}

bool RedisText(const redisReply* reply, size_t maxBytes, std::string& text)
{
    if (!reply || (reply->type != REDIS_REPLY_STRING && reply->type != REDIS_REPLY_STATUS) ||
        static_cast<size_t>(reply->len) > maxBytes)
        return false;
    text.assign(reply->str, static_cast<size_t>(reply->len));
    return true;
}

bool RedisInteger(const redisReply* reply, long long& value)
{
    if (reply && reply->type == REDIS_REPLY_INTEGER)
    {
        value = reply->integer;
        return true;
    }
    std::string text;
    if (!RedisText(reply, 24, text) || text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == 0;
}

bool RedisIsArray(const redisReply* reply, size_t maxElements)
{
    return reply && reply->type == REDIS_REPLY_ARRAY && reply->elements <= maxElements;
}

bool RedisConnection::Open(const RedisAddress& address)
{
    Close();
    m_address = address;
    m_lossReported = true; // the first failure is the caller's to report
    return Connect();
}

void RedisConnection::Close()
{
    if (m_context)
        redisFree(m_context);
    m_context = nullptr;
    m_lastAttempt = 0;
    m_lossReported = false;
}

bool RedisConnection::Connect()
{
    m_lastAttempt = ClockNow();
    m_context = redisConnectWithTimeout(m_address.host.c_str(), m_address.port, Microseconds(kConnectMicroseconds));
    if (!m_context || m_context->err)
    {
        if (!m_lossReported)
            LogError("Pendrel Platform cannot reach its server %s:%d: %s\n", m_address.host.c_str(),
                     m_address.port, m_context ? m_context->errstr : "no memory");
        m_lossReported = true;
        if (m_context)
            redisFree(m_context);
        m_context = nullptr;
        return false;
    }
    redisSetTimeout(m_context, Microseconds(kCommandMicroseconds));
    std::vector<RedisCommand> hello;
    if (!m_address.user.empty())
        hello.push_back({"AUTH", m_address.user, m_address.password});
    hello.push_back({"SELECT", std::to_string(m_address.database)});
    hello.push_back({"PING"});
    const std::vector<RedisReply> replies = RunAll(hello);
    if (replies.empty())
    {
        Lose("the server refused the sign-in");
        return false;
    }
    if (m_lossReported)
        LogError("Pendrel Platform reached its server %s:%d\n", m_address.host.c_str(), m_address.port);
    m_lossReported = false;
    return true;
}

bool RedisConnection::EnsureConnected()
{
    if (m_context)
        return true;
    if (m_address.host.empty() || ClockNow() - m_lastAttempt < kRetryMicroseconds)
        return false;
    return Connect();
}

void RedisConnection::Lose(const char* why)
{
    if (!m_lossReported)
        LogError("Pendrel Platform lost its server %s:%d (%s); online services fail until it is back\n",
                 m_address.host.c_str(), m_address.port, why);
    m_lossReported = true;
    if (m_context)
        redisFree(m_context);
    m_context = nullptr;
}

bool RedisConnection::Checked(const RedisReply& reply, const RedisCommand& command)
{
    if (!reply)
    {
        Lose(m_context && m_context->errstr[0] ? m_context->errstr : "no answer");
        return false;
    }
    if (reply->type == REDIS_REPLY_ERROR)
    {
        const std::string error(reply->str, std::min(static_cast<size_t>(reply->len), kMaxReportedErrorLength));
        LogError("Pendrel Platform: the server refused %s: %s\n", command.empty() ? "" : command[0].c_str(),
                 error.c_str());
        return false;
    }
    return true;
}

RedisReply RedisConnection::Run(const RedisCommand& command)
{
    std::vector<RedisReply> replies = RunAll({command});
    return replies.empty() ? RedisReply() : std::move(replies.front());
}

std::vector<RedisReply> RedisConnection::RunAll(const std::vector<RedisCommand>& commands)
{
    std::vector<RedisReply> replies;
    if (!EnsureConnected())
        return replies;
    for (const RedisCommand& command : commands)
    {
        std::vector<const char*> words;
        std::vector<size_t> lengths;
        for (const std::string& word : command)
        {
            words.push_back(word.data());
            lengths.push_back(word.size());
        }
        redisAppendCommandArgv(m_context, static_cast<int>(words.size()), words.data(), lengths.data());
    }
    bool allWanted = true;
    for (const RedisCommand& command : commands)
    {
        void* raw = nullptr;
        if (redisGetReply(m_context, &raw) != REDIS_OK)
        {
            Lose(m_context->errstr[0] ? m_context->errstr : "no answer");
            return {};
        }
        RedisReply reply(static_cast<redisReply*>(raw));
        allWanted = Checked(reply, command) && allWanted;
        replies.push_back(std::move(reply));
    }
    if (!allWanted)
        replies.clear();
    return replies;
}

std::vector<RedisReply> RedisConnection::RunAtomically(const std::vector<RedisCommand>& commands, bool* aborted)
{
    if (aborted)
        *aborted = false;
    std::vector<RedisCommand> wrapped = {{"MULTI"}};
    wrapped.insert(wrapped.end(), commands.begin(), commands.end());
    wrapped.push_back({"EXEC"});
    std::vector<RedisReply> replies = RunAll(wrapped);
    // EXEC went with the commands: a refused one has already ended the transaction.
    if (replies.empty())
        return {};
    redisReply* exec = replies.back().get();
    if (exec->type == REDIS_REPLY_NIL)
    {
        if (aborted)
            *aborted = true;
        return {};
    }
    std::vector<RedisReply> results;
    if (!RedisIsArray(exec, commands.size()) || exec->elements != commands.size())
        return results;
    for (size_t i = 0; i < exec->elements; ++i)
    {
        if (!IsWanted(exec->element[i]))
        {
            LogError("Pendrel Platform: the server refused %s inside a transaction: %.200s\n",
                     commands[i][0].c_str(), exec->element[i]->str);
            return {};
        }
    }
    // The elements stay owned by the EXEC reply: hand out copies as their own replies.
    for (size_t i = 0; i < exec->elements; ++i)
    {
        redisReply* element = exec->element[i];
        exec->element[i] = nullptr;
        results.emplace_back(element);
    }
    return results;
}

std::string RedisConnection::LocalAddress() const
{
    if (!m_context)
        return "";
    sockaddr_in address = {};
    socklen_t length = sizeof address;
    char text[INET_ADDRSTRLEN] = {};
    if (getsockname(m_context->fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.sin_family != AF_INET || !inet_ntop(AF_INET, &address.sin_addr, text, sizeof text))
        return "";
    return text;
}

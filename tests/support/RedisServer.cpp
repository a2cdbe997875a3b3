#include "support/RedisServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace
{
constexpr auto kStartDeadline = std::chrono::seconds(20);
const char* kAdminPassword = "admin-pw";

int FreePort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(probe);
    return bound ? ntohs(address.sin_port) : 0;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// True once the log shows the given count of starts.
bool LogShowsStarts(const std::string& log, int starts)
{
    const std::string text = ReadAll(log);
    int seen = 0;
    for (size_t at = text.find("Ready to accept connections"); at != std::string::npos;
         at = text.find("Ready to accept connections", at + 1))
        ++seen;
    return seen >= starts;
}
} // namespace

RedisServer::~RedisServer()
{
    Kill();
}

bool RedisServer::Start(const std::string& sourceDir, const std::string& folder,
                        const std::vector<std::string>& players)
{
    m_config = sourceDir + "/online/server/pendrel-redis.conf";
    m_folder = folder;
    m_port = FreePort();
    const std::string player = ReadAll(sourceDir + "/online/server/player.acl");
    std::ofstream acl(folder + "/users.acl");
    acl << "user default on >" << kAdminPassword << " ~* &* +@all\n";
    for (const std::string& name : players)
        acl << ReplaceAll(ReplaceAll(player, "PLAYER", name), "PASSWORD", name + "-pw");
    acl.close();
    return m_port != 0 && !player.empty() && Launch();
}

bool RedisServer::Launch()
{
    const std::string port = std::to_string(m_port);
    const std::string aclFile = m_folder + "/users.acl";
    const std::string log = m_folder + "/redis.log";
    std::vector<std::string> words = {"redis-server", m_config, "--port", port, "--bind", "127.0.0.1",
                                      "--dir", m_folder, "--aclfile", aclFile, "--logfile", log};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&m_pid, "redis-server", nullptr, nullptr, argv.data(), environ) != 0)
    {
        m_pid = -1;
        return false;
    }
    ++m_launches;
    const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (LogShowsStarts(log, m_launches))
            return true;
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid)
        {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void RedisServer::Kill()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

bool RedisServer::Restart()
{
    Kill();
    return Launch();
}

std::string RedisServer::Url(const std::string& player) const
{
    return "redis://" + player + ":" + player + "-pw@127.0.0.1:" + std::to_string(m_port);
}

std::string RedisServer::AdminUrl() const
{
    return std::string("redis://default:") + kAdminPassword + "@127.0.0.1:" + std::to_string(m_port);
}

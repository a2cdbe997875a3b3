#pragma once
// A redis-server of the tests' own: started with the shipped configuration on
// a free port of 127.0.0.1, its append-only file and ACL file in a folder of
// the test; the ACL file has the accounts the shipped player template gives
// (password NAME-pw) and the administrator, which is the default user (the
// server replays its append-only file as that user). Killed with the fixture.

#include <string>
#include <sys/types.h>
#include <vector>

class RedisServer
{
public:
    RedisServer() = default;
    ~RedisServer();
    RedisServer(const RedisServer&) = delete;
    RedisServer& operator=(const RedisServer&) = delete;

    // The shipped files are read from the source tree's online/server.
    bool Start(const std::string& sourceDir, const std::string& folder, const std::vector<std::string>& players);
    // Kills the server at once, as a crash would.
    void Kill();
    // Starts it again on the same port and folder.
    bool Restart();

    int Port() const { return m_port; }
    // The PENDREL_PLATFORM address of a player, or of the admin.
    std::string Url(const std::string& player) const;
    std::string AdminUrl() const;

private:
    bool Launch();

    std::string m_config;
    std::string m_folder;
    int m_port = 0;
    pid_t m_pid = -1;
    int m_launches = 0;
};

#pragma once
// An X server of a test's own (Xvfb), so the one pointer and the stack of
// windows belong to the engine the test drives alone. On a shared display the
// windows other tests open at the origin cover the engine's, so a pointer
// moved there never reaches it and the engine keeps whatever place it saw
// last (the screen's middle, over a menu button).

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class PrivateXServer
{
public:
    PrivateXServer() = default;
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    ~PrivateXServer() { Stop(); }

    // Starts the server and waits until it takes connections; its display
    // name (":N"), or empty when it did not come up within the limit.
    std::string Start(std::chrono::milliseconds limit)
    {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0)
            return "";
        m_server = fork();
        if (m_server == 0)
            RunServer(ready[1]);
        close(ready[1]);
        m_display = m_server > 0 ? ReadDisplayNumber(ready[0], limit) : "";
        close(ready[0]);
        if (m_display.empty())
            Stop();
        return m_display;
    }

    void Stop()
    {
        if (m_server <= 0)
            return;
        kill(m_server, SIGTERM);
        int status = 0;
        while (waitpid(m_server, &status, 0) < 0 && errno == EINTR)
        {
        }
        m_server = -1;
        m_display.clear();
    }

private:
    // Xvfb picks a free display number itself and writes it to the descriptor
    // once it listens, so servers started side by side never collide.
    [[noreturn]] static void RunServer(int readyFd)
    {
        const int fd = dup(readyFd); // without close-on-exec, for the server
        const std::string fdText = std::to_string(fd);
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0)
        {
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }

    static std::string ReadDisplayNumber(int fd, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::string number;
        while (std::chrono::steady_clock::now() < end)
        {
            pollfd wait = {fd, POLLIN, 0};
            if (poll(&wait, 1, 100) <= 0)
                continue;
            char c = 0;
            const ssize_t got = read(fd, &c, 1);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return ""; // the server ended before it was ready
            if (c == '\n')
                return number.empty() ? "" : ":" + number;
            if (c < '0' || c > '9' || number.size() > 6)
                return "";
            number += c;
        }
        return "";
    }

    pid_t m_server = -1;
    std::string m_display;
};

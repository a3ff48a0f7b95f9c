#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// A free TCP port on the loopback interface, as the kernel hands one out.
inline int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// hamlib's rigctld with its dummy radio on a free loopback port, for as long as it lives.
// ptt: the radio's PTT type, RIG (over CAT) or NONE (a radio that cannot be keyed so).
class PrivateRigctld
{
public:
    explicit PrivateRigctld(const char* ptt = "RIG", int port = freeLoopbackPort()) : m_port(port)
    {
        const std::string portText = std::to_string(port);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execlp("rigctld", "rigctld", "-m", "1", "-P", ptt, "-T", "127.0.0.1", "-t",
                     portText.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Ready once it answers; rigctl's own connect fails at once while nothing listens.
        for (int i = 0; i < 100 && pttState().empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~PrivateRigctld() { kill(); }
    PrivateRigctld(const PrivateRigctld&) = delete;
    PrivateRigctld& operator=(const PrivateRigctld&) = delete;

    int port() const { return m_port; }

    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    // The radio's PTT state as another client reads it ("0" or "1"), empty when it cannot.
    std::string pttState() const
    {
        const std::string command =
            "rigctl -m 2 -r 127.0.0.1:" + std::to_string(m_port) + " t 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        char line[64] = {};
        const bool read = pipe && std::fgets(line, sizeof line, pipe);
        const int status = pipe ? ::pclose(pipe) : -1;
        std::string state = read && status == 0 ? line : "";
        while (!state.empty() && state.back() == '\n')
            state.pop_back();
        return state;
    }

private:
    int m_port;
    pid_t m_pid = -1;
};

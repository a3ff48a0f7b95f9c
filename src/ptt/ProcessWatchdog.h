#pragma once

#include "LineWatchdog.h"

#include <chrono>
#include <memory>
#include <optional>
#include <sys/types.h>

// The watchdog as a process of its own: the program runs itself again with --ptt-watchdog,
// in a session of its own, so that the signals a terminal sends to the whole foreground
// group do not reach it. It holds its own handle on the line and one end of a socket pair;
// the end of the stream without the word "released" means that the program died.
class ProcessWatchdog : public LineWatchdog
{
public:
    // program: what to run, this very program by default.
    explicit ProcessWatchdog(std::string program = "/proc/self/exe");
    ~ProcessWatchdog() override;
    ProcessWatchdog(const ProcessWatchdog&) = delete;
    ProcessWatchdog& operator=(const ProcessWatchdog&) = delete;

    void waitThrough(LineWait* wait) override;
    std::string start(const std::string& address, int lockFd) override;
    void releaseWithin(std::chrono::milliseconds limit) override;
    int descriptor() const override;
    bool ended() override;
    void released() override;
    void takeOver() override;

    // For the top of main(), before anything else starts: the watchdog's exit status when
    // the arguments ask for the watchdog, otherwise nothing.
    static std::optional<int> runIfAsked(int argc, char* argv[]);

private:
    void say(const std::string& word);
    void closeSocket();
    // Kills a watchdog that has nothing to release, then leaves it.
    void end();
    // Reaps the watchdog if it has ended, otherwise leaves it to end on its own, to be reaped
    // at the next start.
    void leave();

    std::string m_program;
    std::unique_ptr<LineWait> m_ownWait;
    LineWait* m_wait;
    std::string m_address;
    int m_socket = -1;
    pid_t m_pid = -1;
};

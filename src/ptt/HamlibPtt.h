#pragma once

#include "PttLine.h"

#include <atomic>
#include <chrono>
#include <memory>

struct s_rig;

// Keys through hamlib: either a running rigctld, which other programs share (hamlib's network
// model), or the radio's own CAT port, opened directly. hamlib's calls block, so each runs on
// hamlib's one thread (HamlibThread) under a limit, and hamlib's own timeout and retry are
// set as well.
class HamlibPtt : public PttLine
{
public:
    static constexpr int kRigctldPort = 4532;

    // The limits of our own around hamlib's calls: opening (which talks to the radio) and one
    // PTT command. hamlib's own timeout and retry end a call sooner.
    static constexpr std::chrono::milliseconds kOpenLimit{4000};
    static constexpr std::chrono::milliseconds kCommandLimit{3000};
    // The longest a release can take when the connection of the call is lost or stuck: the
    // command that goes unanswered, the close of that connection, a new connection and the
    // command through it.
    static constexpr std::chrono::milliseconds kWorstRelease = 3 * kCommandLimit + kOpenLimit;

    // verbose: hamlib's own messages go to standard error; otherwise it is kept silent.
    static std::unique_ptr<HamlibPtt> rigctld(const std::string& host, int port, bool verbose);
    // model: hamlib's model number (rigctl -l); baud 0 keeps the model's own rate.
    static std::unique_ptr<HamlibPtt> direct(int model, std::string device, int baud, bool verbose);

    ~HamlibPtt() override;
    HamlibPtt(const HamlibPtt&) = delete;
    HamlibPtt& operator=(const HamlibPtt&) = delete;

    std::string name() const override;
    std::string lockPath() const override;
    // A rigctld is connected to at once; a CAT port is only checked, and opened at open() or
    // at the release, since the radio's port cannot be shared with the program that holds it.
    std::string attach() override;
    std::string open() override;
    std::string key() override;
    // After a lost connection, releases through a new one and says whether that worked (and
    // why the first was lost, unless check() has said so).
    std::string unkey() override;
    std::string check() override;
    void waitThrough(LineWait* wait) override { m_wait = wait; }

private:
    enum class State { Closed, Open, Lost };

    HamlibPtt(int model, std::string address, int baud, bool network, bool verbose);

    std::string connect();
    std::string setPtt(bool keyed); // hamlib's reason, if it fails
    std::string drive(bool keyed);  // the same, said for people
    std::string releaseThroughNewConnection();
    std::string lossSeen() const;
    std::string unknownModel() const;
    void close();
    void lose(std::string why);

    int m_model;
    std::string m_address; // HOST:PORT for rigctld, the CAT device otherwise
    int m_baud;
    bool m_network;
    bool m_verbose;
    std::string m_host; // rigctld's, as written
    int m_port = 0;
    State m_state = State::Closed;
    s_rig* m_rig = nullptr;
    std::atomic<int> m_fd{-1}; // the connection's socket or port, looked at by check()
    std::string m_lostWhy;
    bool m_lossTold = false; // check() has said why the connection was lost
    LineWait* m_wait = nullptr;
};

#include "HamlibPtt.h"

#include "HamlibCalls.h"
#include "HamlibThread.h"
#include "RigctldIdentity.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <hamlib/rig.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace
{

std::string seconds(std::chrono::milliseconds limit)
{
    return std::to_string(limit.count() / 1000) + " s";
}

// Closing can talk to the radio too, so it is bounded like any other call; a late close
// finishes on hamlib's thread, and one that never started is done there all the same.
void closeRig(s_rig* rig, LineWait* wait)
{
    HamlibThread::instance().run<int>(
        HamlibPtt::kCommandLimit,
        [rig] {
            HamlibCalls::close(rig);
            return 0;
        },
        [rig](std::optional<int>& done) {
            if (!done)
                HamlibCalls::close(rig);
        },
        wait);
}

} // namespace

std::unique_ptr<HamlibPtt> HamlibPtt::rigctld(const std::string& host, int port, bool verbose)
{
    const bool v6 = host.find(':') != std::string::npos;
    const std::string address = (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
    auto line =
        std::unique_ptr<HamlibPtt>(new HamlibPtt(RIG_MODEL_NETRIGCTL, address, 0, true, verbose));
    line->m_host = host;
    line->m_port = port;
    return line;
}

std::unique_ptr<HamlibPtt> HamlibPtt::direct(int model, std::string device, int baud, bool verbose)
{
    return std::unique_ptr<HamlibPtt>(
        new HamlibPtt(model, std::move(device), baud, false, verbose));
}

HamlibPtt::HamlibPtt(int model, std::string address, int baud, bool network, bool verbose)
    : m_model(model), m_address(std::move(address)), m_baud(baud), m_network(network),
      m_verbose(verbose)
{
}

HamlibPtt::~HamlibPtt()
{
    close();
}

std::string HamlibPtt::name() const
{
    if (m_network)
        return "rigctld at " + m_address;
    return "radio model " + std::to_string(m_model) + " on " + m_address;
}

std::string HamlibPtt::lockPath() const
{
    if (!m_network && m_address.starts_with('/'))
        return m_address;
    // One rigctld however its host is written: named after the address it resolves to.
    std::string file = m_network ? rigctldIdentity(m_host, m_port, kOpenLimit, m_wait) : m_address;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-')
            c = '-';
    return std::string("/tmp/quorvel-ptt-") + (m_network ? "rigctld-" : "rig-") + file + ".lock";
}

std::string HamlibPtt::attach()
{
    if (m_state == State::Open)
        return {};
    if (m_network)
        return connect();
    const auto known = HamlibThread::instance().run<bool>(
        kCommandLimit,
        [model = m_model, verbose = m_verbose] { return HamlibCalls::knowsModel(model, verbose); },
        [](std::optional<bool>&) {}, m_wait);
    if (!known)
        return "hamlib did not answer within " + seconds(kCommandLimit);
    if (!*known)
        return unknownModel();
    struct stat status;
    if (m_address.starts_with('/') && ::stat(m_address.c_str(), &status) != 0)
        return "cannot open the CAT port " + m_address + ": " + std::strerror(errno);
    return {};
}

std::string HamlibPtt::open()
{
    m_lossTold = false;
    if (const std::string why = attach(); !why.empty())
        return why;
    if (m_state != State::Open)
        if (const std::string why = connect(); !why.empty())
            return why;
    // A radio without PTT over CAT, or a rigctld started without -P RIG, refuses here.
    if (const std::string why = setPtt(false); !why.empty())
        return "cannot drive PTT through " + name() + " (" + why +
               "; can this radio be keyed over CAT?)";
    return {};
}

std::string HamlibPtt::key()
{
    return drive(true);
}

std::string HamlibPtt::unkey()
{
    std::string failed; // why the connection of the call could not release, if it could not
    if (m_state == State::Open) {
        failed = lossSeen();
        if (failed.empty()) {
            failed = drive(false);
            if (failed.empty())
                return {};
        }
        lose(failed);
    } else if (m_state == State::Lost) {
        failed = m_lostWhy;
    }
    const std::string why = releaseThroughNewConnection();
    if (failed.empty())
        return why;
    // The loss itself was told by check() already, when it was seen there.
    const std::string lost = m_lossTold ? "" : failed + "; ";
    if (why.empty())
        return lost + "the transmitter was released through a new connection to " + name();
    return lost + "the release through a new connection to " + name() + " failed (" + why +
           "): the transmitter may still be keyed";
}

std::string HamlibPtt::check()
{
    const std::string lost = m_state == State::Lost ? m_lostWhy : lossSeen();
    m_lossTold = m_lossTold || !lost.empty();
    return lost;
}

std::string HamlibPtt::lossSeen() const
{
    const int fd = m_fd;
    pollfd ready{fd, POLLIN, 0};
    if (m_state != State::Open || fd < 0 || ::poll(&ready, 1, 0) <= 0)
        return {};
    const std::string closed = "the connection to " + name() + " was closed";
    if (ready.revents & (POLLHUP | POLLERR | POLLNVAL))
        return m_network ? closed : "the CAT port " + m_address + " is gone";
    // rigctld says nothing unasked: a readable socket between two commands is a closed one.
    char byte;
    if (m_network && ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0)
        return closed;
    return {};
}

std::string HamlibPtt::connect()
{
    const HamlibCalls::Rig wanted{m_model, m_address, m_baud, m_network, m_verbose};
    const auto opened = HamlibThread::instance().run<HamlibCalls::Opened>(
        kOpenLimit, [wanted] { return HamlibCalls::open(wanted); },
        [](std::optional<HamlibCalls::Opened>& late) {
            if (late && late->status == RIG_OK)
                HamlibCalls::close(late->rig);
        },
        m_wait);
    if (!opened)
        return name() + " did not answer within " + seconds(kOpenLimit);
    if (!opened->rig)
        return unknownModel();
    if (opened->status != RIG_OK) {
        if (m_network && opened->status == -RIG_ETIMEOUT)
            return name() + " did not answer (" + opened->error +
                   "): is it rigctld that listens there?";
        if (m_network)
            return "cannot connect to rigctld at " + m_address + " (" + opened->error +
                   "): is rigctld running there?";
        return "cannot open " + name() +
               (m_baud > 0 ? " at " + std::to_string(m_baud) + " baud" : "") + " (" +
               opened->error + ")";
    }
    m_rig = opened->rig;
    m_fd = opened->fd;
    m_state = State::Open;
    return {};
}

std::string HamlibPtt::setPtt(bool keyed)
{
    if (m_state != State::Open)
        return name() + " is not connected";
    RIG* rig = m_rig;
    const auto failed = HamlibThread::instance().run<std::string>(
        kCommandLimit, [rig, keyed] { return HamlibCalls::setPtt(rig, keyed); },
        [rig](std::optional<std::string>&) { HamlibCalls::close(rig); }, m_wait);
    if (!failed) {
        // The late call owns the connection now, and closes it when it ends.
        m_rig = nullptr;
        m_fd = -1;
        lose("the connection to " + name() + " is lost: no answer within " +
             seconds(kCommandLimit));
        return m_lostWhy;
    }
    return *failed;
}

std::string HamlibPtt::drive(bool keyed)
{
    const std::string why = setPtt(keyed);
    if (why.empty())
        return {};
    return std::string("cannot ") + (keyed ? "key" : "release") + " the transmitter through " +
           name() + ": " + why;
}

std::string HamlibPtt::releaseThroughNewConnection()
{
    close();
    if (const std::string why = connect(); !why.empty())
        return why;
    return drive(false);
}

std::string HamlibPtt::unknownModel() const
{
    return "hamlib knows no radio model " + std::to_string(m_model) +
           " (rigctl -l lists the models)";
}

void HamlibPtt::close()
{
    m_fd = -1;
    if (m_rig)
        closeRig(m_rig, m_wait);
    m_rig = nullptr;
    if (m_state == State::Open)
        m_state = State::Closed;
}

void HamlibPtt::lose(std::string why)
{
    close();
    m_state = State::Lost;
    m_lostWhy = std::move(why);
}

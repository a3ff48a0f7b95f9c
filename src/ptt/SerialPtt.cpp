#include "SerialPtt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

SerialPtt::SerialPtt(std::string path, Pin pin, bool invert, Other other)
    : m_path(std::move(path)), m_pin(pin), m_invert(invert), m_other(other)
{
}

SerialPtt::~SerialPtt()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string SerialPtt::name() const
{
    const char* const first = m_pin == Pin::Rts ? "RTS" : "DTR";
    const char* const second = m_pin == Pin::Rts ? "DTR" : "RTS";
    return std::string(first) + (m_other == Other::Keys ? std::string(" and ") + second : "") +
           " of " + m_path;
}

std::optional<int> SerialPtt::lockOnOwnDescriptor()
{
    return attach().empty() ? m_fd : -1;
}

void SerialPtt::adoptLockDescriptor(int fd)
{
    if (m_fd < 0)
        m_fd = fd;
}

std::string SerialPtt::attach()
{
    if (m_fd >= 0)
        return {};
    if (!m_openFailed.empty())
        return m_openFailed; // opened once: a failed open is not tried again
    // Non-blocking: a port whose carrier is down must not hold the open.
    m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        m_openFailed = "cannot open PTT port " + m_path + ": " + std::strerror(errno);
    return m_openFailed;
}

std::string SerialPtt::open()
{
    if (const std::string why = attach(); !why.empty())
        return why;
    // Released first, the settings after: the lines the open raised go down at once.
    const std::string why = drive(false, "cannot drive ");
    setHangUpOnClose();
    return why;
}

// With HUPCL the driver drops both lines when the port's last holder closes it, however the
// process ended: a fail-safe for a line that keys high, and set again in case an earlier
// program cleared it. An inverted line would key on that drop, so it goes without.
void SerialPtt::setHangUpOnClose()
{
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        return;
    const tcflag_t wanted =
        m_invert ? settings.c_cflag & ~tcflag_t{HUPCL} : settings.c_cflag | tcflag_t{HUPCL};
    if (wanted != settings.c_cflag) {
        settings.c_cflag = wanted;
        ::tcsetattr(m_fd, TCSANOW, &settings);
    }
}

std::string SerialPtt::drive(bool keyed, const std::string& failed)
{
    const int first = m_pin == Pin::Rts ? TIOCM_RTS : TIOCM_DTR;
    const int second = m_pin == Pin::Rts ? TIOCM_DTR : TIOCM_RTS;
    const int keying = first | (m_other == Other::Keys ? second : 0);
    const bool high = keyed != m_invert;
    const int raise = high ? keying : 0;
    const int lower = (high ? 0 : keying) | (m_other == Other::HeldLow ? second : 0);
    // The line held low goes down with the keying lines, in the same call when both go down.
    int error = m_fd >= 0 ? 0 : EBADF;
    if (!error && lower && ::ioctl(m_fd, TIOCMBIC, &lower) != 0)
        error = errno;
    if (!error && raise && ::ioctl(m_fd, TIOCMBIS, &raise) != 0)
        error = errno;
    if (!error)
        return {};
    return failed + name() + " (" + std::strerror(error) +
           (error == ENOTTY ? "; is it a serial port with modem lines?" : "") + ")";
}

#include "SerialPtt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

SerialPtt::SerialPtt(std::string path, Pin pin, bool invert)
    : m_path(std::move(path)), m_pin(pin), m_invert(invert)
{
}

SerialPtt::~SerialPtt()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string SerialPtt::name() const
{
    return std::string(m_pin == Pin::Rts ? "RTS" : "DTR") + " of " + m_path;
}

std::string SerialPtt::open()
{
    if (const std::string why = attach(); !why.empty())
        return why;
    return drive(false, "cannot drive ");
}

std::string SerialPtt::attach()
{
    if (m_fd >= 0)
        return {};
    // Non-blocking: a port whose carrier is down must not hold the open.
    m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return "cannot open PTT port " + m_path + ": " + std::strerror(errno);
    // With HUPCL the driver drops both lines when the port's last holder closes it, however
    // the process ended: a fail-safe for a line that keys high, and set again in case an
    // earlier program cleared it. An inverted line would key on that drop, so it goes without.
    termios settings{};
    if (::tcgetattr(m_fd, &settings) == 0) {
        const tcflag_t wanted =
            m_invert ? settings.c_cflag & ~tcflag_t{HUPCL} : settings.c_cflag | tcflag_t{HUPCL};
        if (wanted != settings.c_cflag) {
            settings.c_cflag = wanted;
            ::tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    return {};
}

std::string SerialPtt::drive(bool keyed, const std::string& failed)
{
    const int bit = m_pin == Pin::Rts ? TIOCM_RTS : TIOCM_DTR;
    const bool high = keyed != m_invert;
    if (m_fd >= 0 && ::ioctl(m_fd, high ? TIOCMBIS : TIOCMBIC, &bit) == 0)
        return {};
    const int error = m_fd >= 0 ? errno : EBADF;
    return failed + name() + " (" + std::strerror(error) +
           (error == ENOTTY ? "; is it a serial port with modem lines?" : "") + ")";
}

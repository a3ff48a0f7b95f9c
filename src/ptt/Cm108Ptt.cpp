#include "Cm108Ptt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

Cm108Ptt::Cm108Ptt(std::string path, int gpio, bool invert)
    : m_path(std::move(path)), m_gpio(gpio), m_invert(invert)
{
}

Cm108Ptt::~Cm108Ptt()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::array<std::uint8_t, 5> Cm108Ptt::report(int gpio, bool high)
{
    const auto pin = static_cast<std::uint8_t>(1u << (gpio - 1));
    return {0, 0, high ? pin : std::uint8_t{0}, pin, 0};
}

std::string Cm108Ptt::name() const
{
    return "GPIO " + std::to_string(m_gpio) + " of " + m_path;
}

std::string Cm108Ptt::open()
{
    if (const std::string why = attach(); !why.empty())
        return why;
    return write(false, "cannot drive ");
}

std::string Cm108Ptt::attach()
{
    if (m_fd >= 0)
        return {};
    // Non-blocking, so that a path that is no device (a FIFO nobody reads) cannot hold the open.
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return "cannot open CM108 PTT device " + m_path + ": " + std::strerror(errno);
    return {};
}

std::string Cm108Ptt::write(bool keyed, const std::string& failed)
{
    const auto bytes = report(m_gpio, keyed != m_invert);
    // A HID write goes out as one USB transfer, which the kernel bounds with its own timeout.
    const ssize_t written = m_fd >= 0 ? ::write(m_fd, bytes.data(), bytes.size()) : -1;
    if (written == static_cast<ssize_t>(bytes.size()))
        return {};
    const std::string why = written < 0 ? std::strerror(m_fd >= 0 ? errno : EBADF)
                                        : "only " + std::to_string(written) + " of 5 bytes written";
    return failed + name() + " (" + why + ")";
}

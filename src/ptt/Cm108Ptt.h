#pragma once

#include "PttLine.h"

#include <array>
#include <cstdint>

// Keys through a GPIO pin of a CM108/CM119 USB sound interface, written as HID output
// reports to its /dev/hidrawN.
class Cm108Ptt : public PttLine
{
public:
    static constexpr int kDefaultGpio = 3;

    // gpio: 1 to 8. With invert, the pin is low while keyed.
    Cm108Ptt(std::string path, int gpio, bool invert = false);
    ~Cm108Ptt() override;
    Cm108Ptt(const Cm108Ptt&) = delete;
    Cm108Ptt& operator=(const Cm108Ptt&) = delete;

    std::string name() const override;
    std::string lockPath() const override { return m_path; }
    std::string attach() override;
    std::string open() override;
    std::string key() override { return write(true, "cannot key the transmitter: "); }
    std::string unkey() override { return write(false, "cannot release the transmitter: "); }

    // Report number 0, then 0, the data bits, the direction mask, 0. The data comes before
    // the mask: interfaces ignore the reverse order.
    static std::array<std::uint8_t, 5> report(int gpio, bool high);

private:
    std::string write(bool keyed, const std::string& failed);

    std::string m_path;
    int m_gpio;
    bool m_invert;
    int m_fd = -1;
};

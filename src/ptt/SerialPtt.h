#pragma once

#include "PttLine.h"

// Keys through a modem-control line of a serial port (RTS or DTR), as most home-made radio
// interfaces do. With invert, the line is low while keyed.
class SerialPtt : public PttLine
{
public:
    enum class Pin { Rts, Dtr };

    SerialPtt(std::string path, Pin pin, bool invert);
    ~SerialPtt() override;
    SerialPtt(const SerialPtt&) = delete;
    SerialPtt& operator=(const SerialPtt&) = delete;

    std::string name() const override;
    std::string lockPath() const override { return m_path; }
    std::string attach() override;
    std::string open() override;
    std::string key() override { return drive(true, "cannot key the transmitter: "); }
    std::string unkey() override { return drive(false, "cannot release the transmitter: "); }

private:
    std::string drive(bool keyed, const std::string& failed);

    std::string m_path;
    Pin m_pin;
    bool m_invert;
    int m_fd = -1;
};

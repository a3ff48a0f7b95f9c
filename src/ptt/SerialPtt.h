#pragma once

#include "PttLine.h"

// Keys through a modem-control line of a serial port (RTS or DTR), as most home-made radio
// interfaces do. With invert, the keying lines are low while keyed. The other line can key
// too, or be held low throughout (for an interface that keys on either line); otherwise it is
// left as the port has it (high after the open, which powers some interfaces).
//
// The port is opened once, by the line, and locked on that same descriptor: the first open of
// a tty raises both lines, so every further open would be one more chance to key the radio.
class SerialPtt : public PttLine
{
public:
    enum class Pin { Rts, Dtr };
    enum class Other { Untouched, Keys, HeldLow };

    SerialPtt(std::string path, Pin pin, bool invert, Other other = Other::Untouched);
    ~SerialPtt() override;
    SerialPtt(const SerialPtt&) = delete;
    SerialPtt& operator=(const SerialPtt&) = delete;

    std::string name() const override;
    std::string lockPath() const override { return m_path; }
    std::optional<int> lockOnOwnDescriptor() override;
    void adoptLockDescriptor(int fd) override;
    std::string attach() override;
    std::string open() override;
    std::string key() override { return drive(true, "cannot key the transmitter: "); }
    std::string unkey() override { return drive(false, "cannot release the transmitter: "); }

private:
    std::string drive(bool keyed, const std::string& failed);
    void setHangUpOnClose();

    std::string m_path;
    Pin m_pin;
    bool m_invert;
    Other m_other;
    int m_fd = -1;
    std::string m_openFailed; // why the open failed, told by open()
};

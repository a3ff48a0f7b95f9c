#pragma once

#include <optional>
#include <string>

class LineWait;

// A line that keys a radio transmitter (push-to-talk). Every step returns an empty text on
// success and otherwise a reason for people that names the device.
class PttLine
{
public:
    virtual ~PttLine() = default;

    // The line in messages, for example "RTS of /dev/ttyUSB0", "GPIO 3 of /dev/hidraw0" or
    // "rigctld at localhost:4532".
    virtual std::string name() const = 0;

    // The file that is locked (flock, exclusive) before anything is written to the line, so
    // that one sender at a time uses it: the device node, or a lock file named after the
    // radio. Lines that end in one radio interface share it. The file is made when missing.
    virtual std::string lockPath() const = 0;

    // A line that must open its device only once (a serial port) takes its lock on its own
    // descriptor: this opens the device, without driving it, and returns that descriptor, or
    // -1 when the open failed (open() says why). Nothing for every other line: the lock opens
    // lockPath() itself.
    virtual std::optional<int> lockOnOwnDescriptor() { return std::nullopt; }
    // In the watchdog: the lock's descriptor, inherited, to drive instead of an open of its
    // own, for a line that locks on its own descriptor; others ignore it.
    virtual void adoptLockDescriptor(int) {}

    // Opens the device or connection without driving the line. The watchdog does only this
    // before it must release; a line that cannot be shared while another process holds it
    // may put its connection off until the release.
    virtual std::string attach() = 0;

    // attach(), unless done, then the released state, which also proves that the line can be
    // driven before anything is keyed.
    virtual std::string open() = 0;
    virtual std::string key() = 0;
    virtual std::string unkey() = 0;

    // Asked now and then during a call: empty while the line is still there, otherwise why
    // it was lost (a closed control connection, an unplugged device).
    virtual std::string check() { return {}; }

    // How the steps that wait on another thread (hamlib's) wait: through this, which must
    // outlive the line, or blocking when never set.
    virtual void waitThrough(LineWait*) {}
};

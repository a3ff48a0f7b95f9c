#pragma once

#include "SerialPtt.h"

#include <memory>
#include <string>
#include <string_view>
#include <variant>

// Which line keys the transmitter, as written on the command line:
//   serial:DEVICE:PINS[:invert],   cm108:DEVICE[:GPIO][:invert],   rigctld[:HOST[:PORT]]
//   or   rig:MODEL:DEVICE[:BAUD]
// where PINS is rts or dtr, the line that keys, optionally followed by the other line:
// rts,dtr (both key) or rts,-dtr (DTR held low), and the same with dtr first.
// A CM108 DEVICE of "auto" stands for the one C-Media interface there is (see Cm108Finder).
struct PttAddress {
    enum class Kind { Serial, Cm108, Rigctld, Rig };
    Kind kind = Kind::Serial;
    std::string path; // the device, or rigctld's host
    SerialPtt::Pin pin = SerialPtt::Pin::Rts;
    SerialPtt::Other other = SerialPtt::Other::Untouched;
    bool invert = false;
    int gpio = 3;
    int port = 4532;      // rigctld's
    int model = 0;        // hamlib's radio model
    int baud = 0;         // 0: the model's own rate
    bool verbose = false; // hamlib's own messages pass through to standard error
    std::string text;     // as written, for a process that makes its own line from it
};

// The address, or a reason why the text is none.
std::variant<PttAddress, std::string> parsePttAddress(std::string_view text);

// A line for the address, not yet opened.
std::unique_ptr<PttLine> makePttLine(const PttAddress& address);

// Empty where lines can key a radio; otherwise why not, for every keying option's error.
std::string keyingUnavailable();

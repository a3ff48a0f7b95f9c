#pragma once

#include "SerialPtt.h"

#include <memory>
#include <string>
#include <string_view>
#include <variant>

// Which line keys the transmitter, as written on the command line:
//   serial:DEVICE:rts|dtr[:invert],   cm108:DEVICE[:GPIO],   rigctld[:HOST[:PORT]]
//   or   rig:MODEL:DEVICE[:BAUD]
struct PttAddress {
    enum class Kind { Serial, Cm108, Rigctld, Rig };
    Kind kind = Kind::Serial;
    std::string path; // the device, or rigctld's host
    SerialPtt::Pin pin = SerialPtt::Pin::Rts;
    bool invert = false;
    int gpio = 3;
    int port = 4532;      // rigctld's
    int model = 0;        // hamlib's radio model
    int baud = 0;         // 0: the model's own rate
    bool verbose = false; // hamlib's own messages pass through to standard error
};

// The address, or a reason why the text is none.
std::variant<PttAddress, std::string> parsePttAddress(std::string_view text);

// A line for the address, not yet opened.
std::unique_ptr<PttLine> makePttLine(const PttAddress& address);

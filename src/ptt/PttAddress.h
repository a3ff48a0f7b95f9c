#pragma once

#include "SerialPtt.h"

#include <memory>
#include <string>
#include <string_view>
#include <variant>

// Which line keys the transmitter, as written on the command line:
//   serial:DEVICE:rts|dtr[:invert]   or   cm108:DEVICE[:GPIO][:invert]
// A CM108 DEVICE of "auto" stands for the one C-Media interface there is (see Cm108Finder).
struct PttAddress {
    enum class Kind { Serial, Cm108 };
    Kind kind = Kind::Serial;
    std::string path;
    SerialPtt::Pin pin = SerialPtt::Pin::Rts;
    bool invert = false;
    int gpio = 3;
    std::string text; // as written, for a process that makes its own line from it
};

// The address, or a reason why the text is none.
std::variant<PttAddress, std::string> parsePttAddress(std::string_view text);

// A line for the address, not yet opened.
std::unique_ptr<PttLine> makePttLine(const PttAddress& address);

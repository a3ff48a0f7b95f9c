#pragma once

#include "SerialPtt.h"

#include <memory>
#include <string>
#include <string_view>
#include <variant>

// Which line keys the transmitter, as written on the command line:
//   serial:DEVICE:rts|dtr[:invert]   or   cm108:DEVICE[:GPIO]
struct PttSpec {
    enum class Kind { Serial, Cm108 };
    Kind kind = Kind::Serial;
    std::string path;
    SerialPtt::Pin pin = SerialPtt::Pin::Rts;
    bool invert = false;
    int gpio = 3;
};

// The spec, or a reason why the text is none.
std::variant<PttSpec, std::string> parsePttSpec(std::string_view text);

// A line for the spec, not yet opened.
std::unique_ptr<PttLine> makePttLine(const PttSpec& spec);

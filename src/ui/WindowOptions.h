#pragma once

#include "RadioOptions.h"

#include <QStringList>
#include <string>
#include <variant>

// The window's start options: those of quorvel-render that send into a radio (the output
// device, push-to-talk, call framing), read by the same parser, and --help and --version.
struct WindowOptions {
    RadioOptions radio;
    bool help = false;
    bool version = false;
    std::string helpText;
};

// Parses the arguments (the program name first). A usage error names the bad option or value;
// its text is then followed by the usage.
struct WindowUsageError {
    std::string message;
    std::string usage;
};
std::variant<WindowOptions, WindowUsageError> parseWindowOptions(const QStringList& arguments);

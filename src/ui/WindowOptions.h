#pragma once

#include "RadioOptions.h"

#include <string>
#include <variant>
#include <vector>

// The window's start options: those of quorvel-render that send into a radio (the output
// device, push-to-talk, call framing), read by the same parser, and --help and --version.
struct WindowOptions {
    RadioOptions radio;
    bool userFolder = false; // --user-folder, where the window offers it (Windows)
    bool help = false;
    bool version = false;
    std::string helpText;
};

// Parses the arguments (the program name first). A usage error names the bad option or value;
// its text is then followed by the usage. withUserFolder offers --user-folder, with which the
// Windows window runs in the user's own folder as the Linux launcher does.
struct WindowUsageError {
    std::string message;
    std::string usage;
};
std::variant<WindowOptions, WindowUsageError>
parseWindowOptions(const std::vector<std::string>& arguments, bool withUserFolder = false);

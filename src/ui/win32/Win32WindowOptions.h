#pragma once

#include <string>
#include <vector>

// The window's start options on Windows: --help, --version, --device and --user-folder. The
// options that key a radio are refused by name.
struct Win32WindowOptions {
    bool help = false;
    bool version = false;
    bool userFolder = false;
    std::string device; // --device NAME: the output the window plays on
    std::string error;  // a usage error, for exit status 2
};

Win32WindowOptions parseWin32WindowOptions(const std::vector<std::string>& arguments);

extern const char* const kWin32WindowHelp;

#include "Win32WindowOptions.h"

#include <string_view>

const char* const kWin32WindowHelp =
    "Sends DTMF and selective-calling tone sequences through the sound card.\n"
    "\n"
    "Usage: quorvel [options]\n"
    "\n"
    "Options:\n"
    "  -h, --help      Show this help.\n"
    "  -v, --version   Show the version.\n"
    "  --device NAME   Play on the output NAME instead of the default one.\n"
    "  --user-folder   Keep TONESETS.INI and Quorvel.ini in %APPDATA%\\Quorvel, where the\n"
    "                  TONESETS.INI beside quorvel.exe is copied on the first start.\n"
    "                  Without it, both are in the folder quorvel is started in.\n";

namespace
{

// The options with which the Linux window keys a radio.
bool keysARadio(std::string_view option)
{
    for (std::string_view name :
         {"--ptt", "--ptt-lead", "--ptt-tail", "--ptt-timeout", "--ptt-wait"}) {
        if (option == name || (option.starts_with(name) && option.substr(name.size(), 1) == "="))
            return true;
    }
    return false;
}

// The Linux window's other options: the call's framing, and --verbose. They come here with
// the shared option table, once that is built for Windows.
bool notYetOnWindows(std::string_view option)
{
    for (std::string_view name :
         {"--lead-in", "--tail", "--first-tone", "--calls", "--call-gap", "--level", "--verbose"}) {
        if (option == name || (option.starts_with(name) && option.substr(name.size(), 1) == "="))
            return true;
    }
    return false;
}

} // namespace

Win32WindowOptions parseWin32WindowOptions(const std::vector<std::string>& arguments)
{
    Win32WindowOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--device" || argument.starts_with("--device=")) {
            if (argument == "--device" && i + 1 == arguments.size()) {
                options.error = "option '--device' needs a value";
                return options;
            }
            options.device = argument == "--device" ? arguments[++i] : argument.substr(9);
            if (options.device.empty()) {
                options.error = "option '--device' needs a value";
                return options;
            }
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "-v" || argument == "--version") {
            options.version = true;
        } else if (argument == "--user-folder") {
            options.userFolder = true;
        } else if (keysARadio(argument)) {
            options.error = "keying a radio is not available on Windows yet";
            return options;
        } else if (notYetOnWindows(argument)) {
            options.error = "option '" + argument.substr(0, argument.find('=')) +
                            "' is not available on Windows yet";
            return options;
        } else if (argument.starts_with("-")) {
            options.error = "unknown option '" + argument + "'";
            return options;
        } else {
            options.error = "unexpected argument '" + argument + "'";
            return options;
        }
    }
    return options;
}

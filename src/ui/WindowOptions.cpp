#include "WindowOptions.h"

#include "OptionTable.h"

namespace
{

const char* const kDescription =
    "Sends DTMF and selective-calling tone sequences through the sound card.\n"
    "With a --ptt line, each Send keys a radio transmitter around the sound.\n"
    "A framed call holds at most 1073741823 samples (about 13.5 h), which bounds\n"
    "every MS, alone or summed.";

const char* const kExamples =
    "\nKey a radio through the one CM108 USB interface there is, on its sound card:\n"
    "  quorvel --device NAME --ptt cm108:auto\n"
    "The output names are those of quorvel-render --list-devices.\n";

} // namespace

std::variant<WindowOptions, WindowUsageError>
parseWindowOptions(const std::vector<std::string>& arguments, bool withUserFolder)
{
    OptionTable table("quorvel", "[options]", kDescription);
    table.add({{"h,help", "Show this help.", ""}, {"v,version", "Show the version.", ""}});
    if (withUserFolder)
        table.add({{"user-folder",
                    "Keep TONESETS.INI and Quorvel.ini in %APPDATA%\\Quorvel, where the\n"
                    "TONESETS.INI beside quorvel.exe is copied on the first start. Without it,\n"
                    "both are in the folder quorvel is started in.",
                    ""}});
    addRadioOptions(table, false);

    WindowOptions options;
    options.helpText = table.helpText() + kExamples;
    const std::vector<std::string> words(
        arguments.empty() ? arguments.end() : arguments.begin() + 1, arguments.end());
    if (!table.parse(words))
        return WindowUsageError{table.errorText(), options.helpText};
    if (table.isSet("help")) {
        options.help = true;
        return options;
    }
    if (table.isSet("version")) {
        options.version = true;
        return options;
    }
    if (!table.positionalArguments().empty())
        return WindowUsageError{"unexpected argument '" + table.positionalArguments().front() + "'",
                                options.helpText};
    if (auto error = readRadioOptions(table, options.radio, nullptr))
        return WindowUsageError{*error, options.helpText};
    options.userFolder = withUserFolder && table.isSet("user-folder");
    return options;
}

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

std::variant<WindowOptions, WindowUsageError> parseWindowOptions(const QStringList& arguments)
{
    OptionTable table("quorvel", "[options]", kDescription);
    table.add({{"h,help", "Show this help.", ""}, {"v,version", "Show the version.", ""}});
    addRadioOptions(table, false);

    WindowOptions options;
    options.helpText = table.helpText() + kExamples;
    std::vector<std::string> words;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        words.push_back(arguments[i].toStdString());
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
    return options;
}

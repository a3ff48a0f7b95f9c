#include "WindowOptions.h"

#include <QCommandLineParser>

namespace
{

const char* const kDescription =
    "Sends DTMF and selective-calling tone sequences through the sound card.\n"
    "With a --ptt line, each Send keys a radio transmitter around the sound.";

const char* const kExamples =
    "\nKey a radio through the one CM108 USB interface there is, on its sound card:\n"
    "  quorvel --device NAME --ptt cm108:auto\n"
    "The output names are those of quorvel-render --list-devices.\n";

} // namespace

std::variant<WindowOptions, WindowUsageError> parseWindowOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version({"v", "version"}, "Show the version.");
    parser.addOption(help);
    parser.addOption(version);
    addRadioOptions(parser, false);

    WindowOptions options;
    // Whether or not an application exists yet, the usage names the program as people type it.
    QString usage = parser.helpText();
    usage.replace(0, usage.indexOf('\n'), QStringLiteral("Usage: quorvel [options]"));
    options.helpText = usage.toStdString() + kExamples;
    if (!parser.parse(arguments))
        return WindowUsageError{parser.errorText().toStdString(), options.helpText};
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }
    if (parser.isSet(version)) {
        options.version = true;
        return options;
    }
    if (!parser.positionalArguments().isEmpty())
        return WindowUsageError{"unexpected argument '" +
                                    parser.positionalArguments().front().toStdString() + "'",
                                options.helpText};
    if (auto error = readRadioOptions(parser, options.radio, nullptr))
        return WindowUsageError{*error, options.helpText};
    return options;
}

#include "RenderOptions.h"

#include "DurationText.h"
#include "RadioOptions.h"
#include "SequenceText.h"

#include <QCommandLineParser>

namespace
{

const char* const kDescription =
    "Renders a tone sequence to 16-bit mono PCM at 22050 Hz, sample for sample as the\n"
    "Quorvel window plays it. Symbols are 0-9 and A-F; a blank separates sequences.\n"
    "MS and DB are decimal numbers as the window's boxes take them: digits, with an\n"
    "optional fraction after '.' or ',' (1.5 or 1,5; no exponent such as 1e3). K and N\n"
    "are whole numbers. A framed call holds at most 1073741823 samples (about 13.5 h).";

const char* const kExamples =
    "\nExamples:\n"
    "  quorvel-render -i 0 -t 70 -p 60 -- \"12 3\" > call.raw\n"
    "  quorvel-render -s DTMF1 -o keys.wav 0123456789ABCDEF\n"
    "  quorvel-render --play -s DTMF1 \"0123456789ABCDEF 1470\"\n"
    "Export a ZVEI1 call to WAV: the set's 70 ms tones, no pause between\n"
    "tones, the repeat tone on (a repeated digit is sent as E):\n"
    "  quorvel-render -f /usr/share/quorvel/TONESETS.INI -s ZVEI1 -p 0 -r \\\n"
    "      -o call.wav 12345\n";

std::optional<double> durationOption(const QCommandLineParser& parser, const QString& name,
                                     std::string& error)
{
    if (!parser.isSet(name))
        return std::nullopt;
    const QString text = parser.value(name);
    const auto value = parseDurationText(text.toStdString());
    if (!value) {
        error = "invalid value for --" + name.toStdString() + ": '" + text.toStdString() +
                "' is not a number of milliseconds (" + kNumberSyntax + ")";
    } else if (*value < 0) {
        error = "invalid value for --" + name.toStdString() + ": '" + text.toStdString() +
                "' is negative";
    }
    return value;
}

} // namespace

std::variant<RenderOptions, UsageError> parseRenderOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version({"v", "version"}, "Show the version.");
    parser.addOption(help);
    parser.addOption(version);
    parser.addOptions({
        {{"i", "index"},
         "Tone-set index as in the selector: 0 DTMF1, 1 DTMF2, 2.. file sets (default 0).",
         "K"},
        {{"s", "set"},
         "Tone set by name: DTMF1, DTMF2 (or their entry texts), or a file set's name.",
         "NAME"},
        {{"t", "tone"}, "Tone duration in ms (default: the set's preset).", "MS"},
        {{"p", "pause"}, "Pause between tones in ms (default: the set's preset).", "MS"},
        {{"q", "seq-pause"}, "Pause for each blank, between sequences, in ms (default 300).", "MS"},
        {{"r", "repeat-tone"}, "Send a symbol equal to the one before it as E."},
        {{"l", "list"}, "Print the tone sets: index, name and default duration, tab-separated."},
        {{"f", "tonesets"},
         "Tone-set file to read (default: TONESETS.INI in the current directory, if there is one).",
         "FILE"},
        {"play", "Play the sequence on the default audio output and print the measured play time."},
        {{"o", "output"},
         "FILE.wav: a WAV file; any other name: raw samples; none or -: raw little-endian samples "
         "on standard output.",
         "FILE"},
    });
    addRadioOptions(parser);
    parser.addPositionalArgument("SEQUENCE", "The tone sequence, e.g. \"0123 456\".");

    if (!parser.parse(arguments))
        return UsageError{parser.errorText().toStdString()};

    RenderOptions options;
    options.helpText = parser.helpText().toStdString() + kExamples + kRadioExamples;
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }
    if (parser.isSet(version)) {
        options.version = true;
        return options;
    }

    std::string error;
    if (parser.isSet("index")) {
        bool ok = false;
        const int index = parser.value("index").toInt(&ok);
        if (!ok || index < -1)
            return UsageError{"invalid value for --index: '" + parser.value("index").toStdString() +
                              "' is not a tone-set index"};
        options.index = index;
    }
    if (parser.isSet("set")) {
        if (options.index)
            return UsageError{"--index and --set cannot be used together"};
        options.setName = parser.value("set").toStdString();
    }
    options.toneMs = durationOption(parser, "tone", error);
    options.pauseMs = durationOption(parser, "pause", error);
    if (const auto seqPause = durationOption(parser, "seq-pause", error))
        options.sequencePauseMs = *seqPause;
    if (!error.empty())
        return UsageError{error};

    options.repeatTone = parser.isSet("repeat-tone");
    options.list = parser.isSet("list");
    if (parser.isSet("tonesets"))
        options.toneSetsFile = parser.value("tonesets").toStdString();
    options.output = parser.value("output").toStdString();
    options.play = parser.isSet("play");
    if (options.play && parser.isSet("output"))
        return UsageError{"--play and --output cannot be used together"};
    if (auto radioError = readRadioOptions(parser, options.radio))
        return UsageError{*radioError};

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return UsageError{"too many arguments: give the sequence as one argument, in quotes if it "
                          "holds blanks"};
    if (positional.isEmpty()) {
        if (!options.list && !options.radio.listDevices)
            return UsageError{"missing SEQUENCE (see --help)"};
    } else {
        // One byte per character, as the window hands its text to the renderer.
        options.sequence = narrowSequence(positional.front().toStdU32String());
    }
    return options;
}

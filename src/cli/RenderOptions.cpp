#include "RenderOptions.h"

#include "DurationText.h"
#include "OptionReader.h"
#include "OptionTable.h"
#include "RadioOptions.h"
#include "SequenceText.h"
#include "ToneSetSearchPaths.h"

namespace
{

const char* const kDescription =
    "Renders a tone sequence to 16-bit mono PCM at 22050 Hz, sample for sample as the\n"
    "Quorvel window plays it. Symbols are 0-9 and A-F; a blank separates sequences.\n"
    "MS and DB are decimal numbers as the window's boxes take them: digits, with an\n"
    "optional fraction after '.' or ',' (1.5 or 1,5; no exponent such as 1e3). K and N\n"
    "are whole numbers. A framed call holds at most 1073741823 samples (about 13.5 h),\n"
    "which bounds every MS, alone or summed.";

const char* const kExamples =
    "\nExamples:\n"
    "  quorvel-render -i 0 -t 70 -p 60 -- \"12 3\" > call.raw\n"
    "  quorvel-render -s DTMF1 -o keys.wav 0123456789ABCDEF\n"
    "  quorvel-render --play -s DTMF1 \"0123456789ABCDEF 1470\"\n"
    "Export a ZVEI1 call to WAV: the set's 70 ms tones, no pause between\n"
    "tones, the repeat tone on (a repeated digit is sent as E):\n"
    "  quorvel-render -s ZVEI1 -p 0 -r -o call.wav 12345\n";

} // namespace

std::variant<RenderOptions, UsageError>
parseRenderOptions(const std::vector<std::string>& arguments)
{
    OptionTable table("quorvel-render", "[options] [--] SEQUENCE", kDescription);
    table.add({
        {"h,help", "Show this help.", ""},
        {"v,version", "Show the version.", ""},
        {"i,index",
         "Tone-set index as in the selector: 0 DTMF1, 1 DTMF2, 2.. file sets (default 0).", "K"},
        {"s,set",
         "Tone set by name, in any case: DTMF1, DTMF2 (or their entry texts), or a file set's "
         "name.",
         "NAME"},
        {"t,tone", "Tone duration in ms (default: the set's preset).", "MS"},
        {"p,pause", "Pause between tones in ms (default: the set's preset).", "MS"},
        {"q,seq-pause", "Pause for each blank, between sequences, in ms (default 300).", "MS"},
        {"r,repeat-tone", "Send a symbol equal to the one before it as E.", ""},
        {"l,list",
         "Print the tone sets: index, name and default duration, tab-separated; the file read "
         "is named on standard error.",
         ""},
        {"f,tonesets", std::string("Tone-set file to read (default: ") + kToneSetSearchHelp + ").",
         "FILE"},
        {"play", "Play the sequence on the default audio output and print the measured play time.",
         ""},
        {"o,output",
         "FILE.wav: a WAV file; any other name: raw samples; none or -: raw little-endian samples "
         "on standard output.",
         "FILE"},
    });
    addRadioOptions(table);
    table.addArgumentHelp("SEQUENCE", "The tone sequence, e.g. \"0123 456\".");

    // The program's own name is not an option.
    const std::vector<std::string> words(arguments.begin() + (arguments.empty() ? 0 : 1),
                                         arguments.end());
    if (!table.parse(words))
        return UsageError{table.errorText()};

    RenderOptions options;
    options.helpText = table.helpText() + kExamples + kRadioExamples;
    if (table.isSet("help")) {
        options.help = true;
        return options;
    }
    if (table.isSet("version")) {
        options.version = true;
        return options;
    }

    OptionReader read(table);
    if (read.isSet("index")) {
        int index = -1;
        read.count("index", index, -1, "is not a tone-set index");
        if (read.error())
            return UsageError{*read.error()};
        options.index = index;
    }
    if (read.isSet("set")) {
        if (options.index)
            return UsageError{"--index and --set cannot be used together"};
        options.setName = read.value("set");
    }
    for (auto [name, target] : {std::pair{"tone", &options.toneMs}, {"pause", &options.pauseMs}}) {
        if (read.isSet(name)) {
            double value = 0;
            read.number(name, value);
            *target = value;
        }
    }
    read.number("seq-pause", options.sequencePauseMs);
    if (read.error())
        return UsageError{*read.error()};

    options.repeatTone = read.isSet("repeat-tone");
    options.list = read.isSet("list");
    if (read.isSet("tonesets"))
        options.toneSetsFile = read.value("tonesets");
    options.output = read.value("output");
    options.play = read.isSet("play");
    if (options.play && read.isSet("output"))
        return UsageError{"--play and --output cannot be used together"};
    if (auto radioError = readRadioOptions(table, options.radio))
        return UsageError{*radioError};

    const std::vector<std::string>& positional = table.positionalArguments();
    if (positional.size() > 1)
        return UsageError{"too many arguments: give the sequence as one argument, in quotes if it "
                          "holds blanks"};
    if (positional.empty()) {
        if (!options.list && !options.radio.listDevices)
            return UsageError{"missing SEQUENCE (see --help)"};
    } else {
        // One byte per character, as the window hands its text to the renderer.
        options.sequenceText = positional.front();
        options.sequence = narrowSequence(decodeUtf8(options.sequenceText));
    }
    return options;
}

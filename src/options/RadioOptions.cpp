#include "RadioOptions.h"

#include "DurationText.h"
#include "OptionReader.h"
#include "OptionTable.h"

const char* const kRadioExamples =
    "Key a radio through a CM108 USB interface (GPIO 3) and send a ZVEI1 call twice,\n"
    "600 ms apart, its first tone 700 ms long to open scanning receivers:\n"
    "  quorvel-render -f /usr/share/quorvel/TONESETS.INI -s ZVEI1 -p 0 -r --play \\\n"
    "      --device NAME --ptt cm108:/dev/hidraw0 --first-tone 700 --calls 2 \\\n"
    "      --call-gap 600 12345\n"
    "Key the radio through the rigctld that a digital-mode program already shares:\n"
    "  quorvel-render -s DTMF1 --play --device NAME --ptt rigctld -- 123F\n";

namespace
{

// The longest a transmitter is kept keyed around the sound.
constexpr double kLongestPttWaitMs = 60000;
// The longest time-out and wait for another sender's line, in seconds: a day, longer than the
// longest call (13.5 h) with its lead and tail, and counted in milliseconds far below 2^32.
constexpr double kLongestPttSeconds = 86400;

} // namespace

void addRadioOptions(OptionTable& table, bool withListing)
{
    table.add({
        {"lead-in", "Silence before the first tone, in ms (default 0).", "MS"},
        {"tail", "Silence after the last tone, in ms (default 0).", "MS"},
        {"first-tone", "The first tone of each sequence lasts MS instead of the tone duration.",
         "MS"},
        {"calls", "Send the whole rendered sequence N times (default 1).", "N"},
        {"call-gap", "Silence between two calls, in ms (default 0).", "MS"},
        {"level", "Gain in dB, from -80 to 0 (default 0: the samples as rendered).", "DB"},
        {"ptt",
         "Key a transmitter around the play: serial:DEVICE:rts or serial:DEVICE:dtr (rts,dtr "
         "keys on both lines, rts,-dtr holds DTR low; the same with dtr first), or "
         "cm108:DEVICE[:GPIO] for a CM108/CM119 interface (GPIO 3 by default; DEVICE auto "
         "finds the one C-Media interface), with :invert at the end for a line that keys low; "
         "rigctld[:HOST[:PORT]] through a running hamlib rigctld (localhost:4532 by default); "
         "or rig:MODEL:DEVICE[:BAUD] for the radio's CAT port through hamlib, MODEL being "
         "hamlib's model number as \"rigctl -l\" lists it.",
         "LINE"},
        {"ptt-lead", "Keyed this long before the sound starts, in ms (default 250, at most 60000).",
         "MS"},
        {"ptt-tail",
         "Kept keyed this long after the sound ends, in ms (default 50, at most 60000).", "MS"},
        {"ptt-timeout",
         "Never keep the line keyed longer than S seconds: a longer call is refused, and a "
         "sound that has not ended by then is stopped (default 180, at most 86400; 0: no "
         "limit).",
         "S"},
        {"ptt-wait",
         "Wait at most S seconds for another run that uses the same line to finish "
         "(default 30, at most 86400).",
         "S"},
        {"verbose",
         "Let hamlib's own messages through to standard error (rigctld: and rig: "
         "lines); without it only the program's own messages are shown.",
         ""},
        {"device", "Play on this output (a name from --list-devices) instead of the default.",
         "NAME"},
    });
    if (withListing)
        table.add({{"list-devices",
                    "Print the audio outputs, one a line: name, a tab and a description; the "
                    "default output's line ends in a tab and \"default\".",
                    ""}});
}

std::optional<std::string> readRadioOptions(const OptionTable& table, RadioOptions& options,
                                            const char* playOption)
{
    OptionReader read(table);
    if (const std::string why = keyingUnavailable(); !why.empty()) {
        for (const char* name : {"ptt", "ptt-lead", "ptt-tail", "ptt-timeout", "ptt-wait"})
            if (read.isSet(name))
                return std::string("--") + name + ": " + why;
    }
    constexpr double kAny = OptionReader::kAny;
    CallFraming& framing = options.framing;
    read.number("lead-in", framing.leadInMs, 0, kAny);
    read.number("tail", framing.tailMs, 0, kAny);
    if (read.isSet("first-tone")) {
        framing.firstToneMs = 0;
        read.number("first-tone", *framing.firstToneMs, 0, kAny);
    }
    read.number("call-gap", framing.callGapMs, 0, kAny);
    read.number("level", framing.levelDb, kLowestLevelDb, 0, "a number of decibels");
    read.count("calls", framing.calls, 1, "is not a count of 1 or more");
    read.number("ptt-lead", options.pttLeadMs, 0, kLongestPttWaitMs);
    read.number("ptt-tail", options.pttTailMs, 0, kLongestPttWaitMs);
    read.number("ptt-timeout", options.pttTimeoutS, 0, kLongestPttSeconds, "a number of seconds");
    read.number("ptt-wait", options.pttWaitS, 0, kLongestPttSeconds, "a number of seconds");
    if (read.isSet("ptt") && !read.error()) {
        auto address = parsePttAddress(read.value("ptt"));
        if (auto* why = std::get_if<std::string>(&address))
            return "--ptt: " + *why;
        options.ptt = std::get<PttAddress>(address);
        options.ptt->verbose = read.isSet("verbose");
    }
    if (playOption) {
        const bool play = read.isSet(playOption);
        read.needs("ptt", "--play", play);
        read.needs("device", "--play", play);
    }
    for (const char* name : {"ptt-lead", "ptt-tail", "ptt-timeout", "ptt-wait"})
        read.needs(name, "--ptt", options.ptt.has_value());
    options.listDevices = table.has("list-devices") && read.isSet("list-devices");
    if (read.isSet("device"))
        options.device = read.value("device");
    return read.error();
}

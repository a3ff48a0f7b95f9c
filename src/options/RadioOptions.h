#pragma once

#include "CallFraming.h"
#include "PttAddress.h"

#include <optional>
#include <string>

class OptionTable;

// The options for sending into a radio: call framing, push-to-talk and the output device.
struct RadioOptions {
    CallFraming framing;
    std::optional<PttAddress> ptt;
    double pttLeadMs = 250;   // keyed before the sound starts
    double pttTailMs = 50;    // still keyed after the device reports the end
    double pttTimeoutS = 180; // the longest a line stays keyed; 0: no limit
    double pttWaitS = 30;     // the longest a run waits for another sender's line
    bool listDevices = false;
    std::optional<std::string> device;
};

// withListing: --list-devices too, for a program that can print and exit.
void addRadioOptions(OptionTable& table, bool withListing = true);

// The lowest --level: below it a keyed transmitter would send what is silence on the air.
constexpr double kLowestLevelDb = -80;

// Reads the options after table.parse(); returns a usage error naming the bad option or
// value, or nothing. playOption names the option without which --ptt and --device mean
// nothing (quorvel-render's --play); null where every run plays (the window).
std::optional<std::string> readRadioOptions(const OptionTable& table, RadioOptions& options,
                                            const char* playOption = "play");

// Examples for --help.
extern const char* const kRadioExamples;

#pragma once

#include "CallFraming.h"
#include "PttAddress.h"

#include <optional>
#include <string>

class QCommandLineParser;

// The options for sending into a radio: call framing, push-to-talk and the output device.
struct RadioOptions {
    CallFraming framing;
    std::optional<PttAddress> ptt;
    double pttLeadMs = 250; // keyed before the sound starts
    double pttTailMs = 50;  // still keyed after the device reports the end
    bool listDevices = false;
    std::optional<std::string> device;
};

void addRadioOptions(QCommandLineParser& parser);

// Reads the options after parser.parse(); returns a usage error naming the bad option or
// value, or nothing.
std::optional<std::string> readRadioOptions(const QCommandLineParser& parser,
                                            RadioOptions& options);

// Examples for --help.
extern const char* const kRadioExamples;

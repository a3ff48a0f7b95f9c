#pragma once

#include "RadioOptions.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

// What the command line asked for, before any tone-set file is read.
struct RenderOptions {
    std::optional<int> index;
    std::optional<std::string> setName;
    std::optional<double> toneMs;
    std::optional<double> pauseMs;
    double sequencePauseMs = 300;
    bool repeatTone = false;
    std::optional<std::string> toneSetsFile;
    bool list = false;
    bool help = false;
    bool version = false;
    bool play = false;  // play on the default output device instead of writing samples
    std::string output; // empty or "-" for standard output
    std::string sequence;
    std::string sequenceText; // as typed, in UTF-8
    std::string helpText;
    RadioOptions radio; // framing, push-to-talk, output device
};

struct UsageError {
    std::string message;
};

// Parses the arguments (the program name first). A usage error names the bad option
// or value.
std::variant<RenderOptions, UsageError>
parseRenderOptions(const std::vector<std::string>& arguments);

#pragma once

#include <filesystem>
#include <vector>

// Where the tone sets are looked for when no -f names a file, in order; the first file that
// exists is read. One function per platform, in a file of its own.
std::vector<std::filesystem::path> toneSetSearchPaths();

// The same places in words, for --help.
extern const char* const kToneSetSearchHelp;

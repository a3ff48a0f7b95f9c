#pragma once

// The sends the benchmarks measure, shared by the render and memory benchmarks.

#include <cstdint>
#include <random>
#include <string>

// The longest kind of send the window allows, at half its length: 512 random DTMF symbols
// (a fixed seed, so every run renders the same samples) of 9999 ms with 999 ms between
// tones and 9999 ms for each blank (there are none: all 512 characters are symbols).
inline constexpr int kLongSendSymbols = 512;
inline constexpr double kLongSendToneMs = 9999;
inline constexpr double kLongSendPauseMs = 999;
inline constexpr double kLongSendSequencePauseMs = 9999;

inline std::string longSendSequence()
{
    std::mt19937 rng(512);
    std::string sequence;
    for (int i = 0; i < kLongSendSymbols; ++i)
        sequence += "0123456789ABCDEF"[rng() % 16];
    return sequence;
}

// A typical send: every symbol once at the DTMF1 presets.
inline constexpr const char* kTypicalSendSequence = "0123456789ABCDEF";
inline constexpr double kTypicalSendToneMs = 70;
inline constexpr double kTypicalSendPauseMs = 60;
inline constexpr double kTypicalSendSequencePauseMs = 300;

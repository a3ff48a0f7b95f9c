#pragma once

#include <string_view>

// The two built-in tone sets: their selector entry texts and the presets that choosing
// them applies (tone duration and pause between tones, in milliseconds, as texts).
inline constexpr std::string_view kDtmf1EntryText = "DTMF1(E=* F=#)";
inline constexpr std::string_view kDtmf2EntryText = "DTMF2(E=* F=#)";

struct DtmfPreset {
    std::string_view toneDurationText;
    std::string_view tonePauseText;
};

inline constexpr DtmfPreset kDtmf1Preset{"100", "60"};
inline constexpr DtmfPreset kDtmf2Preset{"250", "70"};

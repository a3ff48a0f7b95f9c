#pragma once

#include <filesystem>
#include <string>
#include <vector>

class SettingsTarget;

inline constexpr const char* kSettingsFileName = "Quorvel.ini";

// What a settings load did. Failed steps were recovered by writing the default record; the
// user hears nothing of them. `message` is set only when that recovery itself failed, and
// the window then shows it in one information box titled with its caption.
struct SettingsLoadResult {
    std::vector<int> failedSteps; // the load steps (1, 2, 6, 11) that ran the recovery
    std::string message;

    bool hasMessage() const { return !message.empty(); }
};

struct SettingsSaveResult {
    std::string message; // empty when the record was written

    bool ok() const { return message.empty(); }
};

// LoadSettings: reads the record and applies it in this order: left, top, list index (which
// runs cmbTone_Click), Text1 to Text4, check box (which runs chkE_Click). Call it after
// LoadToneSets, while the window is still hidden. It never leaves the selector without a
// selection.
SettingsLoadResult LoadSettings(SettingsTarget& target,
                                const std::filesystem::path& path = kSettingsFileName);

// SaveSettings: writes what the window and its controls show now, replacing the file.
SettingsSaveResult SaveSettings(const SettingsTarget& target,
                                const std::filesystem::path& path = kSettingsFileName);

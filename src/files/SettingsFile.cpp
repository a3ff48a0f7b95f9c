#include "SettingsFile.h"

#include "FileBytes.h"
#include "PathText.h"
#include "SettingsRecord.h"
#include "SettingsTarget.h"

#include <optional>

namespace
{

// One run of LoadSettings. No file stays open between steps: the file is read whole in
// steps 1 to 3 and in the recovery's reopening, and written whole by the recovery.
class SettingsLoader
{
public:
    SettingsLoader(SettingsTarget& target, const std::filesystem::path& path)
        : m_target(target), m_path(path)
    {
    }

    SettingsLoadResult run()
    {
        const SettingsValues values = readValues();
        m_target.setWindowLeft(static_cast<float>(values.left));
        m_target.setWindowTop(static_cast<float>(values.top));
        applyIndex(values.index);
        for (int box = 1; box <= 4; ++box)
            m_target.setText(box, values.texts[static_cast<std::size_t>(box - 1)]);
        // A refused value leaves the check box as it is.
        if (!m_target.setCheckValue(values.check)) {
            recover(11);
            m_keptCheck = values.check;
        }
        if (!m_failure.empty())
            m_result.message = m_failure + "\nQuorvel goes on with " + whatWasApplied() + ".";
        return std::move(m_result);
    }

private:
    // Steps 1 to 3. When the read fails partway the default record's values are applied,
    // since that is what the file holds after the recovery.
    SettingsValues readValues()
    {
        FileBytes file = readFileBytes(m_path);
        std::optional<std::string> bytes;
        if (file.ok) {
            bytes = std::move(file.bytes);
        } else {
            // The first run lands here: the recovery creates the file, whose default record
            // step 2 then reads.
            bytes = recover(1);
        }
        if (bytes) {
            if (auto values = parseSettingsRecord(*bytes))
                return *values;
            recover(2);
        }
        // The recovery failed, or the record is bad: go on with the defaults in memory.
        m_defaultsApplied = true;
        return defaultSettings();
    }

    // Step 6. The selector is never left without a selection: a refused index and a saved
    // -1 (no selection) both select the default, entry 2, the file's first set.
    void applyIndex(std::int16_t index)
    {
        if (m_target.entryCount() <= 2) {
            m_target.setListIndex(0);
            return;
        }
        if (index == -1) {
            m_target.setListIndex(2);
            return;
        }
        if (!m_target.setListIndex(index)) {
            recover(6);
            m_target.setListIndex(2);
            m_refusedIndex = index;
        }
    }

    // What the window shows after a load whose recovery could not write the default record:
    // the saved values, but for those that were refused.
    std::string whatWasApplied() const
    {
        if (m_defaultsApplied)
            return "the default settings";
        std::string text = "the saved settings";
        if (m_refusedIndex)
            text += ", but with the first tone set of the file selected instead of the saved "
                    "tone-set index " +
                    std::to_string(*m_refusedIndex);
        if (m_keptCheck)
            text += std::string(m_refusedIndex ? " and" : ", but") +
                    " with the repeat-tone check box left as it was instead of the saved value " +
                    std::to_string(*m_keptCheck);
        return text;
    }

    // Writes the default record and reopens the file, whose bytes serve step 2 after a
    // failed step 1. Empty when the recovery could not write or reopen the file.
    std::optional<std::string> recover(int failedStep)
    {
        m_result.failedSteps.push_back(failedStep);
        const std::string reason = writeFileBytes(m_path, kDefaultSettingsRecord);
        if (!reason.empty()) {
            reportRecoveryFailure("cannot be written", reason);
            return std::nullopt;
        }
        FileBytes reopened = readFileBytes(m_path);
        if (!reopened.ok) {
            reportRecoveryFailure("cannot be read back", reopened.reason);
            return std::nullopt;
        }
        return std::move(reopened.bytes);
    }

    // One message per load, however many recoveries fail; run() completes it.
    void reportRecoveryFailure(const char* what, const std::string& reason)
    {
        if (m_failure.empty())
            m_failure = "The settings file " + pathText(m_path) + " " + what + ": " + reason + ".";
    }

    SettingsTarget& m_target;
    const std::filesystem::path& m_path;
    SettingsLoadResult m_result;
    std::string m_failure;                      // the first failed recovery
    bool m_defaultsApplied = false;             // the values came from the default record
    std::optional<std::int16_t> m_refusedIndex; // step 6 failed on this saved index
    std::optional<std::int16_t> m_keptCheck;    // step 11 failed on this saved value
};

} // namespace

SettingsLoadResult LoadSettings(SettingsTarget& target, const std::filesystem::path& path)
{
    return SettingsLoader(target, path).run();
}

SettingsSaveResult SaveSettings(const SettingsTarget& target, const std::filesystem::path& path)
{
    const std::array<std::string, 4> texts = {target.text(1), target.text(2), target.text(3),
                                              target.text(4)};
    const std::string record = formatSettingsRecord(target.windowLeft(), target.windowTop(),
                                                    target.listIndex(), texts, target.checkValue());
    SettingsSaveResult result;
    const std::string reason = writeFileBytes(path, record);
    if (!reason.empty())
        result.message = "The settings file " + pathText(path) + " cannot be written: " + reason +
                         ".\nThe window's settings of this run are not saved.";
    return result;
}

// The handlers of the selector, the option, the sequence box, the duration boxes, the Send
// button.
#include "DurationText.h"
#include "FileText.h"
#include "Messages.h"
#include "SequencePlayer.h"
#include "SequenceText.h"
#include "Timings.h"
#include "ToneErrors.h"
#include "ToneSetNames.h"
#include "frmTone.h"
#include "modTone.h"

#include <algorithm>
#include <utility>

namespace
{

const std::string kQuorvelTitle = "Quorvel";

// A symbol looks up its frequency in the selected set; blanks and other characters do not.
bool holdsSymbol(const std::string& sequence)
{
    return std::any_of(sequence.begin(), sequence.end(),
                       [](char c) { return symbolColumn(c).has_value(); });
}

} // namespace

void frmTone::cmbTone_Click()
{
    const int k = m_view.listIndex();
    if (k == 0 || k == 1) {
        if (!DtmfPresetActive) {
            SavedPauseText = m_view.text(Control::Text3);
            SavedRepeatValue = m_view.checkValue();
            setCheckValue(0);
            m_view.setControlEnabled(Control::chkE, false);
            DtmfPresetActive = true;
        }
        const DtmfPreset& preset = k == 0 ? kDtmf1Preset : kDtmf2Preset;
        m_view.setText(Control::Text2, std::string(preset.toneDurationText));
        m_view.setText(Control::Text3, std::string(preset.tonePauseText));
        return;
    }
    // With nothing selected no preset applies; only the start-up can leave it so.
    if (k < 0)
        return;
    if (DtmfPresetActive) {
        m_view.setText(Control::Text3, SavedPauseText);
        setCheckValue(SavedRepeatValue);
        DtmfPresetActive = false;
    }
    m_view.setText(Control::Text2, std::to_string(m_view.itemData(m_view.listIndex())));
    m_view.setControlEnabled(Control::chkE, true);
}

void frmTone::chkE_Click()
{
    m_module.UseRepeatTone = m_view.checkValue() != 0;
}

void frmTone::cmdTone_Click()
{
    const auto milliseconds = durationBoxes();
    if (!milliseconds)
        return;
    // Negative values are sent, and shown, as 0.
    constexpr Control boxes[] = {Control::Text2, Control::Text3, Control::Text4};
    std::array<double, 3> seconds{};
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        if ((*milliseconds)[i] < 0)
            m_view.setText(boxes[i], "0");
        seconds[i] = std::max(0.0, (*milliseconds)[i]) / 1000;
    }
    m_module.ToneDuration = seconds[0];
    m_module.TonePause = seconds[1];
    m_module.SequencePause = seconds[2];
    // Cannot overflow: every count was checked with its box.
    ComputeTimings(m_module);
    // One byte per character; characters outside Latin-1 stay distinct for the repeat tone.
    const std::string sequence = narrowSequence(decodeUtf8(m_view.text(Control::Text1)));
    if (m_view.listIndex() < 0 && holdsSymbol(sequence)) {
        m_messages.show("Select a tone set first.", kQuorvelTitle, Messages::Icon::Information);
        return;
    }
    m_player.play(sequence);
    m_view.setCaption(captionBase() + " - " + std::to_string(m_module.ElapsedMs) + "mS");
    closeIfRequested();
}

// The values of Text2, Text3 and Text4 in milliseconds; nothing, after one message naming
// every box that the Send cannot use, when a box is no number or too long for one sound.
std::optional<std::array<double, 3>> frmTone::durationBoxes()
{
    const std::pair<Control, const char*> boxes[] = {{Control::Text2, "Single tone duration"},
                                                     {Control::Text3, "Pause between tones"},
                                                     {Control::Text4, "Pause between sequences"}};
    std::array<double, 3> milliseconds{};
    std::string problems;
    for (std::size_t i = 0; i < milliseconds.size(); ++i) {
        const std::string text = m_view.text(boxes[i].first);
        const auto value = parseDurationText(text);
        const char* problem = nullptr;
        if (!value) {
            problem = " is not a number of milliseconds.";
        } else {
            try {
                roundToInt32(*value / 1000 * kSampleRate);
                milliseconds[i] = *value;
            } catch (const OverflowError&) {
                problem = " is too long for one sound.";
            }
        }
        if (problem)
            problems += std::string(boxes[i].second) + ": \"" + text + "\"" + problem + "\r\n";
    }
    if (problems.empty())
        return milliseconds;
    m_messages.show(problems +
                        "Type a number of milliseconds, such as 70 or 12.5. Nothing was sent.",
                    kQuorvelTitle, Messages::Icon::Information);
    return std::nullopt;
}

void frmTone::Text1_KeyPress(int& KeyAscii)
{
    // Only a-f have an upper-case form among the codes kept below.
    if (KeyAscii >= 'a' && KeyAscii <= 'z')
        KeyAscii -= 'a' - 'A';
    const bool digit = KeyAscii >= 48 && KeyAscii <= 57;
    const bool letter = KeyAscii >= 65 && KeyAscii <= 70;
    if (digit || letter || KeyAscii == 8 || KeyAscii == 32)
        return;
    const int discarded = KeyAscii;
    KeyAscii = 0;
    if (discarded == 13)
        cmdTone_Click();
}

void frmTone::Text1_KeyUp()
{
    const std::size_t length = decodeUtf8(m_view.text(Control::Text1)).size();
    m_view.setText(Control::Label3, "Tone Sequence (" + std::to_string(length) + " car.)");
}

void frmTone::Text1_Click()
{
    Text1_KeyUp();
}

// Each box's click selects its whole text through keystrokes to the focused control, which
// is the box just clicked.
void frmTone::Text2_Click()
{
    m_view.sendHomeShiftEnd();
}

void frmTone::Text3_Click()
{
    m_view.sendHomeShiftEnd();
}

void frmTone::Text4_Click()
{
    m_view.sendHomeShiftEnd();
}

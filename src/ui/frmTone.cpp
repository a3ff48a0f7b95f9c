// Load and unload, the close request, and what the tone-set file and the settings file reach
// of the window.
#include "frmTone.h"

#include "DtmfTable.h"
#include "FileText.h"
#include "Messages.h"
#include "SequencePlayer.h"
#include "SettingsFile.h"
#include "ToneSetFile.h"
#include "modTone.h"

#include <algorithm>

#define QUORVEL_STRINGIFY2(x) #x
#define QUORVEL_STRINGIFY(x) QUORVEL_STRINGIFY2(x)

namespace
{

const std::string kQuorvelTitle = "Quorvel";

FormView::Control box(int number)
{
    constexpr FormView::Control boxes[] = {FormView::Control::Text1, FormView::Control::Text2,
                                           FormView::Control::Text3, FormView::Control::Text4};
    return boxes[std::clamp(number, 1, 4) - 1];
}

} // namespace

frmTone::frmTone(modTone& module, SequencePlayer& player, Messages& messages, FormView& view)
    : m_module(module), m_player(player), m_messages(messages), m_view(view)
{
    m_player.setToneSetIndexSource([this] { return m_view.listIndex(); });
}

frmTone::~frmTone()
{
    m_player.setToneSetIndexSource({});
}

std::string frmTone::captionBase()
{
    // Only the major number of the project's version is shown.
    return "Quorvel v" QUORVEL_STRINGIFY(QUORVEL_VERSION_MAJOR);
}

void frmTone::Form_Load()
{
    LoadDtmfTable(m_module.Tones);
    const std::string caption = captionBase();
    m_view.setCaption(caption);
    // The missing-file message is among the load's messages; all come in one box.
    const ToneSetLoadResult toneSets = LoadToneSets(m_module.Tones, *this);
    if (toneSets.hasMessage())
        m_messages.show(toneSets.message(), caption, Messages::Icon::Information);
    const SettingsLoadResult settings = LoadSettings(*this);
    m_view.keepOnScreen();
    if (settings.hasMessage())
        m_messages.show(settings.message, caption, Messages::Icon::Information);
}

void frmTone::Form_Unload()
{
    const SettingsSaveResult saved = SaveSettings(*this);
    if (!saved.ok())
        m_messages.show(saved.message, m_view.caption(), Messages::Icon::Information);
}

bool frmTone::Form_QueryUnload()
{
    if (!playing())
        return false;
    m_messages.show("Please wait end of sound before closing application.", kQuorvelTitle,
                    Messages::Icon::Information);
    return true;
}

bool frmTone::playing() const
{
    return m_module.Playing || m_player.sending();
}

bool frmTone::playStoppable() const
{
    return m_player.stoppable();
}

void frmTone::stopPlay()
{
    // The cycle ends its wait, releases the device and clears Playing; the Send that waited
    // then shows the time played so far in the caption. A keyed send also ends its wait for
    // the line, its lead or its tail, and releases the line.
    m_player.stop();
}

void frmTone::closeFromOutside()
{
    m_closeRequested = true;
    // A message box open over the window (the close refusal, a device report) would keep
    // its handler, and so the close, waiting for a person who may be gone.
    m_view.dismissMessageBoxes();
    if (playing()) {
        // The Send that runs the play closes the window once its cycle has returned.
        stopPlay();
        return;
    }
    closeIfRequested();
}

void frmTone::closeIfRequested()
{
    if (m_closeRequested && !playing()) {
        m_closeRequested = false;
        m_view.closeWindow();
    }
}

int frmTone::entryCount() const
{
    return m_view.entryCount();
}

void frmTone::appendEntry(const std::string& text)
{
    m_view.appendEntry(fileTextToUtf8(text));
}

void frmTone::setItemData(int index, std::int32_t value)
{
    m_view.setItemData(index, value);
}

float frmTone::windowLeft() const
{
    return m_view.left();
}

float frmTone::windowTop() const
{
    return m_view.top();
}

void frmTone::setWindowLeft(float twips)
{
    m_view.setLeft(twips);
}

void frmTone::setWindowTop(float twips)
{
    m_view.setTop(twips);
}

int frmTone::listIndex() const
{
    return m_view.listIndex();
}

// Setting the index by code runs cmbTone_Click, whether or not the index changes.
bool frmTone::setListIndex(int index)
{
    if (index < -1 || index >= m_view.entryCount())
        return false;
    m_view.setListIndex(index);
    cmbTone_Click();
    return true;
}

std::string frmTone::text(int number) const
{
    const std::string text = m_view.text(box(number));
    if (m_latin1Texts[static_cast<std::size_t>(std::clamp(number, 1, 4) - 1)]) {
        if (auto bytes = utf8ToLatin1(text))
            return *bytes;
    }
    return text;
}

void frmTone::setText(int number, const std::string& text)
{
    bool latin1 = false;
    m_view.setText(box(number), fileTextToUtf8(text, &latin1));
    m_latin1Texts[static_cast<std::size_t>(std::clamp(number, 1, 4) - 1)] = latin1;
}

std::int16_t frmTone::checkValue() const
{
    return m_view.checkValue();
}

// Setting a different value by code runs chkE_Click; setting the same one does not.
bool frmTone::setCheckValue(std::int16_t value)
{
    if (value < 0 || value > 2)
        return false;
    if (value != m_view.checkValue()) {
        m_view.setCheckValue(value);
        chkE_Click();
    }
    return true;
}

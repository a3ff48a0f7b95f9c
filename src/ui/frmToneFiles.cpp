// Load and unload, and what the tone-set file and the settings file reach of the window.
#include "DtmfTable.h"
#include "Messages.h"
#include "RepeatCheckBox.h"
#include "SettingsFile.h"
#include "ToneSetFile.h"
#include "Twips.h"
#include "WindowPlacement.h"
#include "frmTone.h"
#include "modTone.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QStringDecoder>
#include <algorithm>

namespace
{

// The files hold text as the user's editor wrote it: UTF-8 when it is valid as such,
// otherwise single-byte Latin-1, so that no byte is lost. `latin1` tells which it was.
QString fromFileText(const std::string& bytes, bool* latin1 = nullptr)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (latin1)
        *latin1 = utf8.hasError();
    if (utf8.hasError())
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text;
}

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// A saved position where no one could see the window is moved onto the primary screen.
void keepTitleBarOnScreen(QWidget& window)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QRect frame(window.pos(), window.frameGeometry().size());
    const QPoint place = visiblePosition(frame, screens, primary->availableGeometry());
    if (place != window.pos())
        window.move(place);
}

} // namespace

void frmTone::Form_Load()
{
    LoadDtmfTable(m_module.Tones);
    setWindowTitle(captionBase());
    const std::string caption = captionBase().toStdString();
    // The missing-file message is among the load's messages; all come in one box.
    const ToneSetLoadResult toneSets = LoadToneSets(m_module.Tones, *this);
    if (toneSets.hasMessage())
        m_messages.show(toneSets.message(), caption, Messages::Icon::Information);
    const SettingsLoadResult settings = LoadSettings(*this);
    keepTitleBarOnScreen(*this);
    if (settings.hasMessage())
        m_messages.show(settings.message, caption, Messages::Icon::Information);
}

void frmTone::Form_Unload()
{
    const SettingsSaveResult saved = SaveSettings(*this);
    if (!saved.ok())
        m_messages.show(saved.message, windowTitle().toStdString(), Messages::Icon::Information);
}

int frmTone::entryCount() const
{
    return cmbTone->count();
}

void frmTone::appendEntry(const std::string& text)
{
    cmbTone->addItem(fromFileText(text));
}

void frmTone::setItemData(int index, std::int32_t value)
{
    cmbTone->setItemData(index, value);
}

float frmTone::windowLeft() const
{
    return pixelsToTwips(x());
}

float frmTone::windowTop() const
{
    return pixelsToTwips(y());
}

void frmTone::setWindowLeft(float twips)
{
    move(twipsToPixels(twips), y());
}

void frmTone::setWindowTop(float twips)
{
    move(x(), twipsToPixels(twips));
}

int frmTone::listIndex() const
{
    return cmbTone->currentIndex();
}

bool frmTone::setListIndex(int index)
{
    if (index < -1 || index >= cmbTone->count())
        return false;
    // Setting the index runs cmbTone_Click, through the change signal or, when the index does
    // not change, here.
    if (index == cmbTone->currentIndex())
        cmbTone_Click();
    else
        cmbTone->setCurrentIndex(index);
    m_selectionHandled = false;
    return true;
}

QLineEdit* frmTone::box(int number) const
{
    QLineEdit* const boxes[] = {Text1, Text2, Text3, Text4};
    return boxes[std::clamp(number, 1, 4) - 1];
}

std::string frmTone::text(int number) const
{
    const QString text = box(number)->text();
    if (m_latin1Texts[static_cast<std::size_t>(std::clamp(number, 1, 4) - 1)] && fitsLatin1(text))
        return text.toLatin1().toStdString();
    return text.toStdString();
}

// A text longer than the box's character limit is cut to the limit, as typing would be.
void frmTone::setText(int number, const std::string& text)
{
    bool latin1 = false;
    box(number)->setText(fromFileText(text, &latin1));
    m_latin1Texts[static_cast<std::size_t>(std::clamp(number, 1, 4) - 1)] = latin1;
}

std::int16_t frmTone::checkValue() const
{
    return chkE->value();
}

bool frmTone::setCheckValue(std::int16_t value)
{
    return chkE->setValue(value);
}

// The window's controls, as designed, and what the handlers read and set of them.
#include "QtToneWindow.h"

#include "ControlFonts.h"
#include "RepeatCheckBox.h"
#include "ToneSetNames.h"
#include "Twips.h"
#include "WindowPlacement.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <utility>

namespace
{

// The client area, in twips: 276 x 82 pixels.
constexpr int kClientWidthTwips = 4140;
constexpr int kClientHeightTwips = 1230;

// A fixed-size window: a title bar with minimise and close, no maximise.
constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

void place(QWidget* control, const char* name, int left, int top, int width, int height)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                         twipsToPixels(height));
}

QLineEdit* textBox(QWidget* parent, const char* text, int maxLength, const char* toolTip)
{
    auto* box = new QLineEdit(QString::fromLatin1(text), parent);
    box->setMaxLength(maxLength);
    box->setToolTip(QString::fromUtf8(toolTip));
    return box;
}

QLabel* label(QWidget* parent, const char* caption)
{
    auto* control = new QLabel(QString::fromLatin1(caption), parent);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
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

QtToneWindow::QtToneWindow(modTone& module, PlaybackCycle& cycle, Messages& messages,
                           QWidget* parent)
    : QWidget(parent, kWindowFlags), m_player(cycle), m_form(module, m_player, messages, *this)
{
    setObjectName(QStringLiteral("frmTone"));
    setFont(windowFont());
    setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    createControls();
    setFocusOrder();
    describeForScreenReaders();
    connectHandlers();
}

QtToneWindow::~QtToneWindow() = default;

void QtToneWindow::createControls()
{
    Text4 = textBox(this, "350", 4, "Pausa fra una sequenza e l'altra");
    place(Text4, "Text4", 3400, 920, 470, 285);

    chkE = new RepeatCheckBox(QStringLiteral("Use repeat tone"), this);
    chkE->setToolTip(QStringLiteral("Inserisce il tono 'E' sulle ripetizioni"));
    place(chkE, "chkE", 100, 600, 1450, 195);

    cmbTone = new QComboBox(this);
    cmbTone->setEditable(false);
    cmbTone->addItem(QString::fromLatin1(kDtmf1EntryText.data(), kDtmf1EntryText.size()));
    cmbTone->addItem(QString::fromLatin1(kDtmf2EntryText.data(), kDtmf2EntryText.size()));
    cmbTone->setCurrentIndex(-1); // the first entry added selected itself
    cmbTone->setToolTip(QStringLiteral("Impostazione tipo di toni"));
    // The wheel may change the set only once the selector has the focus (see eventFilter):
    // rolling over it must neither take the focus nor overwrite a duration with a preset.
    cmbTone->setFocusPolicy(Qt::StrongFocus);
    place(cmbTone, "cmbTone", 50, 210, 1575, 315);

    Text3 = textBox(this, "0", 3, "Pausa tra un tono e l'altro");
    place(Text3, "Text3", 3010, 920, 375, 285);

    Text2 = textBox(this, "50", 4, "Durata di un tono");
    place(Text2, "Text2", 3400, 570, 470, 285);

    cmdTone = new QPushButton(QStringLiteral("Send Sequence"), this);
    cmdTone->setToolTip(QStringLiteral("Invia sequenza"));
    cmdTone->setAutoDefault(false);
    place(cmdTone, "cmdTone", 100, 845, 1450, 350);

    Text1 = textBox(this, "0123456789ABCDEF", 1024,
                    "Sequenza da inviare (tasti consentiti: 0...F, Spazio e Invio)");
    place(Text1, "Text1", 1800, 210, 2295, 295);
    Text1->setFont(sequenceFont(Text1->text(), Text1->size()));

    Label6 = label(this, "Select Toneset");
    place(Label6, "Label6", 285, 0, 1215, 255);
    Label5 = label(this, "Betw. tones/seq");
    place(Label5, "Label5", 1800, 945, 1335, 255);
    Label4 = label(this, "Single Tone Duration");
    place(Label4, "Label4", 1800, 600, 1695, 255);
    Label3 = label(this, "Tone Sequence(s)");
    place(Label3, "Label3", 2040, 0, 1935, 255);
    Label2 = label(this, "mS");
    place(Label2, "Label2", 3865, 945, 255, 255);
    Label1 = label(this, "mS");
    place(Label1, "Label1", 3865, 600, 255, 255);

    // Labels lie beneath the other controls where they overlap them.
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6})
        l->lower();
}

void QtToneWindow::setFocusOrder()
{
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6})
        l->setFocusPolicy(Qt::NoFocus);
    // Text4 comes last, not after Text3. A disabled chkE is passed over.
    QWidget* const order[] = {Text1, cmdTone, Text2, Text3, cmbTone, chkE, Text4};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    Text1->setFocus(Qt::OtherFocusReason);
}

// A screen reader names each control after the label beside it, and reads its tooltip as the
// description. The two pause boxes share one label, "Betw. tones/seq", so each gets its own.
void QtToneWindow::describeForScreenReaders()
{
    const std::pair<QWidget*, const char*> names[] = {
        {Text1, "Tone Sequence"},       {Text2, "Single Tone Duration"},
        {Text3, "Pause between tones"}, {Text4, "Pause between sequences"},
        {cmbTone, "Select Toneset"},    {chkE, "Use repeat tone"},
        {cmdTone, "Send Sequence"}};
    for (const auto& [control, name] : names) {
        control->setAccessibleName(QString::fromLatin1(name));
        control->setAccessibleDescription(control->toolTip());
    }
    // Some readers name a selector after its entry and find its title through the label's
    // relation. No caption holds an access key, so a buddy adds no shortcut.
    Label6->setBuddy(cmbTone);
    Label3->setBuddy(Text1);
    Label4->setBuddy(Text2);
}

QWidget* QtToneWindow::control(Control which) const
{
    switch (which) {
    case Control::Text1:
        return Text1;
    case Control::Text2:
        return Text2;
    case Control::Text3:
        return Text3;
    case Control::Text4:
        return Text4;
    case Control::Label3:
        return Label3;
    case Control::chkE:
        return chkE;
    case Control::cmbTone:
        return cmbTone;
    case Control::cmdTone:
        return cmdTone;
    }
    return Text1;
}

std::string QtToneWindow::caption() const
{
    return windowTitle().toStdString();
}

void QtToneWindow::setCaption(const std::string& text)
{
    setWindowTitle(QString::fromStdString(text));
}

float QtToneWindow::left() const
{
    return pixelsToTwips(x());
}

float QtToneWindow::top() const
{
    return pixelsToTwips(y());
}

void QtToneWindow::setLeft(float twips)
{
    move(twipsToPixels(twips), y());
}

void QtToneWindow::setTop(float twips)
{
    move(x(), twipsToPixels(twips));
}

void QtToneWindow::keepOnScreen()
{
    keepTitleBarOnScreen(*this);
}

std::string QtToneWindow::text(Control which) const
{
    const QWidget* shown = control(which);
    if (const auto* box = qobject_cast<const QLineEdit*>(shown))
        return box->text().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(shown))
        return label->text().toStdString();
    return {};
}

// A box cuts a text beyond its maximum length, as typing would.
void QtToneWindow::setText(Control which, const std::string& text)
{
    QWidget* shown = control(which);
    if (auto* box = qobject_cast<QLineEdit*>(shown))
        box->setText(QString::fromStdString(text));
    else if (auto* label = qobject_cast<QLabel*>(shown))
        label->setText(QString::fromStdString(text));
}

void QtToneWindow::setControlEnabled(Control which, bool enabled)
{
    control(which)->setEnabled(enabled);
}

std::int16_t QtToneWindow::checkValue() const
{
    return chkE->value();
}

void QtToneWindow::setCheckValue(std::int16_t value)
{
    chkE->setValue(value);
}

int QtToneWindow::entryCount() const
{
    return cmbTone->count();
}

void QtToneWindow::appendEntry(const std::string& text)
{
    cmbTone->addItem(QString::fromStdString(text));
}

std::int32_t QtToneWindow::itemData(int index) const
{
    return cmbTone->itemData(index).toInt();
}

void QtToneWindow::setItemData(int index, std::int32_t value)
{
    cmbTone->setItemData(index, value);
}

int QtToneWindow::listIndex() const
{
    return cmbTone->currentIndex();
}

void QtToneWindow::setListIndex(int index)
{
    cmbTone->setCurrentIndex(index);
}

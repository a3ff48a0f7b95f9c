#include "frmTone.h"

#include "ControlFonts.h"
#include "PlaybackCycle.h"
#include "RepeatCheckBox.h"
#include "ToneSetNames.h"
#include "Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>
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

} // namespace

frmTone::frmTone(modTone& module, PlaybackCycle& cycle, Messages& messages, QWidget* parent)
    : QWidget(parent, kWindowFlags), m_module(module), m_cycle(cycle), m_messages(messages)
{
    setObjectName(QStringLiteral("frmTone"));
    setFont(windowFont());
    setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    createControls();
    setFocusOrder();
    describeForScreenReaders();
    connectHandlers();
    m_cycle.setToneSetIndexSource([this] { return cmbTone->currentIndex(); });
}

frmTone::~frmTone()
{
    m_cycle.setToneSetIndexSource({});
}

QString frmTone::captionBase()
{
    // Only the major number of project(VERSION) is shown.
    return QStringLiteral("Quorvel v" QT_STRINGIFY(QUORVEL_VERSION_MAJOR));
}

void frmTone::createControls()
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

void frmTone::setFocusOrder()
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
void frmTone::describeForScreenReaders()
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

void frmTone::connectHandlers()
{
    connect(cmbTone, &QComboBox::currentIndexChanged, this, [this] {
        cmbTone_Click();
        m_selectionHandled = true;
    });
    connect(cmbTone, &QComboBox::activated, this, [this] {
        if (!m_selectionHandled)
            cmbTone_Click();
        m_selectionHandled = false;
    });
    connect(chkE, &QCheckBox::stateChanged, this, [this] { chkE_Click(); });
    connect(cmdTone, &QPushButton::clicked, this, [this] { cmdTone_Click(); });
    // Every control that can take the focus, and the window itself, for Escape.
    for (QWidget* watched :
         std::initializer_list<QWidget*>{this, Text4, chkE, cmbTone, Text3, Text2, cmdTone, Text1})
        watched->installEventFilter(this);
}

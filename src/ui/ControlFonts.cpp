#include "ControlFonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

namespace
{

const QString kDesignFamily = QStringLiteral("MS Sans Serif");

// Nearest in looks and width first; DejaVu Sans, the usual fallback, is the widest of them.
const QStringList kSansSerifFamilies = {
    QStringLiteral("Microsoft Sans Serif"),
    QStringLiteral("Liberation Sans"),
    QStringLiteral("Arimo"),
    QStringLiteral("Arial"),
    QStringLiteral("Nimbus Sans"),
    QStringLiteral("FreeSans"),
    QStringLiteral("DejaVu Sans"),
};

// A line edit's frame and text margins take this much of its box on each side.
constexpr int kBoxInsetPixels = 4;

QFont atControlSize(const QString& family, bool bold)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kControlFontPixels);
    font.setBold(bold);
    return font;
}

bool installed(const QString& family)
{
    return QFontDatabase::hasFamily(family);
}

bool fits(const QFont& font, const QString& sample, QSize box)
{
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(sample) <= box.width() - 2 * kBoxInsetPixels &&
           metrics.height() <= box.height() - kBoxInsetPixels;
}

} // namespace

std::span<const WindowFontChoice> windowFontChoices()
{
    // Liberation Sans and Arimo share Arial's widths. At 11 pixels "DTMF1(E=* F=#)" overruns
    // the closed selector, "Use repeat tone" its check box and "Tone Sequence (1024 car.)"
    // its label; at 10 all fit, the selector's text with 1.5 pixels to spare. DejaVu Sans, the
    // usual fallback, is too wide at any readable size; its condensed face fits.
    static constexpr WindowFontChoice kChoices[] = {
        {"Liberation Sans", 10, QFont::Unstretched},
        {"Arimo", 10, QFont::Unstretched},
        {"Arial", 10, QFont::Unstretched},
        {"DejaVu Sans", 10, QFont::Condensed},
    };
    return kChoices;
}

QFont fontOf(const WindowFontChoice& choice)
{
    QFont font(QString::fromLatin1(choice.family));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(choice.pixelSize);
    font.setStretch(choice.stretch);
    return font;
}

QFont windowFont()
{
    int smallest = kControlFontPixels;
    for (const WindowFontChoice& choice : windowFontChoices()) {
        if (installed(QString::fromLatin1(choice.family)))
            return fontOf(choice);
        smallest = std::min(smallest, choice.pixelSize);
    }
    return fontOf({"", smallest, QFont::Condensed});
}

QFont sequenceFont(const QString& sample, QSize box)
{
    if (installed(kDesignFamily)) {
        QFont font(kDesignFamily);
        font.setPointSizeF(8.25);
        font.setBold(true);
        return font;
    }
    for (const QString& family : kSansSerifFamilies) {
        if (!installed(family))
            continue;
        const QFont font = atControlSize(family, true);
        if (fits(font, sample, box))
            return font;
    }
    // Nothing known fits: the system's sans-serif, made smaller until the text fits.
    QFont font = atControlSize(QString(), true);
    while (font.pixelSize() > 6 && !fits(font, sample, box))
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

#include "ControlFonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

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

QFont windowFont()
{
    if (installed(kDesignFamily)) {
        QFont font(kDesignFamily);
        font.setPointSizeF(8.25);
        return font;
    }
    for (const QString& family : kSansSerifFamilies) {
        if (!installed(family))
            continue;
        QFont font = atControlSize(family, false);
        // DejaVu Sans is too wide for "Single Tone Duration" in its box; its condensed face fits.
        if (family == QStringLiteral("DejaVu Sans"))
            font.setStretch(QFont::Condensed);
        return font;
    }
    return atControlSize(QString(), false);
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

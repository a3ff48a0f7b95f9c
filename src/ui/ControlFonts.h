#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <span>

// 8.25 points at 96 dots per inch.
inline constexpr int kControlFontPixels = 11;

// A face for the window's own font, at the largest pixel size at which the longest text of
// every control fits the control's fixed box.
struct WindowFontChoice {
    const char* family;
    int pixelSize;
    QFont::Stretch stretch;
};

// In order of preference: the window takes the first installed one (the build's dependencies
// install the first), else the system's sans-serif, condensed where it has such a face, at the
// smallest size of the list.
std::span<const WindowFontChoice> windowFontChoices();
QFont fontOf(const WindowFontChoice& choice);

// The window's own font, used by every control but the sequence box.
QFont windowFont();

// The sequence box's font: "MS Sans Serif" 8.25 points bold when it is installed, otherwise
// the nearest sans-serif bold at the same pixel size in which `sample` fits a box of `box`
// pixels (frame included).
QFont sequenceFont(const QString& sample, QSize box);

#pragma once

#include <QFont>
#include <QSize>
#include <QString>

// 8.25 points at 96 dots per inch.
inline constexpr int kControlFontPixels = 11;

// The window's own font, used by every control but the sequence box: "MS Sans Serif" at 8.25
// points when it is installed, otherwise the narrowest sans-serif of the usual ones at the same
// pixel size, so that the labels fit their fixed boxes.
QFont windowFont();

// The sequence box's font: "MS Sans Serif" 8.25 points bold when it is installed, otherwise
// the nearest sans-serif bold at the same pixel size in which `sample` fits a box of `box`
// pixels (frame included).
QFont sequenceFont(const QString& sample, QSize box);

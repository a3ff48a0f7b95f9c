#pragma once

#include <QtGlobal>

// Geometry and window positions are kept in twips, 1440 to the inch: 15 to a logical pixel at
// 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

// Twips that are not a whole number of pixels go to the nearest pixel.
constexpr int twipsToPixels(double twips)
{
    return qRound(twips / kTwipsPerPixel);
}

constexpr float pixelsToTwips(int pixels)
{
    return static_cast<float>(pixels * kTwipsPerPixel);
}

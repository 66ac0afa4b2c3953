// The window's layout is given in twips (1/1440 inch). At 96 dots per inch a
// pixel is 15 twips; Qt scales logical pixels to the screen's real density.
#pragma once

#include <QRect>

namespace brisendale {

constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

}  // namespace brisendale

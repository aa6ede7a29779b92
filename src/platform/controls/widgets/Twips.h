#pragma once
// Designer positions and sizes are in twips: 15 twips are one pixel at 96 dots per inch, scaled
// with the screen's logical resolution.

#include <QRect>

class QWidget;

namespace kv {

// Logical dots per inch of the widget's screen (of the primary screen without a widget; 96
// without any screen).
double LogicalDpi(const QWidget* widget = nullptr);
// Twips to pixels, rounded to the nearest pixel.
int TwipsToPixels(double twips, const QWidget* widget = nullptr);
int PixelsToTwips(int pixels, const QWidget* widget = nullptr);
// A designer rectangle (left, top, width, height in twips) in pixels.
QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget = nullptr);

}  // namespace kv

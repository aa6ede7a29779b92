#include "platform/controls/widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace kv {

namespace {
constexpr double kTwipsPerInch = 1440.0;
}

double LogicalDpi(const QWidget* widget) {
    if (widget != nullptr)
        return widget->logicalDpiX();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInch();
    return 96.0;
}

int TwipsToPixels(double twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips * LogicalDpi(widget) / kTwipsPerInch));
}

int PixelsToTwips(int pixels, const QWidget* widget) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / LogicalDpi(widget)));
}

QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget) {
    return QRect(TwipsToPixels(left, widget), TwipsToPixels(top, widget),
                 TwipsToPixels(width, widget), TwipsToPixels(height, widget));
}

}  // namespace kv

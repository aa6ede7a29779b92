#pragma once
// Windows colour values of designer data and code: red in the low byte, then green and blue;
// a value with the high bit set names a system colour by its index in the low byte
// (&H80000011 grey text, &H8000000F button face), taken from the widget's palette.

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace kv {

QColor WinColor(int32_t color, const QPalette& palette);

}  // namespace kv

// Twips to pixels, Windows colour values, and the value-list and bit texts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "platform/controls/BitText.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/WinColor.h"

namespace kv {
namespace {

TEST(TwipsTest, FifteenTwipsAreOnePixelAt96DotsPerInch) {
    const double dpi = LogicalDpi();
    EXPECT_EQ(TwipsToPixels(1440), static_cast<int>(std::lround(dpi)));
    if (dpi != 96)
        GTEST_SKIP() << "the screen has " << dpi << " dots per inch";
    EXPECT_EQ(TwipsToPixels(15), 1);
    EXPECT_EQ(TwipsRect(120, 360, 6015, 315), QRect(8, 24, 401, 21));
    EXPECT_EQ(PixelsToTwips(401), 6015);
}

TEST(WinColorTest, RedIsTheLowByte) {
    const QPalette pal = QApplication::palette();
    EXPECT_EQ(WinColor(0xFF0000, pal), QColor(0, 0, 255));  // blue
    EXPECT_EQ(WinColor(0x008000, pal), QColor(0, 128, 0));  // green
    EXPECT_EQ(WinColor(0x0040C0, pal), QColor(0xC0, 0x40, 0));
    EXPECT_EQ(WinColor(0, pal), QColor(0, 0, 0));
}

TEST(WinColorTest, SystemColoursComeFromThePalette) {
    QPalette pal;
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(1, 2, 3));
    pal.setColor(QPalette::Active, QPalette::Button, QColor(4, 5, 6));
    pal.setColor(QPalette::Active, QPalette::WindowText, QColor(7, 8, 9));
    EXPECT_EQ(WinColor(static_cast<int32_t>(0x80000011u), pal), QColor(1, 2, 3));  // grey text
    EXPECT_EQ(WinColor(static_cast<int32_t>(0x8000000Fu), pal), QColor(4, 5, 6));  // button face
    EXPECT_EQ(WinColor(static_cast<int32_t>(0x800000FFu), pal), QColor(7, 8, 9));  // unknown
}

TEST(BitTextTest, BitTextsReadAndWriteBitZeroFirst) {
    EXPECT_EQ(ParseBitText("1|0|1"), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(ParseBitText("0|x|2"), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(ParseBitText("").empty());
    EXPECT_EQ(JoinBitText({true, false, false, true}), "1|0|0|1");
}

}  // namespace
}  // namespace kv

// The bar graph: the band's geometry from the value, range, limits and mirroring; the
// properties with their change marks and repaints; the property bag; the layout of band and
// scale.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QSignalSpy>
#include <QTest>
#include <limits>

#include "platform/controls/widgets/Scale.h"
#include "platform/runtime/PropertyBag.h"
#include "ui/framework/widgets/ctlBar.h"

namespace kv {
namespace {

constexpr double kW = 401;  // X = 400
constexpr double kH = 28;

BarGeometry Geo(const Variant& value, double min, double max, bool mirrored = false,
                const Variant& limitMin = Variant::Null(),
                const Variant& limitMax = Variant::Null()) {
    return ComputeBarGeometry(kW, kH, 1, value, min, max, limitMin, limitMax, mirrored);
}

TEST(BarGeometryTest, AHalfValueFillsHalfTheBand) {
    const BarGeometry g = Geo(Variant(50.0), 0, 100);
    EXPECT_FLOAT_EQ(g.band, 7);
    EXPECT_FLOAT_EQ(g.length, 400);
    EXPECT_FLOAT_EQ(g.barFrom, 0);
    EXPECT_FLOAT_EQ(g.barTo, 200);
}

TEST(BarGeometryTest, ANegativeValueRunsLeftFromTheZeroPosition) {
    const BarGeometry g = Geo(Variant(-25.0), -50, 50);
    EXPECT_FLOAT_EQ(g.barFrom, 100);  // X/4
    EXPECT_FLOAT_EQ(g.barTo, 200);    // the zero position X/2
}

TEST(BarGeometryTest, AnEmptyRangeDrawsNoBarAndNoMarks) {
    const BarGeometry g = Geo(Variant(30.0), 20, 20, false, Variant(10.0), Variant(40.0));
    EXPECT_FLOAT_EQ(g.barFrom, g.barTo);
    EXPECT_TRUE(g.limits.empty());
}

TEST(BarGeometryTest, MirroringTurnsTheWholeBandAround) {
    // The bar runs from the mirrored zero to the mirrored value, not over the unfilled part.
    BarGeometry g = Geo(Variant(25.0), 0, 100, true);
    EXPECT_FLOAT_EQ(g.barFrom, 300);
    EXPECT_FLOAT_EQ(g.barTo, 400);
    g = Geo(Variant(-25.0), -50, 50, true);
    EXPECT_FLOAT_EQ(g.barFrom, 200);
    EXPECT_FLOAT_EQ(g.barTo, 300);
    g = Geo(Variant(50.0), 0, 100, true, Variant(10.0), Variant(90.0));
    EXPECT_EQ(g.limits, (std::vector<float>{360, 40}));
}

TEST(BarGeometryTest, LimitMarksStandAtTheirValuesAndAnUnsetLimitCountsAsZero) {
    BarGeometry g = Geo(Variant(50.0), 0, 100, false, Variant(10.0), Variant(int32_t{90}));
    EXPECT_EQ(g.limits, (std::vector<float>{40, 360}));
    g = Geo(Variant(50.0), -50, 50, false, Variant(), Variant(25.0));
    EXPECT_EQ(g.limits, (std::vector<float>{200, 300}));
}

TEST(BarGeometryTest, ValuesBeyondTheRangeRunOutOfTheBand) {
    EXPECT_FLOAT_EQ(Geo(Variant(150.0), 0, 100).barTo, 600);
    const BarGeometry below = Geo(Variant(-10.0), 0, 100);
    EXPECT_FLOAT_EQ(below.barFrom, -40);
    EXPECT_FLOAT_EQ(below.barTo, 0);
}

TEST(BarGeometryTest, WhatIsNoNumberDrawsNothing) {
    for (const Variant& v :
         {Variant::Null(), Variant("abc"), Variant(std::numeric_limits<double>::quiet_NaN())}) {
        const BarGeometry g = Geo(v, 0, 100, false, Variant("x"), Variant::Null());
        EXPECT_FLOAT_EQ(g.barFrom, g.barTo);
        EXPECT_TRUE(g.limits.empty());
    }
    EXPECT_FLOAT_EQ(Geo(Variant("50"), 0, 100).barTo, 200);  // a numeric text counts
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

class BarTest : public ::testing::Test {
  protected:
    BarTest() : changed(&bar, &ctlBar::PropertyChanged) {
        bar.resize(393, 28);
        bar.show();
        QApplication::processEvents();
        counter = std::make_unique<PaintCounter>(&bar);
    }
    int Repaints() {
        QApplication::processEvents();
        const int n = counter->paints;
        counter->paints = 0;
        return n;
    }

    ctlBar bar;
    QSignalSpy changed;
    std::unique_ptr<PaintCounter> counter;
};

TEST_F(BarTest, ABarWithoutStoredPropertiesShowsZeroToHundred) {
    EXPECT_DOUBLE_EQ(bar.RangeMin(), 0);
    EXPECT_DOUBLE_EQ(bar.RangeMax(), 100);
    PropertyBag empty;
    EXPECT_TRUE(bar.ReadProperties(empty));
    EXPECT_DOUBLE_EQ(bar.RangeMin(), 0);
    EXPECT_DOUBLE_EQ(bar.RangeMax(), 100);
    EXPECT_EQ(bar.Caption(), "");
    EXPECT_EQ(bar.Color(), 0);
    EXPECT_FALSE(bar.Mirrored());
}

TEST_F(BarTest, SettingTheRangeToItsCurrentValueDoesNothing) {
    bar.SetRangeMin(Variant(int32_t{0}));
    bar.SetRangeMax(Variant("100"));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(Repaints(), 0);
    bar.SetRangeMin(Variant(-50.0));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), "RangeMin");
    EXPECT_GT(Repaints(), 0);
    EXPECT_DOUBLE_EQ(bar.Scale1().RangeMin(), -50);
    EXPECT_DOUBLE_EQ(bar.Scale1().ViewMin(), -50);
}

TEST_F(BarTest, ARangeThatIsNoNumberKeepsTheRange) {
    for (const Variant& v : {Variant("abc"), Variant::Null(), Variant(), Variant(true),
                             Variant(std::vector<uint8_t>{1})}) {
        bar.SetRangeMin(v);
        bar.SetRangeMax(v);
    }
    EXPECT_DOUBLE_EQ(bar.RangeMin(), 0);
    EXPECT_DOUBLE_EQ(bar.RangeMax(), 100);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(BarTest, TheRangeGoesThroughItsTextForm) {
    bar.SetRangeMax(Variant(0.1f));  // a single 0.1 is kept as the 0.1 it shows
    EXPECT_DOUBLE_EQ(bar.RangeMax(), 0.1);
}

TEST_F(BarTest, ValueAndLimitsRepaintWithoutAChangeMark) {
    bar.SetValue(Variant(42.0));
    bar.SetLimitMin(Variant(10.0));
    bar.SetLimitMax(Variant(90.0));
    EXPECT_GT(Repaints(), 0);
    EXPECT_EQ(changed.count(), 0);
    bar.SetValue(Variant(42.0));
    EXPECT_EQ(Repaints(), 0);
    EXPECT_FLOAT_EQ(bar.Geometry().barTo, 392 * 0.42f);
    EXPECT_EQ(bar.Geometry().limits.size(), 2u);
}

TEST_F(BarTest, ColoursMirroringAndCaptionAreMarkedChanged) {
    bar.SetColor(0x008000);
    bar.SetLimitColor(0x008000);
    bar.SetMirrored(true);
    bar.SetCaption("Readback");
    bar.SetColor(0x008000);
    ASSERT_EQ(changed.count(), 4);
    EXPECT_EQ(changed.at(3).at(0).toString(), "Caption");
    EXPECT_EQ(bar.Scale1().Caption(), "Readback");
    EXPECT_TRUE(bar.Scale1().Mirrored());
}

TEST_F(BarTest, TheLanguageGoesToTheScaleOnly) {
    bar.SetUserLanguage(0x407);
    EXPECT_EQ(bar.Scale1().UserLanguage(), 0x407);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(BarTest, AChangeOfTheScaleRepaintsTheBar) {
    Repaints();
    bar.Scale1().SetViewMax(50);
    EXPECT_GT(Repaints(), 0);
}

TEST_F(BarTest, TheScaleTakesTheLowerThreeQuarters) {
    bar.resize(400, 28);
    EXPECT_EQ(bar.Scale1().geometry(), QRect(0, 7, 400, 21));
    EXPECT_FLOAT_EQ(bar.Geometry().band, 7);
    EXPECT_FLOAT_EQ(bar.Geometry().length, 399);
}

TEST_F(BarTest, ThePropertyBagKeepsWhatTheBarPersists) {
    bar.SetCaption("Setpoint");
    bar.SetColor(0xFF0000);
    bar.SetLimitColor(0x0040C0);
    bar.SetRangeMin(Variant(-10.0));
    bar.SetRangeMax(Variant(110.0));
    bar.SetMirrored(true);
    bar.SetValue(Variant(5.0));
    PropertyBag bag;
    bar.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"Caption", "Color", "LimitColor", "RangeMin",
                                                    "RangeMax", "Mirrored"}));
    ctlBar copy;
    EXPECT_TRUE(copy.ReadProperties(bag));
    EXPECT_EQ(copy.Caption(), "Setpoint");
    EXPECT_EQ(copy.Color(), 0xFF0000);
    EXPECT_EQ(copy.LimitColor(), 0x0040C0);
    EXPECT_DOUBLE_EQ(copy.RangeMin(), -10);
    EXPECT_DOUBLE_EQ(copy.RangeMax(), 110);
    EXPECT_TRUE(copy.Mirrored());
    EXPECT_TRUE(copy.Value().isEmpty());
}

TEST_F(BarTest, DesignerColoursAreReadAndABadValueIsReported) {
    PropertyBag bag;
    bag.Write("color", Variant(int32_t{32768}));
    bag.Write("limitcolor", Variant("green"));
    bag.Write("RangeMax", Variant(50.0));
    EXPECT_FALSE(bar.ReadProperties(bag));
    EXPECT_EQ(bar.Color(), 32768);
    EXPECT_EQ(bar.LimitColor(), 0);
    EXPECT_DOUBLE_EQ(bar.RangeMax(), 50);
}

}  // namespace
}  // namespace kv

// The trend chart through its interface: the members the archive page sets by name, following
// the newest samples, scrolling and zooming with keys and the mouse, and the cursor's readout.

#include "platform/controls/widgets/Trend.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <stdexcept>

namespace kv {
namespace {

constexpr int64_t kT0 = 1'767'225'600'000;

ArchiveSample Sample(int64_t t, double v, bool valid = true, int16_t unit = 1342) {
    ArchiveSample s;
    s.timeMs = t;
    s.value = v;
    s.unitCode = unit;
    s.flags = valid ? ArchiveSample::kValid : 0;
    return s;
}

struct Chart {
    Trend trend;
    ArchiveTrace sp, zero;
    Chart() {
        trend.resize(700, 300);
        for (int64_t i = 0; i < 600; ++i)
            sp.Append(Sample(kT0 + i * 1000, static_cast<double>(i) / 10));
        for (int64_t i = 0; i < 600; ++i)
            zero.Append(Sample(kT0 + i * 1000, 0, i < 500));
        Trend::Curve a;
        a.index = 0;
        a.trace = &sp;
        a.caption = "Setpoint";
        a.unitText = "%";
        a.unitCode = 1342;
        a.valueFormat = "0.00";
        Trend::Curve b;
        b.index = 3;
        b.trace = &zero;
        b.caption = "Zero-point error";
        b.unitCode = 1342;
        b.scaleMax = 9;
        trend.SetCurves({a, b});
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&trend, &press);
    }
    void Click(double x, double y, Qt::MouseButton button = Qt::LeftButton) {
        const QPointF pos(x, y);
        QMouseEvent press(QEvent::MouseButtonPress, pos, trend.mapToGlobal(pos), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(&trend, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, pos, trend.mapToGlobal(pos), button,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&trend, &release);
    }
    void Drag(double x0, double x1, double y) {
        const QPointF a(x0, y), b(x1, y);
        QMouseEvent press(QEvent::MouseButtonPress, a, trend.mapToGlobal(a), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&trend, &press);
        QMouseEvent move(QEvent::MouseMove, b, trend.mapToGlobal(b), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&trend, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, b, trend.mapToGlobal(b), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&trend, &release);
    }
};

TEST(TrendMembers, CurveColoursSymbolsAndScalesByIndex) {
    Trend t;
    // Until set: the archive's colours.
    EXPECT_EQ(t.CurveColor(0), 0xFF0000);
    EXPECT_EQ(t.CurveColor(3), 0x0000FF);
    t.SetCurveColor(2, 0x800080);
    t.SetYScForeColor(2, 0x800080);
    t.SetCurveSymbol(2, -1);
    EXPECT_EQ(t.CurveColor(2), 0x800080);
    EXPECT_EQ(t.YScForeColor(2), 0x800080);
    EXPECT_EQ(t.CurveSymbol(2), -1);
    EXPECT_EQ(t.CurveColor(1), 0x008000) << "others untouched";

    EXPECT_EQ(t.ScalePlacement(0).side, 0);
    EXPECT_EQ(t.ScalePlacement(3).side, 1);
    t.YScSetPosition(1, 0, 1, 0, 100, true);
    EXPECT_EQ(t.ScalePlacement(1).side, 0);
    EXPECT_EQ(t.ScalePlacement(1).order, 1);
    t.YScSetPosition(3, 1, 0, 0, 100, false);
    EXPECT_FALSE(t.ScaleVisible(3));
}

TEST(TrendMembers, BooleanSettingsByName) {
    Trend t;
    for (const char* name :
         {"DlgScalePositions", "DockingScales", "DlgBackColor", "DlgForeColor", "DlgTrendBackColor",
          "DlgDWBackColor", "DlgOVBackColor", "DlgOVRangeColor"}) {
        t.SetProperty(name, Variant(false));
        EXPECT_EQ(t.GetProperty(name), Variant(false)) << name;
    }
    EXPECT_EQ(t.GetProperty("FixedFont"), Variant(false));
    t.SetProperty("fixedfont", Variant(true));  // names ignore case
    EXPECT_EQ(t.GetProperty("FixedFont"), Variant(true));
    EXPECT_THROW(t.SetProperty("NoSuchSetting", Variant(true)), std::invalid_argument);
    EXPECT_THROW(t.GetProperty("NoSuchSetting"), std::invalid_argument);
    EXPECT_THROW(t.SetProperty("DockingScales", Variant("yes")), std::invalid_argument);
}

// At its least size the chart keeps a plot of a useful width beside the scales it shows.
TEST(TrendLayoutOfCurves, OneScalePerShownCurveAndHiddenScalesLeaveRoom) {
    Chart c;
    TrendLayout l = c.trend.Layout();
    ASSERT_EQ(l.scales.size(), 2u);
    EXPECT_TRUE(l.scales[0].left);
    EXPECT_FALSE(l.scales[1].left);
    const double width = l.plot.width;
    const QSize least = c.trend.minimumSizeHint();
    c.trend.YScSetPosition(3, 1, 0, 0, 100, false);
    l = c.trend.Layout();
    ASSERT_EQ(l.scales.size(), 1u);
    EXPECT_GT(l.plot.width, width);
    EXPECT_LT(c.trend.minimumSizeHint().width(), least.width());
    for (bool shown : {false, true}) {
        c.trend.YScSetPosition(3, 1, 0, 0, 100, shown);
        c.trend.resize(c.trend.minimumSizeHint());
        EXPECT_GE(c.trend.Layout().plot.width, 200) << shown;
    }
}

// A scale is as wide as its longest label: measured anew when its span or the font changes.
TEST(TrendLayoutOfCurves, AScaleFollowsItsLabelsAndTheFont) {
    Chart c;
    auto width = [&c] { return c.trend.Layout().scales.at(0).rect.width; };
    const double narrow = width();
    std::vector<Trend::Curve> curves = c.trend.Curves();
    curves[0].scaleMax = 100000;
    c.trend.SetCurves(curves);
    EXPECT_GT(width(), narrow);
    curves[0].scaleMax = 100;
    c.trend.SetCurves(curves);
    EXPECT_EQ(width(), narrow);
    QFont big = c.trend.font();
    big.setPointSizeF(big.pointSizeF() * 2);
    c.trend.setFont(big);
    EXPECT_GT(width(), narrow);
}

TEST(TrendRange, FollowsTheNewestSamplesUntilTheUserScrolls) {
    Chart c;
    EXPECT_TRUE(c.trend.Following());
    EXPECT_EQ(c.trend.VisibleRange().to, kT0 + 599'000);
    EXPECT_EQ(c.trend.VisibleRange().Span(), 120'000);
    c.sp.Append(Sample(kT0 + 600'000, 1));
    c.trend.SamplesAdded();
    EXPECT_EQ(c.trend.VisibleRange().to, kT0 + 600'000);

    c.Key(Qt::Key_Left);
    EXPECT_FALSE(c.trend.Following());
    EXPECT_EQ(c.trend.VisibleRange().to, kT0 + 600'000 - 12'000);
    c.sp.Append(Sample(kT0 + 601'000, 1));
    c.trend.SamplesAdded();
    EXPECT_EQ(c.trend.VisibleRange().to, kT0 + 588'000) << "kept while the user reads";

    c.Key(Qt::Key_End);
    EXPECT_TRUE(c.trend.Following());
    EXPECT_EQ(c.trend.VisibleRange().to, kT0 + 601'000);
    c.Key(Qt::Key_Home);
    EXPECT_EQ(c.trend.VisibleRange(), (TimeRange{kT0, kT0 + 601'000}));
}

TEST(TrendRange, KeepRangeLeavesAFollowingChartWhereItIs) {
    Chart c;
    c.trend.SetKeepRange(true);
    const TimeRange before = c.trend.VisibleRange();
    c.sp.Append(Sample(kT0 + 700'000, 1));
    c.trend.SamplesAdded();
    EXPECT_EQ(c.trend.VisibleRange(), before);
}

TEST(TrendRange, KeysAndWheelZoomDragScrolls) {
    Chart c;
    c.Key(Qt::Key_Plus);
    EXPECT_EQ(c.trend.VisibleRange().Span(), 60'000);
    EXPECT_TRUE(c.trend.Following()) << "zooming keeps following, at the right end";
    EXPECT_EQ(c.trend.VisibleRange().to, kT0 + 599'000);
    c.Key(Qt::Key_Minus);
    c.Key(Qt::Key_Minus);
    EXPECT_EQ(c.trend.VisibleRange().Span(), 240'000);

    c.trend.SetVisibleRange({kT0, kT0 + 100'000});
    const TrendMapping map = c.trend.Mapping();
    const double x = map.X(kT0 + 25'000);
    const QPointF pos(x, 100);
    QWheelEvent wheel(pos, c.trend.mapToGlobal(pos), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&c.trend, &wheel);
    EXPECT_EQ(c.trend.VisibleRange().Span(), 80'000);
    // The time under the mouse stays under it.
    EXPECT_NEAR(static_cast<double>(c.trend.Mapping().Time(x) - (kT0 + 25'000)), 0, 200);

    const TimeRange before = c.trend.VisibleRange();
    const TrendRect plot = c.trend.Layout().plot;
    c.Drag(plot.left + 200, plot.left + 100, plot.top + 50);
    const int64_t moved = c.trend.VisibleRange().from - before.from;
    EXPECT_NEAR(static_cast<double>(moved), 100.0 / plot.width * 80'000, 100);
    EXPECT_FALSE(c.trend.CursorTime().has_value()) << "a drag sets no cursor";

    c.Key(Qt::Key_PageDown);
    EXPECT_EQ(c.trend.VisibleRange().from, before.from + moved + 80'000);
}

TEST(TrendCursor, AClickShowsTheValuesAtThatTime) {
    Chart c;
    c.trend.SetVisibleRange({kT0 + 480'000, kT0 + 600'000});
    const TrendMapping map = c.trend.Mapping();
    const TrendRect plot = c.trend.Layout().plot;
    c.Click(map.X(kT0 + 490'200), plot.top + 20);
    ASSERT_TRUE(c.trend.CursorTime().has_value());
    EXPECT_NEAR(static_cast<double>(*c.trend.CursorTime() - (kT0 + 490'200)), 0, 200);

    const std::vector<Trend::ReadoutLine> at = c.trend.Readout(kT0 + 490'200);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0].caption, "Setpoint");
    EXPECT_EQ(at[0].text, "49.00 %");
    EXPECT_TRUE(at[0].valid);
    EXPECT_EQ(at[1].text, "0");
    // Where the zero-point error was not read: no value, not a zero.
    const std::vector<Trend::ReadoutLine> gap = c.trend.Readout(kT0 + 550'000);
    EXPECT_FALSE(gap[1].valid);
    EXPECT_EQ(gap[1].text, "no value");

    c.Key(Qt::Key_Escape);
    EXPECT_FALSE(c.trend.CursorTime().has_value());
    c.Click(map.X(kT0 + 500'000), plot.top + 20);
    c.Click(map.X(kT0 + 500'000), plot.top + 20, Qt::RightButton);
    EXPECT_FALSE(c.trend.CursorTime().has_value());
    c.Click(2, 2);  // outside the plot
    EXPECT_FALSE(c.trend.CursorTime().has_value());
}

TEST(TrendCursor, ValuesInAnEarlierUnitCarryThatUnit) {
    Chart c;
    c.sp.SetUnitText(1001, "\u00B0C");
    ArchiveTrace other;
    other.Append(Sample(kT0, 20, true, 1001));
    other.Append(Sample(kT0 + 1000, 30, true, 1342));
    other.Append(Sample(kT0 + 2000, 40, true, 1013));
    other.SetUnitText(1001, "\u00B0C");
    Trend::Curve curve;
    curve.trace = &other;
    curve.caption = "Setpoint";
    curve.unitText = "%";
    curve.unitCode = 1342;
    c.trend.SetCurves({curve});
    EXPECT_EQ(c.trend.Readout(kT0)[0].text, QString::fromUtf8("20 \u00B0C"));
    EXPECT_EQ(c.trend.Readout(kT0 + 1000)[0].text, "30 %");
    EXPECT_EQ(c.trend.Readout(kT0 + 2000)[0].text, "40 #1013");
}

TEST(TrendFormat, PatternsLocaleAndSingles) {
    NumberLocale german;
    german.decimal = ',';
    german.group = '.';
    EXPECT_EQ(Trend::FormatValue(12.346, "0.00", german), "12,35");
    EXPECT_EQ(Trend::FormatValue(12.5, "", NumberLocale::Invariant()), "12.5");
    EXPECT_EQ(Trend::FormatValue(static_cast<float>(0.1), "", NumberLocale::Invariant()), "0.1");
    // A pattern gives no number to what is none.
    EXPECT_EQ(Trend::FormatValue(std::nan(""), "0.00", german), "NaN");
    EXPECT_EQ(Trend::FormatValue(-HUGE_VAL, "0.00", german), "-Inf");
}

}  // namespace
}  // namespace kv

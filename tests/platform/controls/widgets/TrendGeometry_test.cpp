// The trend chart's geometry without pixels: layout of plot and scales, the time and value
// mappings, zooming and scrolling, tick steps, the reduced lines with their gaps and unit
// segments, and which sample holds the value at a time.

#include "platform/controls/widgets/TrendGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv {
namespace {

constexpr int64_t kT0 = 1'767'225'600'000;  // 2026-01-01 00:00:00 UTC

ArchiveSample Sample(int64_t t, double v, bool valid = true, int16_t unit = 1342,
                     uint8_t extra = 0) {
    ArchiveSample s;
    s.timeMs = t;
    s.value = v;
    s.unitCode = unit;
    s.flags = (valid ? ArchiveSample::kValid : 0) | extra;
    return s;
}

TEST(TrendLayout, ScalesStackOutwardFromThePlotOnTheirSides) {
    TrendMetrics m;
    m.scaleWidth = 40;
    m.timeAxisHeight = 30;
    m.topMargin = 20;
    m.sideMargin = 5;
    // The archive page: scales 0 and 1 left (order 0 and 1), 2 and 3 right by default; scale 3
    // spans the lower half.
    const TrendLayout l = LayOutTrend(
        600, 400, {{0, 0, 0, 0, 100}, {1, 0, 1, 0, 100}, {2, 1, 0, 0, 100}, {3, 1, 1, 0, 50}}, m);
    EXPECT_DOUBLE_EQ(l.plot.left, 5 + 2 * 40);
    EXPECT_DOUBLE_EQ(l.plot.width, 600 - 85 - 5 - 80);
    EXPECT_DOUBLE_EQ(l.plot.top, 20);
    EXPECT_DOUBLE_EQ(l.plot.height, 400 - 20 - 30);
    EXPECT_DOUBLE_EQ(l.timeAxis.top, l.plot.Bottom());
    ASSERT_EQ(l.scales.size(), 4u);
    EXPECT_TRUE(l.scales[0].left);
    EXPECT_DOUBLE_EQ(l.scales[0].rect.Right(), l.plot.left);  // next to the plot
    EXPECT_DOUBLE_EQ(l.scales[1].rect.Right(), l.scales[0].rect.left);
    EXPECT_FALSE(l.scales[2].left);
    EXPECT_DOUBLE_EQ(l.scales[2].rect.left, l.plot.Right());
    EXPECT_DOUBLE_EQ(l.scales[3].rect.left, l.scales[2].rect.Right());
    EXPECT_DOUBLE_EQ(l.scales[0].rect.top, l.plot.top);
    EXPECT_DOUBLE_EQ(l.scales[0].rect.height, l.plot.height);
    EXPECT_DOUBLE_EQ(l.scales[3].rect.top, l.plot.top + l.plot.height / 2);
    EXPECT_DOUBLE_EQ(l.scales[3].rect.Bottom(), l.plot.Bottom());
    // Everything inside the widget.
    for (const TrendScaleBox& b : l.scales) {
        EXPECT_GE(b.rect.left, 0);
        EXPECT_LE(b.rect.Right(), 600);
    }
}

TEST(TrendLayout, OrderDecidesThePlaceAndOddPercentsSpanTheWholeHeight) {
    TrendMetrics m;
    const TrendLayout l = LayOutTrend(500, 300, {{7, 0, 2, 60, 40}, {4, 0, 0, -10, 200}}, m);
    ASSERT_EQ(l.scales.size(), 2u);
    EXPECT_LT(l.scales[0].rect.left, l.scales[1].rect.left);  // order 2 further out
    EXPECT_DOUBLE_EQ(l.scales[0].rect.height, l.plot.height);
    EXPECT_DOUBLE_EQ(l.scales[1].rect.height, l.plot.height);
    // Too small a widget: no negative sizes.
    const TrendLayout tiny = LayOutTrend(50, 20, {{0, 0, 0, 0, 100}, {1, 1, 0, 0, 100}}, m);
    EXPECT_GE(tiny.plot.width, 0);
    EXPECT_GE(tiny.plot.height, 0);
}

TEST(TrendMapping, TimesAndPositionsMapBothWays) {
    const TrendRect plot{100, 10, 500, 200};
    const TrendMapping map(plot, {kT0, kT0 + 50'000});
    EXPECT_DOUBLE_EQ(map.X(kT0), 100);
    EXPECT_DOUBLE_EQ(map.X(kT0 + 50'000), 600);
    EXPECT_DOUBLE_EQ(map.X(kT0 + 10'000), 200);  // 10 px per second
    EXPECT_EQ(map.Time(350), kT0 + 25'000);
    EXPECT_EQ(map.Time(map.X(kT0 + 12'300)), kT0 + 12'300);
    const TrendMapping empty(plot, {kT0, kT0});
    EXPECT_EQ(empty.Time(300), kT0);
}

TEST(TrendMapping, ValuesMapFromBottomToTop) {
    EXPECT_DOUBLE_EQ(ValueY(0, 0, 100, 10, 210), 210);
    EXPECT_DOUBLE_EQ(ValueY(100, 0, 100, 10, 210), 10);
    EXPECT_DOUBLE_EQ(ValueY(25, 0, 100, 10, 210), 160);
    // The control-loop error range: a set bit sits at a sixth of the height.
    EXPECT_DOUBLE_EQ(ValueY(1, -1.5, 7.5, 0, 90), 90 - 25);
    // Inverted scale stays inverted, equal ends are widened.
    EXPECT_DOUBLE_EQ(ValueY(100, 100, 0, 10, 210), 210);
    EXPECT_DOUBLE_EQ(ValueY(5, 5, 5, 0, 100), 50);
    double lo = NAN, hi = 3;
    DrawableRange(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1);
}

TEST(TrendTimeRange, ZoomKeepsTheAnchorAndTheSpanWithinBounds) {
    const TimeRange r{kT0, kT0 + 100'000};
    const TimeRange in = ZoomTimeRange(r, 0.5, kT0 + 20'000);
    EXPECT_EQ(in.Span(), 50'000);
    EXPECT_EQ(in.from, kT0 + 10'000);  // the anchor stays a fifth from the left
    const TimeRange out = ZoomTimeRange(r, 2.0, r.to);
    EXPECT_EQ(out.to, r.to);
    EXPECT_EQ(out.Span(), 200'000);
    EXPECT_EQ(ZoomTimeRange(r, 1e-9, kT0).Span(), kMinTimeSpanMs);
    EXPECT_EQ(ZoomTimeRange(r, 1e12, kT0).Span(), kMaxTimeSpanMs);
    EXPECT_EQ(ScrollTimeRange(r, -0.1), (TimeRange{kT0 - 10'000, kT0 + 90'000}));
    EXPECT_EQ(ScrollTimeRange(r, 1.0), (TimeRange{kT0 + 100'000, kT0 + 200'000}));
}

TEST(TrendTicks, TimeStepsLeaveRoomForTheLabels) {
    // 2 minutes on 600 px: 5 px per second; 60 px between labels needs 15 s.
    EXPECT_EQ(TimeTickStep({kT0, kT0 + 120'000}, 600, 60), 15'000);
    EXPECT_EQ(TimeTickStep({kT0, kT0 + 86'400'000}, 600, 60), 3 * 3'600'000);
    EXPECT_EQ(TimeTickStep({kT0, kT0 + 2000}, 600, 60), 200);
    const std::vector<int64_t> ticks = TimeTicks({kT0 + 1, kT0 + 60'000}, 15'000, 0);
    ASSERT_EQ(ticks.size(), 4u);
    EXPECT_EQ(ticks[0], kT0 + 15'000);
    EXPECT_EQ(ticks[3], kT0 + 60'000);
    // Hour ticks on local hours of a zone one hour ahead of UTC.
    const std::vector<int64_t> hours = TimeTicks({kT0, kT0 + 3 * 3'600'000}, 3'600'000, 3'600'000);
    ASSERT_EQ(hours.size(), 4u);
    EXPECT_EQ(hours[0], kT0);
}

TEST(TrendTicks, ValueTicksAtOneTwoFive) {
    const std::vector<double> percent = ValueTicks(0, 100, 200, 30);
    EXPECT_EQ(percent, (std::vector<double>{0, 20, 40, 60, 80, 100}));
    const std::vector<double> error = ValueTicks(-1.5, 7.5, 90, 30);
    EXPECT_EQ(error, (std::vector<double>{0, 5}));
    const std::vector<double> inverted = ValueTicks(1, 0, 100, 20);
    EXPECT_EQ(inverted.front(), 0);
    EXPECT_EQ(inverted.back(), 1);
    EXPECT_TRUE(ValueTicks(0, 1, 0, 20).empty());
}

TEST(TrendLines, GapsUnitChangesAndNewRecordingsSplitTheLines) {
    ArchiveTrace trace;
    trace.Append(Sample(kT0, 10));
    trace.Append(Sample(kT0 + 1000, 20));
    trace.Append(Sample(kT0 + 2000, 0, false));  // a failed read
    trace.Append(Sample(kT0 + 3000, 30));
    trace.Append(Sample(kT0 + 4000, 40));
    trace.Append(Sample(kT0 + 5000, 50, true, 1001));  // the unit changed
    trace.Append(Sample(kT0 + 6000, 60, true, 1001));
    const TrendMapping map({0, 0, 600, 100}, {kT0, kT0 + 6000});
    const std::vector<TrendLine> lines = TraceLines(trace, map, 0, 100, 0, 100);
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(lines[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].points[0].x, 0);
    EXPECT_DOUBLE_EQ(lines[0].points[0].y, 90);
    EXPECT_DOUBLE_EQ(lines[0].points[1].x, 100);
    EXPECT_DOUBLE_EQ(lines[0].points[1].y, 80);
    EXPECT_EQ(lines[1].points.size(), 2u);
    EXPECT_EQ(lines[1].unitCode, 1342);
    EXPECT_EQ(lines[2].unitCode, 1001);
    EXPECT_DOUBLE_EQ(lines[2].points[0].x, 500);
    // No line ever bridges the failed read: nothing is drawn at its time.
    for (const TrendLine& line : lines) {
        for (const TrendPoint& p : line.points)
            EXPECT_NE(p.x, 200);
    }
}

TEST(TrendLines, ADayOfSamplesIsReducedToFourPointsPerColumn) {
    ArchiveTrace trace;
    for (int64_t i = 0; i < 86'400; ++i)
        trace.Append(Sample(kT0 + i * 1000, 50 + 40 * std::sin(static_cast<double>(i) / 300)));
    const TrendMapping map({0, 0, 800, 300}, {kT0, kT0 + 86'399'000});
    const std::vector<TrendLine> lines = TraceLines(trace, map, 0, 100, 0, 300);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LE(lines[0].points.size(), 4u * 801);
    // The extremes survive the reduction.
    double top = 1e9, bottom = -1e9;
    for (const TrendPoint& p : lines[0].points) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    EXPECT_NEAR(top, 300 - 0.9 * 300, 0.5);
    EXPECT_NEAR(bottom, 300 - 0.1 * 300, 0.5);
}

TEST(TrendLines, ReachTheNeighboursOutsideTheRange) {
    ArchiveTrace trace;
    for (int64_t i = 0; i < 10; ++i)
        trace.Append(Sample(kT0 + i * 1000, static_cast<double>(i)));
    const TrendMapping map({0, 0, 100, 100}, {kT0 + 3500, kT0 + 5500});
    const std::vector<TrendLine> lines = TraceLines(trace, map, 0, 10, 0, 100);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].points.size(), 4u);  // samples 3 to 6
    EXPECT_LT(lines[0].points.front().x, 0);
    EXPECT_GT(lines[0].points.back().x, 100);
    EXPECT_TRUE(TraceLines(ArchiveTrace(), map, 0, 10, 0, 100).empty());
}

TEST(TrendSampleAt, ASampleHoldsUntilTheNextAndTheLastForOnePeriod) {
    ArchiveTrace trace;
    trace.Append(Sample(kT0, 1, true, 1342, ArchiveSample::kStartsRecording));
    trace.Append(Sample(kT0 + 1000, 2));
    trace.Append(Sample(kT0 + 2000, 0, false));
    trace.Append(Sample(kT0 + 3000, 4));
    trace.Append(Sample(kT0 + 60'000, 5, true, 1342, ArchiveSample::kStartsRecording));
    trace.Append(Sample(kT0 + 62'000, 6));
    EXPECT_FALSE(SampleAt(trace, kT0 - 1));
    EXPECT_EQ(SampleAt(trace, kT0 + 999), std::optional<size_t>(0));
    EXPECT_EQ(SampleAt(trace, kT0 + 1000), std::optional<size_t>(1));
    EXPECT_FALSE(SampleAt(trace, kT0 + 2500)) << "in the gap";
    EXPECT_EQ(SampleAt(trace, kT0 + 4000), std::optional<size_t>(3)) << "one period after";
    EXPECT_FALSE(SampleAt(trace, kT0 + 4001)) << "the recording was off";
    EXPECT_EQ(SampleAt(trace, kT0 + 64'000), std::optional<size_t>(5));
    EXPECT_FALSE(SampleAt(trace, kT0 + 64'001));
}

}  // namespace
}  // namespace kv

#pragma once
// The geometry of the trend chart, without drawing: where the plot and the Y scales lie, how
// times and values map to positions, the time range's scrolling and zooming, the tick steps, the
// lines of a trace reduced to at most four points per pixel column, and which sample holds a
// value at a given time.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/controls/ArchiveTrace.h"

namespace kv {

struct TrendRect {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool Contains(double x, double y) const {
        return x >= left && x < Right() && y >= top && y < Bottom();
    }
};

struct TimeRange {
    int64_t from = 0;  // ms since 1970-01-01 UTC
    int64_t to = 0;
    int64_t Span() const { return to - from; }
    bool operator==(const TimeRange&) const = default;
};

// Where a Y scale goes: beside the plot on the left (side 0) or right (side 1), its order on
// that side (0 next to the plot, higher further out) and the part of the plot's height it spans
// (percent from the bottom), and its width (0: the metrics' scale width).
struct TrendScalePlacement {
    int32_t scale = 0;
    int32_t side = 0;
    int32_t order = 0;
    int32_t fromPercent = 0;
    int32_t toPercent = 100;
    double width = 0;
};

struct TrendMetrics {
    double scaleWidth = 44;      // a Y scale without a width of its own
    double timeAxisHeight = 34;  // the time labels below the plot
    double topMargin = 18;       // the unit texts above the scales
    double sideMargin = 8;       // outside the outermost scale
};

struct TrendScaleBox {
    int32_t scale = 0;
    bool left = true;
    TrendRect rect;  // the scale's own strip beside the plot
};

struct TrendLayout {
    TrendRect plot;
    TrendRect timeAxis;
    std::vector<TrendScaleBox> scales;  // in the order of the placements given
};

// Lays out the plot and the scales for a widget of width x height.
TrendLayout LayOutTrend(double width, double height,
                        const std::vector<TrendScalePlacement>& placements,
                        const TrendMetrics& metrics);

// Times to x positions over the plot and back.
class TrendMapping {
  public:
    TrendMapping(const TrendRect& plot, TimeRange range);
    double X(int64_t t) const { return plot_.left + static_cast<double>(t - range_.from) * scale_; }
    int64_t Time(double x) const;
    const TrendRect& Plot() const { return plot_; }
    TimeRange Range() const { return range_; }

  private:
    TrendRect plot_;
    TimeRange range_;
    double scale_;  // pixels per millisecond
};

// A value range that can be drawn: not finite becomes 0 to 1, equal ends are widened by 1 each
// way. An inverted range (max below min) stays inverted.
void DrawableRange(double& min, double& max);
// The y position of a value on a scale from min (at bottom) to max (at top).
double ValueY(double value, double min, double max, double top, double bottom);

// The span of the time range is kept between these.
constexpr int64_t kMinTimeSpanMs = 1000;
constexpr int64_t kMaxTimeSpanMs = int64_t{31} * 24 * 3600 * 1000;

// Zooms by factor (below 1 in, above 1 out) about the anchor time, which keeps its place.
TimeRange ZoomTimeRange(TimeRange range, double factor, int64_t anchor);
// Moves the range by a share of its span (negative: earlier).
TimeRange ScrollTimeRange(TimeRange range, double share);

// The time-tick step (from 100 ms to a day, in steps a reader counts in) that leaves at least
// minSpacing pixels between ticks, and the ticks in the range: multiples of the step in local
// time (utcOffsetMs added to UTC).
int64_t TimeTickStep(TimeRange range, double width, double minSpacing);
std::vector<int64_t> TimeTicks(TimeRange range, int64_t step, int64_t utcOffsetMs);
// Value ticks at multiples of 1, 2 or 5 times a power of ten.
std::vector<double> ValueTicks(double min, double max, double height, double minSpacing);

struct TrendPoint {
    double x = 0, y = 0;
};
struct TrendLine {
    std::vector<TrendPoint> points;
    int16_t unitCode = 0;
};

// The lines of a trace over the mapping's range on a scale from min to max between top and
// bottom: one per run of the trace (a gap at a sample that is not valid, a new line at a change
// of unit or a new recording), reduced to at most four points per pixel column (first, lowest,
// highest, last), and reaching to the nearest sample outside the range on each side.
std::vector<TrendLine> TraceLines(const ArchiveTrace& trace, const TrendMapping& mapping,
                                  double min, double max, double top, double bottom);

// The sample that holds the value at time t: the last one at or before t, which holds until
// the next sample; the last sample of a recording holds for one sampling period. nullopt when no
// sample holds a value then (also when the one that holds is not valid).
std::optional<size_t> SampleAt(const ArchiveTrace& trace, int64_t t);

}  // namespace kv

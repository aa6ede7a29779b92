#include "platform/controls/widgets/TrendGeometry.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

double WidthOf(const TrendScalePlacement& p, const TrendMetrics& m) {
    return p.width > 0 ? p.width : m.scaleWidth;
}

// Per placement: the widths of the scales between it and the plot on its side; and the total
// width of the side.
std::vector<double> SideOffsets(const std::vector<TrendScalePlacement>& placements, bool left,
                                const TrendMetrics& m, double& total) {
    std::vector<size_t> onSide;
    for (size_t i = 0; i < placements.size(); ++i) {
        if ((placements[i].side == 0) == left)
            onSide.push_back(i);
    }
    std::stable_sort(onSide.begin(), onSide.end(), [&](size_t a, size_t b) {
        if (placements[a].order != placements[b].order)
            return placements[a].order < placements[b].order;
        return placements[a].scale < placements[b].scale;
    });
    std::vector<double> offset(placements.size(), 0);
    total = 0;
    for (size_t i : onSide) {
        offset[i] = total;
        total += WidthOf(placements[i], m);
    }
    return offset;
}

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDay = 24 * kHour;
constexpr int64_t kTimeSteps[] = {
    100,          200,          500,          kSecond,  2 * kSecond, 5 * kSecond,
    10 * kSecond, 15 * kSecond, 30 * kSecond, kMinute,  2 * kMinute, 5 * kMinute,
    10 * kMinute, 15 * kMinute, 30 * kMinute, kHour,    2 * kHour,   3 * kHour,
    6 * kHour,    12 * kHour,   kDay,         2 * kDay, 7 * kDay};

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// A pixel column index that stays within the integer range for positions far off the plot.
int64_t ColumnOf(double x) {
    return static_cast<int64_t>(std::floor(std::clamp(x, -1e15, 1e15)));
}

}  // namespace

TrendLayout LayOutTrend(double width, double height,
                        const std::vector<TrendScalePlacement>& placements, const TrendMetrics& m) {
    double leftWidth = 0, rightWidth = 0;
    const std::vector<double> leftOffset = SideOffsets(placements, true, m, leftWidth);
    const std::vector<double> rightOffset = SideOffsets(placements, false, m, rightWidth);

    TrendLayout layout;
    layout.plot.left = m.sideMargin + leftWidth;
    layout.plot.top = m.topMargin;
    layout.plot.width = std::max(0.0, width - layout.plot.left - m.sideMargin - rightWidth);
    layout.plot.height = std::max(0.0, height - m.topMargin - m.timeAxisHeight);
    layout.timeAxis = {layout.plot.left, layout.plot.Bottom(), layout.plot.width, m.timeAxisHeight};

    for (size_t i = 0; i < placements.size(); ++i) {
        const TrendScalePlacement& p = placements[i];
        TrendScaleBox box;
        box.scale = p.scale;
        box.left = p.side == 0;
        box.rect.width = WidthOf(p, m);
        box.rect.left = box.left ? layout.plot.left - leftOffset[i] - box.rect.width
                                 : layout.plot.Right() + rightOffset[i];
        int32_t from = std::clamp(p.fromPercent, 0, 100);
        int32_t to = std::clamp(p.toPercent, 0, 100);
        if (from >= to) {
            from = 0;
            to = 100;
        }
        const double h = layout.plot.height;
        box.rect.top = layout.plot.top + (1.0 - to / 100.0) * h;
        box.rect.height = (to - from) / 100.0 * h;
        layout.scales.push_back(box);
    }
    return layout;
}

TrendMapping::TrendMapping(const TrendRect& plot, TimeRange range)
    : plot_(plot),
      range_(range),
      scale_(range.Span() > 0 ? plot.width / static_cast<double>(range.Span()) : 0.0) {}

int64_t TrendMapping::Time(double x) const {
    if (scale_ <= 0)
        return range_.from;
    return range_.from + static_cast<int64_t>(std::llround((x - plot_.left) / scale_));
}

void DrawableRange(double& min, double& max) {
    if (!std::isfinite(min) || !std::isfinite(max)) {
        min = 0;
        max = 1;
    }
    if (min == max) {
        min -= 1;
        max += 1;
    }
}

double ValueY(double value, double min, double max, double top, double bottom) {
    DrawableRange(min, max);
    return bottom - (value - min) / (max - min) * (bottom - top);
}

TimeRange ZoomTimeRange(TimeRange range, double factor, int64_t anchor) {
    const double span = static_cast<double>(std::max<int64_t>(range.Span(), 1));
    const double wanted = std::clamp(span * factor, static_cast<double>(kMinTimeSpanMs),
                                     static_cast<double>(kMaxTimeSpanMs));
    const double share = (static_cast<double>(anchor - range.from)) / span;
    TimeRange r;
    r.from = anchor - static_cast<int64_t>(std::llround(share * wanted));
    r.to = r.from + static_cast<int64_t>(std::llround(wanted));
    return r;
}

TimeRange ScrollTimeRange(TimeRange range, double share) {
    const int64_t delta =
        static_cast<int64_t>(std::llround(static_cast<double>(range.Span()) * share));
    return {range.from + delta, range.to + delta};
}

int64_t TimeTickStep(TimeRange range, double width, double minSpacing) {
    if (range.Span() <= 0 || width <= 0)
        return kDay;
    const double pixelsPerMs = width / static_cast<double>(range.Span());
    for (int64_t step : kTimeSteps) {
        if (static_cast<double>(step) * pixelsPerMs >= minSpacing)
            return step;
    }
    const int64_t weeks =
        static_cast<int64_t>(std::ceil(minSpacing / (static_cast<double>(7 * kDay) * pixelsPerMs)));
    return std::max<int64_t>(weeks, 1) * 7 * kDay;
}

std::vector<int64_t> TimeTicks(TimeRange range, int64_t step, int64_t utcOffsetMs) {
    std::vector<int64_t> ticks;
    if (step <= 0 || range.Span() < 0)
        return ticks;
    const int64_t firstLocal = (FloorDiv(range.from + utcOffsetMs - 1, step) + 1) * step;
    for (int64_t t = firstLocal - utcOffsetMs; t <= range.to && ticks.size() < 1000; t += step)
        ticks.push_back(t);
    return ticks;
}

std::vector<double> ValueTicks(double min, double max, double height, double minSpacing) {
    std::vector<double> ticks;
    DrawableRange(min, max);
    const double lo = std::min(min, max), hi = std::max(min, max);
    if (height <= 0 || minSpacing <= 0)
        return ticks;
    const double wanted = (hi - lo) / std::max(1.0, std::floor(height / minSpacing));
    const double magnitude = std::pow(10.0, std::floor(std::log10(wanted)));
    double step = magnitude * 10;
    for (double f : {1.0, 2.0, 5.0}) {
        if (f * magnitude >= wanted) {
            step = f * magnitude;
            break;
        }
    }
    const double eps = step * 1e-9;
    for (double k = std::ceil((lo - eps) / step); k * step <= hi + eps && ticks.size() < 200; ++k) {
        const double v = k * step;
        ticks.push_back(std::abs(v) < eps ? 0.0 : v);
    }
    return ticks;
}

std::vector<TrendLine> TraceLines(const ArchiveTrace& trace, const TrendMapping& mapping,
                                  double min, double max, double top, double bottom) {
    std::vector<TrendLine> lines;
    const TimeRange range = mapping.Range();
    if (trace.Empty() || range.Span() <= 0)
        return lines;
    DrawableRange(min, max);
    size_t first = trace.LowerBound(range.from);
    if (first > 0)
        --first;
    const size_t after = trace.LowerBound(range.to + 1);
    const size_t last = std::min(after, trace.Size() - 1);
    const double yScale = (bottom - top) / (max - min);

    struct Aggregate {
        int64_t index = 0;
        size_t count = 0;
        TrendPoint first, last;
        double minY = 0, maxY = 0;
    };
    for (const ArchiveRun& run : trace.Runs(first, last)) {
        TrendLine line;
        line.unitCode = trace.At(run.first).unitCode;
        Aggregate col;
        auto flush = [&] {
            if (col.count == 0)
                return;
            line.points.push_back(col.first);
            if (col.count > 1) {
                const double cx = static_cast<double>(col.index) + 0.5;
                line.points.push_back({cx, col.minY});
                line.points.push_back({cx, col.maxY});
                line.points.push_back(col.last);
            }
        };
        for (size_t i = run.first; i <= run.last; ++i) {
            const ArchiveSample& s = trace.At(i);
            const TrendPoint p{mapping.X(s.timeMs), bottom - (s.value - min) * yScale};
            const int64_t c = ColumnOf(p.x);
            if (col.count > 0 && c == col.index) {
                ++col.count;
                col.minY = std::min(col.minY, p.y);
                col.maxY = std::max(col.maxY, p.y);
                col.last = p;
                continue;
            }
            flush();
            col = Aggregate{c, 1, p, p, p.y, p.y};
        }
        flush();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<size_t> SampleAt(const ArchiveTrace& trace, int64_t t) {
    const std::optional<size_t> found = trace.AtOrBefore(t);
    if (!found)
        return std::nullopt;
    const size_t i = *found;
    const ArchiveSample& s = trace.At(i);
    const bool endsRecording = i + 1 == trace.Size() || trace.At(i + 1).StartsRecording();
    if (endsRecording) {
        const int64_t period =
            (i > 0 && !s.StartsRecording()) ? s.timeMs - trace.At(i - 1).timeMs : 0;
        if (t - s.timeMs > period)
            return std::nullopt;
    }
    if (!s.Valid())
        return std::nullopt;
    return i;
}

}  // namespace kv

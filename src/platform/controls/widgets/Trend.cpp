#include "platform/controls/widgets/Trend.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/WinColor.h"
#include "value/Date.h"
#include "value/NumberText.h"
#include "value/Text.h"

namespace kv {

namespace {

// The Boolean settings and their values until set.
const std::pair<const char*, bool> kSettings[] = {
    {"DlgScalePositions", true}, {"DockingScales", true},     {"DlgBackColor", true},
    {"DlgForeColor", true},      {"DlgTrendBackColor", true}, {"DlgDWBackColor", true},
    {"DlgOVBackColor", true},    {"DlgOVRangeColor", true},   {"FixedFont", false},
};

// Colours of the curves until set: blue, green, purple, red.
int32_t DefaultColor(int32_t index) {
    switch (index) {
        case 0:
            return 0xFF0000;
        case 1:
            return 0x008000;
        case 2:
            return 0x800080;
        case 3:
            return 0x0000FF;
        default:
            return 0;
    }
}

// Pixels a tick label keeps from its neighbour.
constexpr double kLabelGap = 16;
// A scale's room beside its labels: the tick, the gaps, the margin; and its bounds.
constexpr double kScaleLabelRoom = 11;
constexpr double kMinScaleWidth = 24;
constexpr double kMaxScaleWidth = 90;
// The plot keeps this width at least (pixels), and the chart this size without its scales.
constexpr double kMinPlotWidth = 200;
constexpr int kMinChartWidth = 160;
constexpr int kMinChartHeight = 120;
// A drag starts after this many pixels.
constexpr double kDragThreshold = 3;
// One wheel notch zooms by this factor.
constexpr double kWheelZoom = 0.8;

int Decimals(const std::vector<double>& ticks) {
    if (ticks.size() < 2)
        return 0;
    const double step = std::abs(ticks[1] - ticks[0]);
    return std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 9);
}

QString TickLabel(double v, int decimals, const NumberLocale& locale) {
    QString text = QString::number(v, 'f', decimals);
    if (locale.decimal != '.')
        text.replace(QLatin1Char('.'), QLatin1Char(locale.decimal));
    return text;
}

QRectF ToQt(const TrendRect& r) {
    return QRectF(r.left, r.top, r.width, r.height);
}

// The colour faded into the ground, as a translucent fill over that ground shows it: mixed here,
// since the raster painter hands a translucent fill of many lines to its thread pool, which
// costs far more than the narrow bar.
QColor Faded(const QColor& color, const QColor& ground) {
    constexpr int kAlpha = 110;
    auto mix = [](int c, int g) { return (c * kAlpha + g * (255 - kAlpha) + 127) / 255; };
    return QColor(mix(color.red(), ground.red()), mix(color.green(), ground.green()),
                  mix(color.blue(), ground.blue()));
}

// The local date and time of an instant, for its text: the wall clock's fields in a date and
// time without a zone (a conversion to Qt's local time would read the time zone each time).
QDateTime LocalClock(int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms + LocalOffsetMs(ms), Qt::UTC);
}

}  // namespace

Trend::Trend(QWidget* parent) : QWidget(parent) {
    for (const auto& [name, value] : kSettings)
        settings_[ToLowerAscii(name)] = value;
    setFocusPolicy(Qt::StrongFocus);
    leastSize_ = minimumSizeHint();
    const int64_t now = WallClockMs();
    range_ = {now - followSpan_, now};
}

// --- styles and scales ---

Trend::Style Trend::StyleOf(int32_t index) const {
    auto it = styles_.find(index);
    if (it != styles_.end())
        return it->second;
    return Style{DefaultColor(index), DefaultColor(index), -1};
}

int32_t Trend::CurveColor(int32_t index) const {
    return StyleOf(index).curveColor;
}

void Trend::SetCurveColor(int32_t index, int32_t color) {
    Restyle(index, [color](Style& s) { s.curveColor = color; });
}

int32_t Trend::YScForeColor(int32_t index) const {
    return StyleOf(index).scaleColor;
}

void Trend::SetYScForeColor(int32_t index, int32_t color) {
    Restyle(index, [color](Style& s) { s.scaleColor = color; });
}

int32_t Trend::CurveSymbol(int32_t index) const {
    return StyleOf(index).symbol;
}

void Trend::SetCurveSymbol(int32_t index, int32_t symbol) {
    Restyle(index, [symbol](Style& s) { s.symbol = symbol; });
}

void Trend::Restyle(int32_t index, const std::function<void(Style&)>& change) {
    Style s = StyleOf(index);
    change(s);
    styles_[index] = s;
    update();
}

Trend::Placement Trend::PlacementOf(int32_t index) const {
    auto it = placements_.find(index);
    if (it != placements_.end())
        return it->second;
    // Until placed: the first two scales left of the plot, the others right of it.
    Placement p;
    p.place.scale = index;
    p.place.side = index < 2 ? 0 : 1;
    p.place.order = index < 2 ? index : index - 2;
    return p;
}

void Trend::YScSetPosition(int32_t scale, int32_t side, int32_t order, int32_t fromPercent,
                           int32_t toPercent, bool visible) {
    Placement p;
    p.place = {scale, side == 0 ? 0 : 1, order, fromPercent, toPercent};
    p.visible = visible;
    placements_[scale] = p;
    ScalesChanged();
    update();
}

TrendScalePlacement Trend::ScalePlacement(int32_t scale) const {
    return PlacementOf(scale).place;
}

bool Trend::ScaleVisible(int32_t scale) const {
    return PlacementOf(scale).visible;
}

std::vector<TrendScalePlacement> Trend::VisiblePlacements() const {
    if (measuredScales_)
        return *measuredScales_;
    const QFontMetricsF fm(ChartFont());
    const TrendMetrics m = Metrics();
    const double plotHeight = std::max(0.0, height() - m.topMargin - m.timeAxisHeight);
    std::vector<TrendScalePlacement> out;
    for (const Curve& c : curves_) {
        const Placement p = PlacementOf(c.index);
        const bool seen = std::any_of(out.begin(), out.end(), [&](const TrendScalePlacement& q) {
            return q.scale == c.index;
        });
        if (!p.visible || seen)
            continue;
        // As wide as its longest label (or its unit), within bounds.
        double labels = 0;
        for (const QString& label : ScaleLabels(c, plotHeight, fm))
            labels = std::max(labels, fm.horizontalAdvance(label));
        TrendScalePlacement place = p.place;
        place.width =
            std::clamp(std::max(labels + kScaleLabelRoom, fm.horizontalAdvance(c.unitText) + 4),
                       kMinScaleWidth, kMaxScaleWidth);
        out.push_back(place);
    }
    measuredScales_ = out;
    return out;
}

std::vector<QString> Trend::ScaleLabels(const Curve& curve, double height,
                                        const QFontMetricsF& fm) const {
    const std::vector<double> ticks =
        ValueTicks(curve.scaleMin, curve.scaleMax, height, fm.height() * 2);
    const int decimals = Decimals(ticks);
    std::vector<QString> labels;
    for (double v : ticks)
        labels.push_back(TickLabel(v, decimals, locale_));
    return labels;
}

Variant Trend::GetProperty(const std::string& name) const {
    auto it = settings_.find(ToLowerAscii(name));
    if (it == settings_.end())
        throw std::invalid_argument("The trend chart has no property \"" + name + "\".");
    return Variant(it->second);
}

void Trend::SetProperty(const std::string& name, const Variant& value) {
    auto it = settings_.find(ToLowerAscii(name));
    if (it == settings_.end())
        throw std::invalid_argument("The trend chart has no property \"" + name + "\".");
    if (!value.isBoolean() && !value.isNumber())
        throw std::invalid_argument("The trend chart's property \"" + name +
                                    "\" takes True or False.");
    it->second = value.toBool();
    ScalesChanged();
    update();
}

// --- data ---

void Trend::SetCurves(std::vector<Curve> curves) {
    // The host gives the curves at every change of a value; new samples come by SamplesAdded.
    if (curves == curves_)
        return;
    curves_ = std::move(curves);
    if (following_ && !keepRange_)
        Follow();
    ScalesChanged();
    update();
}

void Trend::SetNumberLocale(const NumberLocale& locale) {
    locale_ = locale;
    ScalesChanged();
    update();
}

void Trend::SetShowDates(bool show) {
    showDates_ = show;
    update();
}

void Trend::SetKeepRange(bool keep) {
    keepRange_ = keep;
}

void Trend::SetNoValueText(const QString& text) {
    noValueText_ = text;
    update();
}

void Trend::SetFollowSpan(int64_t ms) {
    followSpan_ = std::clamp(ms, kMinTimeSpanMs, kMaxTimeSpanMs);
    if (following_)
        Follow();
    update();
}

void Trend::SamplesAdded() {
    if (following_ && !keepRange_)
        Follow();
    update();
}

std::optional<int64_t> Trend::NewestTime() const {
    std::optional<int64_t> newest;
    for (const Curve& c : curves_) {
        if (c.trace && !c.trace->Empty())
            newest = std::max(newest.value_or(INT64_MIN), c.trace->Newest().timeMs);
    }
    return newest;
}

std::optional<int64_t> Trend::OldestTime() const {
    std::optional<int64_t> oldest;
    for (const Curve& c : curves_) {
        if (c.trace && !c.trace->Empty())
            oldest = std::min(oldest.value_or(INT64_MAX), c.trace->At(0).timeMs);
    }
    return oldest;
}

void Trend::Follow() {
    const std::optional<int64_t> newest = NewestTime();
    const int64_t end = newest ? *newest : range_.to;
    range_ = {end - followSpan_, end};
}

// --- time range and cursor ---

void Trend::SetVisibleRange(TimeRange range) {
    if (range.Span() <= 0)
        return;
    following_ = false;
    range_ = range;
    update();
}

void Trend::FollowNewest() {
    following_ = true;
    Follow();
    update();
}

void Trend::ShowAll() {
    const std::optional<int64_t> oldest = OldestTime(), newest = NewestTime();
    if (!oldest || !newest)
        return;
    following_ = false;
    const int64_t span = std::clamp(*newest - *oldest, kMinTimeSpanMs, kMaxTimeSpanMs);
    range_ = {*newest - span, *newest};
    update();
}

void Trend::ScrollBy(double share) {
    following_ = false;
    range_ = ScrollTimeRange(range_, share);
    update();
}

void Trend::ZoomBy(double factor, std::optional<int64_t> anchor) {
    if (following_) {
        range_ = ZoomTimeRange(range_, factor, range_.to);
        followSpan_ = range_.Span();
    } else {
        range_ = ZoomTimeRange(range_, factor, anchor.value_or(range_.from + range_.Span() / 2));
    }
    update();
}

void Trend::SetCursorTime(std::optional<int64_t> t) {
    cursor_ = t;
    update();
}

std::vector<Trend::ReadoutLine> Trend::Readout(int64_t t) const {
    std::vector<ReadoutLine> lines;
    for (const Curve& c : curves_) {
        if (!PlacementOf(c.index).visible)
            continue;
        ReadoutLine line;
        line.index = c.index;
        line.caption = c.caption;
        line.text = noValueText_;
        if (c.trace) {
            if (std::optional<size_t> i = SampleAt(*c.trace, t)) {
                const ArchiveSample& s = c.trace->At(*i);
                QString unit = c.unitText;
                if (s.unitCode != c.unitCode) {
                    const std::string* known = c.trace->UnitText(s.unitCode);
                    unit = known ? ToQString(*known) : QStringLiteral("#%1").arg(s.unitCode);
                }
                line.text = FormatValue(s.value, c.valueFormat, locale_);
                if (!unit.isEmpty())
                    line.text += QLatin1Char(' ') + unit;
                line.valid = true;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// --- geometry ---

QFont Trend::ChartFont() const {
    QFont f = font();
    if (settings_.at("fixedfont"))
        f.setPointSizeF(8.0);
    return f;
}

TrendMetrics Trend::Metrics() const {
    const QFontMetricsF fm(ChartFont());
    TrendMetrics m;
    m.scaleWidth = fm.horizontalAdvance(QStringLiteral("-8888.8")) + 14;
    m.timeAxisHeight = 2 * fm.height() + 8;
    m.topMargin = fm.height() + 6;
    m.sideMargin = 6;
    return m;
}

QSize Trend::minimumSizeHint() const {
    // The scales beside the plot, the margins outside them and a plot that shows a trend.
    const TrendMetrics m = Metrics();
    double width = 2 * m.sideMargin + kMinPlotWidth;
    for (const TrendScalePlacement& p : VisiblePlacements())
        width += p.width > 0 ? p.width : m.scaleWidth;
    return QSize(std::max(kMinChartWidth, static_cast<int>(std::ceil(width))), kMinChartHeight);
}

void Trend::ScalesChanged() {
    measuredScales_.reset();
    const QSize least = minimumSizeHint();
    if (least == leastSize_)
        return;
    leastSize_ = least;
    // The layout around the chart makes room for it.
    updateGeometry();
}

TrendLayout Trend::Layout() const {
    return LayOutTrend(width(), height(), VisiblePlacements(), Metrics());
}

TrendMapping Trend::Mapping() const {
    return TrendMapping(Layout().plot, range_);
}

QString Trend::FormatValue(double value, const std::string& format, const NumberLocale& locale) {
    // A pattern formats a finite number (FormatNumber raises no error); a value that is not
    // finite shows in its plain form ("NaN", "Inf"), as does a value without a pattern.
    if (!format.empty() && std::isfinite(value))
        return ToQString(FormatNumber(value, format, locale));
    // Device values are singles: their plain text has the single's seven digits.
    const float single = static_cast<float>(value);
    const Variant v = static_cast<double>(single) == value ? Variant(single) : Variant(value);
    return ToQString(v.toString(locale));
}

// --- drawing ---

void Trend::paintEvent(QPaintEvent*) {
    CallGuarded("trend paint", [&] {
        QPainter p(this);
        Paint(p);
    });
}

void Trend::Paint(QPainter& p) {
    p.save();
    p.setFont(ChartFont());
    const TrendLayout layout = Layout();
    const TrendMapping map(layout.plot, range_);
    const QRectF plot = ToQt(layout.plot);
    p.fillRect(QRectF(0, 0, width(), height()), palette().color(QPalette::Window));
    p.fillRect(plot, palette().color(QPalette::Base));

    // Grid: the time ticks and the ticks of the first scale.
    const QColor gridColor = palette().color(QPalette::Mid).lighter(150);
    p.setPen(QPen(gridColor, 0, Qt::DotLine));
    const QFontMetricsF fm(p.font());
    const int64_t step =
        TimeTickStep(range_, layout.plot.width, fm.horizontalAdvance("00:00:00") + kLabelGap);
    const int64_t offset = LocalOffsetMs(range_.from);
    for (int64_t t : TimeTicks(range_, step, offset)) {
        const double x = std::round(map.X(t)) + 0.5;
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    for (const TrendScaleBox& box : layout.scales) {
        auto c = std::find_if(curves_.begin(), curves_.end(),
                              [&](const Curve& cv) { return cv.index == box.scale; });
        if (c == curves_.end())
            continue;
        for (double v : ValueTicks(c->scaleMin, c->scaleMax, box.rect.height, fm.height() * 2)) {
            const double y =
                std::round(ValueY(v, c->scaleMin, c->scaleMax, box.rect.top, box.rect.Bottom())) +
                0.5;
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
        break;
    }

    for (const TrendScaleBox& box : layout.scales) {
        auto c = std::find_if(curves_.begin(), curves_.end(),
                              [&](const Curve& cv) { return cv.index == box.scale; });
        if (c != curves_.end())
            PaintScale(p, layout, box, *c, WinColor(YScForeColor(c->index), palette()));
    }
    PaintTimeAxis(p, layout);

    p.save();
    p.setClipRect(plot.adjusted(0, 0, 1, 1));
    for (const Curve& c : curves_) {
        if (PlacementOf(c.index).visible)
            PaintCurve(p, layout, map, c);
    }
    p.restore();
    p.setPen(palette().color(QPalette::Mid));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot.adjusted(0, 0, -1, -1).translated(0.5, 0.5));
    PaintCursor(p, layout, map);
    p.restore();
}

void Trend::PaintScale(QPainter& p, const TrendLayout& layout, const TrendScaleBox& box,
                       const Curve& curve, const QColor& color) const {
    const QFontMetricsF fm(p.font());
    const TrendRect& r = box.rect;
    const double axisX = box.left ? std::round(r.Right()) - 0.5 : std::round(r.left) + 0.5;
    const double dir = box.left ? -1 : 1;
    p.setPen(QPen(color, 1));
    p.drawLine(QPointF(axisX, r.top), QPointF(axisX, r.Bottom()));

    // The active range: a bar along the axis.
    double actTop = ValueY(curve.actMax, curve.scaleMin, curve.scaleMax, r.top, r.Bottom());
    double actBottom = ValueY(curve.actMin, curve.scaleMin, curve.scaleMax, r.top, r.Bottom());
    if (std::isfinite(actTop) && std::isfinite(actBottom)) {
        if (actTop > actBottom)
            std::swap(actTop, actBottom);
        actTop = std::max(actTop, r.top);
        actBottom = std::min(actBottom, r.Bottom());
        if (actBottom > actTop) {
            const double x0 = box.left ? axisX - 4 : axisX + 1;
            p.fillRect(QRectF(x0, actTop, 3, actBottom - actTop),
                       Faded(WinColor(CurveColor(curve.index), palette()),
                             palette().color(QPalette::Window)));
        }
    }

    const std::vector<double> ticks =
        ValueTicks(curve.scaleMin, curve.scaleMax, r.height, fm.height() * 2);
    const std::vector<QString> labels = ScaleLabels(curve, r.height, fm);
    const double w = r.width - (kScaleLabelRoom - 2);
    for (size_t i = 0; i < ticks.size() && i < labels.size(); ++i) {
        const double y = ValueY(ticks[i], curve.scaleMin, curve.scaleMax, r.top, r.Bottom());
        p.drawLine(QPointF(axisX, y), QPointF(axisX + dir * 5, y));
        const QRectF textRect(box.left ? axisX - 7 - w : axisX + 7, y - fm.height() / 2, w,
                              fm.height());
        p.drawText(textRect, (box.left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                   fm.elidedText(labels[i], Qt::ElideRight, w));
    }
    // The unit above the scale.
    const QRectF unitRect(r.left + 1, layout.plot.top - fm.height() - 4, r.width - 2, fm.height());
    p.drawText(unitRect, Qt::AlignCenter, fm.elidedText(curve.unitText, Qt::ElideRight, r.width));
}

void Trend::PaintTimeAxis(QPainter& p, const TrendLayout& layout) const {
    const QFontMetricsF fm(p.font());
    const TrendMapping map(layout.plot, range_);
    const int64_t step =
        TimeTickStep(range_, layout.plot.width, fm.horizontalAdvance("00:00:00") + kLabelGap);
    const int64_t offset = LocalOffsetMs(range_.from);
    const QString timeFormat = step < 1000       ? QStringLiteral("HH:mm:ss.zzz")
                               : step < 86400000 ? QStringLiteral("HH:mm:ss")
                                                 : QStringLiteral("dd.MM.");
    p.setPen(palette().color(QPalette::WindowText));
    const double top = layout.timeAxis.top;
    bool first = true;
    for (int64_t t : TimeTicks(range_, step, offset)) {
        const double x = std::round(map.X(t)) + 0.5;
        p.drawLine(QPointF(x, top), QPointF(x, top + 4));
        const QDateTime when = LocalClock(t);
        QString label = when.toString(timeFormat);
        if (step < 1000)
            label.chop(2);  // tenths of a second
        const double w = fm.horizontalAdvance(label) + 4;
        // A label that would stick out of the widget is left out.
        if (x - w / 2 < 0 || x + w / 2 > width())
            continue;
        p.drawText(QRectF(x - w / 2, top + 5, w, fm.height()), Qt::AlignCenter, label);
        if (showDates_ || first) {
            const QString date = when.toString(QStringLiteral("dd.MM.yyyy"));
            const double dw = fm.horizontalAdvance(date) + 4;
            if (x - dw / 2 >= 0 && x + dw / 2 <= width())
                p.drawText(QRectF(x - dw / 2, top + 5 + fm.height(), dw, fm.height()),
                           Qt::AlignCenter, date);
            first = false;
        }
    }
}

void Trend::PaintCurve(QPainter& p, const TrendLayout& layout, const TrendMapping& map,
                       const Curve& curve) const {
    if (!curve.trace || curve.trace->Empty())
        return;
    auto box = std::find_if(layout.scales.begin(), layout.scales.end(),
                            [&](const TrendScaleBox& b) { return b.scale == curve.index; });
    const TrendRect area = box != layout.scales.end() ? box->rect : layout.plot;
    const QColor color = WinColor(CurveColor(curve.index), palette());
    const std::vector<TrendLine> lines =
        TraceLines(*curve.trace, map, curve.scaleMin, curve.scaleMax, area.top, area.Bottom());
    QPen solid(color, 2);
    QPen dashed(color, 1.5, Qt::DashLine);
    QPolygonF polygon;
    for (const TrendLine& line : lines) {
        polygon.resize(static_cast<qsizetype>(line.points.size()));
        for (size_t i = 0; i < line.points.size(); ++i)
            polygon[static_cast<qsizetype>(i)] = QPointF(line.points[i].x, line.points[i].y);
        p.setPen(line.unitCode == curve.unitCode ? solid : dashed);
        if (polygon.size() == 1)
            p.drawPoint(polygon[0]);
        else
            p.drawPolyline(polygon);
    }

    const int32_t symbol = CurveSymbol(curve.index);
    if (symbol < 0)
        return;
    const TimeRange range = map.Range();
    const size_t first = curve.trace->LowerBound(range.from);
    const size_t last = curve.trace->LowerBound(range.to + 1);
    if (last <= first || static_cast<double>(last - first) * 4 > layout.plot.width)
        return;
    p.setPen(QPen(color, 1));
    for (size_t i = first; i < last; ++i) {
        const ArchiveSample& s = curve.trace->At(i);
        if (!s.Valid())
            continue;
        const QPointF c(map.X(s.timeMs),
                        ValueY(s.value, curve.scaleMin, curve.scaleMax, area.top, area.Bottom()));
        switch (symbol) {
            case 1:
                p.drawEllipse(c, 2.5, 2.5);
                break;
            case 2:
                p.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
                p.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
                break;
            default:
                p.drawRect(QRectF(c.x() - 2.5, c.y() - 2.5, 5, 5));
                break;
        }
    }
}

void Trend::PaintCursor(QPainter& p, const TrendLayout& layout, const TrendMapping& map) const {
    if (!cursor_ || *cursor_ < range_.from || *cursor_ > range_.to)
        return;
    const QFontMetricsF fm(p.font());
    const QRectF plot = ToQt(layout.plot);
    const double x = std::round(map.X(*cursor_)) + 0.5;
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));

    const std::vector<ReadoutLine> lines = Readout(*cursor_);
    QStringList texts;
    texts << LocalClock(*cursor_).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    for (const ReadoutLine& line : lines)
        texts << line.caption + QStringLiteral(": ") + line.text;
    double w = 0;
    for (const QString& t : texts)
        w = std::max(w, fm.horizontalAdvance(t));
    w += 10;
    const double h = fm.height() * static_cast<double>(texts.size()) + 6;
    double left = x + 6;
    if (left + w > plot.right())
        left = x - 6 - w;
    left = std::max(left, plot.left());
    const QRectF box(left, plot.top() + 4, std::min(w, plot.width()), h);
    QColor fill = palette().color(QPalette::ToolTipBase);
    fill.setAlpha(230);
    p.fillRect(box, fill);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(box);
    for (int i = 0; i < texts.size(); ++i) {
        const QColor color =
            i == 0 ? palette().color(QPalette::ToolTipText)
                   : WinColor(CurveColor(lines[static_cast<size_t>(i - 1)].index), palette());
        p.setPen(color);
        p.drawText(
            QRectF(box.left() + 5, box.top() + 3 + fm.height() * i, box.width() - 10, fm.height()),
            Qt::AlignLeft | Qt::AlignVCenter,
            fm.elidedText(texts[i], Qt::ElideRight, box.width() - 10));
    }
}

// --- mouse and keys ---

void Trend::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The scales' labels follow the plot's height.
    CallGuarded("trend resize", [&] { ScalesChanged(); });
}

void Trend::changeEvent(QEvent* event) {
    // The scales are measured in the chart's font.
    if (event->type() == QEvent::FontChange)
        measuredScales_.reset();
    QWidget::changeEvent(event);
}

void Trend::mousePressEvent(QMouseEvent* event) {
    CallGuarded("trend mouse press", [&] {
        if (event->button() == Qt::RightButton) {
            SetCursorTime(std::nullopt);
            return;
        }
        if (event->button() != Qt::LeftButton) {
            QWidget::mousePressEvent(event);
            return;
        }
        pressed_ = true;
        dragging_ = false;
        pressX_ = event->position().x();
        pressRange_ = range_;
    });
}

void Trend::mouseMoveEvent(QMouseEvent* event) {
    CallGuarded("trend mouse move", [&] {
        if (!pressed_)
            return;
        const double dx = event->position().x() - pressX_;
        if (!dragging_ && std::abs(dx) < kDragThreshold)
            return;
        dragging_ = true;
        following_ = false;
        const double width = std::max(1.0, Layout().plot.width);
        range_ = ScrollTimeRange(pressRange_, -dx / width);
        update();
    });
}

void Trend::mouseReleaseEvent(QMouseEvent* event) {
    CallGuarded("trend mouse release", [&] {
        if (event->button() != Qt::LeftButton || !pressed_)
            return;
        pressed_ = false;
        if (dragging_)
            return;
        const TrendLayout layout = Layout();
        const QPointF pos = event->position();
        if (layout.plot.Contains(pos.x(), pos.y()))
            SetCursorTime(TrendMapping(layout.plot, range_).Time(pos.x()));
    });
}

void Trend::mouseDoubleClickEvent(QMouseEvent*) {
    CallGuarded("trend double click", [&] { FollowNewest(); });
}

void Trend::wheelEvent(QWheelEvent* event) {
    CallGuarded("trend wheel", [&] {
        const double notches = event->angleDelta().y() / 120.0;
        if (notches == 0)
            return;
        ZoomBy(std::pow(kWheelZoom, notches), Mapping().Time(event->position().x()));
        event->accept();
    });
}

void Trend::keyPressEvent(QKeyEvent* event) {
    const bool handled = CallGuarded("trend key", true, [&] {
        switch (event->key()) {
            case Qt::Key_Left:
                ScrollBy(-0.1);
                break;
            case Qt::Key_Right:
                ScrollBy(0.1);
                break;
            case Qt::Key_PageUp:
                ScrollBy(-1.0);
                break;
            case Qt::Key_PageDown:
                ScrollBy(1.0);
                break;
            case Qt::Key_Plus:
            case Qt::Key_Up:
                ZoomBy(0.5);
                break;
            case Qt::Key_Minus:
            case Qt::Key_Down:
                ZoomBy(2.0);
                break;
            case Qt::Key_Home:
                ShowAll();
                break;
            case Qt::Key_End:
                FollowNewest();
                break;
            case Qt::Key_Escape:
                SetCursorTime(std::nullopt);
                break;
            default:
                return false;
        }
        return true;
    });
    if (handled)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

}  // namespace kv

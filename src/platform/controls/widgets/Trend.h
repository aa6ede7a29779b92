#pragma once
// The trend chart of the archive control, drawn with QPainter: one Y scale per curve in the
// curve's colour with its unit and its active range marked beside it, a time axis, the curves
// with gaps where a sample is not valid and a new line where the unit changes (lines in an
// earlier unit are dashed), and a cursor that shows the values at a time.
//
// Reading: the mouse wheel and the keys + - Up Down zoom the time range; dragging and the keys
// Left Right PageUp PageDown scroll it; Home shows everything recorded, End (or a double click)
// follows the newest samples again; a click sets the cursor, Escape or the right button removes
// it.
//
// Colours are Windows colour values (red in the low byte; the high bit marks a system colour).

#include <QFontMetricsF>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/ArchiveTrace.h"
#include "platform/controls/widgets/TrendGeometry.h"
#include "platform/controls/widgets/WinColor.h"
#include "value/Variant.h"

namespace kv {

class Trend : public QWidget {
    Q_OBJECT

  public:
    // One curve to draw; its index selects colour, symbol and Y scale.
    struct Curve {
        int32_t index = 0;
        const ArchiveTrace* trace = nullptr;  // nullptr: nothing recorded yet
        QString caption;
        QString unitText;      // the unit the scale shows
        int16_t unitCode = 0;  // samples in another unit are drawn dashed
        std::string valueFormat;
        double scaleMin = 0, scaleMax = 100;  // the span of the Y scale
        double actMin = 0, actMax = 100;      // the active range, marked on the scale

        bool operator==(const Curve&) const = default;
    };
    // A curve's value at the cursor.
    struct ReadoutLine {
        int32_t index = 0;
        QString caption;
        QString text;  // the value with its unit, or the "no value" text
        bool valid = false;
    };

    explicit Trend(QWidget* parent = nullptr);

    // --- members the archive page sets by name ---
    int32_t CurveColor(int32_t index) const;
    void SetCurveColor(int32_t index, int32_t color);
    int32_t YScForeColor(int32_t index) const;
    void SetYScForeColor(int32_t index, int32_t color);
    // -1 no symbol; 0 a square, 1 a circle, 2 a cross at every sample while they are at least
    // four pixels apart.
    int32_t CurveSymbol(int32_t index) const;
    void SetCurveSymbol(int32_t index, int32_t symbol);
    // Places the Y scale: side 0 left of the plot, 1 right; order 0 next to the plot; the part of
    // the plot's height from fromPercent to toPercent (from the bottom); visible False hides it.
    void YScSetPosition(int32_t scale, int32_t side, int32_t order, int32_t fromPercent,
                        int32_t toPercent, bool visible);
    TrendScalePlacement ScalePlacement(int32_t scale) const;
    bool ScaleVisible(int32_t scale) const;
    // The Boolean settings by name: "DlgScalePositions", "DockingScales", "DlgBackColor",
    // "DlgForeColor", "DlgTrendBackColor", "DlgDWBackColor", "DlgOVBackColor", "DlgOVRangeColor"
    // (what a settings dialog would offer; this chart has none, so they are only kept) and
    // "FixedFont" (True: the chart draws in a font of its own fixed size, not the widget's).
    // Unknown names and values that are no Boolean throw std::invalid_argument.
    Variant GetProperty(const std::string& name) const;
    void SetProperty(const std::string& name, const Variant& value);

    // --- data ---
    // A following chart moves to the newest of the curves' samples (unless it keeps its range).
    void SetCurves(std::vector<Curve> curves);
    const std::vector<Curve>& Curves() const { return curves_; }
    void SetNumberLocale(const NumberLocale& locale);
    // Time labels with their dates (else the date once, under the first label).
    void SetShowDates(bool show);
    // Keep the time range when samples arrive (else the chart follows the newest).
    void SetKeepRange(bool keep);
    void SetNoValueText(const QString& text);
    // The span shown while following the newest samples (until the user zooms).
    void SetFollowSpan(int64_t ms);
    // New samples arrived: a following chart moves on.
    void SamplesAdded();

    // --- time range and cursor ---
    TimeRange VisibleRange() const { return range_; }
    void SetVisibleRange(TimeRange range);  // stops following
    bool Following() const { return following_; }
    void FollowNewest();
    void ShowAll();
    void ScrollBy(double share);
    // factor below 1 zooms in; a following chart keeps its right end.
    void ZoomBy(double factor, std::optional<int64_t> anchor = std::nullopt);
    std::optional<int64_t> CursorTime() const { return cursor_; }
    void SetCursorTime(std::optional<int64_t> t);
    std::vector<ReadoutLine> Readout(int64_t t) const;

    // --- geometry at the current size ---
    // Room for the visible scales, their margins and a plot of a useful width.
    QSize minimumSizeHint() const override;
    TrendLayout Layout() const;
    TrendMapping Mapping() const;

    // The value as the curve shows it: the number pattern (plain when empty or unusable), the
    // locale's separator.
    static QString FormatValue(double value, const std::string& format, const NumberLocale& locale);
    // A Windows colour value as a colour of the palette (WinColor, under the chart's name).
    static QColor WindowsColor(int32_t value, const QPalette& palette) {
        return WinColor(value, palette);
    }

    // Draws the chart into any painter (the widget, an image).
    void Paint(QPainter& painter);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    struct Style {
        int32_t curveColor = 0;
        int32_t scaleColor = 0;
        int32_t symbol = -1;
    };
    struct Placement {
        TrendScalePlacement place;
        bool visible = true;
    };
    Style StyleOf(int32_t index) const;
    void Restyle(int32_t index, const std::function<void(Style&)>& change);
    Placement PlacementOf(int32_t index) const;
    std::vector<TrendScalePlacement> VisiblePlacements() const;
    std::vector<QString> ScaleLabels(const Curve& curve, double height,
                                     const QFontMetricsF& fm) const;
    QFont ChartFont() const;
    TrendMetrics Metrics() const;
    std::optional<int64_t> NewestTime() const;
    std::optional<int64_t> OldestTime() const;
    void Follow();
    // The scales' widths are measured anew (their labels, units, font, locale or the chart's
    // height changed), and the layout around the chart is told when its least size changed.
    void ScalesChanged();
    void PaintScale(QPainter& p, const TrendLayout& layout, const TrendScaleBox& box,
                    const Curve& curve, const QColor& color) const;
    void PaintTimeAxis(QPainter& p, const TrendLayout& layout) const;
    void PaintCurve(QPainter& p, const TrendLayout& layout, const TrendMapping& map,
                    const Curve& curve) const;
    void PaintCursor(QPainter& p, const TrendLayout& layout, const TrendMapping& map) const;

    std::vector<Curve> curves_;
    std::map<int32_t, Style> styles_;
    std::map<int32_t, Placement> placements_;
    std::map<std::string, bool> settings_;
    NumberLocale locale_;
    bool showDates_ = false;
    bool keepRange_ = false;
    QString noValueText_ = QStringLiteral("no value");
    TimeRange range_;
    bool following_ = true;
    int64_t followSpan_ = 120000;
    std::optional<int64_t> cursor_;
    QSize leastSize_;
    // The visible scales with their widths, measured once for what they show.
    mutable std::optional<std::vector<TrendScalePlacement>> measuredScales_;
    // Mouse dragging.
    bool pressed_ = false;
    bool dragging_ = false;
    double pressX_ = 0;
    TimeRange pressRange_;
};

}  // namespace kv

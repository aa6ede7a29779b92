#include "platform/controls/widgets/Scale.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/controls/widgets/LastResort.h"

namespace kv {

namespace {

constexpr int kMajorTick = 4;
constexpr int kMinorTick = 2;
constexpr int kLabelGap = 8;
// Never more ticks than this, whatever the size.
constexpr double kMaxTicks = 200;

// Primary languages that write numbers with a decimal comma.
bool UsesDecimalComma(int32_t languageId) {
    switch (languageId & 0x3FF) {
        case 0x05:  // Czech
        case 0x06:  // Danish
        case 0x07:  // German
        case 0x0A:  // Spanish
        case 0x0B:  // Finnish
        case 0x0C:  // French
        case 0x10:  // Italian
        case 0x13:  // Dutch
        case 0x14:  // Norwegian
        case 0x15:  // Polish
        case 0x16:  // Portuguese
        case 0x19:  // Russian
        case 0x1D:  // Swedish
            return true;
        default:
            return false;
    }
}

int Decimals(double step) {
    if (!(step > 0))
        return 0;
    return std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
}

QFont LabelFont(const QFont& base) {
    QFont f = base;
    if (f.pointSizeF() > 0)
        f.setPointSizeF(std::max(7.0, f.pointSizeF() - 1));
    return f;
}

}  // namespace

Scale::Scale(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Scale1"));
}

void Scale::SetAndNotify(double& field, double value) {
    if (field == value)
        return;
    field = value;
    update();
    emit Changed();
}

void Scale::SetCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    update();
    emit Changed();
}

void Scale::SetRangeMin(double value) {
    SetAndNotify(rangeMin_, value);
}
void Scale::SetRangeMax(double value) {
    SetAndNotify(rangeMax_, value);
}
void Scale::SetViewMin(double value) {
    SetAndNotify(viewMin_, value);
}
void Scale::SetViewMax(double value) {
    SetAndNotify(viewMax_, value);
}

void Scale::SetMirrored(bool mirrored) {
    if (mirrored == mirrored_)
        return;
    mirrored_ = mirrored;
    update();
    emit Changed();
}

void Scale::SetUserLanguage(int32_t languageId) {
    if (languageId == userLanguage_)
        return;
    userLanguage_ = languageId;
    update();
    emit Changed();
}

double Scale::PositionOf(double value, double length) const {
    const double span = viewMax_ - viewMin_;
    if (span == 0)
        return 0;
    const double p = (value - viewMin_) * length / span;
    return mirrored_ ? length - p : p;
}

double Scale::TickStep(double length, double labelWidth) const {
    const double span = std::fabs(viewMax_ - viewMin_);
    if (!std::isfinite(span) || span == 0 || !(length > 0))
        return 0;
    const double maxTicks =
        std::clamp(std::floor(length / std::max(labelWidth, 1.0)), 1.0, kMaxTicks);
    const double rough = span / maxTicks;
    double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (;;) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double step = m * magnitude;
            if (step >= rough * (1 - 1e-9))
                return step;
        }
        magnitude *= 10;
    }
}

std::vector<double> Scale::TickValues(double length, double labelWidth) const {
    std::vector<double> ticks;
    const double step = TickStep(length, labelWidth);
    if (step <= 0 || !std::isfinite(step))
        return ticks;
    const double lo = std::min(viewMin_, viewMax_);
    const double hi = std::max(viewMin_, viewMax_);
    const double first = std::ceil(lo / step - 1e-9) * step;
    for (double v = first; v <= hi + step * 1e-9 && ticks.size() <= kMaxTicks;
         v = first + step * static_cast<double>(ticks.size())) {
        ticks.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
    }
    return ticks;
}

QString Scale::LabelText(double value, double step) const {
    QString text = QString::number(value, 'f', Decimals(step));
    if (UsesDecimalComma(userLanguage_))
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

void Scale::paintEvent(QPaintEvent* /*event*/) {
    CallGuarded("scale paint", [&] {
        QPainter painter(this);
        const QColor ink = palette().color(QPalette::WindowText);
        painter.setPen(ink);
        const double length = width() - 1;
        painter.drawLine(QPointF(0, 0.5), QPointF(length, 0.5));

        const QFont font = LabelFont(this->font());
        painter.setFont(font);
        const QFontMetrics fm(font);
        const double step = TickStep(length, 1);  // finest step; the real one follows the labels
        double labelWidth = 0;
        if (step > 0) {
            for (double v : {viewMin_, viewMax_})
                labelWidth = std::max<double>(labelWidth, fm.horizontalAdvance(LabelText(v, step)));
        }
        const std::vector<double> ticks = TickValues(length, labelWidth + kLabelGap);
        const double major = ticks.size() >= 2 ? ticks[1] - ticks[0] : TickStep(length, labelWidth);

        // The caption: on a line of its own below the labels when there is room, else at the end
        // of the label line (the labels give way to it).
        const int labelTop = kMajorTick + 1;
        const bool captionLine = !caption_.isEmpty() && labelTop + 2 * fm.height() <= height();
        QRect captionRect;
        if (!caption_.isEmpty()) {
            const int cw = fm.horizontalAdvance(caption_);
            if (captionLine)
                captionRect = QRect((width() - cw) / 2, labelTop + fm.height(), cw, fm.height());
            else
                captionRect = QRect(mirrored_ ? 0 : width() - cw, labelTop, cw, fm.height());
            painter.drawText(captionRect, Qt::AlignCenter, caption_);
        }

        // Minor ticks at a fifth (or half, for steps of 2) of the step.
        if (ticks.size() >= 2) {
            const double mantissa = major / std::pow(10.0, std::floor(std::log10(major) + 1e-9));
            const int parts = std::lround(mantissa) == 2 ? 2 : 5;
            const double minor = major / parts;
            const double lo = std::min(viewMin_, viewMax_);
            const double hi = std::max(viewMin_, viewMax_);
            const double first = std::ceil(lo / minor - 1e-9) * minor;
            for (int i = 0; first + i * minor <= hi + minor * 1e-9 && i < 5000; ++i) {
                const double x = std::floor(PositionOf(first + i * minor, length)) + 0.5;
                painter.drawLine(QPointF(x, 0), QPointF(x, kMinorTick));
            }
        }

        QRect lastLabel;
        for (double v : ticks) {
            const double x = std::floor(PositionOf(v, length)) + 0.5;
            painter.drawLine(QPointF(x, 0), QPointF(x, kMajorTick));
            const QString text = LabelText(v, major);
            const int tw = fm.horizontalAdvance(text);
            // Labels stay inside the scale: the end labels are moved in.
            const int left = std::clamp(static_cast<int>(std::lround(x - tw / 2.0)), 0,
                                        std::max(0, width() - tw));
            const QRect r(left, labelTop, tw, fm.height());
            if (r.intersects(lastLabel.adjusted(-2, 0, 2, 0)) ||
                (!captionLine && captionRect.isValid() &&
                 r.intersects(captionRect.adjusted(-4, 0, 4, 0))))
                continue;
            painter.drawText(r, Qt::AlignCenter, text);
            lastLabel = r;
        }
    });
}

}  // namespace kv

#include "ui/framework/widgets/ctlBar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/controls/widgets/Scale.h"
#include "platform/controls/widgets/WinColor.h"
#include "value/NumberText.h"

namespace kv {

namespace {

// The number a value stands for; nullopt for Null, texts that are no number, arrays and
// numbers that are not finite.
std::optional<float> NumberOf(const Variant& v) {
    if (v.isEmpty())
        return 0.0f;
    double d = 0;
    if (v.isNumber() && v.type() != VarType::Date) {
        d = v.number();
    } else if (const std::optional<double> parsed =
                   v.isString() ? ParseNumber(v.str(), NumberLocale::Invariant()) : std::nullopt) {
        d = *parsed;
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(d))
        return std::nullopt;
    return static_cast<float>(d);
}

}  // namespace

BarGeometry ComputeBarGeometry(double width, double height, double pixel, const Variant& value,
                               double min, double max, const Variant& limitMin,
                               const Variant& limitMax, bool mirrored) {
    BarGeometry g;
    g.band = static_cast<float>(height) * 0.25f;
    const float x = static_cast<float>(width) - static_cast<float>(pixel);
    g.length = x;
    const auto fmin = static_cast<float>(min);
    const auto fmax = static_cast<float>(max);
    const auto pos = [&](float v) {
        const float p = (v - fmin) * x / (fmax - fmin);
        return mirrored ? x - p : p;
    };
    if (fmin == fmax || !std::isfinite(fmin) || !std::isfinite(fmax))
        return g;  // no length, no marks
    const float zero = pos(fmin < 0 ? 0.0f : fmin);
    const std::optional<float> v = NumberOf(value);
    const float end = v ? pos(*v) : zero;
    g.barFrom = std::min(zero, end);
    g.barTo = std::max(zero, end);
    for (const Variant* limit : {&limitMin, &limitMax}) {
        if (const std::optional<float> l = NumberOf(*limit))
            g.limits.push_back(pos(*l));
    }
    return g;
}

ctlBar::ctlBar(QWidget* parent) : QWidget(parent) {
    scale_ = new Scale(this);
    connect(scale_, &Scale::Changed, this, qOverload<>(&QWidget::update));
    InitProperties();
}

std::string ctlBar::Caption() const {
    return scale_->Caption().toStdString();
}

void ctlBar::SetCaption(const std::string& caption) {
    const QString text = ToQString(caption);
    if (text == scale_->Caption())
        return;
    scale_->SetCaption(text);
    emit PropertyChanged(QStringLiteral("Caption"));
}

void ctlBar::SetColor(int32_t color) {
    if (color == color_)
        return;
    color_ = color;
    emit PropertyChanged(QStringLiteral("Color"));
    UpdateBand();
}

void ctlBar::SetLimitColor(int32_t color) {
    if (color == limitColor_)
        return;
    limitColor_ = color;
    emit PropertyChanged(QStringLiteral("LimitColor"));
    UpdateBand();
}

double ctlBar::RangeMin() const {
    return scale_->ViewMin();
}

double ctlBar::RangeMax() const {
    return scale_->ViewMax();
}

void ctlBar::SetRange(const Variant& value, bool isMin) {
    // The value goes through its text form, as the scale keeps it; a value that has none or
    // does not read as a number leaves the range alone.
    const std::optional<std::string> text = value.tryString();
    if (!text)
        return;
    const std::optional<double> parsed = ParseNumber(*text, NumberLocale::Invariant());
    if (!parsed || !std::isfinite(*parsed))
        return;
    const double d = *parsed;
    if (d == (isMin ? scale_->ViewMin() : scale_->ViewMax()))
        return;
    if (isMin) {
        scale_->SetRangeMin(d);
        scale_->SetViewMin(scale_->RangeMin());
    } else {
        scale_->SetRangeMax(d);
        scale_->SetViewMax(scale_->RangeMax());
    }
    emit PropertyChanged(isMin ? QStringLiteral("RangeMin") : QStringLiteral("RangeMax"));
    update();
}

void ctlBar::SetRangeMin(const Variant& value) {
    SetRange(value, true);
}

void ctlBar::SetRangeMax(const Variant& value) {
    SetRange(value, false);
}

void ctlBar::SetValue(const Variant& value) {
    if (value == value_)
        return;
    value_ = value;
    UpdateBand();
}

bool ctlBar::Mirrored() const {
    return scale_->Mirrored();
}

void ctlBar::SetMirrored(bool mirrored) {
    if (mirrored == scale_->Mirrored())
        return;
    scale_->SetMirrored(mirrored);
    emit PropertyChanged(QStringLiteral("Mirrored"));
    update();
}

int32_t ctlBar::UserLanguage() const {
    return scale_->UserLanguage();
}

void ctlBar::SetUserLanguage(int32_t languageId) {
    scale_->SetUserLanguage(languageId);
}

void ctlBar::SetLimitMin(const Variant& value) {
    if (value == limitMin_)
        return;
    limitMin_ = value;
    UpdateBand();
}

void ctlBar::SetLimitMax(const Variant& value) {
    if (value == limitMax_)
        return;
    limitMax_ = value;
    UpdateBand();
}

void ctlBar::InitProperties() {
    scale_->SetCaption(QString());
    color_ = 0;
    limitColor_ = 0;
    scale_->SetRangeMin(0);
    scale_->SetViewMin(0);
    scale_->SetRangeMax(100);
    scale_->SetViewMax(100);
    scale_->SetMirrored(false);
    update();
}

bool ctlBar::ReadProperties(const IPropertyBag& bag) {
    bool ok = ReadProperty<std::string>(bag, "Caption", Variant(""), [this](const std::string& v) {
        scale_->SetCaption(ToQString(v));
    });
    ok &=
        ReadProperty<int32_t>(bag, "Color", Variant(int32_t{0}), [this](int32_t v) { color_ = v; });
    ok &= ReadProperty<int32_t>(bag, "LimitColor", Variant(int32_t{0}),
                                [this](int32_t v) { limitColor_ = v; });
    ok &= ReadProperty<double>(bag, "RangeMin", Variant(0.0), [this](double v) {
        scale_->SetRangeMin(v);
        scale_->SetViewMin(scale_->RangeMin());
    });
    ok &= ReadProperty<double>(bag, "RangeMax", Variant(100.0), [this](double v) {
        scale_->SetRangeMax(v);
        scale_->SetViewMax(scale_->RangeMax());
    });
    ok &= ReadProperty<bool>(bag, "Mirrored", Variant(false),
                             [this](bool v) { scale_->SetMirrored(v); });
    update();
    return ok;
}

void ctlBar::WriteProperties(IPropertyBag& bag) const {
    bag.Write("Caption", Variant(Caption()));
    bag.Write("Color", Variant(color_));
    bag.Write("LimitColor", Variant(limitColor_));
    bag.Write("RangeMin", Variant(scale_->ViewMin()));
    bag.Write("RangeMax", Variant(scale_->ViewMax()));
    bag.Write("Mirrored", Variant(scale_->Mirrored()));
}

BarGeometry ctlBar::Geometry() const {
    return ComputeBarGeometry(width(), height(), 1.0, value_, scale_->ViewMin(), scale_->ViewMax(),
                              limitMin_, limitMax_, scale_->Mirrored());
}

// The band lies above the scale: a change of the bar repaints the band, not the scale's labels.
void ctlBar::UpdateBand() {
    update(0, 0, width(), static_cast<int>(std::ceil(Geometry().band)));
}

void ctlBar::DoLayout() {
    const double t = height() * 0.25;
    scale_->setGeometry(0, static_cast<int>(std::lround(t)), width(),
                        static_cast<int>(std::lround(3 * t)));
}

void ctlBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    CallGuarded("bar resize", [&] {
        DoLayout();
        update();
    });
}

void ctlBar::paintEvent(QPaintEvent* /*event*/) {
    CallGuarded("bar paint", [&] {
        QPainter painter(this);
        const BarGeometry g = Geometry();
        const QPalette& pal = palette();
        // The band in the back colour, then the bar, then the marks across the band.
        painter.fillRect(QRectF(0, 0, width(), g.band), pal.color(QPalette::Window));
        if (g.barTo > g.barFrom)
            painter.fillRect(QRectF(g.barFrom, 0, g.barTo - g.barFrom, g.band),
                             WinColor(color_, pal));
        const QColor limitColor = WinColor(limitColor_, pal);
        for (float p : g.limits)
            painter.fillRect(QRectF(std::floor(p), 0, 1, g.band), limitColor);
    });
}

}  // namespace kv

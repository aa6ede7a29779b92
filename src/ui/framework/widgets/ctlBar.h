#pragma once
// A bar graph: one value as a horizontal bar in a band over a scale, with two limit marks. The
// band takes the top quarter of the control, the scale (Scale1: ticks, labels, caption,
// mirroring, language) the rest; the bar is drawn against the scale's displayed range.

#include <QWidget>
#include <string>
#include <vector>

#include "platform/runtime/IPropertyBag.h"
#include "value/Variant.h"

namespace kv {

class Scale;

// Where the parts of the band lie, in pixels from the band's left end.
struct BarGeometry {
    float band = 0;    // height of the band (a quarter of the control's height)
    float length = 0;  // drawable length: the width less one pixel
    // The bar runs from barFrom to barTo (barFrom <= barTo); equal ends draw no bar.
    float barFrom = 0;
    float barTo = 0;
    // Positions of the limit marks, LimitMin first; none while the range is empty.
    std::vector<float> limits;
};

// The geometry of a band of that size (pixel: one pixel in the size's units) for the value and
// limits on the displayed range min..max. A value that is no number draws no bar; an unset
// limit (Empty) counts as 0, a limit that is no number has no mark. Mirrored turns the whole
// band around: the bar runs from the mirrored zero to the mirrored value, and the marks move
// with it.
BarGeometry ComputeBarGeometry(double width, double height, double pixel, const Variant& value,
                               double min, double max, const Variant& limitMin,
                               const Variant& limitMax, bool mirrored);

class ctlBar : public QWidget {
    Q_OBJECT

  public:
    explicit ctlBar(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // Windows colour values.
    int32_t Color() const { return color_; }
    void SetColor(int32_t color);
    int32_t LimitColor() const { return limitColor_; }
    void SetLimitColor(int32_t color);
    // The displayed range. A value that does not read as a number keeps the range as it was.
    double RangeMin() const;
    void SetRangeMin(const Variant& value);
    double RangeMax() const;
    void SetRangeMax(const Variant& value);
    Variant Value() const { return value_; }
    void SetValue(const Variant& value);
    bool Mirrored() const;
    void SetMirrored(bool mirrored);
    int32_t UserLanguage() const;
    void SetUserLanguage(int32_t languageId);
    Variant LimitMin() const { return limitMin_; }
    void SetLimitMin(const Variant& value);
    Variant LimitMax() const { return limitMax_; }
    void SetLimitMax(const Variant& value);

    // Property bag: "Caption" (""), "Color" (0), "LimitColor" (0), "RangeMin" (0), "RangeMax"
    // (100), "Mirrored" (False). Reading takes every value that reads as its type and gives
    // False when one does not (that property keeps its value). Designer data ("color",
    // "limitcolor") is read the same way.
    void InitProperties();
    bool ReadProperties(const IPropertyBag& bag);
    void WriteProperties(IPropertyBag& bag) const;

    Scale& Scale1() const { return *scale_; }
    // The band's geometry at the control's current size.
    BarGeometry Geometry() const;

  signals:
    // A persisted property changed (its property-bag key).
    void PropertyChanged(const QString& name);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void SetRange(const Variant& value, bool isMin);
    void UpdateBand();
    void DoLayout();

    Scale* scale_;
    int32_t color_ = 0;
    int32_t limitColor_ = 0;
    Variant value_;
    Variant limitMin_;
    Variant limitMax_;
};

}  // namespace kv

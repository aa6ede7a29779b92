#pragma once
// A horizontal scale: a base line at the top, ticks at round values of the displayed range
// (ViewMin to ViewMax), their numbers below in the decimal form of the user's language, and a
// caption. Mirrored puts the maximum on the left. The scale's length is its width less one
// pixel, the length a bar graph of the same width draws on.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace kv {

class Scale : public QWidget {
    Q_OBJECT

  public:
    explicit Scale(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    double RangeMin() const { return rangeMin_; }
    void SetRangeMin(double value);
    double RangeMax() const { return rangeMax_; }
    void SetRangeMax(double value);
    double ViewMin() const { return viewMin_; }
    void SetViewMin(double value);
    double ViewMax() const { return viewMax_; }
    void SetViewMax(double value);
    bool Mirrored() const { return mirrored_; }
    void SetMirrored(bool mirrored);
    // A Windows language id; its primary language decides the decimal separator.
    int32_t UserLanguage() const { return userLanguage_; }
    void SetUserLanguage(int32_t languageId);

    // The values of the labelled ticks for a scale of that length in pixels with labels of that
    // width: round steps (1, 2 or 5 times a power of ten) at least one label width apart. Empty
    // when the displayed range is empty or no number.
    std::vector<double> TickValues(double length, double labelWidth) const;
    // The pixel position of a value on a scale of that length (mirrored: from the right).
    double PositionOf(double value, double length) const;
    // The label of a tick value with the decimals that the step needs.
    QString LabelText(double value, double step) const;

  signals:
    // Any property that changes what the scale shows.
    void Changed();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void SetAndNotify(double& field, double value);
    double TickStep(double length, double labelWidth) const;

    QString caption_;
    double rangeMin_ = 0;
    double rangeMax_ = 100;
    double viewMin_ = 0;
    double viewMax_ = 100;
    bool mirrored_ = false;
    int32_t userLanguage_ = 0;
};

}  // namespace kv

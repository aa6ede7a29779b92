#pragma once
// A curve of the archive control: the element it records, the records read for it, its texts,
// its place on the trend chart and its two value ranges (the scale range the chart's Y scale
// spans, and the active range marked on that scale), each end given by an element or a number.
// The collection of curves that the archive control is configured with is keyed by element path.
//
// Elements are set by reference; the curve also keeps their paths, so that later users look them
// up in the data set afresh instead of holding on to an element that may be gone.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kv {

class IPrivateDataElement;

// The records that must be read for a curve, in the order of registration.
class IArchiveRecordList {
  public:
    virtual ~IArchiveRecordList() = default;
    // Registers a record to read. key "" keys it by its path. True when it was added; False for
    // no element, or a record or key that is already registered.
    virtual bool Add(IPrivateDataElement* element, const std::string& key) = 0;
    virtual size_t Count() const = 0;
    // The path of the record at index (from 0).
    virtual const std::string& Item(size_t index) const = 0;
};

// The ends of a curve's two value ranges.
enum ArchiveRangeEnd : int32_t {
    areScaleMax = 0,
    areScaleMin = 1,
    areActMax = 2,
    areActMin = 3,
};

class IArchiveCurve {
  public:
    virtual ~IArchiveCurve() = default;

    virtual IPrivateDataElement* DataElement() const = 0;
    virtual void SetDataElement(IPrivateDataElement* element) = 0;
    // The path of the element as it was set; "" without one.
    virtual const std::string& DataElementPath() const = 0;
    virtual IArchiveRecordList& RecordElements() = 0;
    virtual const IArchiveRecordList& RecordElements() const = 0;

    virtual const std::string& Caption() const = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual const std::string& UnitText() const = 0;
    virtual void SetUnitText(const std::string& text) = 0;
    // Number pattern of the shown values ("0.00"); "" for the plain number.
    virtual const std::string& ValueFormat() const = 0;
    virtual void SetValueFormat(const std::string& format) = 0;
    // The curve's Y scale and trend index on the chart.
    virtual int32_t ScaleIndex() const = 0;
    virtual void SetScaleIndex(int32_t index) = 0;
    // The curve's position from 0; its bit in the archive's CheckCurveEnabled.
    virtual int16_t Index() const = 0;
    virtual void SetIndex(int16_t index) = 0;
    // A curve that is not enabled is never recorded or shown, whatever its switch says.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;

    virtual IPrivateDataElement* ScaleMaxElement() const = 0;
    virtual void SetScaleMaxElement(IPrivateDataElement* element) = 0;
    virtual IPrivateDataElement* ScaleMinElement() const = 0;
    virtual void SetScaleMinElement(IPrivateDataElement* element) = 0;
    virtual IPrivateDataElement* ActMaxElement() const = 0;
    virtual void SetActMaxElement(IPrivateDataElement* element) = 0;
    virtual IPrivateDataElement* ActMinElement() const = 0;
    virtual void SetActMinElement(IPrivateDataElement* element) = 0;
    // Fixed numbers for all four ends; replaces their elements.
    virtual void SetFixedRanges(double scaleMax, double scaleMin, double actMax, double actMin) = 0;
    // The path of the element that gives a range end; "" when the end is a fixed number.
    virtual const std::string& RangeElementPath(ArchiveRangeEnd end) const = 0;
    // The fixed number of a range end (0 until SetFixedRanges).
    virtual double FixedRange(ArchiveRangeEnd end) const = 0;
};

class ArchiveRecordList : public IArchiveRecordList {
  public:
    bool Add(IPrivateDataElement* element, const std::string& key) override;
    size_t Count() const override { return records_.size(); }
    const std::string& Item(size_t index) const override { return records_.at(index).second; }

  private:
    std::vector<std::pair<std::string, std::string>> records_;  // key, path
};

class ArchiveCurve : public IArchiveCurve {
  public:
    IPrivateDataElement* DataElement() const override { return element_.element; }
    void SetDataElement(IPrivateDataElement* element) override { element_.Set(element); }
    const std::string& DataElementPath() const override { return element_.path; }
    IArchiveRecordList& RecordElements() override { return records_; }
    const IArchiveRecordList& RecordElements() const override { return records_; }

    const std::string& Caption() const override { return caption_; }
    void SetCaption(const std::string& text) override { caption_ = text; }
    const std::string& UnitText() const override { return unitText_; }
    void SetUnitText(const std::string& text) override { unitText_ = text; }
    const std::string& ValueFormat() const override { return valueFormat_; }
    void SetValueFormat(const std::string& format) override { valueFormat_ = format; }
    int32_t ScaleIndex() const override { return scaleIndex_; }
    void SetScaleIndex(int32_t index) override { scaleIndex_ = index; }
    int16_t Index() const override { return index_; }
    void SetIndex(int16_t index) override { index_ = index; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }

    IPrivateDataElement* ScaleMaxElement() const override { return ranges_[areScaleMax].element; }
    void SetScaleMaxElement(IPrivateDataElement* e) override { ranges_[areScaleMax].Set(e); }
    IPrivateDataElement* ScaleMinElement() const override { return ranges_[areScaleMin].element; }
    void SetScaleMinElement(IPrivateDataElement* e) override { ranges_[areScaleMin].Set(e); }
    IPrivateDataElement* ActMaxElement() const override { return ranges_[areActMax].element; }
    void SetActMaxElement(IPrivateDataElement* e) override { ranges_[areActMax].Set(e); }
    IPrivateDataElement* ActMinElement() const override { return ranges_[areActMin].element; }
    void SetActMinElement(IPrivateDataElement* e) override { ranges_[areActMin].Set(e); }
    void SetFixedRanges(double scaleMax, double scaleMin, double actMax, double actMin) override;
    const std::string& RangeElementPath(ArchiveRangeEnd end) const override;
    double FixedRange(ArchiveRangeEnd end) const override;

  private:
    struct ElementRef {
        IPrivateDataElement* element = nullptr;
        std::string path;
        double fixed = 0.0;
        void Set(IPrivateDataElement* e);
    };
    const ElementRef& Range(ArchiveRangeEnd end) const;
    ElementRef element_;
    ArchiveRecordList records_;
    std::string caption_;
    std::string unitText_;
    std::string valueFormat_;
    int32_t scaleIndex_ = 0;
    int16_t index_ = 0;
    bool enabled_ = false;
    ElementRef ranges_[4];
};

// The configured curves, in the order of adding, each under a unique key (the element path).
class ArchiveCurves {
  public:
    // Throws std::invalid_argument for no curve or a key that is taken.
    void Add(std::shared_ptr<IArchiveCurve> curve, const std::string& key);
    size_t Count() const { return entries_.size(); }
    // index from 0.
    IArchiveCurve& Item(size_t index) const { return *entries_.at(index).second; }
    const std::string& Key(size_t index) const { return entries_.at(index).first; }
    // nullptr when no curve has the key.
    IArchiveCurve* Find(const std::string& key) const;

  private:
    std::vector<std::pair<std::string, std::shared_ptr<IArchiveCurve>>> entries_;
};

}  // namespace kv

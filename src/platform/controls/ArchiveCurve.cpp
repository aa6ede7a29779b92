#include "platform/controls/ArchiveCurve.h"

#include <stdexcept>

#include "platform/runtime/IPrivateDataElement.h"

namespace kv {

bool ArchiveRecordList::Add(IPrivateDataElement* element, const std::string& key) {
    if (element == nullptr)
        return false;
    const std::string& path = element->Name();
    const std::string& k = key.empty() ? path : key;
    for (const auto& [existingKey, existingPath] : records_) {
        if (existingKey == k || existingPath == path)
            return false;
    }
    records_.emplace_back(k, path);
    return true;
}

void ArchiveCurve::ElementRef::Set(IPrivateDataElement* e) {
    element = e;
    path = e ? e->Name() : std::string();
}

void ArchiveCurve::SetFixedRanges(double scaleMax, double scaleMin, double actMax, double actMin) {
    const double values[4] = {scaleMax, scaleMin, actMax, actMin};
    for (int i = 0; i < 4; ++i) {
        ranges_[i].Set(nullptr);
        ranges_[i].fixed = values[i];
    }
}

const ArchiveCurve::ElementRef& ArchiveCurve::Range(ArchiveRangeEnd end) const {
    if (end < areScaleMax || end > areActMin)
        throw std::out_of_range("no range end " + std::to_string(end));
    return ranges_[end];
}

const std::string& ArchiveCurve::RangeElementPath(ArchiveRangeEnd end) const {
    return Range(end).path;
}

double ArchiveCurve::FixedRange(ArchiveRangeEnd end) const {
    return Range(end).fixed;
}

void ArchiveCurves::Add(std::shared_ptr<IArchiveCurve> curve, const std::string& key) {
    if (!curve)
        throw std::invalid_argument("no curve to add");
    if (Find(key) != nullptr)
        throw std::invalid_argument("a curve with the key \"" + key + "\" is already configured");
    entries_.emplace_back(key, std::move(curve));
}

IArchiveCurve* ArchiveCurves::Find(const std::string& key) const {
    for (const auto& [k, curve] : entries_) {
        if (k == key)
            return curve.get();
    }
    return nullptr;
}

}  // namespace kv

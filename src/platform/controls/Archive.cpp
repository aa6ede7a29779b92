#include "platform/controls/Archive.h"
#include "platform/runtime/IPropertyBag.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

const char* const kCheckCurveEnabled = "Archive.CheckCurveEnabled";
const char* const kTraceCount = "Archive.TraceCount";
// More traces than any archive records: a larger count is damage, not data.
constexpr int32_t kMaxTraces = 1024;

std::string TraceKey(size_t n, const char* field) {
    return "Archive.Trace" + std::to_string(n) + "." + field;
}

// A number without fraction within the Long range; a Boolean counts as a number (True is -1,
// False 0). Texts and dates are refused.
std::optional<int32_t> WholeLong(const Variant& v) {
    if (!v.isNumber() || v.type() == VarType::Date || v.number() != std::floor(v.number()))
        return std::nullopt;
    return v.tryLong();
}

std::string Describe(const Variant& v) {
    if (v.isByteArray())
        return "a byte array";
    if (v.isEmpty())
        return "an empty value";
    if (v.isNull())
        return "Null";
    // A kind without a text (a date beyond the calendar, among others) is only named.
    if (const std::optional<std::string> text = v.tryString())
        return "\"" + *text + "\"";
    return "a value of another type";
}

}  // namespace

Archive::Entry* Archive::Find(const std::string& path) const {
    for (const auto& e : entries_) {
        if (e->path == path)
            return e.get();
    }
    return nullptr;
}

ArchiveTrace& Archive::Trace(const std::string& elementPath) {
    if (Entry* e = Find(elementPath))
        return e->trace;
    entries_.push_back(std::make_unique<Entry>());
    entries_.back()->path = elementPath;
    return entries_.back()->trace;
}

const ArchiveTrace* Archive::FindTrace(const std::string& elementPath) const {
    const Entry* e = Find(elementPath);
    return e ? &e->trace : nullptr;
}

bool Archive::InitNew() {
    checkCurveEnabled_ = -1;
    // The traces are emptied, not dropped: a chart may still show them.
    for (const auto& e : entries_) {
        e->trace.Clear();
        e->damaged.reset();
    }
    problems_.clear();
    return true;
}

bool Archive::Load(const IPropertyBag& bag) {
    InitNew();
    if (std::optional<Variant> stored = bag.Read(kCheckCurveEnabled)) {
        if (std::optional<int32_t> mask = WholeLong(*stored))
            checkCurveEnabled_ = *mask;
        else
            problems_.push_back(std::string("The archive's curve switches (") + kCheckCurveEnabled +
                                ") hold " + Describe(*stored) +
                                ", which is no curve mask; the curves are configured afresh.");
    }

    const std::optional<Variant> countValue = bag.Read(kTraceCount);
    if (!countValue)
        return true;  // a project of a version that recorded nothing
    const std::optional<int32_t> count = WholeLong(*countValue);
    if (!count || *count < 0 || *count > kMaxTraces) {
        problems_.push_back(std::string("The archive's trace count (") + kTraceCount + ") holds " +
                            Describe(*countValue) + "; no recorded trend was loaded.");
        return true;
    }
    std::vector<std::string> loaded;
    for (int32_t n = 1; n <= *count; ++n) {
        const std::string elementKey = TraceKey(static_cast<size_t>(n), "Element");
        const std::string samplesKey = TraceKey(static_cast<size_t>(n), "Samples");
        const std::optional<Variant> path = bag.Read(elementKey);
        if (!path || !path->isString() || path->str().empty()) {
            problems_.push_back("The archive's trace " + std::to_string(n) + " names no element (" +
                                elementKey + "); it was not loaded.");
            continue;
        }
        if (std::find(loaded.begin(), loaded.end(), path->str()) != loaded.end()) {
            problems_.push_back("The archive holds a second trace of " + path->str() + " (" +
                                elementKey + "); it was not loaded.");
            continue;
        }
        const std::optional<Variant> samples = bag.Read(samplesKey);
        if (!samples) {
            problems_.push_back("The archive's trend of " + path->str() + " has no samples (" +
                                samplesKey + ").");
            continue;
        }
        loaded.push_back(path->str());
        Trace(path->str());  // the entry, new or emptied above
        Entry& e = *Find(path->str());
        std::string reason = "it is no byte array";
        if (!samples->isByteArray() || !e.trace.Decode(samples->bytes().bytes, reason)) {
            problems_.push_back("The archive's trend of " + path->str() + " is damaged (" + reason +
                                ") and was not loaded; it is kept as stored until the curve "
                                "records again.");
            e.damaged = *samples;
        }
    }
    return true;
}

bool Archive::Save(IPropertyBag& bag) {
    bag.Write(kCheckCurveEnabled, Variant(checkCurveEnabled_));
    int32_t n = 0;
    for (const auto& e : entries_) {
        if (e->trace.Empty() && !e->damaged)
            continue;
        ++n;
        bag.Write(TraceKey(static_cast<size_t>(n), "Element"), Variant(e->path));
        bag.Write(TraceKey(static_cast<size_t>(n), "Samples"),
                  e->trace.Empty() ? *e->damaged : Variant(e->trace.Encode()));
    }
    bag.Write(kTraceCount, Variant(n));
    return true;
}

}  // namespace kv

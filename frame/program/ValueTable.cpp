#include "frame/program/ValueTable.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "frame/program/Terminal.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "value/NumberText.h"
#include "value/Text.h"

namespace kv::program {

namespace {

struct Row {
    std::string label;
    std::string value;
};

// Reads the values the DTM holds for the instance. A row's label is the element's, or the
// fallback when the element has none.
class Values {
  public:
    Values(IDTMContext& context, const NumberLocale& locale, const FrameWords& words)
        : context_(context), locale_(locale), words_(words) {}

    Row Text(const std::string& path, const std::string& fallback) const;
    // A number with its unit, and the status of the record when it has one.
    Row Number(const std::string& path, const std::string& statusPath,
               const std::string& fallback) const;
    Row Choice(const std::string& path, const std::string& fallback) const;
    // The labels of the members of a bit record that are set.
    Row Active(const std::string& record, const std::string& fallback,
               const std::string& none) const;

  private:
    clsDataElement* Find(const std::string& path) const;
    std::string Label(const std::string& path, const std::string& fallback) const;
    // The text of a value from the element's value list; the number when the list has none.
    std::string Listed(const std::string& path) const;

    IDTMContext& context_;
    NumberLocale locale_;
    const FrameWords& words_;
};

// The width of the label column of the tables.

size_t LabelWidth(const std::vector<std::vector<Row>>& tables) {
    size_t width = kColumn - 4;
    for (const auto& rows : tables) {
        for (const Row& r : rows)
            width = std::max(width, Width(r.label));
    }
    return width;
}

void PrintRows(const std::string& heading, const std::vector<Row>& rows, size_t width) {
    std::cout << "\n" << heading << "\n";
    for (const Row& r : rows)
        std::cout << "  " << Pad(r.label, width + 2) << r.value << "\n";
}

clsDataElement* Values::Find(const std::string& path) const {
    IPrivateDataElement* e = context_.Parameters().Item(path);
    return e != nullptr ? &AsDataElement(*e) : nullptr;
}

std::string Values::Label(const std::string& path, const std::string& fallback) const {
    clsDataElement* e = Find(path);
    return e != nullptr && !e->Label.str().empty() ? e->Label.str() : fallback;
}

Row Values::Text(const std::string& path, const std::string& fallback) const {
    clsDataElement* e = Find(path);
    std::string value = "-";
    // A value that has no text (Null, a byte array) shows as no value.
    if (e != nullptr) {
        if (const std::optional<std::string> text = e->TransientValue().tryString())
            value = std::string(TrimRight(*text));
    }
    return {Label(path, fallback), value};
}

Row Values::Number(const std::string& path, const std::string& statusPath,
                   const std::string& fallback) const {
    clsDataElement* e = Find(path);
    std::string value = "-";
    // A value that is no number keeps the "-".
    if (const std::optional<double> v =
            e != nullptr ? e->TransientValue().tryDouble() : std::nullopt) {
        value = std::isfinite(*v) ? FormatNumber(*v, "0.00", locale_) : words_.notANumber;
        const std::string unit = e->UnitString(context_);
        if (!unit.empty())
            value += " " + unit;
    }
    if (!statusPath.empty()) {
        const std::string status = Listed(statusPath);
        if (!status.empty() && status != "-")
            value = Pad(value, 12) + "(" + status + ")";
    }
    return {Label(path, fallback), value};
}

std::string Values::Listed(const std::string& path) const {
    clsDataElement* e = Find(path);
    if (e == nullptr)
        return "-";
    const std::optional<int32_t> v = e->TransientValue().tryLong();
    if (!v)
        return "-";  // a value that is no number
    const std::string text = e->GetStrValueFromIdxList(*v);
    return text.empty() ? std::to_string(*v) : text;
}

Row Values::Choice(const std::string& path, const std::string& fallback) const {
    return {Label(path, fallback), Listed(path)};
}

Row Values::Active(const std::string& record, const std::string& fallback,
                   const std::string& none) const {
    std::string value;
    for (IPrivateDataElement* m : context_.Parameters().RecordMembers(record)) {
        // A member whose value is no number counts as not set.
        if (m->TransientValue().tryLong().value_or(0) != 0)
            value += (value.empty() ? "" : ", ") + AsDataElement(*m).Label.str();
    }
    return {Label(record, fallback), value.empty() ? none : value};
}

}  // namespace

void PrintDeviceValues(IDTMContext& context, const FrameWords& words) {
    // Numbers as the user's language writes them, as the rows show them: a decimal comma in
    // German.
    const Values values(context, LanguageNumberLocale(context), words);
    const std::vector<Row> identification = {
        values.Text("PHYS/TAG_DESC", "Tag"), values.Text("PHYS/DEVICE_ID", "Device ID"),
        values.Text("PHYS/DEVICE_SER_NUM", "Serial number"),
        values.Text("PHYS/SOFTWARE_REVISION", "Software revision"),
        values.Text("PHYS/HARDWARE_REVISION", "Hardware revision")};
    const std::vector<Row> live = {
        values.Number("FUNC/1/AO/SP/Value", "FUNC/1/AO/SP/Status", "Setpoint"),
        values.Number("FUNC/1/AO/READBACK/Value", "FUNC/1/AO/READBACK/Status", "Actual position"),
        values.Number("TRANS/1/Act/FEEDBACK_VALUE/Value", "TRANS/1/Act/FEEDBACK_VALUE/Status",
                      "Feedback value"),
        values.Choice("FUNC/1/AO/POS_D/Value", "Discrete position"),
        values.Choice("FUNC/1/AO/TARGET_MODE", "Target mode"),
        values.Choice("FUNC/1/AO/MODE_BLK/Actual", "Actual mode"),
        values.Active("PHYS/DIAGNOSIS/", "Diagnosis", words.noDiagnosis),
        values.Choice("PHYS/WRITE_LOCKING", "Write locking"),
        values.Choice("PHYS/HW_WRITE_PROTECTION", "Hardware write protection")};
    const size_t width = LabelWidth({identification, live});
    PrintRows(words.identification, identification, width);
    PrintRows(words.liveValues, live, width);
}

}  // namespace kv::program

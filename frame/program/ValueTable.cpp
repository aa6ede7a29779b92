#include "frame/program/ValueTable.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>
#include <optional>
#include <utility>

#include "core/clsDataElement.h"
#include "frame/program/Terminal.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "value/Text.h"

namespace kv::program {

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
    if (e != nullptr) {
        // A value that is no number keeps the "-".
        try {
            const double v = e->TransientValue().toDouble();
            std::string text = std::isfinite(v) ? FormatNumber(v, "0.00", locale_) : "invalid";
            const std::string unit = e->UnitString(context_);
            if (!unit.empty())
                text += " " + unit;
            value = std::move(text);
        } catch (const std::exception&) {
        }
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
        try {
            if (m->TransientValue().toLong() != 0) {
                const clsDataElement& e = AsDataElement(*m);
                value += (value.empty() ? "" : ", ") + e.Label.str();
            }
        } catch (const std::exception&) {
            // A member whose value is no number counts as not set.
        }
    }
    return {Label(record, fallback), value.empty() ? none : value};
}

void PrintDeviceValues(IDTMContext& context, int32_t language, const FrameWords& words) {
    // Numbers as the user's language writes them: a decimal comma in German.
    const Values values(
        context, language == langGerman ? NumberLocale{',', '.'} : NumberLocale::Invariant());
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

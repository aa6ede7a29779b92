#include "core/ProjectHelpers.h"

#include <cmath>
#include <optional>
#include <set>

#include "core/DataModelHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateProcess.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/ITransactionGroup.h"
#include "units/clsPROFIBUSProfil3Units.h"
#include "value/NumberText.h"

namespace kv {

Variant ToByteArray(const std::vector<Variant>& source, int32_t lbound) {
    ByteArray result;
    result.lbound = lbound;
    result.bytes.reserve(source.size());
    for (const Variant& v : source) {
        result.bytes.push_back(v.toByte());
    }
    return Variant(std::move(result));
}

namespace {

// Two invalid floats are the same value when both are not a number or both are the same infinity.
bool SameInvalidFloat(const Variant& a, const Variant& b) {
    const double x = a.number();
    const double y = b.number();
    if (std::isnan(x) || std::isnan(y)) {
        return std::isnan(x) && std::isnan(y);
    }
    return x == y;
}

}  // namespace

bool VariantsEqual(const Variant& a, const Variant& b) {
    if (a.isByteArray() || b.isByteArray()) {
        return a.isByteArray() && b.isByteArray() && a.bytes().lbound == b.bytes().lbound &&
               a.bytes().bytes == b.bytes().bytes;
    }
    if (a.isNull() || b.isNull()) {
        return a.isNull() && b.isNull();
    }
    if (a.isEmpty() || b.isEmpty()) {
        return a.isEmpty() && b.isEmpty();
    }
    // Shortcuts that give what the rules below give, without building texts: one value in
    // one subtype; two texts (numeric ones compare as their own text); two whole numbers
    // (their texts are their digits).
    if (a.type() == b.type() && a == b) {
        return true;
    }
    if (a.isString() && b.isString()) {
        return a.str() == b.str();
    }
    if (a.isIntegral() && b.isIntegral() && !a.isBoolean() && !b.isBoolean()) {
        return a.number() == b.number();
    }
    const bool invalidA = IsInvalidFloat(a);
    const bool invalidB = IsInvalidFloat(b);
    if (invalidA || invalidB) {
        return invalidA && invalidB && SameInvalidFloat(a, b);
    }
    if (IsNumeric(a) && IsNumeric(b)) {
        const std::optional<std::string> textA = a.tryString();
        const std::optional<std::string> textB = b.tryString();
        return textA && textB && *textA == *textB;
    }
    return a.looseEquals(b);
}

// --- page read and write ---

namespace {

const char* const kWriteLocking = "PHYS/WRITE_LOCKING";
const char* const kHwWriteProtection = "PHYS/HW_WRITE_PROTECTION";

clsDataElement* FindElement(IDTMContext& context, const std::string& path) {
    return AsDataElement(context.Parameters().Item(path));
}

bool TransferPageParameters(bool isWrite, std::weak_ptr<IPrivateProcess> page, IDTMContext& context,
                            ITransactionGroup& group,
                            const std::vector<IPageParameterRow*>& controls) {
    DiagnosticLog& log = context.Diagnostics();
    const char* const where = isWrite ? "WritePageParameters" : "ReadPageParameters";
    // True: started; False: failed; nullopt: the group is busy (refused without a message).
    const std::optional<bool> started =
        Guarded(log, where, std::optional<bool>(false), [&]() -> std::optional<bool> {
            if (group.Busy())
                return std::nullopt;
            // The elements whose pending marks a read clears: a read value replaces an edit that
            // was made online, but only once the read is sure to come.
            std::vector<clsDataElement*> unmark;
            if (group.ConnectionStatus() == 0) {
                IParameters& parameters = context.Parameters();
                std::set<std::string> added;
                std::set<std::string> listed;
                for (IPageParameterRow* row : controls) {
                    if (row == nullptr)
                        continue;
                    row->CommitPendingEdit();
                    clsDataElement* element = row->BoundElement();
                    if (element == nullptr)
                        continue;
                    // A member of a record travels with its whole record.
                    clsDataElement* target = &element->TransferElement(parameters);
                    if (!isWrite) {
                        if (listed.insert(target->Name()).second) {
                            unmark.push_back(target);
                            for (IPrivateDataElement* m :
                                 parameters.RecordMembers(target->Name())) {
                                if (clsDataElement* member = AsDataElement(m);
                                    member != nullptr && listed.insert(member->Name()).second)
                                    unmark.push_back(member);
                            }
                        }
                    }
                    const bool wanted =
                        isWrite ? target->IsDownloadParam(context) && !row->WriteLocked()
                                : target->IsUploadParam(context);
                    if (wanted && added.count(target->Name()) == 0) {
                        group.AddElement(*target, isWrite);
                        added.insert(target->Name());
                    }
                    // A value whose unit the device has not told yet is read with it, so that it
                    // is held in the unit the device sends it in.
                    const IDeviceDefinition* device = DeviceOf(context);
                    clsDataElement* unit =
                        device != nullptr ? device->UnitElementOf(parameters, *element) : nullptr;
                    if (wanted && !isWrite && unit != nullptr && unit->DeviceValue().isEmpty()) {
                        clsDataElement& scale = unit->TransferElement(parameters);
                        if (scale.IsUploadParam(context) && added.insert(scale.Name()).second)
                            group.AddElement(scale, false);
                    }
                }
            }
            if (group.Execute(std::move(page), true, true) != 0)
                return false;
            for (clsDataElement* e : unmark)
                e->ClearStatusFlag(sfReadPending | sfEditedOnline);
            return true;
        });
    if (!started || *started)
        return started.value_or(false);
    Guarded(log, where, [&] {
        group.Clear();
        // Without a connection the user is told that, not only that the transfer failed.
        const char* key = group.ConnectionStatus() != 0
                              ? (isWrite ? "error_write_not_connected" : "error_read_not_connected")
                              : (isWrite ? "error_at_write_status" : "error_at_read_status");
        context.DisplayMessage(GetDictionaryText(context, key));
    });
    return false;
}

}  // namespace

bool ReadPageParameters(std::weak_ptr<IPrivateProcess> page, IDTMContext& context,
                        ITransactionGroup& group, const std::vector<IPageParameterRow*>& controls) {
    return TransferPageParameters(false, std::move(page), context, group, controls);
}

bool WritePageParameters(std::weak_ptr<IPrivateProcess> page, IDTMContext& context,
                         ITransactionGroup& group,
                         const std::vector<IPageParameterRow*>& controls) {
    return TransferPageParameters(true, std::move(page), context, group, controls);
}

// --- write protection ---

void StartWriteLockUpload(IDTMContext& context, const std::string& processId,
                          std::weak_ptr<IPrivateProcess> callback) {
    DiagnosticLog& log = context.Diagnostics();
    // The marks set here; they are taken back when the read does not start, so that no later
    // read of marked elements picks them up.
    std::vector<clsDataElement*> marked;
    const bool started = Guarded(log, "StartWriteLockUpload", false, [&] {
        for (const char* path : {kWriteLocking, kHwWriteProtection}) {
            clsDataElement* e = FindElement(context, path);
            if (e != nullptr && e->IsUploadParam(context)) {
                if ((e->StatusFlags() & sfReadPending) == 0)
                    marked.push_back(e);
                e->SetStatusFlag(sfReadPending);
            }
        }
        return context.OnlineParameterService().StartUpload(processId, "", 0, sfReadPending, 0, 0,
                                                            std::move(callback), GroupReads::Shown);
    });
    if (started)
        return;
    Guarded(log, "StartWriteLockUpload", [&] {
        for (clsDataElement* e : marked)
            e->ClearStatusFlag(sfReadPending);
        context.MessageBox(GetDictionaryText(context, "cannot_start_param_upload"), mbsOkOnly);
    });
}

int16_t DeviceOrDataSetUnitCode(const clsDataElement& element) {
    return element.DeviceValue().isEmpty() ? element.nTransientUnit : element.nDeviceUnit;
}

std::string DeviceOrDataSetUnit(IDTMContext& context, const clsDataElement& element) {
    return UnitText(context, DeviceOrDataSetUnitCode(element));
}

Variant DeviceOrDataSetValueIn(IDTMContext& context, const clsDataElement& element, int16_t unit) {
    const Variant& value = DeviceOrDataSetValue(element);
    const int16_t own = DeviceOrDataSetUnitCode(element);
    if (own == unit)
        return value;
    clsDataModel* model = DataModelOf(context);
    const std::optional<double> number = value.isNumber() ? value.tryDouble() : std::nullopt;
    if (model == nullptr || !number || !model->PROFIBUSProfil3Units().Convertible(own, unit))
        return Variant::Null();
    const std::optional<double> converted =
        model->PROFIBUSProfil3Units().TryCalculateUnitValue(*number, own, unit);
    return converted ? Variant(*converted) : Variant::Null();
}

WriteProtection DeviceWriteProtection(IDTMContext& context) {
    // The device's values decide where they were read (the read before a download leaves the
    // project's values); without them, the values the data set holds.
    const clsDataElement* hardware = FindElement(context, kHwWriteProtection);
    if (hardware != nullptr && DeviceOrDataSetValue(*hardware).looseEquals(Variant(int32_t{1})))
        return WriteProtection::HardwareSwitch;
    const clsDataElement* locking = FindElement(context, kWriteLocking);
    if (locking != nullptr && DeviceOrDataSetValue(*locking).looseEquals(Variant(int32_t{0})))
        return WriteProtection::WriteLocking;
    return WriteProtection::None;
}

int32_t WriteProtectionReadFailure(IDTMContext& context) {
    for (const char* path : {kWriteLocking, kHwWriteProtection}) {
        const clsDataElement* e = FindElement(context, path);
        if (e != nullptr && TransferErrorBits(*e) != 0)
            return TransferErrorBits(*e);
    }
    return 0;
}

bool CheckWriteProtection(IDTMContext& context) {
    return Guarded(context.Diagnostics(), "CheckWriteProtection", false, [&] {
        clsDataElement* locking = FindElement(context, kWriteLocking);
        clsDataElement* hardware = FindElement(context, kHwWriteProtection);
        // Without the two parameters the protection cannot be judged: no writing.
        if (locking == nullptr || hardware == nullptr)
            return false;
        locking->ClearStatusFlag(sfReadPending);
        hardware->ClearStatusFlag(sfReadPending);
        switch (DeviceWriteProtection(context)) {
            case WriteProtection::HardwareSwitch:
                context.MessageBox(GetDictionaryText(context, "meld_hw_protec"), mbsOkOnly);
                return false;
            case WriteProtection::WriteLocking:
                context.MessageBox(GetDictionaryText(context, "meld_w_locking"), mbsOkOnly);
                return false;
            case WriteProtection::None:
                break;
        }
        return true;
    });
}

bool StartDownloadProtectionCheck(IDTMContext& context, ITransactionGroup& group,
                                  std::weak_ptr<IPrivateProcess> callback) {
    DiagnosticLog& log = context.Diagnostics();
    // True: started; False: failed; nullopt: the group is busy (refused without a message).
    const std::optional<bool> started =
        Guarded(log, "StartDownloadProtectionCheck", std::optional<bool>(false),
                [&]() -> std::optional<bool> {
                    if (group.Busy())
                        return std::nullopt;
                    if (group.ConnectionStatus() == 0) {
                        for (const char* path : {kWriteLocking, kHwWriteProtection}) {
                            if (clsDataElement* e = FindElement(context, path))
                                group.AddElement(*e, false);
                        }
                    }
                    return group.Execute(std::move(callback), true, true) == 0;
                });
    if (!started || *started)
        return started.value_or(false);
    Guarded(log, "StartDownloadProtectionCheck", [&] {
        group.Clear();
        context.MessageBox(GetDictionaryText(context, "error_at_read_status"), mbsOkOnly);
    });
    return false;
}

void AddStartupRequests(IDTMContext& context, ITransactionGroup& group, bool withScale) {
    const std::string ao = "FUNC/" + std::to_string(1) + "/AO/";
    std::vector<std::string> paths = {"PHYS/TAG_DESC", "PHYS/SOFTWARE_REVISION",
                                      "PHYS/HARDWARE_REVISION", "PHYS/DEVICE_SER_NUM",
                                      ao + "READBACK/"};
    if (withScale)
        paths.push_back(ao + "PV_SCALE/");
    paths.push_back("PHYS/DIAGNOSIS/");
    paths.push_back(ao + "CHECK_BACK/");
    for (const std::string& path : paths) {
        if (IPrivateDataElement* e = context.Parameters().Item(path))
            group.AddElement(*e, false);
    }
}

// --- binary text ---

namespace {

void AppendBits(std::string& out, uint32_t bits, int count) {
    for (int i = 0; i < count; ++i) {
        if (!out.empty())
            out.push_back('|');
        out.push_back(((bits >> i) & 1U) != 0 ? '1' : '0');
    }
}

}  // namespace

std::string ToBinaryString(const Variant& value) {
    std::string out;
    switch (value.type()) {
        case VarType::Integer:
            AppendBits(out, static_cast<uint16_t>(value.toInteger()), 16);
            break;
        case VarType::Long:
            AppendBits(out, static_cast<uint32_t>(value.toLong()), 32);
            break;
        case VarType::Byte:
            AppendBits(out, value.toByte(), 8);
            break;
        case VarType::Double: {
            double d = value.number();
            // Above the signed range a double stands for an unsigned 32-bit value.
            if (d > 2147483647.0 && d <= 4294967295.0)
                d -= 4294967296.0;
            if (const std::optional<int32_t> bits = Variant(d).tryLong())
                AppendBits(out, static_cast<uint32_t>(*bits), 32);
            break;
        }
        case VarType::ByteArray:
            for (uint8_t b : value.bytes().bytes)
                AppendBits(out, b, 8);
            break;
        default:
            break;
    }
    return out;
}

}  // namespace kv

// What runs after a data element changed: the block rules, the paired DTM-level elements, the
// cyclic-configuration rules, the spread of a record's communication error and the access rules.

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "core/Registry.h"
#include "core/clsDataModel.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "units/clsPROFIBUSProfil3Units.h"
#include "value/DiagnosticLog.h"
#include "value/NumberText.h"

namespace kv {

namespace {

const char* const kTagDesc = "PHYS/TAG_DESC";

const char* const kDtmRegistryKey = "Software\\KARVEL AG\\DAZ6274_IVU12";
const char* const kDPAddressEnable = "DPAddressEnable";

// The definition of the block an element belongs to; nullptr for the DTM-level elements and
// for a model without a device definition.
const BlockDefinition* FindBlock(const IDeviceDefinition* device, int32_t blockType) {
    if (device == nullptr || blockType == pbfNoneBlock)
        return nullptr;
    return device->FindBlock(blockType);
}

// A bus master configuration that the device refused left the channels and the slave parameter
// set's text as they were, and the element keeps what arrived (a project or a parameter
// document brought it). The reason goes to the diagnostic log; the user is told in the user's
// language, so not while the instance has none yet (a project being loaded: the next walk of
// the data set, after an upload, tells).
void ReportRefusedBusMasterConfiguration(IDTMContext& context, const std::string& reason) {
    context.Diagnostics().Record(kBusMasterConfigurationPartPath, reason);
    const clsDataModel* model = DataModelOf(context);
    if (model != nullptr && model->CurrentLanguage != 0)
        context.DisplayMessage(GetDictionaryText(context, "meld_slave_param_set_invalid"));
}

// Elements whose values are being copied into their partner right now. The partner's report
// comes back into OnElementChanged; it must not copy back into the element it was copied from,
// whatever mode the runtime hands on.
std::vector<const IPrivateDataElement*>& CopySources() {
    static std::vector<const IPrivateDataElement*> sources;
    return sources;
}

class CopySourceScope {
  public:
    explicit CopySourceScope(const IPrivateDataElement& source) : source_(&source) {
        CopySources().push_back(source_);
    }
    ~CopySourceScope() {
        std::vector<const IPrivateDataElement*>& sources = CopySources();
        const auto it = std::find(sources.rbegin(), sources.rend(), source_);
        if (it != sources.rend())
            sources.erase(std::next(it).base());
    }
    CopySourceScope(const CopySourceScope&) = delete;
    CopySourceScope& operator=(const CopySourceScope&) = delete;

  private:
    const IPrivateDataElement* source_;
};

// Copies device, transient and persistent value to the partner and reports it. A missing
// partner is skipped.
void CopyToPartner(IParameters& parameters, const clsDataElement& element,
                   const std::string& partnerName) {
    IPrivateDataElement* partner = parameters.Item(partnerName);
    if (partner == nullptr || partner == &element)
        return;
    const std::vector<const IPrivateDataElement*>& sources = CopySources();
    if (std::find(sources.begin(), sources.end(), partner) != sources.end())
        return;
    partner->SetDeviceValue(element.DeviceValue());
    partner->SetTransientValue(element.TransientValue());
    partner->SetPersistentValue(element.PersistentValue());
    if (clsDataElement* e = AsDataElement(partner))
        e->CopyTakenDeviceValue(element);
    const CopySourceScope scope(element);
    parameters.ElementChanged(*partner, "");
}

// The communication error of a record root goes to its members; members that are read and
// written on their own keep theirs.
void SpreadRecordError(IParameters& parameters, const clsDataElement& record) {
    const int32_t bits = record.StatusFlags() & sfCommErrorMask;
    const std::vector<IPrivateDataElement*> members = parameters.RecordMembers(record.Name());
    for (IPrivateDataElement* member : members) {
        if (member == nullptr || member == &record)
            continue;
        if ((member->ElementMode() & (emUpload | emDownload)) == (emUpload | emDownload))
            continue;
        const int32_t before = member->StatusFlags();
        member->SetStatusFlags((before & ~sfCommErrorMask) | bits);
        if (member->StatusFlags() != before)
            parameters.ElementChanged(*member, "");
    }
}

// The machine's setting that allows editing the station address. A missing value, a text that
// is not a number and a number outside the 16-bit range all count as 0.
int16_t DPAddressEnable(DiagnosticLog& log) {
    const std::string text =
        GetRegValue(kDtmRegistryKey, "", kDPAddressEnable, "0", HKEY_LOCAL_MACHINE_ID, log);
    return Variant(text).tryInteger().value_or(0);
}

void UpdateLocalAddressAccess(clsDataElement& element, IDTMContext& context, bool silent) {
    const bool enabled = DPAddressEnable(context.Diagnostics()) == 1;
    const bool isProtected = (element.StatusFlags() & sfWriteProtected) != 0;
    if (enabled && isProtected) {
        element.ClearStatusFlag(sfWriteProtected);
    } else if (!enabled && !isProtected) {
        element.SetStatusFlag(sfWriteProtected);
    } else {
        return;
    }
    if (!silent)
        context.Parameters().ElementChanged(element, "");
}

void UpdateCfgDataProtection(const clsDataElement& element, IParameters& parameters, bool silent) {
    IPrivateDataElement* cfgData = parameters.Item(kCfgDataPath);
    if (cfgData == nullptr)
        return;
    const int32_t flags = cfgData->StatusFlags();
    if (element.TransientValue().looseEquals(Variant(int16_t{1}))) {
        cfgData->SetStatusFlags(flags | sfWriteProtected);
    } else {
        cfgData->SetStatusFlags(flags & ~sfWriteProtected);
    }
    if (!silent)
        parameters.ElementChanged(*cfgData, "");
}

// One kind of value of an element together with its unit, and the unit element's value and own
// unit of the same kind.
struct UnitKind {
    const Variant& value;
    void (clsDataElement::*setValue)(const Variant&);
    int16_t& unit;
    const Variant& unitValue;
    int16_t unitElementUnit;
};

// True when the element's unit of this kind was taken over.
bool ConvertKind(clsDataModel& model, clsDataElement& element, const UnitKind& kind) {
    if (kind.unitValue.isNull() || kind.unitValue.looseEquals(Variant(kind.unit)))
        return false;
    const std::optional<int16_t> newUnit = kind.unitValue.tryInteger();
    if (!newUnit)
        return false;  // not a unit code: neither the value nor its unit changes
    if (kind.unit != 1998 && kind.unitElementUnit != 1998 && !kind.value.isEmpty() &&
        !IsInvalidFloat(kind.value) && IsNumeric(kind.value) &&
        !model.ProcessingCompleteValidation()) {
        const std::optional<std::string> text = kind.value.tryString();
        const std::optional<double> current = text ? Variant(*text).tryDouble() : std::nullopt;
        if (current) {
            // A conversion that faults, or a result that a single float cannot hold, leaves
            // value and unit as they were, so the value keeps meaning what its unit says.
            const std::optional<double> converted =
                model.PROFIBUSProfil3Units().TryCalculateUnitValue(*current, kind.unit,
                                                                   static_cast<int32_t>(*newUnit));
            const std::optional<float> single =
                converted ? NearestSingle(*converted) : std::nullopt;
            if (!single || !std::isfinite(*single))
                return false;
            (element.*kind.setValue)(Variant(*single));
        }
    }
    kind.unit = *newUnit;
    return true;
}

// The device's unit where the element has no value of the device's in a known unit: a device
// value read before its unit was known takes it (no number changes: the device sent it in the
// unit it holds), and so does a transient value taken with it (in no unit until now). A device
// value in a known unit keeps it. True when a unit was taken.
bool TakeDeviceUnit(clsDataElement& element, const clsDataElement& unitElement) {
    const Variant& deviceUnit = unitElement.DeviceValue();
    const std::optional<int16_t> unit =
        deviceUnit.isEmpty() ? std::nullopt : deviceUnit.tryInteger();
    if (!unit || element.nDeviceUnit == *unit)
        return false;
    const Variant& device = element.DeviceValue();
    if (!device.isEmpty() && element.nDeviceUnit != 0)
        return false;
    if (!device.isEmpty() && element.nTransientUnit == 0 &&
        VariantsEqual(element.TransientValue(), device))
        element.nTransientUnit = *unit;
    element.nDeviceUnit = *unit;
    element.TakeUnitOfTakenDeviceValue(*unit);
    return true;
}

}  // namespace

void OnElementChanged(clsDataElement& element, IDTMContext& context, int32_t mode) {
    OnElementChanged(element, context, mode, DeviceOf(context));
}

void OnElementChanged(clsDataElement& element, IDTMContext& context, int32_t mode,
                      const IDeviceDefinition* device) {
    IParameters& parameters = context.Parameters();

    if (const BlockDefinition* block = FindBlock(device, element.BlockType)) {
        if (block->OnDataChanged != nullptr) {
            block->OnDataChanged(element.BlockNumber, element, context);
        }
    }

    const std::string& name = element.Name();
    if (name == kTagPath) {
        if (mode == 1 && !parameters.BulkUpdateActive())
            CopyToPartner(parameters, element, kTagDesc);
    } else if (name == kTagDesc) {
        // A read that only shows the device changes no value of the project: nothing to copy.
        if (mode == 1 && !context.CommunicationManager().ReadingDeviceOnly())
            CopyToPartner(parameters, element, kTagPath);
    } else if (name == kAddressPath) {
        if (mode == 1)
            CopyToPartner(parameters, element, kLocalAddressPath);
    } else if (name == kBusMasterConfigurationPartPath) {
        if (device != nullptr) {
            // A part without a value brings no set (an element without a value is stored and
            // exported empty): it is refused, but there is nothing to report.
            const std::optional<std::string> refused = device->ApplyBusMasterConfiguration(context);
            if (refused && !element.TransientValue().isEmpty())
                ReportRefusedBusMasterConfiguration(context, *refused);
        }
    } else if (name == kCfgDataPath) {
        if (mode == 1 && device != nullptr)
            device->BuildSlaveBusParamSet(parameters);
    }

    UpdateElementAccess(element, context, false, device);

    if (IsRecordPath(name))
        SpreadRecordError(parameters, element);
}

void UpdateElementAccess(clsDataElement& element, IDTMContext& context, bool silent) {
    UpdateElementAccess(element, context, silent, DeviceOf(context));
}

void UpdateElementAccess(clsDataElement& element, IDTMContext& context, bool silent,
                         const IDeviceDefinition* device) {
    if (const BlockDefinition* block = FindBlock(device, element.BlockType)) {
        if (block->OnUpdateElement != nullptr)
            block->OnUpdateElement(element, context, silent);
    }

    const std::string& name = element.Name();
    if (name == kLocalAddressPath) {
        UpdateLocalAddressAccess(element, context, silent);
    } else if (name == kProtectedByChannelAssignmentPath) {
        UpdateCfgDataProtection(element, context.Parameters(), silent);
    }
}

bool ConvertValueUnits(clsDataModel& model, clsDataElement& element, clsDataElement& unitElement) {
    if (element.nConstantUnit >= pp3MinConstUnitIdx && element.nConstantUnit <= pp3MaxUnitIdx) {
        return false;
    }
    bool taken = TakeDeviceUnit(element, unitElement);
    const UnitKind kinds[] = {
        {element.TransientValue(), &clsDataElement::SetTransientValue, element.nTransientUnit,
         unitElement.TransientValue(), unitElement.nTransientUnit},
        {element.PersistentValue(), &clsDataElement::SetPersistentValue, element.nPersistentUnit,
         unitElement.PersistentValue(), unitElement.nPersistentUnit},
    };
    for (const UnitKind& kind : kinds) {
        if (ConvertKind(model, element, kind))
            taken = true;
    }
    return taken;
}

void DispatchParamLinkEvent(clsDataElement& element, IDTMContext& context) {
    if (element.BlockType != pbfTransducerBlock && element.BlockType != pbfFunctionAOBlock)
        return;
    const BlockDefinition* block = FindBlock(DeviceOf(context), element.BlockType);
    if (block == nullptr || block->OnParameterChange == nullptr)
        return;
    int16_t blockNumber = 1;
    block->OnParameterChange(blockNumber, element, context);
}

void UpdateChannelProtection(IDTMContext& context) {
    IParameters& parameters = context.Parameters();
    bool assigned = false;
    for (const std::shared_ptr<IPrivateChannel>& channel : parameters.Channels().Items()) {
        if (!channel)
            continue;
        const Variant value = channel->Assigned();
        if (!value.isNull() && value.toBool()) {
            assigned = true;
            break;
        }
    }
    IPrivateDataElement* element = parameters.Item(kProtectedByChannelAssignmentPath);
    if (element == nullptr)
        return;
    element->SetTransientValue(Variant(int16_t{assigned ? int16_t{1} : int16_t{0}}));
    parameters.ElementChanged(*element, "");
}

}  // namespace kv

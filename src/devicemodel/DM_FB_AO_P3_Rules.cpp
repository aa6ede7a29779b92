// The Analog Output block's dependency rules, reached through its three hooks: values follow the
// unit of their scale, the setpoint's and the output's ranges follow their scale's limits, the
// output is editable only in manual or local override, and the SIMULATE status byte stays one
// byte in its three forms.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataModel.h"
#include "devicemodel/BlockTable.h"
#include "devicemodel/DM_FB_AO_P3.h"
#include "devicemodel/DM_TB_Act_P3.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "units/clsPROFIBUSProfil3Units.h"
#include "value/NumberText.h"

namespace kv::DM_FB_AO_P3 {

namespace {

using blocktable::Notify;

const char* const kPvScaleUnit = "PV_SCALE/Unit";
const char* const kPvScaleUp = "PV_SCALE/Up_Val";
const char* const kPvScaleLo = "PV_SCALE/Lo_Val";
const char* const kOutScaleUnit = "OUT_SCALE/Unit";
const char* const kOutScaleUp = "OUT_SCALE/Up_Val";
const char* const kOutScaleLo = "OUT_SCALE/Lo_Val";
const char* const kSpValue = "SP/Value";
const char* const kOutValue = "OUT/Value";
const char* const kOutStatusQuality = "OUT/StatusQuality";
const char* const kTargetMode = "TARGET_MODE";
const char* const kSimulateStatus = "SIMULATE/Status";
const char* const kSimulateQuality = "SIMULATE/StatusQuality";
const char* const kSimulateLimit = "SIMULATE/StatusLimit";

// Target modes in which the output may be set by hand: manual and local override.
constexpr int16_t kModeManual = 16;
constexpr int16_t kModeLocalOverride = 32;

// The SIMULATE status byte: quality in the six high bits, limit in the two low bits.
constexpr int32_t kQualityShift = 2;
constexpr int32_t kLimitMask = 0x3;

clsDataModel& Model(IParameters& parameters) {
    clsDataModel* model = AsDataModel(parameters.DataModel());
    if (model == nullptr)
        throw std::runtime_error("the data set has no data model to convert units");
    return *model;
}

// The device sends every value in the unit it holds at that moment, so a value read from the
// device is never converted: its number is already in the unit that the unit element's device
// value names. Its device value takes that unit as it stands; so does its transient value while
// it shows the device value and the unit element shows the device's unit (a read has just put
// both there, or nothing has been edited since). Values entered by the user are left to
// ConvertValueUnits, which converts them. True when a unit was taken.
bool TakeDeviceUnit(clsDataElement& target, const clsDataElement& unitElement) {
    if (target.nConstantUnit >= pp3MinConstUnitIdx && target.nConstantUnit <= pp3MaxUnitIdx)
        return false;
    // The unit code the device holds; none while nothing was read or when its value is no
    // 16-bit number.
    const Variant& deviceValue = unitElement.DeviceValue();
    const std::optional<int16_t> deviceUnit =
        deviceValue.isEmpty() ? std::nullopt : deviceValue.tryInteger();
    if (!deviceUnit)
        return false;
    bool taken = false;
    if (target.nDeviceUnit != *deviceUnit) {
        target.nDeviceUnit = *deviceUnit;
        taken = true;
    }
    const bool unitShown = VariantsEqual(unitElement.TransientValue(), unitElement.DeviceValue());
    const bool valueShown = !target.DeviceValue().isEmpty() &&
                            VariantsEqual(target.TransientValue(), target.DeviceValue());
    if (unitShown && valueShown && target.nTransientUnit != *deviceUnit) {
        target.nTransientUnit = *deviceUnit;
        taken = true;
    }
    return taken;
}

// The targets follow their unit element; each one whose unit changed is
// reported.
void FollowUnit(IParameters& parameters, clsDataElement& unitElement,
                const std::vector<std::string>& targets, bool silent) {
    clsDataModel& model = Model(parameters);
    for (const std::string& path : targets) {
        clsDataElement& target = ElementAt(parameters, path);
        const bool taken = TakeDeviceUnit(target, unitElement);
        const bool converted = ConvertValueUnits(model, target, unitElement);
        if (taken || converted)
            Notify(parameters, target, silent);
    }
}

// The output value and its quality are editable in manual and local override only.
void UpdateOutputAccess(IParameters& parameters, const std::string& prefix,
                        const clsDataElement& targetMode, bool silent) {
    const Variant& mode = targetMode.TransientValue();
    const bool editable =
        mode.looseEquals(Variant(kModeManual)) || mode.looseEquals(Variant(kModeLocalOverride));
    for (const char* path : {kOutValue, kOutStatusQuality}) {
        clsDataElement& e = ElementAt(parameters, prefix + path);
        const bool isProtected = (e.StatusFlags() & sfWriteProtected) != 0;
        if (editable && isProtected) {
            e.ClearStatusFlag(sfWriteProtected);
        } else if (!editable && !isProtected) {
            e.SetStatusFlag(sfWriteProtected);
        } else {
            continue;
        }
        Notify(parameters, e, silent);
    }
}

// The range of a value follows the limits of its scale.
void UpdateScaleRanges(clsDataElement& element, IDTMContext& context, bool silent) {
    IParameters& parameters = context.Parameters();
    const std::string prefix = GetBlockPrefix(1);
    const std::string& name = element.Name();
    const char* lo = nullptr;
    const char* up = nullptr;
    const char* value = nullptr;
    if (IsPathOf(name, prefix, kPvScaleLo) || IsPathOf(name, prefix, kPvScaleUp)) {
        lo = kPvScaleLo;
        up = kPvScaleUp;
        value = kSpValue;
    } else if (IsPathOf(name, prefix, kOutScaleLo) || IsPathOf(name, prefix, kOutScaleUp)) {
        lo = kOutScaleLo;
        up = kOutScaleUp;
        value = kOutValue;
    } else {
        return;
    }
    const clsDataElement& loElement = ElementAt(parameters, prefix + lo);
    const clsDataElement& upElement = ElementAt(parameters, prefix + up);
    clsDataElement& valueElement = ElementAt(parameters, prefix + value);
    valueElement.SetRange(0, loElement.TransientValue(), upElement.TransientValue());
    Notify(parameters, valueElement, silent);
}

// A whole number from 0 to max; none for anything else.
std::optional<int32_t> BitField(const Variant& value, int32_t max) {
    if (value.isEmpty() || value.isNull() || !IsNumeric(value))
        return std::nullopt;
    const std::optional<double> d = value.tryDouble();
    if (!d || *d < 0 || *d > max || *d != static_cast<double>(static_cast<int32_t>(*d)))
        return std::nullopt;
    return static_cast<int32_t>(*d);
}

// Gives the element the value unless it holds it already; an edit not yet written carries over.
// True when the value changed.
bool Follow(clsDataElement& element, int32_t value, const clsDataElement& source) {
    const std::optional<int32_t> current = BitField(element.TransientValue(), 0xFF);
    if (current && *current == value)
        return false;
    element.SetTransientValue(Variant(static_cast<uint8_t>(value)));
    if ((source.StatusFlags() & sfEditedOnline) != 0)
        element.SetStatusFlag(sfEditedOnline);
    return true;
}

// The SIMULATE status byte is held whole and as quality and limit under their masks at the same
// place; the request takes them in this order, so the last two decide the byte. Whichever of
// the three changed, the other two follow it, so that the byte sent is the one edited.
void KeepSimulateStatusInStep(IParameters& parameters, const std::string& prefix,
                              clsDataElement& element) {
    const std::string& name = element.Name();
    const bool isStatus = IsPathOf(name, prefix, kSimulateStatus);
    if (!isStatus && !IsPathOf(name, prefix, kSimulateQuality) &&
        !IsPathOf(name, prefix, kSimulateLimit))
        return;
    clsDataElement& status = ElementAt(parameters, prefix + kSimulateStatus);
    clsDataElement& quality = ElementAt(parameters, prefix + kSimulateQuality);
    clsDataElement& limit = ElementAt(parameters, prefix + kSimulateLimit);

    if (isStatus) {
        const std::optional<int32_t> byte = BitField(status.TransientValue(), 0xFF);
        if (!byte)
            return;
        // Both take their value before either is reported: the report of one brings the
        // other's current value back into the byte.
        const bool qualityChanged = Follow(quality, *byte >> kQualityShift, status);
        const bool limitChanged = Follow(limit, *byte & kLimitMask, status);
        if (qualityChanged)
            parameters.ElementChanged(quality, "");
        if (limitChanged)
            parameters.ElementChanged(limit, "");
        return;
    }
    const std::optional<int32_t> q = BitField(quality.TransientValue(), 0xFF >> kQualityShift);
    const std::optional<int32_t> l = BitField(limit.TransientValue(), kLimitMask);
    if (!q || !l)
        return;
    if (Follow(status, (*q << kQualityShift) | *l, element))
        parameters.ElementChanged(status, "");
}

}  // namespace

void OnDataChanged(int16_t blockNumber, clsDataElement& element, IDTMContext& context) {
    KeepSimulateStatusInStep(context.Parameters(), GetBlockPrefix(blockNumber), element);
}

void OnUpdateElement(clsDataElement& element, IDTMContext& context, bool silent) {
    IParameters& parameters = context.Parameters();
    const std::string prefix = GetBlockPrefix(element.BlockNumber);
    const std::string& name = element.Name();

    if (IsPathOf(name, prefix, kPvScaleUnit)) {
        FollowUnit(parameters, element,
                   {prefix + kSpValue, prefix + kPvScaleUp, prefix + kPvScaleLo,
                    prefix + "READBACK/Value", prefix + "RCAS_IN/Value", prefix + "RCAS_OUT/Value"},
                   silent);
    } else if (IsPathOf(name, prefix, kOutScaleUnit)) {
        const std::string transducer = DM_TB_Act_P3::GetBlockPrefix(1);
        FollowUnit(parameters, element,
                   {prefix + kOutValue, prefix + kOutScaleUp, prefix + kOutScaleLo,
                    transducer + "POSITIONING_VALUE/Value", transducer + "FEEDBACK_VALUE/Value"},
                   silent);
    } else if (IsPathOf(name, prefix, kTargetMode)) {
        UpdateOutputAccess(parameters, prefix, element, silent);
    }
    UpdateScaleRanges(element, context, silent);
}

void OnParameterChange(int16_t, clsDataElement&, IDTMContext&) {
    // The block has no rule bound to a user's change in a parameter row.
}

}  // namespace kv::DM_FB_AO_P3

// The Analog Output block's dependency rules, reached through its three hooks: values follow the
// unit of their scale, the setpoint's and the output's ranges follow their scale's limits, the
// output is editable only in manual or local override, and the SIMULATE status byte stays one
// byte in its three forms.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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

// The elements whose values are in the unit of a scale's unit, in the order they follow it: the
// block's own (after its prefix), then those of Transducer Block 1 (after its prefix).
struct ScaleUnit {
    const char* unit;
    std::vector<const char*> own;
    std::vector<const char*> transducer;
};
const ScaleUnit kScaleUnits[] = {
    {kPvScaleUnit,
     {kSpValue, kPvScaleUp, kPvScaleLo, "READBACK/Value", "RCAS_IN/Value", "RCAS_OUT/Value"},
     {}},
    {kOutScaleUnit,
     {kOutValue, kOutScaleUp, kOutScaleLo},
     {"POSITIONING_VALUE/Value", "FEEDBACK_VALUE/Value"}},
};

// The targets follow their unit element; each one whose unit changed is reported.
void FollowUnit(IParameters& parameters, clsDataElement& unitElement, const ScaleUnit& scale,
                bool silent) {
    clsDataModel& model = Model(parameters);
    const std::string prefix = GetBlockPrefix(unitElement.BlockNumber);
    const std::string transducer = DM_TB_Act_P3::GetBlockPrefix(1);
    const auto follow = [&](const std::string& path) {
        clsDataElement& target = ElementAt(parameters, path);
        if (ConvertValueUnits(model, target, unitElement))
            Notify(parameters, target, silent);
    };
    for (const char* path : scale.own)
        follow(prefix + path);
    for (const char* path : scale.transducer)
        follow(transducer + path);
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
        FollowUnit(parameters, element, kScaleUnits[0], silent);
    } else if (IsPathOf(name, prefix, kOutScaleUnit)) {
        FollowUnit(parameters, element, kScaleUnits[1], silent);
    } else if (IsPathOf(name, prefix, kTargetMode)) {
        UpdateOutputAccess(parameters, prefix, element, silent);
    }
    UpdateScaleRanges(element, context, silent);
}

clsDataElement* UnitElementOf(IParameters& parameters, const clsDataElement& element) {
    const std::string& name = element.Name();
    const bool own = element.BlockType == pbfFunctionAOBlock;
    if (!own && element.BlockType != pbfTransducerBlock)
        return nullptr;
    const std::string prefix = own ? GetBlockPrefix(element.BlockNumber)
                                   : DM_TB_Act_P3::GetBlockPrefix(element.BlockNumber);
    if (!name.starts_with(prefix))
        return nullptr;
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    for (const ScaleUnit& scale : kScaleUnits) {
        for (const char* path : own ? scale.own : scale.transducer) {
            if (rest == path)
                return AsDataElement(
                    parameters.Item((own ? prefix : GetBlockPrefix(1)) + scale.unit));
        }
    }
    return nullptr;
}

void OnParameterChange(int16_t, clsDataElement&, IDTMContext&) {
    // The block has no rule bound to a user's change in a parameter row.
}

}  // namespace kv::DM_FB_AO_P3

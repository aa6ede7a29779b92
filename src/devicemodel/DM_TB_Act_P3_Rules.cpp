// The Transducer Block's dependency rules, reached through its three hooks: the valve type
// decides which attachment, mounting and transmission elements are valid, which transmission
// codes and units of the output scale are offered and, when the user picks it, the rated travel;
// a new initialisation method brings up a notice.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/DictionaryLookup.h"
#include "devicemodel/BlockTable.h"
#include "devicemodel/DM_FB_AO_P3.h"
#include "devicemodel/DM_TB_Act_P3.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrompt.h"
#include "value/NumberText.h"

namespace kv::DM_TB_Act_P3 {

namespace {

using blocktable::Notify;

const char* const kValveType = "VALVE_TYPE";
const char* const kAttachment = "MFR/ATTACHMENT";
const char* const kMountingPosition = "MFR/MOUNTING_POSITION";
const char* const kTransmCode = "MFR/TRANSM_CODE/";
const char* const kTransmCodeValue = "MFR/TRANSM_CODE/Value";
const char* const kTransmCodeStatus = "MFR/TRANSM_CODE/Status";
const char* const kTransmLength = "MFR/TRANSM_LENGTH";
const char* const kTransmPinPos = "MFR/TRANSM_PIN_POS";
const char* const kInitMethod = "MFR/INIT_METHOD";
const char* const kRatedTravel = "RATED_TRAVEL";
const char* const kOutScaleUnit = "OUT_SCALE/Unit";

constexpr int16_t kUnitPercent = 1342;
constexpr int16_t kUnitMillimetre = 1013;
constexpr int16_t kUnitDegree = 1005;

bool ValueIs(const Variant& value, int16_t n) {
    return value.looseEquals(Variant(n));
}

// The valve type as the key of a value list: "0" or "1"; empty for any other valve type.
std::string ValveTypeKey(const Variant& valveType) {
    if (ValueIs(valveType, 0))
        return "0";
    if (ValueIs(valveType, 1))
        return "1";
    return {};
}

// Sets the validity and, when it changed, reports the element.
void SetValidity(IParameters& parameters, clsDataElement& element, bool valid, bool silent) {
    if (element.Validity() == valid)
        return;
    element.SetValidity(valid);
    Notify(parameters, element, silent);
}

// The integral attachment of a linear valve takes a transmission length and pin position;
// every other combination a transmission code.
void SelectTransmissionElements(const std::string& prefix, clsDataElement& valveType,
                                clsDataElement& attachment, IDTMContext& context, bool silent) {
    IParameters& parameters = context.Parameters();
    clsDataElement* codeElements[] = {&ElementAt(parameters, prefix + kTransmCode),
                                      &ElementAt(parameters, prefix + kTransmCodeValue),
                                      &ElementAt(parameters, prefix + kTransmCodeStatus)};
    clsDataElement* lengthElements[] = {&ElementAt(parameters, prefix + kTransmLength),
                                        &ElementAt(parameters, prefix + kTransmPinPos)};
    const bool lengthAndPin =
        ValueIs(valveType.TransientValue(), 0) && ValueIs(attachment.TransientValue(), 1);
    for (clsDataElement* e : codeElements)
        e->SetValidity(!lengthAndPin);
    for (clsDataElement* e : lengthElements)
        e->SetValidity(lengthAndPin);
    for (clsDataElement* e : codeElements)
        Notify(parameters, *e, silent);
    for (clsDataElement* e : lengthElements)
        Notify(parameters, *e, silent);
}

// True when the list has an entry for the value; a value that is no whole number has none.
bool ListHolds(const clsDataElement& element, const Variant& value) {
    const std::optional<int32_t> n = value.tryLong();
    return n && !element.GetStrValueFromIdxList(*n).empty();
}

// The transmission codes and the help text offered for the valve type.
void SelectTransmissionCodes(IParameters& parameters, clsDataElement& code, const std::string& key,
                             const Variant& valveType, bool silent) {
    bool changed = false;
    const std::string list = code.GetValueLists(key);
    // A dictionary without a list for this valve type leaves list and code as they are: an
    // empty list would throw away the code the user chose.
    if (!list.empty() && list != code.ValueList.str()) {
        code.ValueList = list;
        if (!ListHolds(code, code.TransientValue()))
            code.SetTransientValue(Variant(Val(list)));
        changed = true;
    }
    const std::string help = code.GetStrValueFromGivenValueList(code.Description.str(), valveType);
    if (help != code.Help.str()) {
        code.Help = help;
        changed = true;
    }
    if (changed)
        Notify(parameters, code, silent);
}

// The units that the output scale offers for the valve type; a travel unit of the other
// valve type gives way to this type's.
void SelectOutputScaleUnits(IParameters& parameters, const std::string& key, bool silent) {
    clsDataElement& unit = ElementAt(parameters, DM_FB_AO_P3::GetBlockPrefix(1) + kOutScaleUnit);
    const std::string list = unit.GetValueLists(key);
    if (list.empty() || list == unit.ValueList.str())
        return;
    unit.ValueList = list;
    const int16_t travelUnit = key == "0" ? kUnitMillimetre : kUnitDegree;
    const Variant& current = unit.TransientValue();
    if (!ValueIs(current, kUnitPercent) && !ValueIs(current, travelUnit))
        unit.SetTransientValue(Variant(travelUnit));
    Notify(parameters, unit, silent);
}

// What follows the valve type and the attachment: the valid attachment, mounting and
// transmission elements, the transmission codes and the units of the output scale.
void FollowValveTypeAndAttachment(clsDataElement& element, IDTMContext& context, bool silent) {
    IParameters& parameters = context.Parameters();
    const std::string prefix = GetBlockPrefix(element.BlockNumber);
    const std::string& name = element.Name();

    if (IsPathOf(name, prefix, kValveType)) {
        const Variant& valveType = element.TransientValue();
        const bool linear = ValueIs(valveType, 0);
        SetValidity(parameters, ElementAt(parameters, prefix + kAttachment), linear, silent);
        SetValidity(parameters, ElementAt(parameters, prefix + kMountingPosition), linear, silent);

        SelectTransmissionElements(prefix, element, ElementAt(parameters, prefix + kAttachment),
                                   context, silent);

        const std::string key = ValveTypeKey(valveType);
        if (key.empty())
            return;
        SelectTransmissionCodes(parameters, ElementAt(parameters, prefix + kTransmCodeValue), key,
                                valveType, silent);
        SelectOutputScaleUnits(parameters, key, silent);
    } else if (IsPathOf(name, prefix, kAttachment)) {
        SelectTransmissionElements(prefix, ElementAt(parameters, prefix + kValveType), element,
                                   context, silent);
    }
}

// What follows a user's choice in a parameter row: the notice of a new initialisation method,
// the rated travel of a new valve type.
void FollowUserChoice(clsDataElement& element, IDTMContext& context) {
    IParameters& parameters = context.Parameters();
    const std::string prefix = GetBlockPrefix(element.BlockNumber);
    const std::string& name = element.Name();

    if (IsPathOf(name, prefix, kInitMethod)) {
        // The notice is for the user at the row; a parameter document's value, taken in a bulk
        // update, brings none.
        if (!parameters.BulkUpdateActive())
            context.MessageBox(GetDictionaryText(context, "meld_init_art"), mbsOkOnly);
    } else if (IsPathOf(name, prefix, kValveType)) {
        clsDataElement& ratedTravel = ElementAt(parameters, prefix + kRatedTravel);
        const bool linear = ValueIs(element.TransientValue(), 0);
        const int16_t unit = linear ? kUnitMillimetre : kUnitDegree;
        ratedTravel.nConstantUnit = unit;
        ratedTravel.nTransientUnit = unit;
        ratedTravel.SetTransientValue(Variant(linear ? 15.0 : 90.0));
        parameters.ElementChanged(ratedTravel, "");
    }
}

}  // namespace

void OnDataChanged(int16_t, clsDataElement&, IDTMContext&) {
    // The block's rules run on the update of an element and on a user's change, not here.
}

void OnUpdateElement(clsDataElement& element, IDTMContext& context, bool silent) {
    FollowValveTypeAndAttachment(element, context, silent);
}

void OnParameterChange(int16_t, clsDataElement& element, IDTMContext& context) {
    FollowUserChoice(element, context);
}

}  // namespace kv::DM_TB_Act_P3

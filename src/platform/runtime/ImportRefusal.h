#pragma once
// Why an import of a parameter document did not take a variable, or took nothing: what happened
// and to what, without words, so that the frame tells it in the user's language.

#include <cstdint>
#include <string>
#include <vector>

#include "value/Variant.h"

namespace kv {

struct ImportRefusal {
    enum Kind : uint8_t {
        // Nothing was taken.
        kNoDocument,    // the text is no parameter document
        kTransferRuns,  // an upload or download with the device runs
        // The variable was refused, which fails the import.
        kNoSuchElement,   // the data set has no element of the variable's name
        kNotTaken,        // the element could not take it; the diagnostic log says why
        kUnknownUnit,     // unit: a unit text that names no unit
        kNotConvertible,  // value in unit does not convert into elementUnit (empty: no unit)
        kNoValue,         // the text is empty, and the element needs a value
        kNotAValue,       // value: no value of the element's type
        kOutOfRange,      // value in unit; limits: the element's ranges, in elementUnit
        kTooLong,         // value; limits: the most characters, as the upper end
        kBadCharacter,    // value: it has a character the device cannot take
        kNotInList,       // value: no entry of the element's value list
        kUserLevel,       // requiredLevel: the level the element asks for; userLevel: the user's
        // The variable was passed over: no user could set the element at the moment. This does
        // not fail the import.
        kDeviceCommand,
        kDeviceOnly,
        kWriteProtected,
        kNotValid,
    };
    // A range of values; an Empty end does not limit.
    struct Limits {
        Variant low{};
        Variant high{};
        bool operator==(const Limits&) const = default;
    };

    Kind kind = kNotTaken;
    int32_t position = 0;  // the variable's place in the document, from 1; 0: the document
    std::string path{};    // the variable's name as the document gives it (its beginning)
    std::string value{};   // the document's value text, without a float's unit (its beginning)
    std::string unit{};    // the unit text the document gives the value
    std::string elementUnit{};
    std::vector<Limits> limits{};
    int32_t requiredLevel = 0;
    int32_t userLevel = 0;

    bool PassedOver() const { return kind >= kDeviceCommand; }
    bool operator==(const ImportRefusal&) const = default;
};

}  // namespace kv

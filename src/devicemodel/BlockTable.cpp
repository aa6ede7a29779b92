// Turns the rows of a block's element table into data elements of the data set.

#include "devicemodel/BlockTable.h"

#include <limits>
#include <stdexcept>

#include "core/DataModelHelpers.h"
#include "devicemodel/DM_TB_Act_P3.h"
#include "platform/runtime/IParameters.h"

namespace kv::blocktable {

namespace {

// A block at its number: the BlockType and the path prefix its rows are made with.
struct BlockScheme {
    int32_t blockType;
    std::string prefix;
};

BlockScheme SchemeOf(const BlockTables& block, int16_t blockNumber) {
    return BlockScheme{block.blockType, block.prefix(blockNumber)};
}

// ElementMode arithmetic: 32-bit signed additions that raise an overflow error.
int32_t AddChecked(int32_t a, int32_t b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum < std::numeric_limits<int32_t>::min() || sum > std::numeric_limits<int32_t>::max())
        throw VbError(VbErr::Overflow, "ElementMode overflow");
    return static_cast<int32_t>(sum);
}

std::string PlacePath(const Place& place, const BlockScheme& scheme) {
    switch (place.scope) {
        case Place::kOwnBlock:
            return scheme.prefix + place.path;
        case Place::kWholePath:
            return place.path;
        case Place::kTransducer1:
            return DM_TB_Act_P3::GetBlockPrefix(1) + place.path;
    }
    return place.path;
}

void SetRangeOf(clsDataElement& element, const Settings& set, int16_t blockNumber) {
    if (set.rangeMin.Given() || set.rangeMax.Given())
        element.SetRange(0, ToVariant(set.rangeMin, blockNumber),
                         ToVariant(set.rangeMax, blockNumber));
}

// Units, format, range and mask: the part of a row that a block may leave to its defaults.
void ApplyValueSettings(clsDataElement& element, const Settings& set, int16_t blockNumber) {
    if (set.initUnit != 0)
        element.nInitUnit = set.initUnit;
    if (set.constUnit != 0)
        element.nConstantUnit = set.constUnit;
    if (set.format != nullptr)
        element.ValueFormat = set.format;
    SetRangeOf(element, set, blockNumber);
    if (set.mask >= 0)
        element.AccessMask = static_cast<uint8_t>(set.mask);
}

void ApplyInitial(clsDataElement& element, const Value& value, int16_t blockNumber) {
    if (!value.Given())
        return;
    if (value.kind == Value::kBytesInto) {
        if (!element.InitialValue.isByteArray())
            return;
        ByteArray array = element.InitialValue.bytes();
        array.bytes.assign(value.bytes, value.bytes + value.byteCount);
        element.InitialValue = Variant(std::move(array));
        return;
    }
    element.InitialValue = ToVariant(value, blockNumber);
}

}  // namespace

Variant ToVariant(const Value& value, int16_t blockNumber) {
    switch (value.kind) {
        case Value::kNotGiven:
        case Value::kEmpty:
            return Variant();
        case Value::kInteger:
            return Variant(static_cast<int16_t>(value.number));
        case Value::kDouble:
            return Variant(value.number);
        case Value::kText:
            return Variant(std::string(value.text));
        case Value::kBlockNumber:
            return Variant(blockNumber);
        case Value::kBytes:
        case Value::kBytesInto:
            return Variant(std::vector<uint8_t>(value.bytes, value.bytes + value.byteCount));
    }
    return Variant();
}

namespace {

// Creates, in table order, every row made by `pass`.
void CreateRows(IDTMContext& context, const BlockScheme& scheme, int16_t blockNumber,
                std::span<const ElementRow> rows, Pass pass) {
    IParameters& parameters = context.Parameters();
    for (const ElementRow& row : rows) {
        if (row.pass != pass)
            continue;
        const bool later = row.completion != kComplete;
        const bool readOnlyLater = row.completion == kReadOnlyLater;
        const Value& initial = later && row.created.Given() ? row.created : row.initial;

        std::string before;
        std::string after;
        if (row.place.where == Place::kBefore)
            before = PlacePath(row.place, scheme);
        else if (row.place.where == Place::kAfter)
            after = PlacePath(row.place, scheme);
        clsDataElement& element =
            AddDataElement(parameters, scheme.prefix + row.path, ToVariant(initial, blockNumber),
                           row.type, row.length, before, after);

        const Settings& set = row.set;
        if (set.mode >= 0) {
            element.SetElementMode(set.mode);
        } else {
            const int32_t access = readOnlyLater ? (row.access | W) : row.access;
            element.SetElementMode(
                AddChecked(AddChecked(element.ElementMode(), access), row.groups));
        }
        if (row.rel != kNoRelIndex) {
            element.BlockType = scheme.blockType;
            element.RelIndex = row.rel;
        }
        element.BlockNumber = blockNumber;
        if (row.pos != kNoPos)
            element.DataPosition = row.pos;

        const int32_t flags = readOnlyLater ? (set.flags & ~sfWriteProtected) : set.flags;
        if (flags != 0)
            element.SetStatusFlags(flags);
        if (set.control != 0)
            element.SetControlType(set.control);
        for (const Print& print : set.print) {
            if (print.order != 0)
                element.SetPrintOrder(print.list, Variant(print.order));
        }
        if (set.rawByteOrder)
            element.RawByteOrder = true;
        if (set.bitEncoded)
            element.bBitEncoding = true;
        if (!later)
            ApplyValueSettings(element, set, blockNumber);
    }
}

// Completes the rows created as kCompletedLater or kReadOnlyLater, in table order.
void CompleteRows(IDTMContext& context, const BlockScheme& scheme, int16_t blockNumber,
                  std::span<const ElementRow> rows) {
    IParameters& parameters = context.Parameters();
    for (const ElementRow& row : rows) {
        if (row.completion == kComplete)
            continue;
        clsDataElement& element = ElementAt(parameters, scheme.prefix + row.path);
        if (row.created.Given())
            ApplyInitial(element, row.initial, blockNumber);
        ApplyValueSettings(element, row.set, blockNumber);
        if (row.completion == kReadOnlyLater) {
            element.SetElementMode(AddChecked(element.ElementMode(), -W));
            element.SetStatusFlags(AddChecked(element.StatusFlags(), sfWriteProtected));
        }
    }
}

// Applies the later defaults in table order; a path that is not in the data set raises an error.
void ApplyDefaults(IDTMContext& context, const BlockScheme& scheme, int16_t blockNumber,
                   std::span<const DefaultRow> rows) {
    IParameters& parameters = context.Parameters();
    for (const DefaultRow& row : rows) {
        clsDataElement& element = ElementAt(parameters, scheme.prefix + row.path);
        ApplyInitial(element, row.initial, blockNumber);
        if (row.set.control != 0)
            element.SetControlType(row.set.control);
        ApplyValueSettings(element, row.set, blockNumber);
    }
}

}  // namespace

void CreateBlock(const BlockTables& block, IDTMContext& context, int16_t blockNumber) {
    CreateRows(context, SchemeOf(block, blockNumber), blockNumber, block.elements, kStandard);
    SetDefaults(block, context, blockNumber);
    CreateLaterRows(block, context, blockNumber);
}

void SetDefaults(const BlockTables& block, IDTMContext& context, int16_t blockNumber) {
    const BlockScheme scheme = SchemeOf(block, blockNumber);
    ApplyDefaults(context, scheme, blockNumber, block.defaults);
    CompleteRows(context, scheme, blockNumber, block.elements);
}

void CreateLaterRows(const BlockTables& block, IDTMContext& context, int16_t blockNumber) {
    const BlockScheme scheme = SchemeOf(block, blockNumber);
    CreateRows(context, scheme, blockNumber, block.elements, kManufacturer);
    CreateRows(context, scheme, blockNumber, block.elements, kBitMembers);
}

void Notify(IParameters& parameters, clsDataElement& element, bool silent) {
    if (!silent)
        parameters.ElementChanged(element, "");
}

}  // namespace kv::blocktable

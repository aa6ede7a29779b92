#pragma once
// The block definitions hold their elements as tables: one row per element with its address,
// type, layout, access and group bits, offline value and settings. The procedures here turn rows
// into data elements of the data set and apply the tables of later default settings.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/clsDataElement.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"

namespace kv::blocktable {

// An initial value or range bound as a table writes it.
struct Value {
    enum Kind : uint8_t {
        kNotGiven,     // the cell is blank: nothing is set
        kEmpty,        // an empty value
        kInteger,      // a 16-bit integer
        kDouble,       // a double-precision number
        kText,         // a text (possibly empty)
        kBlockNumber,  // the block number as a 16-bit integer
        kBytes,        // a byte array indexed from 0
        kBytesInto,    // bytes written into the element's current byte array, keeping its bounds;
                       // nothing happens when the current value is not a byte array
    };
    Kind kind = kNotGiven;
    double number = 0;
    const char* text = nullptr;
    uint8_t bytes[8] = {};
    uint8_t byteCount = 0;

    bool Given() const { return kind != kNotGiven; }
};

constexpr Value Empty{Value::kEmpty};
constexpr Value EmptyText{Value::kText, 0, ""};
constexpr Value BlockNumber{Value::kBlockNumber};
// The 16-bit integer n; a value outside -32768..32767 does not compile in a table.
consteval Value Int(int32_t n) {
    if (n < -32768 || n > 32767)
        throw "integer initial value outside 16 bits";
    return Value{Value::kInteger, static_cast<double>(n)};
}
consteval Value Dbl(double x) {
    return Value{Value::kDouble, x};
}
consteval Value Text(const char* s) {
    return Value{Value::kText, 0, s};
}
// Up to eight bytes; a list of length 0 is not allowed.
template <typename... B>
consteval Value Bytes(B... b) {
    static_assert(sizeof...(B) >= 1 && sizeof...(B) <= 8);
    return Value{Value::kBytes, 0, nullptr, {static_cast<uint8_t>(b)...}, sizeof...(B)};
}
template <typename... B>
consteval Value BytesInto(B... b) {
    static_assert(sizeof...(B) >= 1 && sizeof...(B) <= 8);
    return Value{Value::kBytesInto, 0, nullptr, {static_cast<uint8_t>(b)...}, sizeof...(B)};
}

// Access bits of ElementMode.
constexpr int32_t N = 0;    // neither read nor written on its own
constexpr int32_t R = 0x1;  // read from the device
constexpr int32_t W = 0x2;  // written to the device
constexpr int32_t C = 0x4;  // device command
constexpr int32_t RW = R | W;
constexpr int32_t RC = R | C;
constexpr int32_t RWC = R | W | C;

// Position of the element in documentation list `list`.
struct Print {
    int16_t list = 0;
    int16_t order = 0;  // 0: no position
};

// The settings of a row (or of a later default); a field at its default is not set.
struct Settings {
    int32_t mode = -1;             // ElementMode set outright instead of 144 + access + groups
    int32_t flags = 0;             // StatusFlags
    int32_t control = 0;           // ControlType
    bool bitEncoded = false;       // bBitEncoding
    int16_t mask = -1;             // AccessMask
    bool rawByteOrder = false;     // RawByteOrder
    Print print[3] = {};           // SetPrintOrder calls, in this order
    int16_t initUnit = 0;          // nInitUnit
    int16_t constUnit = 0;         // nConstantUnit
    const char* format = nullptr;  // ValueFormat
    Value rangeMin = {};           // SetRange(0, min, max) when either bound is given
    Value rangeMax = {};
};

// Where AddDataElement places the element in the data set's order.
struct Place {
    enum Where : uint8_t { kAppend, kBefore, kAfter };
    enum Scope : uint8_t {
        kOwnBlock,     // path after the block's own prefix
        kWholePath,    // a full path of another block
        kTransducer1,  // path after the prefix of Transducer Block 1
    };
    Where where = kAppend;
    Scope scope = kOwnBlock;
    const char* path = nullptr;
};
constexpr Place Before(const char* path) {
    return Place{Place::kBefore, Place::kOwnBlock, path};
}
constexpr Place After(const char* path) {
    return Place{Place::kAfter, Place::kOwnBlock, path};
}
constexpr Place AfterPath(const char* path) {
    return Place{Place::kAfter, Place::kWholePath, path};
}
constexpr Place AfterTransducer1(const char* path) {
    return Place{Place::kAfter, Place::kTransducer1, path};
}

// Which creating procedure of the block makes the row.
enum Pass : uint8_t {
    kStandard,      // the block's standard parameters
    kManufacturer,  // the manufacturer parameters
    kBitMembers,    // the bit members of octet strings, made after the manufacturer parameters
};

// How the later standard defaults of a block touch a row (Transducer Block).
enum Completion : uint8_t {
    kComplete,        // the row is set in full when it is created
    kCompletedLater,  // initial value (if created with another), units, format, range and mask
                      // are set by the standard defaults
    kReadOnlyLater,   // as kCompletedLater; created read-write and not write-protected, the
                      // standard defaults then take the write bit away and write-protect it
};

constexpr int16_t kNoRelIndex = -1;  // the element belongs to no block (BlockIndex)
constexpr int16_t kNoPos = -1;       // DataPosition not set
constexpr int32_t kTypeLength = -1;  // length: the value type's own

struct ElementRow {
    int16_t rel;       // RelIndex, or kNoRelIndex
    const char* path;  // after the block prefix
    int32_t type;
    int32_t length;  // ValueTypeLength, or kTypeLength
    int16_t pos;     // DataPosition, or kNoPos
    int32_t access;
    int32_t groups;  // ElementMode bits from &H10000 up
    Value initial;
    Settings set = {};
    Place place = {};
    Pass pass = kStandard;
    Completion completion = kComplete;
    Value created = {};  // initial value given at creation when it differs from `initial`
};

// --- tables that take shared rows ---

// The order of an element table: by relative index, within one by position, a record's root (no
// position) before its members.
constexpr bool RowBefore(const ElementRow& a, const ElementRow& b) {
    return a.rel != b.rel ? a.rel < b.rel : a.pos < b.pos;
}

// Merges the rows `shared` into the rows `own` in that order, writes them to `out` unless it is
// null and answers their number. A row of `own` at the place (relative index and position) of a
// shared row takes its place and must name the same path. Rows out of that order where the two
// tables meet, or two at one place, do not compile.
consteval size_t MergeRows(std::span<const ElementRow> own, std::span<const ElementRow> shared,
                           ElementRow* out) {
    size_t n = 0;
    size_t o = 0;
    const auto take = [&](const ElementRow& row) {
        if (out != nullptr)
            out[n] = row;
        ++n;
    };
    for (size_t s = 0; s < shared.size(); ++s) {
        if (s > 0 && !RowBefore(shared[s - 1], shared[s]))
            throw "shared rows out of order";
        for (; o < own.size() && RowBefore(own[o], shared[s]); ++o) {
            if (s > 0 && !RowBefore(shared[s - 1], own[o]))
                throw "block rows out of order where the shared rows stand";
            take(own[o]);
        }
        if (o < own.size() && !RowBefore(shared[s], own[o])) {
            if (std::string_view(own[o].path) != shared[s].path)
                throw "a block row at the place of a shared row of another path";
            take(own[o++]);
        } else {
            take(shared[s]);
        }
    }
    for (; o < own.size(); ++o) {
        if (!shared.empty() && !RowBefore(shared.back(), own[o]))
            throw "block rows out of order where the shared rows stand";
        take(own[o]);
    }
    return n;
}

// A block's element table: its own rows `Own` with the rows `Shared` merged in.
template <const auto& Own, const auto& Shared>
consteval auto MergedRows() {
    std::array<ElementRow, MergeRows(Own, Shared, nullptr)> rows{};
    MergeRows(Own, Shared, rows.data());
    return rows;
}

// A later default: the element's path after the block prefix, its new initial value (blank: not
// touched) and the settings to apply.
struct DefaultRow {
    const char* path;
    Value initial;
    Settings set = {};
};

// A block as its tables define it.
struct BlockTables {
    int32_t blockType;                           // BlockType of every element but BlockIndex
    std::string (*prefix)(int16_t blockNumber);  // the block's path prefix
    std::span<const ElementRow> elements;
    std::span<const DefaultRow> defaults = {};  // the later defaults
};

// Makes the block's elements: the rows of its standard parameters in table order, then
// SetDefaults and CreateLaterRows.
void CreateBlock(const BlockTables& block, IDTMContext& context, int16_t blockNumber);
// Applies the later defaults in table order, then completes the rows created as kCompletedLater
// or kReadOnlyLater in table order; a path that is not in the data set raises an error.
void SetDefaults(const BlockTables& block, IDTMContext& context, int16_t blockNumber);
// Creates, in table order, the rows made after the defaults: the manufacturer parameters, then
// the bit members.
void CreateLaterRows(const BlockTables& block, IDTMContext& context, int16_t blockNumber);

Variant ToVariant(const Value& value, int16_t blockNumber);

// --- shared by the blocks' rules ---

// Reports a change made by a rule, unless the rule runs silently.
void Notify(IParameters& parameters, clsDataElement& element, bool silent);

}  // namespace kv::blocktable

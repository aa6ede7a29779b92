#pragma once

// The PROFIBUS PA Profile 3.0 unit table: display texts, help keys and conversion data of the
// unit codes, lookup between codes and texts, and conversion of values between units.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The kind of quantity of a unit. Values convert only between two units of one class greater
// than uccConst; uccCalc holds all quantities without a class of their own.
enum UnitCalcClass : std::int32_t {
    uccConst = 0,
    uccCalc = 1,
    uccTemp = 2,
    uccAngle = 3,
    uccLen = 4,
    uccArea = 5,
    uccVolume = 6,
    uccTime = 7,
    uccVelocity = 8,
    uccAcceleration = 9,
    uccFrequency = 10,
    uccAngleVelocity = 11,
    uccAngleAcceleration = 12,
    uccMass = 13,
};

// Bounds of the table positions. 900 to 999 are positions without conversion data.
enum profibusProfil3UnitRange : std::int32_t {
    pp3MinConstUnitIdx = 900,
    pp3MaxConstUnitIdx = 999,
    pp3MinUnitIdx = 1000,
    pp3MaxUnitIdx = 2000,
};

// The unit table. A new object holds the 541 predefined units (codes 1000 to 1999); their data
// is one immutable table shared by all objects, so construction allocates nothing. An object
// keeps only what was changed on it: replaced texts and help keys (a compact character pool,
// about 9 KB plus the texts once a language has replaced them) and entries redefined through
// SetUnitInformation. Texts are UTF-8.
//
// Conversion rule: for a unit u, value in u = (value in the base unit of its class + Offset(u))
// * faktor(u). A factor of 0 marks a unit without conversion.
class clsPROFIBUSProfil3Units {
  public:
    // One table entry. An undefined position reads as {false, 0, 0, "", "", uccConst}.
    struct UnitInfo {
        bool available = false;
        double faktor = 0;  // units of this kind per base unit of the class
        double Offset = 0;  // added to the base value before the factor applies
        std::string strUnit;
        std::string strHelpKey;
        UnitCalcClass unitClass = uccConst;
    };

    clsPROFIBUSProfil3Units() = default;

    // Display text of a code; "" when the code lies outside 900 to 2000 or is not defined.
    std::string PROFIBUSProfil3UnitString(std::int32_t idx) const;
    // Replaces the display text of a defined code; does nothing for any other code.
    void PROFIBUSProfil3UnitString(std::int32_t idx, std::string_view text);

    // The first defined code (from 900 up) whose text equals str with leading and trailing
    // spaces removed, compared case-sensitively; 0 when there is none.
    std::int32_t PROFIBUSProfil3UnitIndex(std::string_view str) const;

    // Dictionary key of the help text of a code; "" when outside 900 to 2000 or not defined.
    std::string PROFIBUSProfil3UnitHelpKey(std::int32_t idx) const;
    // Replaces the help key of a defined code; does nothing for any other code.
    void PROFIBUSProfil3UnitHelpKey(std::int32_t idx, std::string_view key);

    // The whole entry of a code, and its class (uccConst when not defined).
    UnitInfo PROFIBUSProfil3UnitInfo(std::int32_t idx) const;
    UnitCalcClass PROFIBUSProfil3UnitClass(std::int32_t idx) const;

    // Converts currentValue from one unit into another. The result is the converted value only
    // when both codes lie in 1000 to 2000, are defined and have the same class greater than
    // uccConst; otherwise currentValue comes back unchanged. A unit with factor 0 contributes no
    // step of its own. The conversion is computed whenever the codes differ, so an arithmetic
    // fault raises even when the result is then not used: throws std::overflow_error when a
    // step overflows and std::runtime_error on an invalid floating-point operation.
    double CalculateUnitValue(double currentValue, std::int32_t currentUnitIdx,
                              std::int32_t newUnitIdx) const;
    // The same conversion for callers to whom a fault is an answer: nullopt where
    // CalculateUnitValue raises.
    std::optional<double> TryCalculateUnitValue(double currentValue, std::int32_t currentUnitIdx,
                                                std::int32_t newUnitIdx) const;

    // True when a value converts from one unit into the other: the same code, or two defined
    // codes of 1000 to 2000 with a factor each and the same class greater than uccConst.
    bool Convertible(std::int32_t fromUnitIdx, std::int32_t toUnitIdx) const;

    // Defines (or redefines) the entry of a code within 900 to 2000; other codes are ignored.
    // Below 1000 the entry gets class uccConst and keeps its factor and offset; from 1000 on it
    // takes Mult, Offset and unitClass (uccCalc when not given).
    void SetUnitInformation(std::int32_t PROFIBUSProfil3UnitIdx, double Mult, double Offset,
                            std::string_view strUnit, std::string_view strHelpKey,
                            std::optional<std::int32_t> unitClass = std::nullopt);

  private:
    // Conversion data of one entry.
    struct Conversion {
        bool available = false;
        double faktor = 0;
        double Offset = 0;
        UnitCalcClass unitClass = uccConst;
    };

    // Texts that differ from the shared defaults: one slot per table position (allocated on the
    // first change) pointing into a single character pool.
    class TextOverrides {
      public:
        // The replacing text at a table position, or nullopt when the default applies.
        std::optional<std::string_view> Find(std::size_t pos) const;
        // Replaces the text at a table position; a text equal to the default drops the change.
        void Set(std::size_t pos, std::string_view text, std::string_view defaultText);

      private:
        static constexpr std::uint32_t kUnset = UINT32_MAX;
        struct Slot {
            std::uint32_t offset = 0;
            std::uint32_t length = kUnset;
        };
        void Compact();

        std::vector<Slot> slots_;
        std::string pool_;
        std::size_t unusedBytes_ = 0;  // pool bytes no slot refers to any more
    };

    Conversion ConversionOf(std::int32_t idx) const;
    // The conversion of both forms; fail hears each arithmetic fault (see the .cpp).
    template <typename Fail>
    double ConvertedValue(double currentValue, std::int32_t currentUnitIdx, std::int32_t newUnitIdx,
                          Fail& fail) const;
    std::string_view TextAt(std::int32_t idx) const;

    TextOverrides texts_;
    TextOverrides helpKeys_;
    std::map<std::int32_t, Conversion> redefined_;  // entries set by SetUnitInformation
};

}  // namespace kv

#pragma once
// One parameter of the device's data set: its path, its address in the device, its value type,
// its four values (initial, transient, persistent, device) with their units, its ranges, value
// lists and texts, its access and group bits and its status bits.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPropertyBag.h"
#include "value/SharedText.h"
#include "value/ValueList.h"
#include "value/Variant.h"

namespace kv {

// Value type codes.
enum ValueTypeCode : int32_t {
    vtRecord = 0,
    vtOctetString = 1,
    vtUnsigned8 = 2,
    vtUnsigned16 = 3,
    vtUnsigned24 = 4,
    vtInteger16 = 5,
    vtInteger24 = 6,
    vtInteger32 = 7,
    vtFloat = 8,
    vtDouble = 9,
    vtByte = 10,
    vtDateTime = 11,
    vtType12 = 12,
    vtType13 = 13,
    vtVisibleString = 14,
    vtDecimal = 15,
    vtUnsigned32 = 16,
};

enum ProfibusBlockFlags : int32_t {
    pbfNoneBlock = -1,
    pbfDeviceDirectory = 0,
    pbfPhysicalBlock = 1,
    pbfTransducerBlock = 2,
    pbfFunctionAIBlock = 3,
    pbfFunctionTOTBlock = 4,
    pbfFunctionAOBlock = 5,
};

class clsPROFIBUSProfil3Units;

// What keeps the user from giving an element a value: a row bound to it is locked, a parameter
// document leaves it alone or is refused it.
enum class InputBarrier : uint8_t {
    kNone,
    kDeviceOnly,      // the device reports the value and is never written it
    kUserLevel,       // the element asks for a higher user level than the user has
    kWriteProtected,  // the element is write-protected at the moment
};

// One range of allowed values (of the value, or of the character codes of a text); an Empty
// bound does not limit.
struct ValueRange {
    Variant min;
    Variant max;
};

class clsDataElement : public IPrivateDataElement {
  public:
    clsDataElement() = default;

    // --- fields reached through the runtime's element interface ---
    const std::string& Name() const override { return m_Name.str(); }
    void SetName(const std::string& name) override { m_Name = SharedText(name); }
    int32_t ValueType() const override { return m_ValueType; }
    void SetValueType(int32_t t) { m_ValueType = t; }
    int32_t ValueTypeLength() const override { return m_ValueTypeLength; }
    void SetValueTypeLength(int32_t len) { m_ValueTypeLength = len; }
    int32_t ElementMode() const override { return m_ElementMode; }
    void SetElementMode(int32_t mode) { m_ElementMode = mode; }
    const Variant& TransientValue() const override { return m_TransientValue; }
    void SetTransientValue(const Variant& v) override { m_TransientValue = v; }
    const Variant& PersistentValue() const override { return m_PersistentValue; }
    void SetPersistentValue(const Variant& v) override { m_PersistentValue = v; }
    const Variant& DeviceValue() const override { return m_DeviceValue; }
    void SetDeviceValue(const Variant& v) override { m_DeviceValue = v; }
    int32_t NestProcessLevel() const override { return m_NestProcessLevel; }
    void SetNestProcessLevel(int32_t level) override { m_NestProcessLevel = level; }

    // Status word without the protected bits &HF000000; setting keeps the protected bits.
    int32_t StatusFlags() const override;
    void SetStatusFlags(int32_t flags) override;
    void SetStatusFlag(int32_t flags);
    void ClearStatusFlag(int32_t flags);
    // The whole status word, protected bits included (persistence).
    int32_t RawStatusWord() const { return m_Status; }
    void SetRawStatusWord(int32_t word) { m_Status = word; }
    bool Validity() const;
    void SetValidity(bool valid);
    bool ParamOptional() const;
    void SetParamOptional(bool optional);
    bool ParamDynamic() const;
    void SetParamDynamic(bool dynamic);
    // The marks of the cyclic refreshes that read the element, counted in DynamicCounter: while
    // one is set the element is dynamic; after the last one is taken back it has the dynamic
    // flag again that it had before the first (the flag its model gave it). deviceOnly: the
    // mark of a refresh whose reads only show the device (GroupReads::Shown).
    void AddDynamicMark(bool deviceOnly = false);
    void RemoveDynamicMark(bool deviceOnly = false);
    // True while the element's own value changes cyclically, whatever the refreshes that only
    // show the device do: its model makes it dynamic, or a refresh that takes the values it
    // reads marks it.
    bool ValueDynamic() const;

    int32_t ControlType() const { return m_ControlType; }
    void SetControlType(int32_t t) { m_ControlType = t; }

    // Bytes of a visible string on the wire: ValueTypeLength, or in packed coding three quarters
    // of it, rounded to the nearest (halves to even).
    int32_t StringWireLength() const;

    // --- public fields ---
    SharedText ValueFormat;
    kv::ValueList ValueList;
    SharedText ValueLists;  // empty = Empty
    SharedText IconList;
    SharedText Label;
    SharedText Description;
    SharedText Help;
    int32_t RequiredUserLevel = 1;
    int16_t Slot = -1;
    int16_t index = -1;
    int32_t BlockType = pbfNoneBlock;
    int16_t BlockNumber = -1;
    int16_t RelIndex = -1;
    int16_t DataPosition = -1;
    bool bPackedCoding = false;
    bool bBitEncoding = false;
    uint8_t AccessMask = 0xFF;
    bool RawByteOrder = false;
    Variant InitialValue;
    int16_t nTransientUnit = 0;
    int16_t nInitUnit = 0;
    int16_t nDeviceUnit = 0;
    int16_t nPersistentUnit = 0;
    int16_t nConstantUnit = 0;
    int16_t DynamicCounter = 0;
    kv::ValueList CmdErrList;
    SharedText CmdErr;

    // --- operations ---
    // The text of nTransientUnit (UnitText).
    std::string UnitString(IDTMContext& context) const;
    // Sets nTransientUnit to the code of a unit text: "#" and a number gives that number, any
    // other text the unit table's code for it (0 for a text the table does not know). Raises
    // an error for a "#" number beyond 16 bits and when the data set has no unit table.
    void SetUnitString(IDTMContext& context, const std::string& text);
    // The code SetUnitString would set; nullopt where it raises an error.
    std::optional<int16_t> TryUnitCode(IDTMContext& context, const std::string& text) const;
    // A number given in another unit, as the element's type in the unit it holds
    // (nTransientUnit): Null when the value does not convert into it (see
    // clsPROFIBUSProfil3Units::Convertible) or the type cannot hold the result.
    Variant ValueInUnit(IDTMContext& context, const Variant& value, int16_t unit) const;
    // Range idx; nullopt beyond the list and when both bounds are Empty.
    std::optional<ValueRange> GetRange(int32_t idx) const;
    void SetRange(int32_t idx, const Variant& min, const Variant& max);
    // True when x lies within one of the ranges, or when the element has none. A single's
    // ranges are compared as singles.
    bool WithinRanges(double x) const;
    // The ranges up to the first absent one, in the unit the element shows: a limit is converted
    // from the initial unit where the transient one differs; one that is no number, or that the
    // unit cannot hold, stays as it is.
    std::vector<ValueRange> RangesInShownUnit(IDTMContext& context) const;
    // The most characters a visible string holds (its packed form's room included); nullopt
    // when its length has no limit.
    std::optional<int32_t> MaxTextLength() const;
    // The position in documentation list `list`; Empty when the element has none there.
    Variant GetPrintOrder(int32_t list) const;
    void SetPrintOrder(int32_t list, const Variant& order);
    Variant GetTypedValue(const Variant& value,
                          const NumberLocale& loc = NumberLocale::Invariant()) const;
    // A value typed into a parameter row, as the element's type. A text for a number type must
    // be wholly one finite decimal number in the user's number form (ParseInputNumber: no
    // grouping, no &H literal, nothing before or after it), a whole one for the integer types,
    // that the type holds; anything else gives Null, as does an empty text for an octet string.
    // Other values and types: GetTypedValue.
    Variant GetTypedInput(const Variant& value, const NumberLocale& loc) const;
    int32_t CalcParamErrorFlags(IDTMContext& context, const Variant& value) const;
    InputBarrier InputBarrierOf(IDTMContext& context) const;
    // True when the value is chosen from the value list (the row shows a choice: control type
    // 3, or 0 for an unsigned 8-bit value) and the list names no entry for it.
    bool OutsideValueList(const Variant& value) const;
    int32_t CalcParamStatusFlags(IDTMContext& context, const Variant& newValue) const;
    std::string GetStrValueFromIdxList(int32_t idx) const;
    std::string GetStrValueFromIdxListEx(const Variant& value) const;
    std::string GetStrValueFromGivenValueList(const std::string& list, const Variant& value) const;
    std::string GetStrCommandErrorFromIndex(int32_t code) const;
    void SetStrValueFromIdxList(int32_t idx, const std::string& text);
    void ReplaceValueListEntries();
    std::string GetValueLists(const std::string& key) const;
    clsDataElement* GetParentParameter(IParameters& parameters) const;
    // The element a transfer of this one reads or writes: its record when it is a member of
    // one, else itself.
    clsDataElement& TransferElement(IParameters& parameters);
    bool IsBitListEntry(IDTMContext& context) const;
    // The units of a new value: a constant unit becomes the initial unit, and the transient value
    // is in the initial unit.
    void InitUnits();

    // --- runtime interface ---
    bool InitNew() override;
    bool ReadFromPropBag(IPropertyBag& bag, IDTMContext& context) override;
    bool WriteToPropBag(IPropertyBag& bag, IDTMContext& context) override;
    bool IsStored() const override;
    void SaveCompleted() override;
    // A value is set only where the user could type one (InputBarrierOf; device commands and
    // elements not valid at the moment are passed over as well), and only when it passes the
    // check of a typed value (GetTypedInput, CalcParamErrorFlags, an entry of the list it is
    // chosen from) in the unit the element holds, into which a value in another unit is
    // converted (ValueInUnit). A value equal to the element's sets nothing and is refused by
    // no barrier.
    VariableReading ReadFromDtmVariable(pugi::xml_node node, IDTMContext& context,
                                        bool rulesFollowed) override;
    bool WriteToDtmVariable(pugi::xml_node node, IDTMContext& context) override;
    bool WriteToDocVariable(pugi::xml_node node, IDTMContext& context) override;
    // The "DocumentVariable" node to fill for a print order: a copy of node placed among the
    // numbered variables of "DocumentVariables" by its node id ("N" & order, "." & sub-number for
    // the second and later variables of one order); node itself leaves the document.
    pugi::xml_node CreateDocumentVariableNode(IDTMContext& context, pugi::xml_node node,
                                              int16_t printOrder);
    bool IsUploadParam(IDTMContext& context) const override;
    bool IsDownloadParam(IDTMContext& context) const override;
    bool IsDeviceCommand(IDTMContext& context) const override;

  private:
    SharedText m_Name;  // shared by the copies of the element
    int32_t m_ValueType = 0;
    int32_t m_ValueTypeLength = -1;
    int32_t m_ElementMode = 0;
    int32_t m_Status = sfValid;
    int32_t m_ControlType = 0;
    int32_t m_NestProcessLevel = 0;
    bool m_DynamicBeforeMarks = false;
    int16_t m_DeviceOnlyMarks = 0;  // the marks of DynamicCounter that only show the device
    Variant m_TransientValue;
    Variant m_PersistentValue;
    Variant m_DeviceValue;
    // The ranges and the print orders, which few elements have and which the copies of an
    // element share until one of them changes its own. Whether they are shared is told by
    // use_count(), which is exact only while no other thread copies or drops a holder at the
    // same time: it holds while the copies of one element (the instances built from one model)
    // stay on one thread, as the DTM's instances do.
    struct Lists {
        std::vector<Variant> rangeMin;
        std::vector<Variant> rangeMax;
        std::vector<Variant> printOrder;
    };
    std::shared_ptr<const Lists> m_Lists;
    Lists& OwnLists();
};

// The text of a unit code: the unit table's text, "#" and the number for a code the table
// does not name (or without a table), nothing for 0.
std::string UnitText(IDTMContext& context, int16_t code);

// The data element behind the runtime's interface; nullptr when it is none.
clsDataElement* AsDataElement(IPrivateDataElement* element);
clsDataElement& AsDataElement(IPrivateDataElement& element);
// The data element of the data set with this path. The builders and the rules never run on a
// model without it: a missing element raises an error naming its path.
clsDataElement& ElementAt(IParameters& parameters, const std::string& path);

}  // namespace kv

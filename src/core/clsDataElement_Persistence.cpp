// The data element's own persistence: its property-bag keys, its part of the FDT parameter
// document and its node of the FDT documentation document.

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "core/ConvStr.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IPrivateFunctions.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/IUserManager.h"
#include "platform/runtime/IXMLHelper.h"
#include "value/DiagnosticLog.h"
#include "value/NumberText.h"
#include "value/Text.h"

namespace kv {

namespace {

const std::string kUnitSuffix = ".Unit";
const std::string kFlagsSuffix = ".Flags";

// Bits a load clears: input errors, communication error and DP-V1 error class.
constexpr int32_t kLoadClearedBits = 0x00FFF000;

bool IsFloatType(int32_t type) {
    return type == vtFloat || type == vtDouble;
}

// A whole text that is a decimal integer (an optional sign, digits, blanks around).
std::optional<int64_t> IntegerText(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    int64_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

std::optional<int16_t> AsUnitCode(int64_t v) {
    if (v < INT16_MIN || v > INT16_MAX)
        return std::nullopt;
    return static_cast<int16_t>(v);
}

// "N" & a, optionally "." & b; nullopt for any other text.
struct NodeId {
    int64_t order;
    std::optional<int64_t> sub;
};
std::optional<NodeId> ParseNodeId(std::string_view id) {
    if (id.size() < 2 || id.front() != 'N')
        return std::nullopt;
    id.remove_prefix(1);
    size_t dot = id.find('.');
    auto digits = [](std::string_view s) -> std::optional<int64_t> {
        if (s.empty() || s.front() == '-' || s.front() == '+')
            return std::nullopt;
        int64_t v = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        if (r.ec != std::errc() || r.ptr != s.data() + s.size())
            return std::nullopt;
        return v;
    };
    auto a = digits(id.substr(0, dot));
    if (!a)
        return std::nullopt;
    if (dot == std::string_view::npos)
        return NodeId{*a, std::nullopt};
    auto b = digits(id.substr(dot + 1));
    if (!b)
        return std::nullopt;
    return NodeId{*a, *b};
}

std::string StatusText(bool valid) {
    return valid ? "ok" : "invalid";
}

}  // namespace

// --- property bag ---

namespace {

// The value as a property: a number in the type its element's value type gives, whatever it
// was last set from (the initial value, a page's input, a document, the device), so that the
// property keeps one type from save to save. A number that type cannot hold as it is (beyond
// its range, a fraction for a whole type, a double that no single equals), and any other value,
// is stored as it stands, so that a load gives back what was saved; an octet string as its hex
// digits, unless it is still held as text.
Variant StoredValue(const clsDataElement& e) {
    const int32_t type = e.ValueType();
    const Variant& value = e.TransientValue();
    if (type == vtOctetString)
        return value.isString() ? value : Variant(BytesToHexString(value));
    const bool number = (type >= vtUnsigned8 && type <= vtInteger32) || type == vtUnsigned32 ||
                        IsFloatType(type) || type == vtDecimal;
    if (!number || !value.isNumber())
        return value;
    Variant typed = e.GetTypedValue(value, NumberLocale::Invariant());
    return !typed.isNull() && typed.number() == value.number() ? typed : value;
}

}  // namespace

bool clsDataElement::WriteToPropBag(IPropertyBag& bag, IDTMContext& /*context*/) {
    bag.Write(Name(), StoredValue(*this));
    bag.Write(Name() + kUnitSuffix, Variant(nTransientUnit));
    bag.Write(Name() + kFlagsSuffix, Variant(static_cast<int32_t>(m_Status & sfPersistMask)));
    return true;
}

bool clsDataElement::IsStored() const {
    return m_PersistentValue.Identical(m_TransientValue) && nPersistentUnit == nTransientUnit;
}

void clsDataElement::SaveCompleted() {
    // A save runs at one go, without a turn of the event loop: the values are those written.
    m_PersistentValue = m_TransientValue;
    nPersistentUnit = nTransientUnit;
}

bool clsDataElement::ReadFromPropBag(IPropertyBag& bag, IDTMContext& context) {
    // Unit: a stored code (8, 16 or 32 bits, or a number written as text) or a unit text; the
    // text of the unit the element already has, or of its initial unit, keeps that code, so that
    // a text shared by several codes or a translated text does not move the unit.
    // One key text serves the unit's and the flags' keys, and the thread keeps its room for the
    // next element.
    thread_local std::string key;
    key.assign(Name()).append(kUnitSuffix);
    std::optional<int16_t> unit;
    if (std::optional<Variant> stored = bag.Read(key)) {
        switch (stored->type()) {
            case VarType::Byte:
            case VarType::Integer:
            case VarType::Long:
                unit = AsUnitCode(static_cast<int64_t>(stored->number()));
                break;
            case VarType::String: {
                const std::string& text = stored->str();
                if (text.empty())
                    break;
                if (auto n = IntegerText(text)) {
                    unit = AsUnitCode(*n);
                    break;
                }
                for (int16_t candidate : {nTransientUnit, nInitUnit}) {
                    if (!unit && candidate != 0 && UnitText(context, candidate) == text)
                        unit = candidate;
                }
                // A text that names no code falls back to the initial unit.
                if (!unit)
                    unit = TryUnitCode(context, text);
                break;
            }
            default:
                break;
        }
    } else {
        unit = nInitUnit;
    }
    nTransientUnit = unit.value_or(nInitUnit);

    // Value: a missing key or a value that does not read gives the initial value.
    std::optional<Variant> value = bag.Read(Name());
    if (value && m_ValueType == vtOctetString && !value->isByteArray()) {
        // An octet string is stored as its hex digits.
        const std::optional<std::string> text =
            value->isEmpty() ? std::optional<std::string>(std::string()) : value->tryString();
        value = text ? TryHexStringToBytes(*text) : std::nullopt;
        if (!value)
            context.Diagnostics().Record(
                "clsDataElement::ReadFromPropBag",
                "the stored value of '" + Name() + "' is no hex text; the initial value is taken");
    }
    if (!value) {
        m_TransientValue = InitialValue;
    } else {
        if (value->isString() && value->str().empty() && m_ValueType != vtVisibleString) {
            *value = Variant();
        }
        m_TransientValue = *value;
        m_PersistentValue = m_TransientValue;
        nPersistentUnit = nTransientUnit;
    }

    // Flags: the persisted bits come from the bag, all others stay; the error bits never
    // survive a load. An unreadable word counts as the default (valid) and fails the call.
    bool ok = true;
    int32_t stored = sfValid;
    key.assign(Name()).append(kFlagsSuffix);
    if (std::optional<Variant> flags = bag.Read(key)) {
        const std::optional<int32_t> word = flags->tryLong();
        stored = word.value_or(sfValid);
        ok = word.has_value();
    }
    m_Status = (stored & sfPersistMask) | (m_Status & static_cast<int32_t>(0xF0FFFFF7u));
    m_Status &= ~kLoadClearedBits;
    // A value that the element would refuse as input carries the mark that input gets, so that
    // its row shows it; the write of the value refuses it as well.
    m_Status |= CalcParamErrorFlags(context, m_TransientValue) & sfInputErrorMask;
    return ok;
}

// --- parameter document ---

namespace {

// The value text of the parameter document: a float's invariant number with its unit in
// brackets, an octet string's hex digits, any other value's own text.
std::string ParameterValueText(const clsDataElement& e, IDTMContext& context) {
    const Variant& v = e.TransientValue();
    if (IsFloatType(e.ValueType())) {
        std::string number;
        if (v.isNumber()) {
            number = InvariantNumberText(v.number(), e.ValueType() == vtFloat);
        } else if (v.isString()) {
            number = v.str();
        }
        return number + "[" + e.UnitString(context) + "]";
    }
    if (e.ValueType() == vtOctetString)
        return v.isString() ? v.str() : BytesToHexString(v);
    if (v.isEmpty() || v.isNull())
        return {};
    return v.toString(context.Locale());
}

// A value of the parameter document, as the element takes it: the value in the unit the
// element holds, or why it is refused.
struct ImportedValue {
    Variant value;
    std::optional<ImportRefusal> refusal;
};

// A text of the document as a refusal quotes it: cut to a readable length.
std::string Quoted(std::string_view text) {
    return Abridged(text, 40, 36);
}

// What the input check refused, by its flags.
ImportRefusal::Kind InputErrorKind(int32_t flags) {
    switch (flags & sfInputErrorMask) {
        case 0x4000:
            return ImportRefusal::kOutOfRange;
        case 0x5000:
            return ImportRefusal::kTooLong;
        case 0x6000:
            return ImportRefusal::kBadCharacter;
        default:
            return ImportRefusal::kNotAValue;
    }
}

// The limits that a refusal of this kind names: the ranges of a number in the unit the
// element shows, the most characters of a text.
std::vector<ImportRefusal::Limits> LimitsOf(const clsDataElement& e, ImportRefusal::Kind kind,
                                            IDTMContext& context) {
    std::vector<ImportRefusal::Limits> limits;
    if (kind == ImportRefusal::kOutOfRange) {
        for (const ValueRange& range : e.RangesInShownUnit(context))
            limits.push_back({range.min, range.max});
    } else if (kind == ImportRefusal::kTooLong) {
        if (const std::optional<int32_t> most = e.MaxTextLength())
            limits.push_back({Variant(), Variant(*most)});
    }
    return limits;
}

// The display text of a variable as the element's value: the text with its unit in brackets
// (floats) must pass every check that a value typed into the element's row passes, in the unit
// the element holds, which the device holds too. A number in another unit is converted into
// it; the element's unit stays. A number without a unit is in the element's unit, as a typed
// one is.
ImportedValue ImportedValueOf(const clsDataElement& e, const Variant& shown, IDTMContext& context) {
    ImportedValue out;
    const std::string& whole = shown.str();
    std::string_view valueText = whole;  // without a float's unit
    std::string_view unitText;
    const auto refuse = [&](ImportRefusal::Kind kind) {
        ImportRefusal refusal;
        refusal.kind = kind;
        refusal.value = Quoted(valueText);
        refusal.unit = Quoted(unitText);
        if (e.nTransientUnit != 0)
            refusal.elementUnit = e.UnitString(context);
        refusal.limits = LimitsOf(e, kind, context);
        out.refusal = std::move(refusal);
        return out;
    };
    Variant text = shown;
    int16_t unit = e.nTransientUnit;
    const size_t open = whole.rfind('[');
    if (IsFloatType(e.ValueType()) && whole.ends_with("]") && open != std::string::npos) {
        valueText = valueText.substr(0, open);
        unitText = std::string_view(whole).substr(open + 1, whole.size() - open - 2);
        if (!unitText.empty() && unitText != e.UnitString(context)) {
            const std::optional<int16_t> code = e.TryUnitCode(context, std::string(unitText));
            if (!code || *code == 0)
                return refuse(ImportRefusal::kUnknownUnit);
            unit = *code;
        }
        text = Variant(std::string(valueText));
    }
    const std::string& number = text.str();
    // An empty text is how an element without a value is exported: for such an element it
    // changes nothing, so that an exported data set imports whole. Any other element needs a
    // value, which an empty text does not give it (a text may be empty).
    const bool noText = number.empty() && e.ValueType() != vtVisibleString;
    if (noText && e.TransientValue().isEmpty())
        return out;
    // A float text with a point reads the same in every locale; other texts are read as the
    // user's locale writes them.
    const NumberLocale& locale = IsFloatType(e.ValueType()) && number.find('.') != std::string::npos
                                     ? NumberLocale::Invariant()
                                     : context.Locale();
    out.value = e.GetTypedInput(text, locale);
    if (noText && out.value.isNull())
        return refuse(ImportRefusal::kNoValue);
    if (unit != e.nTransientUnit && !out.value.isNull()) {
        out.value = e.ValueInUnit(context, out.value, unit);
        if (out.value.isNull())
            return refuse(ImportRefusal::kNotConvertible);
    }
    if (const int32_t flags = e.CalcParamErrorFlags(context, out.value))
        return refuse(InputErrorKind(flags));
    if (e.OutsideValueList(out.value))
        return refuse(ImportRefusal::kNotInList);
    return out;
}

// Why a document leaves the element alone or is refused it whatever its value: a document
// never sets what the same user could not type. What no user can set at the moment is passed
// over (the document may come from another device or another moment); what asks for a higher
// user level is refused. Nothing when the user could give the element a value.
std::optional<ImportRefusal> UntypableReading(const clsDataElement& e, IDTMContext& context) {
    const auto because = [](ImportRefusal::Kind kind) {
        ImportRefusal refusal;
        refusal.kind = kind;
        return refusal;
    };
    if ((e.ElementMode() & emDeviceCommand) != 0)
        return because(ImportRefusal::kDeviceCommand);
    switch (e.InputBarrierOf(context)) {
        case InputBarrier::kDeviceOnly:
            return because(ImportRefusal::kDeviceOnly);
        case InputBarrier::kUserLevel: {
            ImportRefusal refusal = because(ImportRefusal::kUserLevel);
            refusal.requiredLevel = e.RequiredUserLevel;
            refusal.userLevel = context.UserManager().UserLevel();
            return refusal;
        }
        case InputBarrier::kWriteProtected:
            return because(ImportRefusal::kWriteProtected);
        case InputBarrier::kNone:
            break;
    }
    if (!e.Validity())
        return because(ImportRefusal::kNotValid);
    return std::nullopt;
}

}  // namespace

bool clsDataElement::WriteToDtmVariable(pugi::xml_node node, IDTMContext& context) {
    IXMLHelper& xml = context.XMLHelper();
    xml.SetAttribute("descriptor", Variant(Description.str()), node);
    pugi::xml_node value = xml.AddElement("fdt:Value", node);
    xml.SetAttribute("readAccess", Variant(RelIndex >= 0), value);
    xml.SetAttribute("writeAccess", Variant(RelIndex >= 0), value);
    pugi::xml_node display = xml.AddElement("fdt:Display", value);
    xml.SetAttribute("string", Variant(ParameterValueText(*this, context)), display);
    xml.SetAttribute("statusFlag", Variant(StatusText(Validity())), node);
    return true;
}

VariableReading clsDataElement::ReadFromDtmVariable(pugi::xml_node node, IDTMContext& context,
                                                    bool rulesFollowed) {
    IXMLHelper& xml = context.XMLHelper();
    Variant nameAttr = xml.GetAttribute("name", node);
    std::string name = nameAttr.isString() ? nameAttr.str() : std::string();
    if (Name().size() > name.size())
        name = "/" + name;
    // A node of another element changes nothing here.
    if (!Name().ends_with(name))
        return {};
    // What the user could not set now waits for the rules, which may follow the rest of the
    // document and let the user set it.
    const std::optional<ImportRefusal> untypable = UntypableReading(*this, context);
    if (untypable && !rulesFollowed)
        return {};

    // The second reading judges the value alone: descriptor and status came with the first.
    if (!rulesFollowed) {
        Variant descriptor = xml.GetAttribute("descriptor", node);
        if (descriptor.isString())
            Description = SharedText(descriptor.str());
    }

    VariableReading reading;
    pugi::xml_node display = node.child("fdt:Value").child("fdt:Display");
    Variant shown = display ? xml.GetAttribute("string", display) : Variant();
    if (shown.isString()) {
        ImportedValue imported = ImportedValueOf(*this, shown, context);
        if (!imported.refusal && VariantsEqual(imported.value, m_TransientValue)) {
            // Nothing to set, whoever may set it.
            reading.kind = VariableReading::kUnchanged;
        } else if (untypable) {
            reading.refusal = *untypable;
        } else if (imported.refusal) {
            reading.refusal = std::move(*imported.refusal);
        } else {
            m_TransientValue = imported.value;
            reading.kind = VariableReading::kTaken;
        }
    } else if (untypable) {
        reading.refusal = *untypable;
    }

    Variant status = xml.GetAttribute("statusFlag", node);
    if (status.isString() && !rulesFollowed) {
        if (status.str() == "ok")
            SetValidity(true);
        if (status.str() == "invalid")
            SetValidity(false);
    }
    return reading;
}

// --- documentation document ---

namespace {

// The value as the documentation shows it. A value that its type or its list cannot show is
// documented as it stands: a byte array in hexadecimal digits, a text as it is, else nothing.
std::string DocumentDisplayText(const clsDataElement& e, IDTMContext& context) {
    const Variant& v = e.TransientValue();
    if (v.isEmpty() || v.isNull())
        return {};
    const auto asItStands = [&v] {
        return v.isByteArray() ? BytesToHexString(v) : v.isString() ? v.str() : std::string();
    };
    const int32_t type = e.ValueType();
    if (IsFloatType(type)) {
        const std::optional<double> number = v.tryDouble();
        if (!number)
            return asItStands();
        std::string text = FormatNumber(*number, "0.0##", context.Locale());
        if (e.nTransientUnit != 0)
            text += " [" + e.UnitString(context) + "]";
        return text;
    }
    const bool hasList = !e.ValueList.empty();
    if (hasList && type >= vtUnsigned8 && type <= vtInteger32) {
        const std::optional<int32_t> index = v.tryLong();
        return index ? e.GetStrValueFromIdxList(*index) : asItStands();
    }
    if (hasList && type == vtUnsigned32) {
        std::optional<double> d = v.tryDouble();
        if (d && *d > 2147483647.0)
            *d -= 4294967296.0;
        const std::optional<int32_t> index = d ? Variant(*d).tryLong() : std::nullopt;
        return index ? e.GetStrValueFromIdxList(*index) : asItStands();
    }
    if (hasList && type == vtOctetString)
        return e.GetStrValueFromIdxListEx(v);
    if (v.isByteArray())
        return BytesToHexString(v);
    return v.tryString(context.Locale()).value_or(asItStands());
}

}  // namespace

bool clsDataElement::WriteToDocVariable(pugi::xml_node node, IDTMContext& context) {
    const std::string display = DocumentDisplayText(*this, context);

    int32_t functionId = 0;
    if (IPrivateFunctions* functions = context.Functions()) {
        if (IFunctionCall* call = functions->DocFuncCall())
            functionId = call->ApplicationId();
    }
    bool numbered = true;
    Variant order;
    switch (functionId) {
        case 1:
            order = GetPrintOrder(0);
            break;
        case 2:
            order = GetPrintOrder(4);
            break;
        case 3:
            order = GetPrintOrder(3);
            break;
        case 5:
            order = GetPrintOrder(2);
            break;
        case 7:
            order = GetPrintOrder(1);
            break;
        case 14:
            if (IsBitListEntry(context))
                break;
            if (BlockType == pbfPhysicalBlock)
                order = Variant(static_cast<int32_t>(RelIndex));
            if (BlockType == pbfTransducerBlock)
                order = Variant(RelIndex + 100);
            if (BlockType == pbfFunctionAOBlock)
                order = Variant(RelIndex + 200);
            break;
        default:
            numbered = false;
            break;
    }
    if (numbered) {
        // An order that is no number gives no place in the document.
        const std::optional<int16_t> printOrder =
            order.isEmpty() ? std::nullopt : order.tryInteger();
        if (!printOrder) {
            if (pugi::xml_node parent = node.parent())
                parent.remove_child(node);
            return false;
        }
        node = CreateDocumentVariableNode(context, node, *printOrder);
    }

    IXMLHelper& xml = context.XMLHelper();
    std::string name =
        functionId == 14 ? std::to_string(RelIndex) + ": " + Label.str() : Label.str();
    xml.SetAttribute("fdt:name", Variant(name), node);
    xml.SetAttribute("fdt:descriptor", Variant(Description.str()), node);
    xml.SetAttribute("fdt:display", Variant(display), node);
    xml.SetAttribute("fdt:statusFlag", Variant(StatusText(Validity())), node);
    return true;
}

pugi::xml_node clsDataElement::CreateDocumentVariableNode(IDTMContext& context, pugi::xml_node node,
                                                          int16_t printOrder) {
    pugi::xml_node root = node.root().first_child();
    while (root && root.type() != pugi::node_element)
        root = root.next_sibling();
    if (!root)
        throw std::invalid_argument("the documentation node of " + Name() + " is in no document");
    pugi::xml_node list = root.child("DocumentVariables");
    if (!list) {
        // A document without the list gets one, so the variable still has its place.
        list = context.XMLHelper().AddElement("DocumentVariables", root);
    }
    // The walk ends at the first variable without a node id (the node handed in at the latest)
    // or with a higher order; without either the copy goes last. Sub-numbers count the variables
    // of the same order only, so ids stay unique whatever orders came before.
    pugi::xml_node stop;
    int64_t sub = 0;
    for (pugi::xml_node child = list.child("DocumentVariable"); child;
         child = child.next_sibling("DocumentVariable")) {
        pugi::xml_attribute id = child.attribute("fdt:nodeId");
        if (!id) {
            stop = child;
            break;
        }
        std::optional<NodeId> parsed = ParseNodeId(id.value());
        if (!parsed)
            continue;
        if (parsed->order == printOrder)
            sub = std::max(sub, parsed->sub.value_or(0) + 1);
        if (printOrder < parsed->order) {
            stop = child;
            break;
        }
    }
    pugi::xml_node copy = stop ? list.insert_copy_before(node, stop) : list.append_copy(node);
    if (!copy)
        throw std::runtime_error("cannot place the documentation node of " + Name());
    std::string id = "N" + std::to_string(printOrder);
    if (sub > 0)
        id += "." + std::to_string(sub);
    pugi::xml_attribute a = copy.attribute("fdt:nodeId");
    if (!a)
        a = copy.append_attribute("fdt:nodeId");
    a.set_value(id.c_str());
    if (pugi::xml_node parent = node.parent())
        parent.remove_child(node);
    return copy;
}

}  // namespace kv
